#pragma once
// A growing in-memory stream for cluster images.
#include "core/stream/stream.h"

#include <algorithm>
#include <cstring>
#include <vector>

class TTestStream : public TStream
{
public:
    TTestStream() = default;
    explicit TTestStream(std::vector<u8> bytes) : m_Bytes(std::move(bytes)) {}

    u32 Open(const TName&, u32) override { return 1; }
    u32 Close() override { return 0; }
    bool IsOpen() override { return true; }
    i32 Read(void* buffer, i32 size) override
    {
        const i32 n = std::max(0, std::min<i32>(size, static_cast<i32>(m_Bytes.size()) - m_nPosition));
        if (n > 0)
            std::memcpy(buffer, m_Bytes.data() + m_nPosition, n);
        m_nPosition += n;
        return n;
    }
    i32 Write(const void* data, i32 size) override
    {
        if (m_nLimit >= 0 && m_nPosition + size > m_nLimit)
            return 0;
        if (m_nPosition + size > static_cast<i32>(m_Bytes.size()))
            m_Bytes.resize(m_nPosition + size);
        std::memcpy(m_Bytes.data() + m_nPosition, data, size);
        m_nPosition += size;
        return size;
    }
    u32 Seek(i32 offset, u32 origin) override
    {
        const i32 target = origin == STREAM_SEEK_SET   ? offset
                           : origin == STREAM_SEEK_CUR ? m_nPosition + offset
                                                       : static_cast<i32>(m_Bytes.size()) + offset;
        if (m_bForwardOnly && target != m_nPosition)
            return 1;
        m_nPosition = target;
        return 0;
    }
    i32 GetPosition() override { return m_nPosition; }
    i32 GetSize() override { return static_cast<i32>(m_Bytes.size()); }

    std::vector<u8>& Bytes() { return m_Bytes; }
    // Writes beyond this many bytes fail.
    void SetLimit(i32 limit) { m_nLimit = limit; }
    // Seeks away from the position are refused, as by a stream inflated while it is read.
    void SetForwardOnly(bool forwardOnly) { m_bForwardOnly = forwardOnly; }

private:
    std::vector<u8> m_Bytes;
    i32 m_nPosition = 0;
    i32 m_nLimit = -1;
    bool m_bForwardOnly = false;
};
