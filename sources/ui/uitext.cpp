#include "ui/uitext.h"

#include "core/system/log.h"
#include "engine/localization/localization.h"
#include "ui/uimanager.h"
#include "ui/uistyle.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

namespace
{
constexpr u32 BUFFER_CHARACTERS = UI_TEXT_BUFFER_BYTES / sizeof(char16_t);
char16_t s_aBuffer[BUFFER_CHARACTERS];
constexpr f32 UI_NO_WRAP_WIDTH = 1.0e9f;
} // namespace

TUIText::TUIText()
    : m_Font(g_pUIManager ? g_pUIManager->GetDefaultFont() : TName()), m_fSize(UI_DEFAULT_TEXT_SIZE),
      m_fPitch(-1.0f), m_fSpacing(0.0f), m_aValue{0.0f, 0.0f, 0.0f, 1.0f}, m_nAlignH(UI_ALIGN_NEAR),
      m_nAlignV(UI_ALIGN_CENTRE), m_nFlags(UI_TEXT_LOCALISED), m_Color{1.0f, 1.0f, 1.0f, 1.0f}, m_aText{}
{
}

void TUIText::SetText(const char* text)
{
    std::snprintf(m_aText, sizeof m_aText, "%s", text ? text : "");
    // Keys are looked up by name: the text must be registered to print and to fall back on.
    if ((m_nFlags & UI_TEXT_LOCALISED) && m_aText[0])
        TName(m_aText, true);
}

void TUIText::SetWideText(const char16_t* text)
{
    m_Wide = text ? text : u"";
}

void TUIText::SetFont(const TName& font, f32 size, const TColor& colour, i32 alignH, i32 alignV,
                      i32 localised, f32 pitch, f32 spacing)
{
    m_Font = font;
    m_fSize = size;
    m_Color = colour;
    if (alignH >= 0)
        m_nAlignH = alignH;
    if (alignV >= 0)
        m_nAlignV = alignV;
    if (localised >= 0)
        m_nFlags = localised ? (m_nFlags | UI_TEXT_LOCALISED) : (m_nFlags & ~UI_TEXT_LOCALISED);
    if (pitch >= -1.0f)
        m_fPitch = pitch;
    if (spacing >= 0.0f)
        m_fSpacing = spacing;
}

void TUIText::ApplyStyle(const TUIStyle* style, u32 state)
{
    if (!style || !(style->nFlags & UI_STYLE_TEXT))
        return;
    const TUIStyleState& look = style->aState[std::min(state, UI_STATE_COUNT - 1)];
    m_Font = style->Font;
    m_fSize = style->fTextSize;
    m_nAlignH = style->nAlignH;
    m_nAlignV = style->nAlignV;
    std::copy(std::begin(look.aMargin), std::end(look.aMargin), m_aValue);
    m_Color = look.Color;
}

void TUIText::SetStyle(const TName& name)
{
    if (g_pUIManager)
        ApplyStyle(g_pUIManager->__FindStyle(name), UI_STATE_NORMAL);
}

const char16_t* TUIText::Resolve() const
{
    if (!m_Wide.empty())
    {
        const size_t count = std::min<size_t>(m_Wide.size(), BUFFER_CHARACTERS - 1);
        std::copy_n(m_Wide.data(), count, s_aBuffer);
        s_aBuffer[count] = 0;
        return s_aBuffer;
    }
    if ((m_nFlags & UI_TEXT_LOCALISED) && m_aText[0])
    {
        TLocalizationManager& localization = TLocalizationManager::Instance();
        const TName key(m_aText);
        // Texts are resolved every frame: a key the language lacks is told once and shows as itself.
        if (localization.GetCurrentLanguage() >= 0 && !localization.HasText(key))
        {
            static std::set<u32> s_Told;
            if (s_Told.insert(key.GetId()).second)
                TLog::Print(g_pSystemLog, LOG_ERROR, "TUIText::Resolve(): error: ", "'%s': no text in the language",
                            m_aText);
        }
        const char16_t* text = localization.GetTextTemp(key, false);
        u32 count = 0;
        while (text && text[count] && count < BUFFER_CHARACTERS - 1)
        {
            s_aBuffer[count] = text[count];
            ++count;
        }
        s_aBuffer[count] = 0;
        return s_aBuffer;
    }
    // Latin-1 bytes widen one to one.
    u32 count = 0;
    for (; m_aText[count] && count < UI_TEXT_CAPACITY - 1; ++count)
        s_aBuffer[count] = static_cast<unsigned char>(m_aText[count]);
    s_aBuffer[count] = 0;
    return s_aBuffer;
}

bool TUIText::SelectFont() const
{
    if (!g_pTextureFontManager)
        return false;
    // Text is drawn every frame: a font the data lacks is told once, then the first font draws.
    DArray<TTextureFont*>& fonts = g_pTextureFontManager->Fonts();
    TName font = m_Font;
    bool known = false;
    for (i32 i = 0; i < fonts.GetCount() && !known; ++i)
        known = fonts[i]->m_Name == font;
    if (!known)
    {
        static std::set<u32> s_Told;
        if (s_Told.insert(font.GetId()).second)
            TLog::Print(g_pSystemLog, LOG_ERROR, "TUIText::SelectFont(): error: ", "'%s': undeclared font",
                        font.GetText());
        if (fonts.GetCount() == 0)
            return false;
        font = fonts[0]->m_Name;
    }
    g_pTextureFontManager->SetFont(font, m_fSize, m_fSpacing);
    return g_pTextureFontManager->GetFont() != nullptr;
}

TTextBox TUIText::MeasureText(const char16_t* text, f32 width) const
{
    if (!SelectFont() || !text[0])
        return {0.0f, 0.0f, 0.0f, 1.0f};
    if (m_fPitch >= 0.0f)
    {
        u32 count = 0;
        while (text[count])
            ++count;
        return {m_fPitch * static_cast<f32>(count), g_pTextureFontManager->GetLineHeight(), 0.0f, 1.0f};
    }
    // One line unless the block wraps (the font manager wraps at every limit it is given).
    const bool wrap = (m_nFlags & UI_TEXT_WRAP) != 0 && width >= 0.0f;
    TTextBox box = g_pTextureFontManager->MeasureText(wrap ? width : UI_NO_WRAP_WIDTH, text, 0.0f, 0.0f);
    // The font's measure counts the lines after the first.
    box.fHeight += g_pTextureFontManager->GetLineHeight();
    return box;
}

TTextBox TUIText::Measure(f32 width) const
{
    return MeasureText(Resolve(), width);
}

TTextBox TUIText::GetExtent() const
{
    TTextBox box = Measure(-1.0f);
    box.fWidth += 2.0f * HorizontalMargin();
    box.fHeight += 2.0f * VerticalMargin();
    return box;
}

void TUIText::Place(const TUIRect& box, const TTextBox& size, f32& x, f32& y) const
{
    auto place = [](i32 align, f32 extent, f32 text, f32 margin) {
        if (align == UI_ALIGN_CENTRE)
            return (extent - text) * 0.5f + margin;
        if (align == UI_ALIGN_FAR)
            return extent - text - margin;
        return margin;
    };
    x = place(m_nAlignH, box.Width(), size.fWidth, HorizontalMargin());
    y = place(m_nAlignV, box.Height(), size.fHeight, VerticalMargin());
}

void TUIText::Arrange(const TUIRect& box, f32& x, f32& y, TTextBox& size) const
{
    size = Measure(box.Width() - 2.0f * HorizontalMargin());
    Place(box, size, x, y);
}

void TUIText::ArrangeText(const TUIRect& box, const char16_t* text, f32& x, f32& y, TTextBox& size) const
{
    size = MeasureText(text, box.Width() - 2.0f * HorizontalMargin());
    Place(box, size, x, y);
}

f32 TUIText::MeasureWidth(const char16_t* text) const
{
    const TTextBox size = MeasureText(text, -1.0f);
    return size.fWidth;
}

void TUIText::Draw(const TUIRect& box, f32 opacity) const
{
    if (IsEmpty())
        return;
    DrawText(box, Resolve(), opacity);
}

void TUIText::DrawText(const TUIRect& box, const char16_t* text, f32 opacity) const
{
    if (!text[0])
        return;
    const f32 wrapWidth = box.Width() - 2.0f * HorizontalMargin();
    const TTextBox size = MeasureText(text, wrapWidth);
    if (size.fWidth <= 0.0f && size.fHeight <= 0.0f)
        return;
    f32 x, y;
    Place(box, size, x, y);
    const TColor colour{m_Color.r, m_Color.g, m_Color.b, std::clamp(m_Color.a * opacity, 0.0f, 1.0f)};
    if (m_fPitch >= 0.0f)
    {
        // Each character centred in its cell.
        char16_t one[2] = {0, 0};
        for (u32 i = 0; text[i]; ++i)
        {
            one[0] = text[i];
            g_pTextureFontManager->DrawText(box.fLeft + x + m_fPitch * (static_cast<f32>(i) + 0.5f),
                                            box.fTop + y, 1, colour, one, 0.0f);
        }
        return;
    }
    if (m_nFlags & UI_TEXT_WRAP)
    {
        // Laid out again at the width it was measured at: at the widest line's own width that
        // line would reach the edge and wrap once more, below the measured height.
        const f32 left = box.fLeft + HorizontalMargin();
        const f32 rect[4] = {left, box.fTop + y, left + wrapWidth, box.fTop + y + size.fHeight};
        g_pTextureFontManager->DrawTextRect(rect, static_cast<u32>(std::max(m_nAlignH, 0)), 0, colour, text,
                                            0.0f, 0.0f);
        return;
    }
    g_pTextureFontManager->DrawText(box.fLeft + x, box.fTop + y, 0, colour, text, 0.0f);
}
