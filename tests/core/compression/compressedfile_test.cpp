// The compressed-file format: round trips over several read chunks, plain files, and damaged,
// short or lying files refused with an error and a log line.
#include "core/compression/compressedfile.h"

#include "../system/testdirectory.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <zlib.h>

namespace
{
// Compressible but not trivial: words drawn by a small generator.
std::string SampleText(size_t size)
{
    static const char* const kWords[] = {"apron ", "gate ", "tug ", "fuel ", "stairs ", "bus ", "\n"};
    std::string text;
    u32 state = 12345;
    while (text.size() < size)
    {
        state = state * 1103515245u + 12345u;
        text += kWords[(state >> 16) % 7];
    }
    text.resize(size);
    return text;
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

std::string Deflate(const std::string& data)
{
    uLongf size = compressBound(data.size());
    std::string out(size, 0);
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
              data.size(), 9);
    out.resize(size);
    return out;
}

std::string Header(u32 size)
{
    const TCompressedHeader header = {COMPRESSED_MAGIC, size, 1, {0, 0, 0}, 0};
    return std::string(reinterpret_cast<const char*>(&header), sizeof header);
}

std::string Content(const DArray<u8>& array)
{
    return std::string(reinterpret_cast<const char*>(array.GetData()), array.GetCount());
}
} // namespace

TEST(CompressedFile, RoundTripOverSeveralChunksAndDamagedFilesAreRefused)
{
    TTestDirectory directory;
    const std::string source = directory.Path() + "/source.bin";
    const std::string packed = directory.Path() + "/packed.bin";
    const std::string text = SampleText(3500000);
    WriteFile(source, text);

    ASSERT_EQ(CompressFile(source.c_str(), packed.c_str()), COMPRESS_DONE);
    EXPECT_FALSE(std::filesystem::exists(packed + ".tmp"));
    const std::string file = directory.ReadFile("packed.bin");
    ASSERT_GE(file.size(), 16u);
    EXPECT_EQ(file.substr(0, 16), Header(3500000));
    // Several read chunks of the reader: the compressed body must exceed one.
    std::string random(2500000, 0);
    u32 state = 99;
    for (char& c : random)
        c = static_cast<char>((state = state * 1664525u + 1013904223u) >> 24);
    WriteFile(source, text + random);
    ASSERT_EQ(CompressFile(source.c_str(), packed.c_str()), COMPRESS_DONE);
    EXPECT_GT(std::filesystem::file_size(packed), 1u << 21);

    DArray<u8> output;
    std::atomic<f32> progress = 0.0f;
    ASSERT_EQ(ReadCompressedFile(packed.c_str(), output, &progress), COMPRESS_DONE);
    EXPECT_EQ(Content(output), text + random);
    EXPECT_FLOAT_EQ(progress.load(), 1.0f);

    // Damaged, short or lying files are refused with a log line.
    const std::string body = Deflate(SampleText(300000));
    struct
    {
        const char* name;
        std::string content;
        const char* logged;
    } cases[] = {
        {"short-header", Header(10).substr(0, 12), "too short for its header"},
        {"more-announced", Header(300001) + body, "fewer bytes than its header announces"},
        {"fewer-announced", Header(299999) + body, "more bytes than its header announces"},
        {"truncated", Header(300000) + body.substr(0, body.size() / 2), "truncated"},
        {"trailing", Header(300000) + body + std::string(1500000, 'x'), "bytes follow the end"},
        {"corrupt", Header(300000) + body.substr(0, 40) + std::string(200, '\x55') + body.substr(240), "'"},
        {"absurd-size", Header(0x7FFFFFF0) + body.substr(0, 100), "announces 2147483632 bytes"},
    };
    for (const auto& c : cases)
    {
        const std::string path = directory.Path() + "/" + c.name;
        WriteFile(path, c.content);
        DArray<u8> output;
        output.SetCount(5);
        EXPECT_EQ(ReadCompressedFile(path.c_str(), output, nullptr), COMPRESS_BAD_DATA) << c.name;
        EXPECT_EQ(output.GetCount(), 0) << c.name;
        const std::string log = directory.ReadFile("system.log");
        EXPECT_NE(log.find("ReadCompressedFile(): error: '" + path), std::string::npos) << c.name << log;
        EXPECT_NE(log.find(c.logged), std::string::npos) << c.name;
    }
    EXPECT_EQ(ReadCompressedFile((directory.Path() + "/missing").c_str(), output, nullptr),
              COMPRESS_SOURCE_FAILED);
}

TEST(CompressedFile, PlainAndEmptyFilesComeBackUnchangedAndAFailedCompressionKeepsTheDestination)
{
    TTestDirectory directory;
    const std::string destination = directory.Path() + "/keep.z";
    WriteFile(destination, "precious");
    EXPECT_EQ(CompressFile((directory.Path() + "/missing").c_str(), destination.c_str()),
              COMPRESS_SOURCE_FAILED);
    // A source that opens but cannot be read (a folder) fails after the destination was begun.
    EXPECT_EQ(CompressFile(directory.Path().c_str(), destination.c_str()), COMPRESS_BAD_DATA);
    EXPECT_EQ(directory.ReadFile("keep.z"), "precious");
    EXPECT_FALSE(std::filesystem::exists(destination + ".tmp"));
    WriteFile(directory.Path() + "/source", "data");
    EXPECT_EQ(
        CompressFile((directory.Path() + "/source").c_str(), (directory.Path() + "/no/such/folder").c_str()),
        COMPRESS_DESTINATION_FAILED);
    const std::string text = SampleText(2200000) + "IND";
    WriteFile(directory.Path() + "/plain.txt", text);
    WriteFile(directory.Path() + "/short", "IN");
    WriteFile(directory.Path() + "/empty", "");
    ASSERT_EQ(CompressFile((directory.Path() + "/empty").c_str(), (directory.Path() + "/empty.z").c_str()),
              COMPRESS_DONE);
    // "\" is accepted; an empty file is plain data of size 0, an empty source makes an empty stream.
    for (const auto& [name, content] : std::vector<std::pair<std::string, std::string>>{
             {"\\plain.txt", text}, {"/short", "IN"}, {"/empty", ""}, {"/empty.z", ""}})
    {
        DArray<u8> output;
        ASSERT_EQ(ReadCompressedFile((directory.Path() + name).c_str(), output, nullptr), COMPRESS_DONE) << name;
        EXPECT_EQ(Content(output), content) << name;
    }
}

// A disk that takes only part of the compressed bytes (here a file-size limit, in a child
// process) must fail the compression and keep the old destination.
TEST(CompressedFileDeathTest, AShortWriteFailsAndKeepsTheDestination)
{
    TTestDirectory directory;
    const std::string source = directory.Path() + "/noise";
    const std::string destination = directory.Path() + "/keep.z";
    std::string noise(64 * 1024, 0);
    u32 state = 7;
    for (char& c : noise)
    {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    WriteFile(source, noise);
    WriteFile(destination, "precious");
    EXPECT_EXIT(
        {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit;
            limit.rlim_cur = limit.rlim_max = 4096;
            setrlimit(RLIMIT_FSIZE, &limit);
            std::_Exit(CompressFile(source.c_str(), destination.c_str()) == COMPRESS_DONE ? 2 : 0);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(directory.ReadFile("keep.z"), "precious");
    EXPECT_FALSE(std::filesystem::exists(destination + ".tmp"));
}
