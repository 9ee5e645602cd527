#pragma once
// TDirectoryList: every file matching a pattern below the working folder, depth first after
// each folder's own files, with paths relative to it ("sub/name.icom").
#include "core/system/templates/darray.h"

struct TDirectoryEntry
{
    char path[260];
    u32 size;       // bytes
    u32 attributes; // the C run time's attribute bits
};

static_assert(sizeof(TDirectoryEntry) == 268);

class TDirectoryList
{
public:
    explicit TDirectoryList(const char* pattern);

    // Empties the list and scans again; the found flag tells whether any file matched.
    void Scan(const char* pattern);

    i32 GetCount() const { return m_aEntry.GetCount(); }
    const TDirectoryEntry& operator[](i32 i) const { return m_aEntry[i]; }
    bool IsFound() const { return m_nFound != 0; }

private:
    void ScanFolder(const char* pattern, const char* wildcard, const char* prefix);

    DArray<TDirectoryEntry> m_aEntry;
    u32 m_nFound;
};
