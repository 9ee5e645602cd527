#include "player/savedgameimage.h"

#include <algorithm>
#include <cstring>

u32 TSavedGameImage::Open(TStream& source, u32 size)
{
    Close();
    m_Name = source.GetName();
    m_nMode = STREAM_READ;
    m_nSize = static_cast<i32>(size);
    m_nPosition = m_nInflated = m_nAheadNext = m_nAheadEnd = 0;
    m_bStopped = false;
    m_nWhole = -1;
    if (m_aAhead.GetCapacity() < SAVED_GAME_READ_AHEAD && !m_aAhead.TrySetCapacity(SAVED_GAME_READ_AHEAD))
        return 0;
    return m_Pipe.Open(&source, COMPRESSED_PIPE_READ);
}

u32 TSavedGameImage::Open(const TName&, u32)
{
    return 0;
}

u32 TSavedGameImage::Close()
{
    return m_Pipe.Close();
}

bool TSavedGameImage::IsOpen()
{
    return m_Pipe.IsOpen();
}

i32 TSavedGameImage::Read(void* buffer, i32 size)
{
    if (size <= 0 || !IsOpen())
        return 0;
    u8* out = static_cast<u8*>(buffer);
    i32 done = std::min(size, m_nAheadEnd - m_nAheadNext);
    std::memcpy(out, m_aAhead.GetData() + m_nAheadNext, done);
    m_nAheadNext += done;
    if (done < size && size - done >= SAVED_GAME_READ_AHEAD)
        done += Inflate(out + done, size - done);
    else if (done < size)
    {
        m_nAheadEnd = Inflate(m_aAhead.GetData(), SAVED_GAME_READ_AHEAD);
        m_nAheadNext = std::min(size - done, m_nAheadEnd);
        std::memcpy(out + done, m_aAhead.GetData(), m_nAheadNext);
        done += m_nAheadNext;
    }
    m_nPosition += done;
    return done;
}

i32 TSavedGameImage::Write(const void*, i32)
{
    return 0;
}

u32 TSavedGameImage::Seek(i32 offset, u32 origin)
{
    i64 target = offset;
    if (origin == STREAM_SEEK_CUR)
        target += m_nPosition;
    else if (origin == STREAM_SEEK_END)
        target += m_nSize;
    return target == m_nPosition ? 0 : 1;
}

bool TSavedGameImage::ReadToEnd()
{
    if (m_nWhole < 0)
    {
        while (!m_bStopped && m_nInflated < m_nSize)
            Inflate(m_aAhead.GetData(), SAVED_GAME_READ_AHEAD);
        m_nPosition = m_nInflated;
        m_nAheadNext = m_nAheadEnd = 0;
        u8 beyond;
        m_nWhole = !m_bStopped && m_nInflated == m_nSize && m_Pipe.Read(&beyond, 1) == 0 && m_Pipe.IsFinished();
    }
    return m_nWhole != 0;
}

i32 TSavedGameImage::Inflate(void* buffer, i32 count)
{
    const i32 wanted = std::min(count, m_nSize - m_nInflated);
    if (m_bStopped || wanted <= 0)
        return 0;
    const i32 got = m_Pipe.Read(buffer, wanted);
    m_bStopped = got < wanted;
    m_nInflated += got;
    return got;
}
