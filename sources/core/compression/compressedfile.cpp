#include "core/compression/compressedfile.h"

#include "core/stream/filestream.h"
#include "core/system/log.h"
#include "core/system/platform.h"
#include "core/system/string.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace
{
constexpr i32 kCompressInput = 1000000;
constexpr i32 kCompressOutput = 2000000;
// Large sequential reads: the page cache reads ahead, and inflate is the slower side.
constexpr i32 kReadChunk = 1 << 20;
// Deflate never packs more than 1,032 bytes into one (RFC 1951 stored-length limits).
constexpr u64 kMaxInflateRatio = 1032;
constexpr i32 kPathRoom = 1024;

// The path as the file system takes it: "\" becomes "/".
void SystemPath(char (&out)[kPathRoom], const char* path)
{
    FormatStringN(out, kPathRoom, "%s", path);
    ToSystemPath(out);
}

// Reads until size bytes arrived or the file ends; -1 on an error.
i32 ReadFully(int fd, u8* buffer, i32 size)
{
    i32 done = 0;
    while (done < size)
    {
        const ssize_t got = read(fd, buffer + done, size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<i32>(got);
    }
    return done;
}

// One read of ReadCompressedFile: the open file, its size and how much of it was read.
struct TFileReader
{
    int fd;
    i32 size;
    i32 done;
    std::atomic<f32>* progress;

    // Reads the next piece of at most room bytes; -1 on an error.
    i32 Next(u8* buffer, i32 room)
    {
        const i32 left = size - done;
        const i32 got = ReadFully(fd, buffer, left < room ? left : room);
        if (got > 0)
            done += got;
        if (progress && size > 0)
            *progress = static_cast<f32>(done) / static_cast<f32>(size);
        return got;
    }
};

const char* const kReadError = "ReadCompressedFile(): error: ";

u32 ReadPlain(TFileReader& reader, const char* path, const u8* first, i32 firstSize, DArray<u8>& output)
{
    if (!output.TrySetCapacity(reader.size))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kReadError, "no memory for the %d bytes of '%s'", reader.size,
                    path);
        return COMPRESS_OUT_OF_MEMORY;
    }
    output.SetCount(reader.size);
    if (firstSize > 0)
        std::memcpy(output.GetData(), first, firstSize);
    i32 at = firstSize;
    while (at < reader.size)
    {
        const i32 left = reader.size - at;
        const i32 got = reader.Next(output.GetData() + at, left < kReadChunk ? left : kReadChunk);
        if (got <= 0)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kReadError, "unable to read '%s' (%d of %d bytes read)",
                        path, at, reader.size);
            return COMPRESS_SOURCE_FAILED;
        }
        at += got;
    }
    return COMPRESS_DONE;
}

u32 ReadInflated(TFileReader& reader, const char* path, u8* chunk, i32 chunkSize, DArray<u8>& output)
{
    TCompressedHeader header;
    if (chunkSize < static_cast<i32>(sizeof header))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kReadError, "'%s' is too short for its header (%d bytes)", path,
                    reader.size);
        return COMPRESS_BAD_DATA;
    }
    std::memcpy(&header, chunk, sizeof header);
    const u64 bound = static_cast<u64>(reader.size - sizeof header) * kMaxInflateRatio;
    if (header.size > static_cast<u32>(INT_MAX) || header.size > bound)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kReadError, "'%s' announces %u bytes from %d compressed bytes",
                    path, header.size, reader.size - static_cast<i32>(sizeof header));
        return COMPRESS_BAD_DATA;
    }
    const i32 size = static_cast<i32>(header.size);
    if (!output.TrySetCapacity(size))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kReadError, "no memory for the %d bytes of '%s'", size, path);
        return COMPRESS_OUT_OF_MEMORY;
    }
    output.SetCount(size);

    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    if (inflateInit(&zs) != Z_OK)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kReadError, "unable to start inflate for '%s'", path);
        return COMPRESS_OUT_OF_MEMORY;
    }
    u8 noRoom;
    zs.next_out = size > 0 ? output.GetData() : &noRoom;
    zs.avail_out = static_cast<uInt>(size);
    zs.next_in = chunk + sizeof header;
    zs.avail_in = static_cast<uInt>(chunkSize - sizeof header);

    const char* fault = nullptr;
    for (;;)
    {
        if (zs.avail_in == 0)
        {
            const i32 got = reader.Next(chunk, kReadChunk);
            if (got < 0)
            {
                fault = "read failed";
                break;
            }
            if (got == 0)
            {
                fault = "the compressed stream is truncated";
                break;
            }
            zs.next_in = chunk;
            zs.avail_in = static_cast<uInt>(got);
        }
        // A full output with input left is reported by the next call (Z_BUF_ERROR or the end).
        const int result = inflate(&zs, Z_NO_FLUSH);
        if (result == Z_STREAM_END)
        {
            if (zs.avail_in != 0 || reader.done != reader.size)
                fault = "bytes follow the end of the compressed stream";
            else if (zs.total_out != header.size)
                fault = "the stream inflates to fewer bytes than its header announces";
            break;
        }
        if (result == Z_BUF_ERROR && zs.avail_out == 0)
        {
            fault = "the stream inflates to more bytes than its header announces";
            break;
        }
        if (result != Z_OK && result != Z_BUF_ERROR)
        {
            fault = zs.msg ? zs.msg : "inflate failed";
            break;
        }
    }
    inflateEnd(&zs);
    if (!fault)
        return COMPRESS_DONE;
    TLog::Print(g_pSystemLog, LOG_ERROR, kReadError, "'%s': %s", path, fault);
    return COMPRESS_BAD_DATA;
}
} // namespace

u32 CompressFile(const char* sourcePath, const char* destinationPath)
{
    const char* errorPrefix = "CompressFile(): error: ";
    TFileStream source;
    if (source.Open(TName(sourcePath, true), STREAM_READ) != 1)
        return COMPRESS_SOURCE_FAILED;
    const i32 size = source.GetSize();

    char temporary[kPathRoom];
    FormatStringN(temporary, kPathRoom, "%s.tmp", destinationPath);
    TFileStream destination;
    if (destination.Open(TName(temporary, true), STREAM_WRITE) != 1)
        return COMPRESS_DESTINATION_FAILED;
    // Unbuffered: a failed write shows in Write's count, not in a close nobody checks.
    destination.SetBuffer(0, nullptr);

    DArray<u8> input;
    DArray<u8> output;
    input.SetCapacity(kCompressInput);
    output.SetCapacity(kCompressOutput);

    const TCompressedHeader header = {COMPRESSED_MAGIC, static_cast<u32>(size), 1, {0, 0, 0}, 0};
    bool failed = destination.Write(&header, sizeof header) != static_cast<i32>(sizeof header);

    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    if (!failed && deflateInit(&zs, 9) != Z_OK)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, errorPrefix, "unable to start deflate");
        failed = true;
    }
    else if (!failed)
    {
        i32 remaining = size;
        int result = Z_OK;
        do
        {
            const i32 piece = remaining < kCompressInput ? remaining : kCompressInput;
            if (source.Read(input.GetData(), piece) != piece)
            {
                failed = true;
                break;
            }
            remaining -= piece;
            const int flush = remaining == 0 ? Z_FINISH : Z_NO_FLUSH;
            zs.next_in = input.GetData();
            zs.avail_in = static_cast<uInt>(piece);
            do
            {
                zs.next_out = output.GetData();
                zs.avail_out = kCompressOutput;
                result = deflate(&zs, flush);
                const i32 produced = kCompressOutput - static_cast<i32>(zs.avail_out);
                if (result == Z_STREAM_ERROR || destination.Write(output.GetData(), produced) != produced)
                {
                    failed = true;
                    break;
                }
            } while (zs.avail_out == 0);
        } while (!failed && remaining > 0);
        if (!failed && result != Z_STREAM_END)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, errorPrefix, "deflate did not finish (%d)", result);
            failed = true;
        }
        deflateEnd(&zs);
    }
    source.Close();
    destination.Close();

    char from[kPathRoom];
    char to[kPathRoom];
    SystemPath(from, temporary);
    SystemPath(to, destinationPath);
    if (!failed && std::rename(from, to) != 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, errorPrefix, "unable to replace '%s': %s", destinationPath,
                    std::strerror(errno));
        failed = true;
    }
    if (!failed)
        return COMPRESS_DONE;
    TLog::Print(g_pSystemLog, LOG_ERROR, errorPrefix, "'%s' was not compressed into '%s'", sourcePath,
                destinationPath);
    unlink(from);
    return COMPRESS_BAD_DATA;
}

u32 ReadCompressedFile(const char* path, DArray<u8>& output, std::atomic<f32>* progress)
{
    output.Free();
    char systemPath[kPathRoom];
    SystemPath(systemPath, path);
    const int fd = open(systemPath, O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0 || info.st_size > INT_MAX)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kReadError, "unable to open '%s': %s", path,
                    std::strerror(fd < 0 ? errno : EFBIG));
        if (fd >= 0)
            close(fd);
        return COMPRESS_SOURCE_FAILED;
    }
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    TFileReader reader = {fd, static_cast<i32>(info.st_size), 0, progress};

    DArray<u8> chunk;
    chunk.SetCapacity(kReadChunk);
    u32 result = COMPRESS_SOURCE_FAILED;
    const i32 first = reader.Next(chunk.GetData(), kReadChunk);
    if (first < 0)
        TLog::Print(g_pSystemLog, LOG_ERROR, kReadError, "unable to read '%s': %s", path,
                    std::strerror(errno));
    else if (first >= 4 && std::memcmp(chunk.GetData(), &COMPRESSED_MAGIC, 4) == 0)
        result = ReadInflated(reader, path, chunk.GetData(), first, output);
    else
        result = ReadPlain(reader, path, chunk.GetData(), first, output);
    close(fd);
    if (result != COMPRESS_DONE)
        output.Free();
    return result;
}

i32 InflateBuffer(const void* source, u32 sourceSize, void* destination, u32* destinationSize)
{
    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    int result = inflateInit(&zs);
    if (result != Z_OK)
        return result;
    zs.next_in = static_cast<Bytef*>(const_cast<void*>(source));
    zs.avail_in = sourceSize;
    zs.next_out = static_cast<Bytef*>(destination);
    zs.avail_out = *destinationSize;
    result = inflate(&zs, Z_FINISH);
    *destinationSize = static_cast<u32>(zs.total_out);
    inflateEnd(&zs);
    return result;
}
