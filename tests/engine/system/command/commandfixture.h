#pragma once
// A scratch folder as the working folder, its subfolder "user" as the user directory, the file
// system unlocked, a product name of its own (so the program cache of each test is apart), the
// system log written into the folder, a listener that records every printed line, key texts
// "F1" (59) and "F2" (60) in place of the input manager's, and the test variables at their defaults.
#include "core/stream/stream.h"
#include "core/system/core.h"
#include "core/system/platform.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/commandmethods.h"
#include "testcommands.h"
#include "support/scratchworkingfolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

inline void ParseTestKey(const char* text, TCommandKey& key)
{
    key.nModifiers = 0;
    key.nCode = std::string(text) == "F1" ? 59 : 60;
}

inline const char* TestKeyText(const TCommandKey& key)
{
    return key.nCode == 59 ? "F1" : "F2";
}

inline void WriteTestActions(TStream& stream)
{
    stream.WriteText("action.bind \"Brake\" Space\n");
}

inline const TCommandInputHooks kTestInputHooks = {ParseTestKey, TestKeyText, WriteTestActions};

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
        m_OldProduct = *GetProductName();
        SetProductName(TName(std::filesystem::path(m_Path).filename().c_str(), true));
        Manager().SetListener(&m_Listener);
        Manager().SetInputHooks(&kTestInputHooks);
        RestoreTestVariables();
    }

    void TearDown() override
    {
        Manager().PurgeCache();
        Manager().SetListener(nullptr);
        Manager().ClearBinds();
        Manager().SetInputHooks(nullptr);
        SetProductName(m_OldProduct);
    }

    static TCommandManager& Manager() { return TCommandManager::Instance(); }

    void WriteFile(const std::string& name, const std::string& text) { m_Folder.WriteFile(name, text); }
    std::string ReadFile(const std::string& name) const { return m_Folder.ReadFile(name); }
    std::string SystemLog() const { return m_Folder.SystemLog(); }
    bool Logged(const std::string& text) const { return SystemLog().find(text) != std::string::npos; }

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

    TScratchWorkingFolder m_Folder{"command"};
    const std::string m_Path = m_Folder.Path();
    TRecordingListener m_Listener;

private:
    TName m_OldProduct;
};
