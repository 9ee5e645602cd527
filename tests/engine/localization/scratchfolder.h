#pragma once
// A scratch working folder with the file system unlocked, the system log written into it, and
// a listener that records every line the command manager prints.
#include "core/stream/filestreammanager.h"
#include "core/system/core.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/commandmethods.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

class TPrintedLines : public TCommandMethods
{
public:
    void PrintLine(const char* text, int isError) override { lines.push_back(text); }
    void SetInput(const char* text) override { input = text; }

    std::vector<std::string> lines;
    std::string input;
};

class ScratchFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vestamor_input_XXXXXX";
        m_Path = mkdtemp(pattern);
        m_OldWorking = std::filesystem::current_path();
        std::filesystem::current_path(m_Path);
        m_OldUser = *GetUserDirectory();
        std::filesystem::create_directories(m_Path + "/user");
        SetUserDirectory(TName((m_Path + "/user").c_str(), true));
        g_pFileStreamManager->SetDirectory(TName(".", true));
        m_pOldSystemLog = g_pSystemLog;
        g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", 0x51u);
        TCommandManager::Instance().SetListener(&m_Printed);
    }

    void TearDown() override
    {
        TCommandManager::Instance().SetListener(nullptr);
        MemoryDelete(g_pSystemLog);
        g_pSystemLog = m_pOldSystemLog;
        g_pFileStreamManager->SetDirectory(TName());
        SetUserDirectory(m_OldUser);
        std::filesystem::current_path(m_OldWorking);
        std::filesystem::remove_all(m_Path);
    }

    void WriteFile(const std::string& name, const std::string& bytes)
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

    std::string SystemLog() const { return ReadFile("user/system.log"); }

    std::string m_Path;
    TPrintedLines m_Printed;

private:
    std::filesystem::path m_OldWorking;
    TName m_OldUser;
    TLog* m_pOldSystemLog = nullptr;
};
