#pragma once
// A scratch working folder with the file system unlocked, the system log written into it, and
// a listener that records every line the command manager prints.
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/commandmethods.h"
#include "support/scratchworkingfolder.h"

#include <gtest/gtest.h>

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
    void SetUp() override { TCommandManager::Instance().SetListener(&m_Printed); }
    void TearDown() override { TCommandManager::Instance().SetListener(nullptr); }

    void WriteFile(const std::string& name, const std::string& bytes) { m_Folder.WriteFile(name, bytes); }
    std::string ReadFile(const std::string& name) const { return m_Folder.ReadFile(name); }
    std::string SystemLog() const { return m_Folder.SystemLog(); }
    bool Logged(const std::string& text) const { return SystemLog().find(text) != std::string::npos; }

    TScratchWorkingFolder m_Folder{"input"};
    const std::string m_Path = m_Folder.Path();
    TPrintedLines m_Printed;
};
