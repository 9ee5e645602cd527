#include "core/stream/memorystream.h"

#include "core/system/log.h"

#include <climits>
#include <cstring>

void TMemoryStream::Attach(void* data, i32 size)
{
    m_aBuffer.Attach(static_cast<u8*>(data), size);
    m_nPosition = 0;
    m_nMode = STREAM_READ | STREAM_WRITE;
}

u32 TMemoryStream::Open(const TName& name, u32 mode)
{
    m_Name = name;
    m_nMode = mode;
    m_nPosition = 0;
    m_aBuffer.Free();
    return 0;
}

u32 TMemoryStream::Close()
{
    m_nPosition = 0;
    m_aBuffer.Free();
    return 0;
}

i32 TMemoryStream::Read(void* buffer, i32 size)
{
    return ReadMemory(m_aBuffer.GetData(), m_aBuffer.GetCount(), m_nPosition, buffer, size);
}

i32 TMemoryStream::Write(const void* data, i32 size)
{
    if (size < 1)
        return 0;
    if (size > INT_MAX - m_nPosition)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TMemoryStream::Write(): error: ", "unable to write %d bytes at %d (stream too large)",
                    size, m_nPosition);
        return 0;
    }
    const i32 end = m_nPosition + size;
    const i32 oldSize = m_aBuffer.GetCount();
    if (end > oldSize)
    {
        if (end > m_aBuffer.GetCapacity())
        {
            const i64 capacity = 2 * static_cast<i64>(end) + 2;
            m_aBuffer.SetCapacity(capacity > INT_MAX ? end : static_cast<i32>(capacity));
        }
        m_aBuffer.SetCount(end);
        if (m_nPosition > oldSize)
            std::memset(m_aBuffer.GetData() + oldSize, 0, m_nPosition - oldSize);
    }
    std::memcpy(m_aBuffer.GetData() + m_nPosition, data, size);
    m_nPosition = end;
    return size;
}

u32 TMemoryStream::Seek(i32 offset, u32 origin)
{
    return SeekMemory(m_nPosition, m_aBuffer.GetCount(), offset, origin);
}

u32 TMemoryStream::SetSize(i32 size)
{
    if (size < 0)
        return 1;
    const i32 oldSize = m_aBuffer.GetCount();
    if (size > oldSize && size > m_aBuffer.GetCapacity())
        m_aBuffer.SetCapacity(size);
    m_aBuffer.SetCount(size);
    if (size > oldSize)
        std::memset(m_aBuffer.GetData() + oldSize, 0, size - oldSize);
    return 0;
}
