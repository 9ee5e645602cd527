#include "core/system/directorylist.h"

#include "core/system/findfile.h"
#include "core/system/string.h"
#include "core/system/unistring.h"

#include <cstring>

TDirectoryList::TDirectoryList(const char* pattern) : m_nFound(0)
{
    Scan(pattern);
}

void TDirectoryList::Scan(const char* pattern)
{
    m_aEntry.Free();
    ScanFolder(pattern, pattern, "");
    m_nFound = m_aEntry.GetCount() > 0 ? 1 : 0;
}

void TDirectoryList::ScanFolder(const char* pattern, const char* wildcard, const char* prefix)
{
    char16_t wide[512];
    char name[512];
    TFindFile find;

    Utf8ToUtf16(wide, 512, wildcard);
    for (u32 more = find.First(wide); more == 0; more = find.Next())
    {
        if (find.IsDirectory())
            continue;
        TDirectoryEntry entry = {};
        Utf16ToUtf8(name, sizeof name, find.GetName());
        FormatStringN(entry.path, sizeof entry.path, "%s%s", prefix, name);
        entry.size = find.GetSize();
        entry.attributes = find.GetAttributes();
        m_aEntry.Add(entry);
    }

    char folders[512];
    FormatString512(folders, "%s*.*", prefix);
    Utf8ToUtf16(wide, 512, folders);
    for (u32 more = find.First(wide); more == 0; more = find.Next())
    {
        if (!find.IsDirectory())
            continue;
        Utf16ToUtf8(name, sizeof name, find.GetName());
        // Paths longer than an entry's 260 characters end the descent (and a folder linked
        // into itself with it).
        if (std::strlen(prefix) + std::strlen(name) + 1 >= sizeof(TDirectoryEntry::path))
            continue;
        char subSpec[512];
        char subPrefix[512];
        FormatString512(subSpec, "%s%s/%s", prefix, name, pattern);
        FormatString512(subPrefix, "%s%s/", prefix, name);
        ScanFolder(pattern, subSpec, subPrefix);
    }
}
