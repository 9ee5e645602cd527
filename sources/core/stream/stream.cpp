#include "core/stream/stream.h"

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
