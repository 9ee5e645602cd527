// The file stream as the log uses it: the lock, the open modes, folder creation, mode checks.
#include "core/stream/filestream.h"

#include "streamfolder.h"

#include <gtest/gtest.h>

#include <fstream>

using FileStreamTest = StreamFolderTest;

TEST_F(FileStreamTest, WriteCreatesFoldersAndAppendKeepsContent)
{
    TFileStream stream;
    EXPECT_FALSE(stream.IsOpen());
    ASSERT_EQ(stream.Open(File("a/b/out.txt"), STREAM_CREATE_PATH | STREAM_WRITE), 1u);
    EXPECT_STREQ(stream.GetName().GetText(), (m_Path + "/a/b/out.txt").c_str());
    EXPECT_EQ(stream.WriteText("one\n"), 4);
    EXPECT_EQ(stream.Close(), 0u);
    EXPECT_EQ(stream.Close(), 1u);

    ASSERT_EQ(stream.Open(File("a/b/out.txt"), STREAM_CREATE_PATH | STREAM_WRITE | STREAM_APPEND), 1u);
    stream.SetBuffer(0, nullptr);
    EXPECT_EQ(stream.Write("two", 3), 3);
    EXPECT_EQ(Read("a/b/out.txt"), "one\ntwo");
    EXPECT_EQ(stream.GetSize(), 7);

    ASSERT_EQ(stream.Open(File("a/b/out.txt"), STREAM_READ), 1u);
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 3), 3);
    EXPECT_STREQ(buffer, "one");
    stream.Seek(-2, STREAM_SEEK_END);
    EXPECT_EQ(stream.GetPosition(), 5);

    // Written again, the file holds the new bytes alone, not the old tail after them.
    ASSERT_EQ(stream.Open(File("a/b/out.txt"), STREAM_WRITE), 1u);
    EXPECT_EQ(stream.WriteText("3"), 1);
    EXPECT_EQ(stream.Close(), 0u);
    EXPECT_EQ(Read("a/b/out.txt"), "3");
}

// Modes without a run-time mode and overlong paths open nothing; a folder that cannot be made
// is result 2.
TEST_F(FileStreamTest, OpensThatCannotSucceedAreRefused)
{
    std::ofstream(m_Path + "/plain") << "file";
    const struct
    {
        std::string name;
        u32 mode, result;
    } cases[] = {
        {"none.txt", STREAM_APPEND, 0},
        {"none.txt", STREAM_APPEND | STREAM_READ, 0},
        {std::string(300, 'n'), STREAM_WRITE, 0},
        {"plain/inside.txt", STREAM_CREATE_PATH | STREAM_WRITE, 2},
    };
    for (const auto& c : cases)
    {
        TFileStream stream;
        EXPECT_EQ(stream.Open(File(c.name), c.mode), c.result) << c.name;
        EXPECT_FALSE(stream.IsOpen());
        EXPECT_EQ(stream.Read(nullptr, 4), 0);
        EXPECT_EQ(stream.Write("x", 1), 0);
    }
}

TEST_F(FileStreamTest, WrongModesAreFatalAndALockedFileSystemOpensOnlyWithTheLockedBit)
{
    TFileStream stream;
    ASSERT_EQ(stream.Open(File("mode.txt"), STREAM_WRITE), 1u);
    char byte;
    EXPECT_EXIT(stream.Read(&byte, 1), testing::ExitedWithCode(1), "invalid stream mode");
    ASSERT_EQ(stream.Open(File("mode.txt"), STREAM_READ), 1u);
    EXPECT_EXIT(stream.WriteText("x"), testing::ExitedWithCode(1), "invalid stream mode");
    g_pFileStreamManager->SetDirectory(TName());
    EXPECT_EQ(stream.Open(File("allowed.txt"), STREAM_WRITE | STREAM_WHILE_LOCKED), 1u);
    EXPECT_EXIT(stream.Open(File("refused.txt"), STREAM_WRITE), testing::ExitedWithCode(1),
                "Terminal error: 'file system is locked'");
}
