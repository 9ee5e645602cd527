#pragma once
// A scratch folder as the working folder, its subfolder "user" as the user directory, the file
// system unlocked, a product name of its own (so the program cache of each test is apart), the
// system log written into the folder, and a listener that records every printed line.
#include "core/stream/filestreammanager.h"
#include "core/system/core.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "core/system/platform.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/commandmethods.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

class TRecordingListener : public TCommandMethods
{
public:
    void PrintLine(const char* text, int isError) override { lines.push_back({text, isError}); }

    struct TLine
    {
        std::string text;
        int isError;
    };
    std::vector<TLine> lines;
};

class CommandTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vestamor_command_XXXXXX";
        m_Path = mkdtemp(pattern);
        m_OldWorking = std::filesystem::current_path();
        std::filesystem::current_path(m_Path);
        m_OldUser = *GetUserDirectory();
        m_OldProduct = *GetProductName();
        std::filesystem::create_directories(m_Path + "/user");
        SetUserDirectory(TName((m_Path + "/user").c_str(), true));
        SetProductName(TName(std::filesystem::path(m_Path).filename().c_str(), true));
        g_pFileStreamManager->SetDirectory(TName(".", true));
        m_pOldSystemLog = g_pSystemLog;
        g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", 0x51u);
        Manager().SetListener(&m_Listener);
    }

    void TearDown() override
    {
        Manager().PurgeCache();
        Manager().SetListener(nullptr);
        Manager().ClearBinds();
        Manager().SetInputHooks(nullptr);
        MemoryDelete(g_pSystemLog);
        g_pSystemLog = m_pOldSystemLog;
        g_pFileStreamManager->SetDirectory(TName());
        SetUserDirectory(m_OldUser);
        SetProductName(m_OldProduct);
        std::filesystem::current_path(m_OldWorking);
        std::filesystem::remove_all(m_Path);
    }

    static TCommandManager& Manager() { return TCommandManager::Instance(); }

    void WriteFile(const std::string& name, const std::string& text)
    {
        std::filesystem::create_directories(std::filesystem::path(m_Path + "/" + name).parent_path());
        std::ofstream(m_Path + "/" + name, std::ios::binary) << text;
    }

    std::string ReadFile(const std::string& name) const
    {
        std::ifstream file(m_Path + "/" + name, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    std::string SystemLog() const { return ReadFile("user/system.log"); }

    // The cache file of a script, inside the temp folder.
    std::string CachePath(const char* script) const
    {
        char name[16];
        std::snprintf(name, sizeof name, "%08x", TName(script).GetId());
        return std::string(GetTempFolder()) + ".vestamorcache/" + GetProductName()->GetText() + "/.command/" +
               name + ".icom";
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const auto& line : m_Listener.lines)
            texts.push_back(line.text);
        return texts;
    }

    std::string m_Path;
    TRecordingListener m_Listener;

private:
    std::filesystem::path m_OldWorking;
    TName m_OldUser;
    TName m_OldProduct;
    TLog* m_pOldSystemLog = nullptr;
};
