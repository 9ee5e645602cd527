#include "player/playerpath.h"

#include "core/system/findfile.h"
#include "core/system/log.h"
#include "core/system/platform.h"
#include "core/system/string.h"
#include "core/system/unistring.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/deferredvariable.h"
#include "player/playername.h"

namespace
{
TDeferredVariable s_SaveDirectory("save_directory");

// A name of one entry of a folder, neither the folder itself nor its parent.
bool IsEntryName(const char16_t* element)
{
    for (const char16_t* unit = element; *unit; ++unit)
        if (*unit == u'/' || *unit == u'\\')
            return false;
    return element[0] && !EqualsIgnoringAsciiCase(element, u".") && !EqualsIgnoringAsciiCase(element, u"..");
}

// Copies the text over the end of a path buffer from the offset.
void PutAt(char16_t (&path)[PLAYER_PATH_ROOM], i32 offset, const char16_t* text)
{
    i32 i = 0;
    for (; text[i] && offset + i < PLAYER_PATH_ROOM - 1; ++i)
        path[offset + i] = text[i];
    path[offset + i] = 0;
}
} // namespace

void GetPlayerRoot(char16_t (&root)[PLAYER_PATH_ROOM])
{
    // Variable and environment texts are the engine's 8-bit texts, widened and narrowed one to
    // one around the expansion; their bytes are the file system's UTF-8.
    char narrow[PLAYER_PATH_ROOM];
    FormatStringN(narrow, sizeof narrow, "%s", s_SaveDirectory.GetValue().ToString());
    char16_t wide[PLAYER_PATH_ROOM];
    MultiByteToWide(wide, PLAYER_PATH_ROOM, narrow, -1);
    TCommandManager::Instance().ExpandVariables(wide, PLAYER_PATH_ROOM);
    WideToMultiByte(narrow, sizeof narrow, wide, -1);
    Utf8ToUtf16(root, PLAYER_PATH_ROOM, narrow);
    NormalizePlayerPath(root, UniLength(root));
    i32 length = UniLength(root);
    while (length > 1 && root[length - 1] == u'/')
        root[--length] = 0;
    if (length == 0)
        FormatStringW(root, u".");
}

void NormalizePlayerPath(char16_t* path, i32 rootLength)
{
    for (i32 i = 0; path[i]; ++i)
    {
        if (path[i] == u'\\')
            path[i] = u'/';
        else if (i >= rootLength)
            path[i] = LowerAscii(path[i]);
    }
}

TPlayerPath::TPlayerPath() : m_bValid(true)
{
    GetPlayerRoot(m_aText);
    m_nLength = UniLength(m_aText);
    char probe[PLAYER_PATH_BYTES + 1];
    if (WideToUtf8(probe, sizeof probe, m_aText, -1) != 0)
        Invalidate("the player root is too long");
}

TPlayerPath& TPlayerPath::Add(const char16_t* element)
{
    if (!IsEntryName(element))
    {
        Invalidate("an element names no entry of its folder");
        return *this;
    }
    const i32 start = m_nLength + 1;
    Append(element);
    if (!m_bValid)
        return *this;
    NormalizePlayerPath(m_aText + start, 0);
    FindOnDisk(start);
    return *this;
}

TPlayerPath& TPlayerPath::AddPattern(const char16_t* pattern)
{
    Append(pattern);
    return *this;
}

void TPlayerPath::Append(const char16_t* element)
{
    if (!m_bValid)
        return;
    char16_t text[PLAYER_PATH_ROOM];
    FormatStringW(text, u"%s/%s", m_aText, element);
    char probe[PLAYER_PATH_BYTES + 1];
    if (WideToUtf8(probe, sizeof probe, text, -1) != 0)
    {
        Invalidate("the path is too long");
        return;
    }
    PutAt(m_aText, 0, text);
    m_nLength = UniLength(m_aText);
}

void TPlayerPath::Invalidate(const char* reason)
{
    if (m_bValid)
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TPlayerPath::Add(): error: ", "Invalid player path below '%S': %s.", m_aText, reason);
    m_bValid = false;
    m_aText[0] = 0;
    m_nLength = 0;
}

void TPlayerPath::FindOnDisk(i32 elementStart)
{
    if (GetFileAttributeBits(m_aText) != FILE_ATTRIBUTE_MISSING)
        return;
    char16_t pattern[PLAYER_PATH_ROOM];
    PutAt(pattern, 0, m_aText);
    PutAt(pattern, elementStart, u"*");
    TFindFile find;
    for (u32 more = find.First(pattern); more == 0; more = find.Next())
    {
        // Only ASCII letters differ in case, so the name on disk has the element's length.
        if (EqualsIgnoringAsciiCase(find.GetName(), m_aText + elementStart))
        {
            PutAt(m_aText, elementStart, find.GetName());
            return;
        }
    }
}

void TPlayerPath::GetUtf8(char (&out)[PLAYER_PATH_BYTES + 1]) const
{
    Utf16ToUtf8(out, sizeof out, m_aText);
}

bool TPlayerPath::IsFolder() const
{
    const u32 bits = GetFileAttributeBits(m_aText);
    return bits != FILE_ATTRIBUTE_MISSING && (bits & FILE_ATTRIBUTE_BIT_DIRECTORY);
}

bool TPlayerPath::Exists() const
{
    return GetFileAttributeBits(m_aText) != FILE_ATTRIBUTE_MISSING;
}
