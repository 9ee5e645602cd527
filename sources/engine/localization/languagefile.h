#pragma once
// TLanguageFile: one "ilng" language file read into memory and checked. The file is
// little-endian: the magic, the version (1000 or 1001), a head by version, the entries
// {name id, byte offset of the text} and a block of NUL-terminated 16-bit texts. Nothing in a
// file is trusted: a file whose counts and offsets do not fill it exactly, whose name or code
// lacks its end, or whose last text lacks its NUL is refused whole, never repaired; entries come
// out sorted by name id for the bisection.
#include "core/system/templates/darray.h"

constexpr u32 LANGUAGE_FILE_MAGIC = 0x676E6C69; // "ilng"
constexpr u32 LANGUAGE_FILE_VERSION_1000 = 1000;
constexpr u32 LANGUAGE_FILE_VERSION_1001 = 1001;
constexpr u32 LANGUAGE_NAME_SIZE = 32;
constexpr u32 LANGUAGE_CODE_SIZE = 8;
// Version 1000 takes the language code from this many letters of the name.
constexpr u32 LANGUAGE_CODE_LENGTH_1000 = 3;
// Heads after the magic and the version.
constexpr u32 LANGUAGE_HEAD_SIZE_1000 = 40;
constexpr u32 LANGUAGE_HEAD_SIZE_1001 = 80;
// Larger files are refused rather than read into memory.
constexpr u32 LANGUAGE_FILE_MAX_SIZE = 64 * 1024 * 1024;

// Load results.
constexpr u32 LANGUAGE_LOADED = 0;
constexpr u32 LANGUAGE_BAD_MAGIC = 1; // also: no free slot, or no file to read
constexpr u32 LANGUAGE_BAD_VERSION = 2;
constexpr u32 LANGUAGE_DAMAGED = 3;

// One text of a language. nText is, while in a TLanguageFile, the text's offset in characters
// into its text block; in a language slot, the text's address (own block) or its offset in
// characters into the shared text block (cluster data).
struct TLanguageEntry
{
    u32 nName;
    u32 nText;
};

static_assert(sizeof(TLanguageEntry) == 8);

class TLanguageFile
{
public:
    TLanguageFile();

    // Reads and checks a whole file image; LANGUAGE_LOADED or the reason it was refused, with
    // a log line naming the file.
    u32 Parse(const u8* data, u32 size, const char* fileName);

    const char* GetName() const { return m_szName; }
    const char* GetCode() const { return m_szCode; }
    DArray<TLanguageEntry>& GetEntries() { return m_aEntry; }
    DArray<char16_t>& GetText() { return m_aText; }

private:
    char m_szName[LANGUAGE_NAME_SIZE];
    char m_szCode[LANGUAGE_CODE_SIZE];
    DArray<TLanguageEntry> m_aEntry;
    // The file's text block; it ends in a NUL.
    DArray<char16_t> m_aText;
};

// Sorts entries by name id as a signed integer, keeping the file order of equal ids.
void SortLanguageEntries(TLanguageEntry* entries, i32 count);
