#pragma once
// TFindFile: a folder search with a UTF-16 pattern ("folder/*.icom"): "*" and "?" match any
// text and any one character, ASCII letters match either case, and a pattern ending in ".*"
// also matches names without a dot. "." and ".." are never listed.
#include "core/system/types.h"

constexpr i32 FIND_NAME_SIZE = 260;

// Attribute bits of an entry (the C run time's, the same as the engine's file attributes).
constexpr u32 FILE_ATTRIBUTE_BIT_READONLY = 0x01;
constexpr u32 FILE_ATTRIBUTE_BIT_HIDDEN = 0x02;
constexpr u32 FILE_ATTRIBUTE_BIT_SYSTEM = 0x04;
constexpr u32 FILE_ATTRIBUTE_BIT_DIRECTORY = 0x10;
constexpr u32 FILE_ATTRIBUTE_BIT_ARCHIVE = 0x20;
constexpr u32 FILE_ATTRIBUTE_MISSING = 0xFFFFFFFF;

class TFindFile
{
public:
    TFindFile()
        : m_pDirectory(nullptr), m_nSize(0), m_nAttributes(0), m_bNamesOnly(false), m_aName(), m_aPattern(),
          m_aFolder()
    {
    }
    ~TFindFile() { Close(); }
    TFindFile(const TFindFile&) = delete;
    TFindFile& operator=(const TFindFile&) = delete;

    // Closes a previous search; 0 when a first entry is available, 1 when nothing matches.
    // With namesOnly the entries are not looked at (size and attributes 0; links not followed,
    // so a dangling one is listed too): a scan that opens what it finds anyway.
    u32 First(const char16_t* pattern, bool namesOnly = false);
    // 0 with the next entry; 1 at the end (the search is then closed).
    u32 Next();
    void Close();

    // The current entry: its name without folder, size and attribute bits.
    const char16_t* GetName() const { return m_aName; }
    u32 GetSize() const { return m_nSize; }
    u32 GetAttributes() const { return m_nAttributes; }
    bool IsDirectory() const { return (m_nAttributes & FILE_ATTRIBUTE_BIT_DIRECTORY) != 0; }

private:
    void* m_pDirectory;
    u32 m_nSize;
    u32 m_nAttributes;
    bool m_bNamesOnly;
    char16_t m_aName[FIND_NAME_SIZE];
    char m_aPattern[FIND_NAME_SIZE * 3];
    char m_aFolder[FIND_NAME_SIZE * 3];
};

// The attribute bits of a file as the engine sees them (read-only: no write permission for
// its owner; hidden: a name beginning with "."); FILE_ATTRIBUTE_MISSING when it does not exist.
u32 FileAttributeBits(const char* utf8Path);
// Whether a name matches a search pattern (both UTF-8).
bool FindPatternMatches(const char* pattern, const char* name);
