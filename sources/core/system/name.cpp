#include "core/system/name.h"

#include "core/system/namemanager.h"
#include "core/system/string.h"
#include "core/system/templates/sarray.h"

#include <array>
#include <cstring>

namespace
{

constexpr std::array<u32, 256> MakeCrcTable()
{
    std::array<u32, 256> table{};
    for (u32 i = 0; i < 256; ++i)
    {
        u32 c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

constexpr std::array<u32, 256> kCrcTable = MakeCrcTable();
static_assert(kCrcTable[1] == 0x77073096u);

} // namespace

const TName g_NameNone;

u32 CalculateCrc32(const void* data, u32 length, u32 start)
{
    const u8* bytes = static_cast<const u8*>(data);
    u32 value = start;
    for (u32 i = 0; i < length; ++i)
    {
        // Arithmetic shift: the sign bit is copied into the vacated bits.
        const u32 shifted = (value >> 8) | ((value & 0x80000000u) ? 0xFF000000u : 0u);
        value = shifted ^ kCrcTable[(value & 0xFF) ^ bytes[i]];
    }
    return value;
}

void TName::Set(const char* text, bool registerText)
{
    if (!text)
    {
        m_nId = 0;
        return;
    }
    m_nId = CalculateCrc32(text, static_cast<u32>(std::strlen(text)), 0);
    if (registerText && g_pNameManager)
        g_pNameManager->Add(m_nId, text);
}

const char* TName::GetText() const
{
    return g_pNameManager ? g_pNameManager->FindText(m_nId) : "";
}

const char* TName::GetPrintText() const
{
    const char* text = GetText();
    return *text || !m_nId ? text : StringFormat("#%08x", m_nId);
}

TName MakeCommandName(const char* text, bool registerText)
{
    SString<128> dotted;
    dotted.Format("%s", text ? text : "");
    for (u32 i = 0; i < dotted.GetLength(); ++i)
        if (dotted[i] == '_')
            dotted[i] = '.';
    return TName(dotted.GetText(), registerText);
}
