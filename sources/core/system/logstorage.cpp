#include "core/system/logstorage.h"

#include "core/stream/filestreammanager.h"
#include "core/system/core.h"
#include "core/system/log.h"
#include "core/system/string.h"
#include "core/system/timer.h"

#include <cstdio>
#include <cstring>

TLogStorage::TLogStorage(TLog* owner, const char* fileName, const char* category, const char* description)
    : m_nFailed(0), m_nPendingOpen(0), m_pOwner(owner), m_nOpening(0)
{
    m_Category.Set(category, true);
    m_Description.Set(description, true);
    Open(TName(fileName, true));
}

TLogStorage::~TLogStorage()
{
    ReleasePending();
    m_File.Close();
}

void TLogStorage::Open(const TName& fileName)
{
    if (FileSystemLocked() || !GetUserDirectory()->IsValid())
    {
        m_nPendingOpen = 1;
        m_FileName = fileName;
        return;
    }
    if (m_File.IsOpen() || m_nOpening)
        return;
    m_nOpening = 1;
    const u32 flags = m_pOwner->GetFlags();
    TName path = fileName;
    if (flags & LOG_USER_DIRECTORY)
        path.Set(StringFormat("%s/%s", GetUserDirectory()->GetText(), fileName.GetText()), true);
    const u32 mode =
        STREAM_CREATE_PATH | ((flags & LOG_APPEND) ? STREAM_WRITE | STREAM_APPEND : STREAM_WRITE);
    if (m_File.Open(path, mode) == 1)
    {
        if (flags & LOG_UNBUFFERED)
            m_File.SetBuffer(0, nullptr);
        for (i32 i = 0; i < m_aLineStart.GetCount(); ++i)
            m_File.WriteText(m_aLines.GetData() + m_aLineStart[i]);
        m_File.Flush();
        ReleasePending();
    }
    else
    {
        // The open's own error line would go to this very log: say it where the user sees it.
        m_nFailed = 1;
        std::fprintf(stderr, "TLogStorage::Open(): error: unable to write %s '%s': its lines are lost\n",
                     m_Description.GetText(), path.GetText());
        ReleasePending();
    }
    m_nOpening = 0;
}

void TLogStorage::OpenWhenReady()
{
    if (m_nPendingOpen && !FileSystemLocked() && GetUserDirectory()->IsValid())
    {
        m_nPendingOpen = 0;
        Open(m_FileName);
    }
}

void TLogStorage::WriteLine(const char* text, i32 level)
{
    if (m_nFailed)
        return;
    OpenWhenReady();
    if (m_nFailed)
        return;

    // Texts quoted from damaged files must not put raw bytes into a decorated line; raw logs
    // (the crash log's records) lay out their own lines.
    char line[LOG_LINE_SIZE];
    if (m_pOwner->GetFlags() & LOG_RAW)
        FormatString1024(line, "%s\n", text);
    else
    {
        char message[LOG_LINE_SIZE];
        EscapeUnprintable(message, LOG_LINE_SIZE, text);
        if (g_pTimer)
            FormatString1024(line, "%03d | %8.3f | %s\n", level, g_pTimer->GetTime(), message);
        else
            FormatString1024(line, "%03d |          | %s\n", level, message);
    }

    if (m_File.IsOpen())
    {
        m_File.WriteText(line);
        m_File.Flush();
    }
    else
        KeepLine(line);
}

void TLogStorage::KeepLine(const char* line)
{
    if (m_aLines.GetCapacity() == 0)
    {
        m_aLineStart.SetCapacity(LOG_PENDING_LINES);
        m_aLines.SetCapacity(LOG_PENDING_CHARACTERS);
    }
    const i32 start = m_aLines.GetCount();
    const i32 length = static_cast<i32>(std::strlen(line)) + 1;
    i32 capacity = m_aLines.GetCapacity();
    while (start + length > capacity)
        capacity = 2 * capacity + 1;
    m_aLines.SetCapacity(capacity);
    m_aLines.SetCount(start + length);
    std::memcpy(m_aLines.GetData() + start, line, length);
    m_aLineStart.Add(start);
}

void TLogStorage::ReleasePending()
{
    m_aLineStart.Free();
    m_aLines.Free();
}
