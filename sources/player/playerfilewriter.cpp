#include "player/playerfilewriter.h"

#include "core/system/platform.h"
#include "core/system/string.h"

bool TPlayerFileWriter::Open(const TPlayerPath& path)
{
    Discard();
    if (!path.IsValid())
        return false;
    FormatStringW(m_aPath, u"%s", path.GetText());
    FormatStringW(m_aTemporary, u"%s.tmp", path.GetText());
    if (m_Stream.OpenWide(m_aTemporary, STREAM_WRITE | STREAM_CREATE_PATH) == 1)
        return true;
    m_aTemporary[0] = 0;
    return false;
}

bool TPlayerFileWriter::Commit()
{
    if (!m_Stream.IsOpen())
        return false;
    // Written bytes that the C library still buffers fail only when the file is closed, and
    // closing reports nothing: the size on disk tells.
    const i32 size = m_Stream.GetPosition();
    m_Stream.Close();
    TFileStream written;
    const bool whole = written.OpenWide(m_aTemporary, STREAM_READ) == 1 && written.GetSize() == size;
    written.Close();
    if (!whole || __FileMove(m_aTemporary, m_aPath) != 0)
    {
        Discard();
        return false;
    }
    m_aTemporary[0] = 0;
    return true;
}

void TPlayerFileWriter::Discard()
{
    m_Stream.Close();
    if (m_aTemporary[0])
        __FileDelete(m_aTemporary);
    m_aTemporary[0] = 0;
}
