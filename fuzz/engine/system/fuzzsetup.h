#pragma once
// Shared by the command fuzz targets: the system log switched off (with the file system locked
// its lines would wait in memory for ever) and a read-only stream over the fuzz input.
#include "core/stream/stream.h"
#include "core/system/log.h"
#include "core/system/memory.h"

#include <cstring>

inline void QuietSystemLog()
{
    static bool s_bDone = false;
    if (s_bDone)
        return;
    s_bDone = true;
    g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", LOG_DISABLED);
}

class TFuzzStream : public TStream
{
public:
    TFuzzStream(const u8* data, size_t size) : m_pData(data), m_nSize(static_cast<i32>(size)), m_nPosition(0)
    {
        m_nMode = STREAM_READ;
    }
    u32 Open(const TName& name, u32 mode) override { return 0; }
    u32 Close() override { return 0; }
    bool IsOpen() override { return true; }
    i32 Read(void* buffer, i32 size) override
    {
        const i32 count = size < m_nSize - m_nPosition ? size : m_nSize - m_nPosition;
        if (count <= 0)
            return 0;
        std::memcpy(buffer, m_pData + m_nPosition, count);
        m_nPosition += count;
        return count;
    }
    i32 Write(const void* data, i32 size) override { return 0; }
    u32 Seek(i32 offset, u32 origin) override { return 1; }
    i32 GetPosition() override { return m_nPosition; }
    i32 GetSize() override { return m_nSize; }

private:
    const u8* m_pData;
    i32 m_nSize;
    i32 m_nPosition;
};
