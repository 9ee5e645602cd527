#include "directx/render/dxfontmanager.h"

#include "core/system/log.h"
#include "engine/render/device.h"
#include "engine/system/managermanager.h"

#include <cstring>

TDxFontManager* g_pDxFontManager = nullptr;

namespace
{
TDxFontManager s_FontManager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Font", "Dx", &g_pDxFontManager, &s_FontManager);
// The engine's modules reach the fonts through the abstract manager.
const bool s_bBound = (g_pFontManager = &s_FontManager, true);
} // namespace

void TDxFontManager::BeginManager()
{
    g_pDeviceManager->AddMethod(this);
}

void TDxFontManager::FinalizeManager()
{
    for (u32 i = 0; i < m_aFont.GetCount(); ++i)
        m_aFont[i].Unload();
}

i32 TDxFontManager::_LowerBound(const u32 key[3]) const
{
    i32 low = 0, high = m_nIndexCount;
    while (low < high)
    {
        const i32 middle = (low + high) / 2;
        if (std::memcmp(m_aIndex[middle].aKey, key, sizeof(m_aIndex[middle].aKey)) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

TFontData* TDxFontManager::FindFont(const TName& name, i32 size)
{
    const u32 key[3] = {name.GetId(), static_cast<u32>(size), 0};
    const i32 at = _LowerBound(key);
    if (at < m_nIndexCount && std::memcmp(m_aIndex[at].aKey, key, sizeof(key)) == 0)
        return &m_aFont[static_cast<u32>(m_aIndex[at].nFont)];
    return nullptr;
}

TFontData* TDxFontManager::CreateFont(const TName& name, i32 size)
{
    if (TFontData* existing = FindFont(name, size))
        return existing;
    if (m_nIndexCount == DX_FONT_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TDxFontManager::CreateFont(): error: ",
                    "all %d fonts in use ('%s' at %d refused)", DX_FONT_CAPACITY, name.GetText(), size);
        return nullptr;
    }
    const u32 key[3] = {name.GetId(), static_cast<u32>(size), 0};
    const i32 at = _LowerBound(key);
    std::memmove(&m_aIndex[at + 1], &m_aIndex[at], sizeof(TIndexEntry) * static_cast<u32>(m_nIndexCount - at));
    m_aIndex[at] = {{key[0], key[1], key[2]}, m_nIndexCount};
    ++m_nIndexCount;
    m_aFont.SetCount(m_aFont.GetCount() + 1);
    TDxFontData& font = m_aFont[m_aFont.GetCount() - 1];
    font.m_Face = name;
    font.m_nSize = size;
    return &font;
}
