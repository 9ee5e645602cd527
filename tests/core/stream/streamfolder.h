#pragma once
// A scratch folder for the file-backed streams, with the file system unlocked while it exists.
#include "core/stream/filestreammanager.h"
#include "support/scratchfolder.h"

#include <gtest/gtest.h>

#include <string>

class StreamFolderTest : public testing::Test
{
protected:
    void SetUp() override { g_pFileStreamManager->SetDirectory(TName(".", true)); }
    void TearDown() override { g_pFileStreamManager->SetDirectory(TName()); }

    TName File(const std::string& name) const { return TName((m_Path + "/" + name).c_str(), true); }
    std::string Read(const std::string& name) const { return m_Folder.ReadFile(name); }
    // Writes the file and returns its name.
    TName Write(const std::string& name, const std::string& content) const
    {
        m_Folder.WriteFile(name, content);
        return File(name);
    }

    TScratchFolder m_Folder{"stream"};
    const std::string m_Path = m_Folder.Path();
};
