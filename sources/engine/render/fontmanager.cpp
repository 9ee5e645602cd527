#include "engine/render/fontmanager.h"

#include "core/system/log.h"

TFontManager* g_pFontManager = nullptr;

TFont TFontManager::GetFont(const TName& name, i32 size)
{
    TFontData* data = FindFont(name, size);
    return {data ? data : CreateFont(name, size)};
}

TColor TFontManager::GetUserColor(i32 index) const
{
    if (index < 0 || index >= m_nUserColorCount)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TFontManager::GetUserColor(): error: ",
                    "only %d user colors are set (%c accessed)", m_nUserColorCount, static_cast<char>(index + 'A'));
        return {1.0f, 1.0f, 1.0f, 1.0f};
    }
    return m_pUserColors[index];
}

void TFontManager::SetUserColors(i32 count, const TColor* colors)
{
    m_nUserColorCount = count;
    m_pUserColors = colors;
}
