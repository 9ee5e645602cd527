// Hostile compressed data: ReadCompressedFile and InflateBuffer on arbitrary bytes, and the
// compressed pipe reading them and carrying them through a round trip. The first byte picks
// the target; the file targets also get a valid header in front so that inflate is reached.
#include "core/compression/compressedfile.h"
#include "core/compression/compressedpipe.h"
#include "core/stream/memorystream.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "core/system/platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
std::string s_Path;
TLog* s_pBootstrapLog; // kept reachable: the bootstrap's log lives until the process ends

void ReadAsFile(const u8* data, size_t size, bool withHeader)
{
    std::FILE* file = std::fopen(s_Path.c_str(), "wb");
    if (!file)
        std::abort();
    if (withHeader && size >= 3)
    {
        // The announced size from two bytes, so that it is often near the truth.
        const u32 announced = (static_cast<u32>(data[0]) << 8 | data[1]) * (data[2] % 16 + 1);
        const TCompressedHeader header = {COMPRESSED_MAGIC, announced, 1, {0, 0, 0}, 0};
        std::fwrite(&header, sizeof header, 1, file);
        data += 3;
        size -= 3;
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    DArray<u8> output;
    std::atomic<f32> progress = 0.0f;
    const u32 result = ReadCompressedFile(s_Path.c_str(), output, &progress);
    std::remove(s_Path.c_str());
    // Success leaves exactly the output it owns; failure leaves none.
    if (result == COMPRESS_DONE ? output.GetCount() > output.GetCapacity() : output.GetCount() != 0)
        std::abort();
}

void Inflate(const u8* data, size_t size)
{
    static std::vector<u8> destination(1 << 20);
    u32 room = static_cast<u32>(destination.size());
    InflateBuffer(data, static_cast<u32>(size), destination.data(), &room);
    if (room > destination.size())
        std::abort();
}

void PipeRead(const u8* data, size_t size)
{
    TMemoryStream source;
    source.Attach(const_cast<u8*>(data), static_cast<i32>(size));
    TCompressedPipe pipe;
    if (pipe.Open(&source, COMPRESSED_PIPE_READ) != 1)
        std::abort();
    u8 buffer[70000];
    const i32 piece = size > 0 ? 1 + data[0] * 271 : 1;
    // Every read either produces bytes or ends the stream, so this loop is bounded by the
    // output zlib can make of the input.
    for (i32 total = 0; total < (64 << 20);)
    {
        const i32 got = pipe.Read(buffer, piece);
        if (got < 0 || got > piece)
            std::abort();
        if (got == 0)
            break;
        total += got;
    }
    pipe.Close();
}

void PipeRoundTrip(const u8* data, size_t size)
{
    TMemoryStream packed;
    TCompressedPipe pipe;
    pipe.Open(&packed, COMPRESSED_PIPE_WRITE);
    // Two pieces; an empty write would finish the stream, so none is made.
    const size_t half = size / 2;
    if ((half > 0 && pipe.Write(data, static_cast<i32>(half)) != static_cast<i32>(half)) ||
        (size > half &&
         pipe.Write(data + half, static_cast<i32>(size - half)) != static_cast<i32>(size - half)) ||
        pipe.Close() != 0)
        std::abort();
    packed.Seek(0, STREAM_SEEK_SET);
    pipe.Open(&packed, COMPRESSED_PIPE_READ);
    std::vector<u8> back(size + 1);
    const i32 got = pipe.Read(back.data(), static_cast<i32>(back.size()));
    if (got != static_cast<i32>(size) || std::memcmp(back.data(), data, size) != 0)
        std::abort();
    pipe.Close();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Lines of damaged inputs would pile up in memory while no log file is open.
    s_pBootstrapLog = g_pSystemLog;
    g_pSystemLog = MemoryNew<TLog>("fuzz.log", "Fuzz", "Fuzz log", LOG_DISABLED);
    // The engine's temp folder (TMPDIR honoured); the file is removed after each input.
    s_Path = std::string(GetTempFolder()) + "vestamor_fuzz_" + std::to_string(getpid()) + ".bin";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    if (size == 0)
        return 0;
    const u8 target = data[0] % 5;
    ++data;
    --size;
    switch (target)
    {
    case 0:
        ReadAsFile(data, size, false);
        break;
    case 1:
        ReadAsFile(data, size, true);
        break;
    case 2:
        Inflate(data, size);
        break;
    case 3:
        PipeRead(data, size);
        break;
    default:
        PipeRoundTrip(data, size);
        break;
    }
    return 0;
}
