#include "ux/ux.text.h"

#include "engine/render/texturefontmanager.h"
#include "ux/ux.control.h"
#include "ux/ux.manager.h"

namespace UX
{
namespace
{
// Makes the block's font current at its size; false when there is none to draw with.
bool SelectFont(const TStateBlock& block)
{
    if (!block.Font.IsValid() || !g_pTextureFontManager)
        return false;
    g_pTextureFontManager->SetFont(block.Font, block.TextScale * block.ScaleY, 0.0f);
    return g_pTextureFontManager->GetFont() != nullptr;
}

bool IsEmpty(const char16_t* text)
{
    return !text || !text[0];
}
} // namespace

f32 MeasureTextWidth(const TStateBlock& block, const char16_t* text, i32 count)
{
    if (IsEmpty(text) || count == 0 || !SelectFont(block))
        return 0.0f;
    return g_pTextureFontManager->GetTextWidth(text, count);
}

void DrawText(f32 x, f32 y, f32 width, f32 height, const TStateBlock& block, const char16_t* text)
{
    if (IsEmpty(text) || !SelectFont(block))
        return;
    if (g_pUXManager)
        g_pUXManager->RequestFont(block.Font);
    const f32 rect[4] = {x, y, x + width, y + height};
    g_pTextureFontManager->DrawTextRect(rect, block.TextSetting, 0, block.TextColor, text, 0.0f, 0.0f);
}

void DrawLocalization(f32 x, f32 y, f32 width, f32 height, const TStateBlock& block,
                      const TLocalization& text)
{
    if (text.HasText())
        DrawText(x, y, width, height, block, text.GetText());
}

TControl::TTextExtent TControl::MeasureText(const char16_t* text, u32 state)
{
    const TStateBlock* block = StyleBlock(state < STATE_COUNT ? state : STATE_NORMAL);
    if (!block || IsEmpty(text) || !SelectFont(*block))
        return {0.0f, 0.0f};
    const TTextBox box = g_pTextureFontManager->MeasureText(ContentRect.width, text, 0.0f, 0.0f);
    // The font's measure counts the lines after the first.
    return {box.fWidth, box.fHeight + g_pTextureFontManager->GetLineHeight()};
}
} // namespace UX
