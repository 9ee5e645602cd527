#include "core/stream/stream.h"

#include "core/system/log.h"

#include <cerrno>
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
