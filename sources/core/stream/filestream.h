#pragma once
// TFileStream: a buffered disk file over the C run time. Paths may use "\" or "/".
#include "core/stream/stream.h"

#include <cstdio>

class TFileStream : public TStream
{
public:
    TFileStream() : m_pFile(nullptr) {}
    ~TFileStream() override;

    // 1 opened, 0 failed, 2 the folders of the path cannot be created.
    u32 Open(const TName& name, u32 mode) override;
    // The same for a UTF-16 name (player files): the stream's name is the UTF-8 form of the
    // name alone, not of the whole path.
    u32 OpenWide(const char16_t* name, u32 mode);
    // 1 when not open, else 0.
    u32 Close() override;
    bool IsOpen() override { return m_pFile != nullptr; }
    i32 Read(void* buffer, i32 size) override;
    i32 WriteText(const char* text) override;
    i32 Write(const void* data, i32 size) override;
    // 0 moved, 1 failed (logged) or not open.
    u32 Seek(i32 offset, u32 origin) override;
    i32 GetPosition() override;
    i32 GetSize() override;
    u32 SetSize(i32 size) override;
    void SetBuffer(i32 size, void* buffer) override;
    void Flush() override;

private:
    u32 OpenPath(const char* path, u32 mode, const TName& name, const char* shownName);

    std::FILE* m_pFile;
};

static_assert(sizeof(TFileStream) == 16);
