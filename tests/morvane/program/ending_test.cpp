// Ending the program in each state it can be in, as a player's close or a termination signal
// ends it: every manager ends and finalizes once, the settings are saved once, whole, and the
// run ends in full.
#include "gamecopy.h"
#include "support/scratchfolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
size_t Count(const std::string& text, const std::string& line)
{
    size_t count = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
        ++count;
    return count;
}

// One run from its own folders, its window open until the signal.
class TRun
{
public:
    explicit TRun(const char* settings)
    {
        std::filesystem::copy(MORVANE_DATA_PATH, m_Path + "/work", std::filesystem::copy_options::recursive);
        std::filesystem::copy(MORVANE_LANGUAGE_PATH, m_Path + "/work/data",
                              std::filesystem::copy_options::recursive);
        std::filesystem::create_directories(UserPath());
        std::filesystem::create_directories(m_Path + "/runtime");
        std::ofstream(UserPath() + "settings.icom") << settings;
    }

    // The process id; 0 when it could not start.
    pid_t Start(const char* environment)
    {
        const std::string command = "cd '" + m_Path + "/work' && HOME='" + m_Path +
                                    "/home' XDG_DOCUMENTS_DIR= TMPDIR='" + m_Path + "' XDG_RUNTIME_DIR='" +
                                    m_Path + "/runtime' VESTAMOR_HEADLESS=1 " + environment + " exec '" +
                                    MORVANESIM_PATH + "' >/dev/null 2>'" + m_Path + "/stderr'";
        const char* arguments[] = {"sh", "-c", command.c_str(), nullptr};
        pid_t pid = 0;
        return posix_spawnp(&pid, "sh", nullptr, nullptr, const_cast<char**>(arguments), environ) == 0 ? pid
                                                                                                       : 0;
    }

    bool WaitForLine(const char* line) const
    {
        for (int i = 0; i < TGameCopy::kWaitSteps; ++i)
        {
            if (SystemLog().find(line) != std::string::npos)
                return true;
            usleep(50000);
        }
        return false;
    }

    std::string UserPath() const { return m_Path + "/home/My Games/Brevicorn/system/"; }
    std::string SystemLog() const { return TGameCopy::ReadText(m_Path + "/home/My Games/Brevicorn/system.log"); }
    std::string Errors() const { return TGameCopy::ReadText(m_Path + "/stderr"); }

private:
    TScratchFolder m_Folder{"ending"};
    const std::string m_Path = m_Folder.Path();
};

// The exit status once the process has ended, -1 when it had to be killed.
int Terminate(pid_t pid)
{
    kill(pid, SIGTERM);
    int status = 0;
    pid_t ended = 0;
    for (int i = 0; i < TGameCopy::kWaitSteps && (ended = waitpid(pid, &status, WNOHANG)) == 0; ++i)
        usleep(50000);
    if (ended == pid)
        return status;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}
} // namespace

TEST(Ending, EveryStateEndsEachManagerOnceAndSavesTheSettingsOnce)
{
    const struct
    {
        const char* pName;
        const char* pEnvironment;
        const char* pSettings;
        // The signal follows this line of the log.
        const char* pSignalAfter;
    } states[] = {
        // The intro plays while the game's data load on its thread.
        {"intro and load", "", "set game.gamma 3\n", "TIntroLoading::Initialize(): initialize"},
        // The player has switched to another window: the "Inactive" system runs.
        {"inactive", "VESTAMOR_HEADLESS_FOCUS_LOST=4", "set game.gamma 3\n",
         "TManagerManager::__ActivateSystem(): Inactive\n"},
        {"paused", "", "set game.gamma 3\nset timer.pause 1\n", "TDxDeviceManager::__Run(): main loop"},
    };
    for (const auto& state : states)
    {
        SCOPED_TRACE(state.pName);
        TRun run(state.pSettings);
        const pid_t pid = run.Start(state.pEnvironment);
        ASSERT_GT(pid, 0);
        const bool reached = run.WaitForLine(state.pSignalAfter);
        const int status = Terminate(pid);
        ASSERT_TRUE(reached) << run.SystemLog();
        ASSERT_TRUE(WIFEXITED(status)) << status << "\n" << run.Errors() << run.SystemLog();
        EXPECT_EQ(WEXITSTATUS(status), 0) << run.Errors();

        const std::string log = run.SystemLog();
        const std::string last = "000 |          | WinMain(): the end\n";
        EXPECT_TRUE(log.size() >= last.size() &&
                    log.compare(log.size() - last.size(), last.size(), last) == 0)
            << log;
        // First and last of each list: the command manager's end is what saves the settings.
        for (const char* line :
             {"TManagerManager::End(): 'Loading'\n", "TManagerManager::End(): 'Account'\n",
              "TManagerManager::End(): 'Command'\n", "TManagerManager::Finalize(): 'Loading'\n",
              "TManagerManager::Finalize(): 'Account'\n", "TManagerManager::Finalize(): 'Command'\n"})
            EXPECT_EQ(Count(log, line), 1u) << line << "\n" << log;
        EXPECT_EQ(log.find("abort"), std::string::npos) << log;
        const std::string settings = TGameCopy::ReadText(run.UserPath() + "settings.icom");
        EXPECT_NE(settings.find("set game.gamma 3\n"), std::string::npos) << settings;
        for (const char* file : {"device.icom", "actions.icom"})
        {
            const std::string text = TGameCopy::ReadText(run.UserPath() + file);
            EXPECT_TRUE(!text.empty() && text.back() == '\n') << file << ": " << text;
        }
    }
}
