#include "engine/localization/languagefile.h"

#include "core/system/log.h"

#include <algorithm>
#include <cstring>

namespace
{
const char* const kParsePrefix = "TLanguageFile::Parse(): error: ";

u32 ReadU32(const u8* data)
{
    u32 value;
    std::memcpy(&value, data, 4);
    return value;
}

// Copies a fixed text field; one without its terminator leaves the target empty.
void CopyField(char* target, const u8* field, u32 fieldSize)
{
    if (std::memchr(field, 0, fieldSize))
        std::memcpy(target, field, fieldSize);
}
} // namespace

TLanguageFile::TLanguageFile() : m_szName(), m_szCode() {}

void SortLanguageEntries(TLanguageEntry* entries, i32 count)
{
    auto less = [](const TLanguageEntry& a, const TLanguageEntry& b) {
        return static_cast<i32>(a.nName) < static_cast<i32>(b.nName);
    };
    if (!std::is_sorted(entries, entries + count, less))
        std::stable_sort(entries, entries + count, less);
}

u32 TLanguageFile::Parse(const u8* data, u32 size, const char* fileName)
{
    m_szName[0] = 0;
    m_szCode[0] = 0;
    m_aEntry.Free();
    m_aText.Free();

    if (size < 8 || ReadU32(data) != LANGUAGE_FILE_MAGIC)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kParsePrefix, "'%s': not a language file", fileName);
        return LANGUAGE_BAD_MAGIC;
    }
    const u32 version = ReadU32(data + 4);
    if (version != LANGUAGE_FILE_VERSION_1000 && version != LANGUAGE_FILE_VERSION_1001)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kParsePrefix, "'%s': unknown version %u", fileName, version);
        return LANGUAGE_BAD_VERSION;
    }

    const u8* head = data + 8;
    const u32 headSize =
        version == LANGUAGE_FILE_VERSION_1000 ? LANGUAGE_HEAD_SIZE_1000 : LANGUAGE_HEAD_SIZE_1001;
    if (size - 8 < headSize)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kParsePrefix, "'%s': head cut short", fileName);
        return LANGUAGE_DAMAGED;
    }
    u32 count;
    u32 textSize;
    if (version == LANGUAGE_FILE_VERSION_1000)
    {
        CopyField(m_szName, head, LANGUAGE_NAME_SIZE);
        for (u32 i = 0; i < LANGUAGE_CODE_LENGTH_1000 && m_szName[i]; ++i)
            m_szCode[i] =
                static_cast<char>(m_szName[i] >= 'A' && m_szName[i] <= 'Z' ? m_szName[i] + 32 : m_szName[i]);
        m_szCode[std::min<u32>(LANGUAGE_CODE_LENGTH_1000, std::strlen(m_szName))] = 0;
        count = ReadU32(head + 32);
        textSize = ReadU32(head + 36);
    }
    else
    {
        CopyField(m_szName, head + 32, LANGUAGE_NAME_SIZE);
        CopyField(m_szCode, head + 64, LANGUAGE_CODE_SIZE);
        count = ReadU32(head + 72);
        textSize = ReadU32(head + 76);
    }
    if (!m_szName[0] || !m_szCode[0])
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kParsePrefix, "'%s': no name or code, or one without its end",
                    fileName);
        return LANGUAGE_DAMAGED;
    }

    // Entries and text block fill the rest of the file exactly (checked without overflow).
    const u32 rest = size - 8 - headSize;
    if (count > rest / sizeof(TLanguageEntry) || textSize != rest - count * sizeof(TLanguageEntry))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kParsePrefix,
                    "'%s': %u entries and %u text bytes do not fill its %u bytes", fileName, count, textSize,
                    size);
        return LANGUAGE_DAMAGED;
    }
    const u8* entries = head + headSize;
    const u8* text = entries + count * sizeof(TLanguageEntry);
    const u32 textCount = textSize / 2;
    // A block that ends in a NUL ends every text inside it.
    if (textSize % 2 != 0 || (textCount > 0 && (text[textSize - 2] != 0 || text[textSize - 1] != 0)))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kParsePrefix, "'%s': the last text has no end", fileName);
        return LANGUAGE_DAMAGED;
    }

    m_aEntry.SetCount(static_cast<i32>(count));
    for (u32 i = 0; i < count; ++i)
    {
        const u32 offset = ReadU32(entries + i * 8 + 4);
        if (offset % 2 != 0 || offset / 2 >= textCount)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kParsePrefix, "'%s': entry %u points outside the texts (%u)",
                        fileName, i, offset);
            m_aEntry.Free();
            return LANGUAGE_DAMAGED;
        }
        m_aEntry[static_cast<i32>(i)] = {ReadU32(entries + i * 8), offset / 2};
    }
    SortLanguageEntries(m_aEntry.GetData(), m_aEntry.GetCount());

    m_aText.SetCount(static_cast<i32>(textCount));
    if (textCount)
        std::memcpy(m_aText.GetData(), text, textSize);
    return LANGUAGE_LOADED;
}
