// Memory streams (owned and lent buffers), mapped files and CopyTo.
#include "core/stream/memorymappedstream.h"
#include "core/stream/memorystream.h"

#include "streamfolder.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <string>

TEST(MemoryStream, ReadsStopAtTheEndAndPositionsStayAtOrPastTheStart)
{
    TMemoryStream stream;
    ASSERT_EQ(stream.Write("0123456789", 10), 10);
    ASSERT_EQ(stream.Seek(8, STREAM_SEEK_SET), 0u);
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 5), 2);
    EXPECT_STREQ(buffer, "89");
    EXPECT_EQ(stream.Read(buffer, 5), 0);

    // A position past the end reads nothing rather than a negative count.
    ASSERT_EQ(stream.Seek(20, STREAM_SEEK_SET), 0u);
    EXPECT_EQ(stream.Read(buffer, 5), 0);
    EXPECT_EQ(stream.GetPosition(), 20);
    // Negative positions are refused; the start is the last one taken.
    EXPECT_EQ(stream.Seek(-1, STREAM_SEEK_SET), 1u);
    EXPECT_EQ(stream.Seek(-11, STREAM_SEEK_END), 1u);
    EXPECT_EQ(stream.Seek(-21, STREAM_SEEK_CUR), 1u);
    EXPECT_EQ(stream.GetPosition(), 20);
    EXPECT_EQ(stream.Seek(-10, STREAM_SEEK_END), 0u);
    EXPECT_EQ(stream.GetPosition(), 0);
}

TEST(MemoryStream, GrowthAndGapsAreZeroFilled)
{
    TMemoryStream stream;
    EXPECT_EQ(stream.Write("a", 1), 1);
    EXPECT_EQ(std::vector<i32>({stream.GetCapacity(), stream.GetSize()}), std::vector<i32>({4, 1}));
    EXPECT_EQ(stream.Write("bcd", 3), 3);
    EXPECT_EQ(std::vector<i32>({stream.GetCapacity(), stream.GetSize()}), std::vector<i32>({4, 4}));
    EXPECT_EQ(stream.Write("", 0), 0);

    // Writing past the end leaves zeros in the gap, not stale memory.
    ASSERT_EQ(stream.Seek(10, STREAM_SEEK_SET), 0u);
    EXPECT_EQ(stream.Write("z", 1), 1);
    ASSERT_EQ(stream.GetSize(), 11);
    const std::string content(reinterpret_cast<char*>(stream.GetData()), 11);
    EXPECT_EQ(content, std::string("abcd\0\0\0\0\0\0z", 11));

    EXPECT_EQ(stream.SetSize(13), 0u);
    EXPECT_EQ(stream.GetData()[12], 0);
    stream.Close();
    EXPECT_EQ(stream.GetSize(), 0);
    EXPECT_EQ(stream.GetPosition(), 0);

    // Opened again without a Close between, the stream starts empty, not with the last bytes.
    EXPECT_EQ(stream.Write("old", 3), 3);
    EXPECT_EQ(stream.Open(TName("again", true), STREAM_WRITE), 0u);
    EXPECT_EQ(stream.GetSize(), 0);
    EXPECT_EQ(stream.Write("n", 1), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(stream.GetData()), stream.GetSize()), "n");

    // A write whose end would pass the largest position is refused whole.
    ASSERT_EQ(stream.Seek(INT_MAX - 2, STREAM_SEEK_SET), 0u);
    EXPECT_EQ(stream.Write("wxyz", 4), 0);
    EXPECT_EQ(stream.GetSize(), 1);
}

TEST(MemoryStream, LentBufferIsLeftAloneOnceOutgrown)
{
    char lent[4] = {'w', 'x', 'y', 'z'};
    TMemoryStream stream;
    stream.Attach(lent, 4);
    EXPECT_EQ(stream.GetMode(), STREAM_READ | STREAM_WRITE);
    EXPECT_EQ(stream.Write("AB", 2), 2);
    EXPECT_EQ(std::string(lent, 4), "AByz");

    EXPECT_EQ(stream.Write("CDE", 3), 3);
    EXPECT_EQ(std::string(lent, 4), "AByz");
    EXPECT_NE(stream.GetData(), reinterpret_cast<u8*>(lent));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(stream.GetData()), 5), "ABCDE");
    EXPECT_EQ(stream.Write("F", 1), 1);
    EXPECT_EQ(std::string(lent, 4), "AByz");
}

using MappedStreamTest = StreamFolderTest;

TEST_F(MappedStreamTest, WritesReachTheFileWhichMustExistAndCannotGrow)
{
    const TName name = Write("ten.bin", "0123456789");
    {
        TMemoryMappedStream stream;
        ASSERT_EQ(stream.Open(name, STREAM_READ | STREAM_WRITE), 0u);
        stream.Seek(-2, STREAM_SEEK_END);
        EXPECT_EQ(stream.Write("XY", 2), 2);
        EXPECT_DEATH(stream.Write("!", 1), "unable to grow memory mapped file");
        // The destructor unmaps and closes.
    }
    std::ifstream file(m_Path + "/ten.bin", std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "01234567XY");
    // Missing and empty files are errors.
    TMemoryMappedStream stream;
    EXPECT_EQ(stream.Open(TName((m_Path + "/missing").c_str(), true), STREAM_READ), 1u);
    EXPECT_EQ(stream.Open(Write("empty.bin", ""), STREAM_READ), 2u);
    EXPECT_EQ(stream.Open(TName("Global\\vestamor_no_such_section", true), STREAM_READ), 2u);
    EXPECT_FALSE(stream.IsOpen());
}
