#pragma once
// TGameCopy: the game installed as a player has it, in a scratch folder of its own (working
// folder, home with the user folder, temp folders), started as the player starts it.
#include "support/scratchfolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

class TGameCopy
{
public:
    // Waits go in steps of 50 ms, up to 150 s: an emulated run starts slowly.
    static constexpr int kWaitSteps = 3000;

    TGameCopy()
    {
        std::filesystem::copy(MORVANE_DATA_PATH, m_Path + "/work", std::filesystem::copy_options::recursive);
        std::filesystem::copy(MORVANE_LANGUAGE_PATH, m_Path + "/work/data",
                              std::filesystem::copy_options::recursive);
        std::filesystem::create_directories(UserPath());
        std::filesystem::create_directories(m_Path + "/runtime");
    }

    // The exit code of a run that closes its window on its fifth frame, with its temp folder.
    int Run(const std::string& temp = "temp") const
    {
        std::filesystem::create_directories(m_Path + "/" + temp);
        const int status = std::system(Command(temp, "VESTAMOR_HEADLESS_FRAMES=5 timeout 200").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // A copy whose window stays open until it is ended: its process id once its last phase began.
    pid_t Start(const std::string& temp) const
    {
        std::filesystem::create_directories(m_Path + "/" + temp);
        const std::string command = Command(temp, "exec");
        const char* arguments[] = {"sh", "-c", command.c_str(), nullptr};
        pid_t pid = 0;
        if (posix_spawnp(&pid, "sh", nullptr, nullptr, const_cast<char**>(arguments), environ) != 0)
            return 0;
        for (int i = 0; i < kWaitSteps && SystemLog().find("TManagerManager::Begin(): 'State'") == std::string::npos; ++i)
            usleep(50000);
        return pid;
    }

    static std::string ReadText(const std::string& path)
    {
        std::ifstream file(path, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    const std::string& Path() const { return m_Path; }
    std::string UserPath() const { return m_Path + "/home/My Games/Brevicorn/system/"; }
    std::string LogPath() const { return m_Path + "/home/My Games/Brevicorn/system.log"; }
    std::string SystemLog() const { return ReadText(LogPath()); }
    std::string Errors() const { return ReadText(m_Path + "/stderr"); }

private:
    std::string Command(const std::string& temp, const char* launch) const
    {
        return "cd '" + m_Path + "/work' && HOME='" + m_Path + "/home' XDG_DOCUMENTS_DIR= TMPDIR='" + m_Path + "/" +
               temp + "' XDG_RUNTIME_DIR='" + m_Path + "/runtime' VESTAMOR_HEADLESS=1 " + launch + " '" +
               MORVANESIM_PATH + "' >/dev/null 2>'" + m_Path + "/stderr'";
    }

    TScratchFolder m_Folder{"gamecopy"};
    const std::string m_Path = m_Folder.Path();
};
