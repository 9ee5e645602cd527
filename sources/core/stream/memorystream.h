#pragma once
// TMemoryStream: a stream over a growing memory buffer, or over a buffer lent by the caller
// (Attach) that it never frees; writing past the end of a lent buffer moves the content into
// an owned one. Always open; no mode checks.
#include "core/stream/stream.h"
#include "core/system/templates/darray.h"

class TMemoryStream : public TStream
{
public:
    TMemoryStream() : m_nPosition(0) {}
    ~TMemoryStream() override = default;

    // Reads and writes (mode 3) over size bytes of the caller's data from position 0.
    void Attach(void* data, i32 size);

    // Both store nothing but the name and mode, and empty the stream. Return 0.
    u32 Open(const TName& name, u32 mode) override;
    u32 Close() override;
    bool IsOpen() override { return true; }
    // Copies max(0, min(size, stream size - position)) bytes.
    i32 Read(void* buffer, i32 size) override;
    // A position past the end zero-fills the gap first.
    i32 Write(const void* data, i32 size) override;
    // 0 moved; 1 when the new position would be negative (the position stays).
    u32 Seek(i32 offset, u32 origin) override;
    i32 GetPosition() override { return m_nPosition; }
    i32 GetSize() override { return m_aBuffer.GetCount(); }
    u32 SetSize(i32 size) override;

    u8* GetData() { return m_aBuffer.GetData(); }
    i32 GetCapacity() const { return m_aBuffer.GetCapacity(); }

private:
    i32 m_nPosition;
    DArray<u8> m_aBuffer;
};

static_assert(sizeof(TMemoryStream) == 28);
