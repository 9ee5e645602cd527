#include "engine/render/font.h"

#include "core/system/log.h"

namespace
{
void WarnNoData(const char* text)
{
    TLog::Print(g_pSystemLog, LOG_WARNING, "TFont::Write(): warning: ", "font with no font data (text '%s')", text);
}
} // namespace

i32 TFont::Write(f32 x, f32 y, const TColor& color, const char* text, i32 mode) const
{
    if (!pData)
    {
        WarnNoData(text);
        return 0;
    }
    return pData->Write(x, y, color, text, mode);
}

void TFont::WriteW(f32 x, f32 y, const TColor& color, const char16_t* text, i32 mode) const
{
    if (!pData)
    {
        WarnNoData("");
        return;
    }
    pData->WriteW(x, y, color, text, mode);
}
