// The compressed pipe over memory and file streams: round trips, the empty stream, and
// sources that end early or carry damage.
#include "core/compression/compressedpipe.h"
#include "core/stream/filestream.h"
#include "core/stream/memorystream.h"

#include "../system/testdirectory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

namespace
{
std::string Pattern(size_t size)
{
    std::string data(size, 0);
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>((i * 31) ^ (i >> 7));
    return data;
}

// Writes data through a pipe into a memory stream, in pieces of the given size.
void Pack(TMemoryStream& packed, const std::string& data, size_t piece)
{
    TCompressedPipe pipe;
    ASSERT_EQ(pipe.Open(&packed, COMPRESSED_PIPE_WRITE), 1u);
    for (size_t at = 0; at < data.size(); at += piece)
    {
        const i32 size = static_cast<i32>(std::min(piece, data.size() - at));
        ASSERT_EQ(pipe.Write(data.data() + at, size), size);
    }
    EXPECT_EQ(pipe.GetWrittenCount(), data.size());
    EXPECT_EQ(pipe.Close(), 0u);
    packed.Seek(0, STREAM_SEEK_SET);
}
} // namespace

TEST(CompressedPipe, EarlyEndAndDamageGiveShortCounts)
{
    TTestDirectory directory;
    const std::string data = Pattern(200000);
    TMemoryStream packed;
    Pack(packed, data, data.size());

    TMemoryStream truncated;
    TCompressedPipe pipe;
    truncated.Write(packed.GetData(), packed.GetSize() / 2);
    truncated.Seek(0, STREAM_SEEK_SET);
    ASSERT_EQ(pipe.Open(&truncated, COMPRESSED_PIPE_READ), 1u);
    std::string out(200000, 0);
    const i32 got = pipe.Read(out.data(), 200000);
    EXPECT_GT(got, 0);
    EXPECT_LT(got, 200000);
    EXPECT_EQ(out.substr(0, got), data.substr(0, got));
    EXPECT_NE(directory.ReadFile("system.log").find("TCompressedPipe::Read(): error: source stream ended"),
              std::string::npos);
    EXPECT_FALSE(pipe.IsFinished());
    pipe.Close();

    // Every byte there but the checksum wrong: the data comes out, the stream never ends.
    packed.GetData()[packed.GetSize() - 1] ^= 1;
    TCompressedPipe checked;
    ASSERT_EQ(checked.Open(&packed, COMPRESSED_PIPE_READ), 1u);
    EXPECT_EQ(checked.Read(out.data(), 200000), 200000);
    EXPECT_FALSE(checked.IsFinished());
    EXPECT_EQ(checked.Read(out.data(), 1), 0);
    EXPECT_FALSE(checked.IsFinished());
    EXPECT_EQ(out, data);
}

// A read that never stopped on damage would hang: the read runs in a child process that an
// alarm ends, so the test fails instead.
TEST(CompressedPipeDeathTest, DamageStopsTheReadWithAShortCount)
{
    TTestDirectory directory;
    const std::string data = Pattern(200000);
    TMemoryStream packed;
    Pack(packed, data, data.size());
    std::memset(packed.GetData() + 100, 0xFF, 64);
    EXPECT_EXIT(
        {
            alarm(5);
            TCompressedPipe pipe;
            pipe.Open(&packed, COMPRESSED_PIPE_READ);
            std::string out(200000, 0);
            std::_Exit(pipe.Read(out.data(), 200000) < 200000 ? 0 : 2);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_NE(
        directory.ReadFile("system.log").find("TCompressedPipe::Read(): error: damaged compressed stream"),
        std::string::npos);
}

TEST(CompressedPipe, OpenChecksItsArgumentsAndRoundTripsAcrossManySteps)
{
    TTestDirectory directory;
    TMemoryStream memory;
    TFileStream closed;
    TCompressedPipe pipe; // closed before its sources
    EXPECT_EQ(pipe.Open(nullptr, COMPRESSED_PIPE_READ), 0u);
    EXPECT_EQ(pipe.Open(&closed, COMPRESSED_PIPE_READ), 0u);
    EXPECT_EQ(pipe.Open(&memory, 3), 0u);
    EXPECT_EQ(pipe.Open(TName("name", true), 1), 0u);
    EXPECT_FALSE(pipe.IsOpen());
    EXPECT_EQ(pipe.Close(), 0u);
    const auto lines = directory.ReadLines("system.log");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("TCompressedPipe::Open(): error: Null source stream set for compression pipe"),
              std::string::npos);
    EXPECT_NE(lines[1].find("Source stream not opened for compression pipe"), std::string::npos);
    EXPECT_NE(lines[2].find("Invalid mode set for the compression pipe"), std::string::npos);

    ASSERT_EQ(pipe.Open(&memory, COMPRESSED_PIPE_WRITE), 1u);
    EXPECT_EQ(pipe.Seek(0, STREAM_SEEK_SET), 0u);
    EXPECT_DEATH(pipe.Seek(5, STREAM_SEEK_SET), "not supported in compress stream");
    // A round trip across many steps.
    const std::string data = Pattern(300000);
    TMemoryStream packed;
    Pack(packed, data, 70000);
    EXPECT_LT(packed.GetSize(), 300000);

    TCompressedPipe reader;
    ASSERT_EQ(reader.Open(&packed, COMPRESSED_PIPE_READ), 1u);
    std::string out(300000, 0);
    EXPECT_EQ(reader.Read(out.data(), 100000), 100000);
    EXPECT_EQ(reader.GetPosition(), 100000);
    EXPECT_EQ(reader.Seek(100000, STREAM_SEEK_SET), 0u);
    EXPECT_EQ(reader.Read(out.data() + 100000, 250000), 200000);
    EXPECT_EQ(out, data);
    EXPECT_EQ(reader.Read(out.data(), 10), 0);
    EXPECT_TRUE(reader.IsFinished());
    EXPECT_EQ(reader.Close(), 0u);
    EXPECT_FALSE(reader.IsOpen());
}
