#include "engine/render/texturefont.h"

#include <algorithm>

i32 TTextureFont::Load()
{
    pGlyph = reinterpret_cast<const TTextureFontGlyph*>(GetData(0, m_nDataSize));
    // A block too small for its count keeps only the glyphs it holds.
    const i32 held = pGlyph ? static_cast<i32>(m_nDataSize / sizeof(TTextureFontGlyph)) : 0;
    m_nGlyphCount = std::clamp(m_nGlyphCount, 0, held);
    SetLoaded(1);
    return 0;
}

i32 TTextureFont::Release()
{
    pGlyph = nullptr;
    return 0;
}

const TTextureFontGlyph& TTextureFont::FindGlyph(char16_t code) const
{
    const u32 direct = static_cast<u32>(code) - TEXT_FIRST_GLYPH_CODE;
    if (direct < static_cast<u32>(m_nGlyphCount) && pGlyph[direct].nCode == code)
        return pGlyph[direct];
    for (i32 i = 0; i < m_nGlyphCount; ++i)
        if (pGlyph[i].nCode == code)
            return pGlyph[i];
    static const TTextureFontGlyph s_NoGlyph{};
    return m_nGlyphCount > 0 ? pGlyph[0] : s_NoGlyph;
}

f32 TTextureFont::MeasureLine(const char16_t* text, i32 count, f32 scale, f32 letterSpacing) const
{
    f32 x = 0.0f;
    for (i32 i = 0; count > 0 ? i < count : text[i] != 0; ++i)
    {
        if (text[i] == TEXT_LINE_FEED || text[i] == TEXT_CARRIAGE_RETURN)
            break;
        const TTextureFontGlyph& glyph = FindGlyph(text[i]);
        x += (i > 0 ? glyph.fLeading * scale : 0.0f) + (glyph.fAdvance + letterSpacing) * scale;
    }
    return x;
}

void TTextureFont::Wrap(const char16_t* text, f32 width, const TTextSpacing& spacing, f32 startHeight, f32& widest,
                        f32& height) const
{
    const f32 scale = spacing.fScale;
    const f32 lineStep = static_cast<f32>(m_nLineHeight) * scale + spacing.fLine;
    height = startHeight;
    widest = 0.0f;
    f32 x = 0.0f;
    f32 xAtSpace = 0.0f;
    u32 spaces = 0;
    for (const char16_t* c = text; *c; ++c)
    {
        if (*c == TEXT_LINE_FEED || *c == TEXT_CARRIAGE_RETURN)
        {
            widest = std::max(widest, x);
            x = 0.0f;
            spaces = 0;
            height += lineStep + spacing.fParagraph;
            continue;
        }
        const TTextureFontGlyph& glyph = FindGlyph(*c);
        const f32 leading = x > 0.0f ? glyph.fLeading * scale : 0.0f;
        const f32 advance = (glyph.fAdvance + spacing.fLetter) * scale;
        if (x > 0.0f && x + leading + advance + glyph.fTrailing * scale >= width)
        {
            // Fewer than two spaces: the line breaks at the character; otherwise the word after
            // the last space moves down.
            if (spaces < 2)
            {
                widest = std::max(widest, x);
                x = 0.0f;
            }
            else
            {
                widest = std::max(widest, xAtSpace);
                x -= xAtSpace;
            }
            spaces = 0;
            height += lineStep;
            x += (x > 0.0f ? leading : 0.0f) + advance;
        }
        else
            x += leading + advance;
        if (*c == TEXT_SPACE)
        {
            ++spaces;
            xAtSpace = x;
        }
    }
    widest = std::max(widest, x);
}

f32 TTextureFont::LayoutText(f32 width, const char16_t* text, const TTextSpacing& spacing) const
{
    if (!text[0])
        return 0.0f;
    f32 widest = 0.0f, height = 0.0f;
    Wrap(text, width, spacing, static_cast<f32>(m_nLineHeight) * spacing.fScale, widest, height);
    return height;
}
