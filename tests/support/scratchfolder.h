#pragma once
// Scratch folders for the tests. TScratchFolder is a fresh folder under /tmp, removed with
// everything in it when the test is done. TScratchWorkingFolder also makes it the working
// folder, its subfolder "user" the user directory, unlocks the file system and writes a fresh
// system log there; all of it is put back afterwards.
#include "core/stream/filestreammanager.h"
#include "core/system/core.h"
#include "core/system/log.h"
#include "core/system/memory.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

class TScratchFolder
{
public:
    // The folder is "/tmp/vestamor_<owner>_XXXXXX".
    explicit TScratchFolder(const char* owner)
    {
        std::string pattern = std::string("/tmp/vestamor_") + owner + "_XXXXXX";
        m_Path = mkdtemp(pattern.data());
    }
    ~TScratchFolder() { std::filesystem::remove_all(m_Path); }
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;

    const std::string& Path() const { return m_Path; }

    // Writes a file below the folder, making the folders on its way.
    void WriteFile(const std::string& name, const std::string& bytes) const
    {
        std::filesystem::create_directories(std::filesystem::path(m_Path + "/" + name).parent_path());
        std::ofstream(m_Path + "/" + name, std::ios::binary) << bytes;
    }

    std::string ReadFile(const std::string& name) const
    {
        std::ifstream file(m_Path + "/" + name, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    std::vector<std::string> ReadLines(const std::string& name) const
    {
        std::ifstream file(m_Path + "/" + name, std::ios::binary);
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(file, line))
            lines.push_back(line);
        return lines;
    }

private:
    std::string m_Path;
};

class TScratchWorkingFolder : public TScratchFolder
{
public:
    explicit TScratchWorkingFolder(const char* owner) : TScratchFolder(owner)
    {
        m_OldWorking = std::filesystem::current_path();
        std::filesystem::current_path(Path());
        m_OldUser = *GetUserDirectory();
        std::filesystem::create_directories(Path() + "/user");
        SetUserDirectory(TName((Path() + "/user").c_str(), true));
        g_pFileStreamManager->SetDirectory(TName(".", true));
        m_pOldSystemLog = g_pSystemLog;
        g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", 0x51u);
    }
    ~TScratchWorkingFolder()
    {
        MemoryDelete(g_pSystemLog);
        g_pSystemLog = m_pOldSystemLog;
        g_pFileStreamManager->SetDirectory(TName());
        SetUserDirectory(m_OldUser);
        std::filesystem::current_path(m_OldWorking);
    }

    std::string SystemLog() const { return ReadFile("user/system.log"); }

private:
    std::filesystem::path m_OldWorking;
    TName m_OldUser;
    TLog* m_pOldSystemLog;
};
