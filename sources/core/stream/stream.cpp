#include "core/stream/stream.h"

#include "core/system/log.h"

#include <cerrno>
#include <climits>
#include <cstring>

TStream::~TStream() = default;

i32 TStream::WriteText(const char* text)
{
    return Write(text, static_cast<i32>(std::strlen(text)));
}

u32 TStream::SetSize(i32)
{
    return static_cast<u32>(-1);
}

void TStream::SetBuffer(i32, void*) {}

void TStream::Flush() {}

i32 TStream::CopyTo(TStream* source, TStream* destination)
{
    u8 buffer[1024];
    i32 total = 0;
    for (i32 read; (read = source->Read(buffer, sizeof buffer)) > 0;)
        total += destination->Write(buffer, read);
    return total;
}

void LogWinError(const char* operation)
{
    const int error = errno;
    if (error == 0)
        return;
    TLog::Print(g_pSystemLog, LOG_ERROR, "LogWinError(): error: ", "%d: %s: %s", error, operation,
                std::strerror(error));
}

i32 TStream::ReadMemory(const u8* data, i32 size, i32& position, void* buffer, i32 count)
{
    const i32 left = size - position;
    if (count > left)
        count = left;
    if (count <= 0)
        return 0;
    std::memcpy(buffer, data + position, count);
    position += count;
    return count;
}

u32 TStream::SeekMemory(i32& position, i32 size, i32 offset, u32 origin)
{
    i64 target = offset;
    if (origin == STREAM_SEEK_CUR)
        target += position;
    else if (origin == STREAM_SEEK_END)
        target += size;
    if (target < 0 || target > INT_MAX)
        return 1;
    position = static_cast<i32>(target);
    return 0;
}
