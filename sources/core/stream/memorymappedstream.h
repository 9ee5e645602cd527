#pragma once
// TMemoryMappedStream: a file, or an existing named shared-memory section ("Global\name" or
// "Local\name"), mapped whole into memory. Its size is the file's size; it cannot grow.
#include "core/stream/stream.h"

class TMemoryMappedStream : public TStream
{
public:
    TMemoryMappedStream() : m_hFile(-1), m_nMapped(0), m_nPosition(0), m_nSize(0), m_pView(nullptr) {}
    ~TMemoryMappedStream() override;

    // 0 mapped; 1 the file cannot be opened, 2 the section cannot be opened or mapped (an
    // empty file among them), 3 the view cannot be mapped. Failures are logged.
    u32 Open(const TName& name, u32 mode) override;
    // 1 when nothing is mapped, else 0.
    u32 Close() override;
    bool IsOpen() override { return m_pView != nullptr; }
    i32 Read(void* buffer, i32 size) override;
    // Writing past the end is fatal.
    i32 Write(const void* data, i32 size) override;
    // 0 moved; 1 when the new position would be negative.
    u32 Seek(i32 offset, u32 origin) override;
    i32 GetPosition() override { return m_nPosition; }
    i32 GetSize() override { return m_nSize; }

    // The view: valid while the stream is open.
    u8* GetData() { return m_pView; }

private:
    i32 m_hFile;
    u32 m_nMapped; // bytes of the mapping
    i32 m_nPosition;
    i32 m_nSize;
    u8* m_pView;
};

static_assert(sizeof(TMemoryMappedStream) == 32);
