// The file stream's sharing rule, failed seeks, backslash paths and UTF-16 names.
#include "core/stream/filestream.h"

#include "streamfolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace
{
using FileStreamShareTest = StreamFolderTest;
} // namespace

TEST_F(FileStreamShareTest, ExclusiveOpenersShareWithNobody)
{
    std::ofstream(m_Path + "/shared.txt") << "keep";
    TFileStream first;
    TFileStream second;
    ASSERT_EQ(first.Open(File("shared.txt"), STREAM_READ), 1u);
    EXPECT_EQ(second.Open(File("shared.txt"), STREAM_READ), 1u);
    second.Close();
    // A refused exclusive writer must not have emptied the file on its way.
    EXPECT_EQ(second.Open(File("shared.txt"), STREAM_WRITE | STREAM_EXCLUSIVE), 0u);
    EXPECT_EQ(Read("shared.txt"), "keep");
    first.Close();

    ASSERT_EQ(first.Open(File("shared.txt"), STREAM_READ | STREAM_EXCLUSIVE), 1u);
    EXPECT_EQ(second.Open(File("shared.txt"), STREAM_READ), 0u);
    first.Close();
    EXPECT_EQ(second.Open(File("shared.txt"), STREAM_READ), 1u);
    std::ofstream(m_Path + "/seek.txt") << "0123";
    TFileStream stream;
    EXPECT_EQ(stream.Seek(0, STREAM_SEEK_SET), 1u);
    ASSERT_EQ(stream.Open(File("seek.txt"), STREAM_READ), 1u);
    EXPECT_EQ(stream.Seek(2, STREAM_SEEK_SET), 0u);
    EXPECT_EQ(stream.Seek(-10, STREAM_SEEK_SET), 1u);
    EXPECT_EQ(stream.Seek(1, 7), 1u);
    EXPECT_EQ(stream.Seek(0, 7), 0u);
    EXPECT_EQ(stream.GetPosition(), 2);
}

TEST_F(FileStreamShareTest, BackslashPathsAndWideNames)
{
    std::filesystem::create_directory(m_Path + "/sub");
    TFileStream stream;
    ASSERT_EQ(stream.Open(TName((m_Path + "\\sub\\back.txt").c_str(), true), STREAM_WRITE), 1u);
    stream.WriteText("back");
    stream.Close();
    EXPECT_EQ(Read("sub/back.txt"), "back");

    std::u16string wide;
    for (char c : m_Path) // ASCII
        wide += static_cast<char16_t>(c);
    wide += u"/new/\u00e9t\u00e9.txt";
    ASSERT_EQ(stream.OpenWide(wide.c_str(), STREAM_WRITE | STREAM_CREATE_PATH), 1u);
    EXPECT_STREQ(stream.GetName().GetText(), (m_Path + "/new/\xc3\xa9t\xc3\xa9.txt").c_str());
    stream.WriteText("wide");
    stream.Close();
    EXPECT_EQ(Read("new/\xc3\xa9t\xc3\xa9.txt"), "wide");
}
