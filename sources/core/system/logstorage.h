#pragma once
// TLogStorage: a log's file and the lines waiting for it. A file is pending (lines kept in
// memory), open (lines written and flushed one by one) or failed (lines dropped).
#include "core/stream/filestream.h"
#include "core/system/name.h"
#include "core/system/templates/darray.h"

class TLog;

// Reserved on first use: pending line starts and characters.
constexpr i32 LOG_PENDING_LINES = 512;
constexpr i32 LOG_PENDING_CHARACTERS = 131072;

class TLogStorage
{
public:
    TLogStorage(TLog* owner, const char* fileName, const char* category, const char* description);
    ~TLogStorage();

    // Decorates the text and writes it, or keeps it until the file can open.
    void WriteLine(const char* text, i32 level);
    // Opens the file when the file system is unlocked and the user directory known; otherwise
    // remembers to open it at the next line.
    void Open(const TName& fileName);
    // Opens a pending file once the file system is unlocked and the user directory known.
    void OpenWhenReady();

    bool IsFailed() const { return m_nFailed != 0; }
    bool IsPending() const { return m_nPendingOpen != 0; }
    i32 GetPendingCount() const { return m_aLineStart.GetCount(); }
    const TName& GetFileName() const { return m_FileName; }

private:
    void KeepLine(const char* line);
    void ReleasePending();

    u32 m_nFailed;
    u32 m_nPendingOpen;
    TName m_Category;
    TName m_Description;
    TName m_FileName;
    TFileStream m_File;
    // Offsets of the pending lines in m_aLines (which moves when it grows).
    DArray<i32> m_aLineStart;
    DArray<char> m_aLines;
    TLog* m_pOwner;
    u32 m_nOpening;
};
