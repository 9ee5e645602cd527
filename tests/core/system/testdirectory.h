#pragma once
// A scratch folder made the user directory with the file system unlocked, and a fresh system
// log writing "system.log" in it; the lock, the user directory and the system log are restored
// afterwards.
#include "core/stream/filestreammanager.h"
#include "core/system/core.h"
#include "core/system/log.h"
#include "core/system/memory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

class TTestDirectory
{
public:
    TTestDirectory()
    {
        char pattern[] = "/tmp/vestamor_test_XXXXXX";
        m_Path = mkdtemp(pattern);
        m_OldUser = *GetUserDirectory();
        SetUserDirectory(TName(m_Path.c_str(), true));
        g_pFileStreamManager->SetDirectory(TName(".", true));
        m_pOldSystemLog = g_pSystemLog;
        g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", 0x51u);
    }
    ~TTestDirectory()
    {
        MemoryDelete(g_pSystemLog);
        g_pSystemLog = m_pOldSystemLog;
        SetUserDirectory(m_OldUser);
        g_pFileStreamManager->SetDirectory(TName());
        std::filesystem::remove_all(m_Path);
    }

    const std::string& Path() const { return m_Path; }

    std::vector<std::string> ReadLines(const std::string& name) const
    {
        std::ifstream file(m_Path + "/" + name, std::ios::binary);
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(file, line))
            lines.push_back(line);
        return lines;
    }

    std::string ReadAll(const std::string& name) const
    {
        std::ifstream file(m_Path + "/" + name, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

private:
    std::string m_Path;
    TName m_OldUser;
    TLog* m_pOldSystemLog;
};
