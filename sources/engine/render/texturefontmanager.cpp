#include "engine/render/texturefontmanager.h"

#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "core/system/string.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/texture.h"
#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"
#include "engine/system/scenetypes.h"
#include "engine/system/storedword.h"

#include <cmath>
#include <cstring>

TTextureFontManager* g_pTextureFontManager = nullptr;

namespace
{
TTextureFontManager s_TextureFontManager;
const i32 s_nRegistered = TManagerManager::RegisterManager("TextureFont", "TextureFont", &g_pTextureFontManager,
                                                           &s_TextureFontManager);

class Tfont_pixelsnapVariable : public TVariable
{
public:
    Tfont_pixelsnapVariable() : TVariable("font_pixelsnap", "font pixel snap", 0) { m_Value.SetInt(0); }
    void OnChange() override {}
};

class Tfont_pixelsnap_leadingVariable : public TVariable
{
public:
    Tfont_pixelsnap_leadingVariable() : TVariable("font_pixelsnap_leading", "font pixel snap leading", 0)
    {
        m_Value.SetInt(0);
    }
    void OnChange() override {}
};

Tfont_pixelsnapVariable s_font_pixelsnap;
Tfont_pixelsnap_leadingVariable s_font_pixelsnap_leading;

bool IsBreak(char16_t c)
{
    return c == TEXT_LINE_FEED || c == TEXT_CARRIAGE_RETURN;
}

constexpr u32 QUAD_VERTICES = 6;
constexpr f32 TEXT_DEPTH = 0.5f;

// A corner on a whole pixel, at the texel centre.
f32 Snap(f32 value)
{
    return std::round(value) - 0.5f;
}

void SetQuad(TCanvasVertex* v, f32 x0, f32 y0, f32 x1, f32 y1, const TTextureFontGlyph& glyph, u32 argb)
{
    if (FontPixelSnap())
    {
        x0 = Snap(x0);
        y0 = Snap(y0);
        x1 = Snap(x1);
        y1 = Snap(y1);
    }
    const TCanvasVertex p0{x0, y0, TEXT_DEPTH, 0.0f, glyph.fLeft, glyph.fTop, argb};
    const TCanvasVertex p1{x1, y0, TEXT_DEPTH, 0.0f, glyph.fRight, glyph.fTop, argb};
    const TCanvasVertex p2{x1, y1, TEXT_DEPTH, 0.0f, glyph.fRight, glyph.fBottom, argb};
    const TCanvasVertex p3{x0, y1, TEXT_DEPTH, 0.0f, glyph.fLeft, glyph.fBottom, argb};
    v[0] = p0;
    v[1] = p1;
    v[2] = p2;
    v[3] = p0;
    v[4] = p2;
    v[5] = p3;
}
} // namespace

u32 FontPixelSnap()
{
    const TVariableValue& v = s_font_pixelsnap.GetValue();
    switch (v.nType)
    {
    case VALUE_INT:
    case VALUE_COLOUR:
        return v.nInt != 0 ? 1 : 0;
    case VALUE_FLOAT:
        return v.fFloat != 0.0f ? 1 : 0;
    case VALUE_NAME:
        return v.nName != 0 ? 1 : 0;
    default:
        return 0;
    }
}

TTextureFontManager::TTextureFontManager() : m_pFont(nullptr), m_fScale(1.0f), m_fLetterSpacing(0.0f)
{
    if (g_pCluster)
        RegisterArray(&TextureFontDecl(), &m_aFont);
}

TTextureFont* TTextureFontManager::FindFont(u32 nameId) const
{
    for (i32 i = 0; i < m_aFont.GetCount(); ++i)
        if (m_aFont[i]->m_Name.GetId() == nameId)
            return m_aFont[i];
    return nullptr;
}

void TTextureFontManager::SetFont(const TName& name, f32 size, f32 letterSpacing)
{
    u32 id = name.GetId();
    const i32 alias = m_aAlias.FindKey(id);
    if (alias >= 0)
        id = m_aAlias[alias].value;
    TTextureFont* font = FindFont(id);
    if (!font)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TTextureFontManager::SetFont(): error: ", "'%s': undeclared font",
                    name.GetText());
        // Without any font there is no first one to fall back on: the current font stays.
        if (m_aFont.GetCount() == 0)
            return;
        font = m_aFont[0];
    }
    // The glyph table is the font's block: a font not loaded yet loads now; one without glyphs
    // could neither measure nor draw, and the current font stays.
    if (!font->pGlyph)
        font->Require();
    if (!font->pGlyph || font->m_nGlyphCount <= 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TTextureFontManager::SetFont(): error: ", "'%s': no glyphs",
                    font->GetNameText());
        return;
    }
    m_pFont = font;
    m_fScale = font->m_nLineHeight > 0 ? size / static_cast<f32>(font->m_nLineHeight) : 1.0f;
    m_fLetterSpacing = letterSpacing;
}

f32 TTextureFontManager::GetTextWidth(const char16_t* text, i32 count) const
{
    return m_pFont ? m_pFont->MeasureLine(text, count, m_fScale, m_fLetterSpacing) : -1.0f;
}

f32 TTextureFontManager::GetLineHeight() const
{
    return m_pFont ? static_cast<f32>(m_pFont->m_nLineHeight) * m_fScale : -1.0f;
}

TTextSpacing TTextureFontManager::Spacing(f32 lineSpacing, f32 paragraphSpacing) const
{
    return TTextSpacing{m_fScale, m_fLetterSpacing, lineSpacing, paragraphSpacing};
}

void TTextureFontManager::DrawText(f32 x, f32 y, u32 anchor, const TColor& colour, const char16_t* text,
                                   f32 maxWidth) const
{
    if (!m_pFont || !g_pCanvasManager)
        return;
    const f32 width = GetTextWidth(text, 0);
    if (anchor == 1)
        x -= width * 0.5f;
    else if (anchor == 2)
        x -= width;
    i32 count = 0;
    while (text[count])
        ++count;
    _DrawLine(x, y, colour.ToARGB(), text, count, 0.0f, maxWidth);
}

void TTextureFontManager::DrawTextRect(const f32 rect[4], u32 alignment, u32 justify, const TColor& colour,
                                       const char16_t* text, f32 lineSpacing, f32 paragraphSpacing) const
{
    if (!m_pFont || !g_pCanvasManager)
        return;
    const u32 argb = colour.ToARGB();
    LayoutRect(rect, alignment, justify, text, lineSpacing, paragraphSpacing, [&](const TTextLine& line) {
        _DrawLine(line.fX, line.fY, argb, text + line.nFirst, line.nCount, line.fSpaceExtra, 0.0f);
    });
}

void TTextureFontManager::_DrawLine(f32 x, f32 y, u32 argb, const char16_t* text, i32 count, f32 spaceExtra,
                                    f32 maxWidth) const
{
    const TTextureFont& font = *m_pFont;
    const f32 scale = m_fScale;
    const f32 lineStart = x - static_cast<f32>(font.m_nInset);
    f32 top = y - static_cast<f32>(font.m_nInset);
    if (font.m_fBaseline == -1.0f)
        top += (static_cast<f32>(font.m_nLineHeight) - font.m_fCellHeight) * 0.5f * scale;
    else
        top -= font.m_fBaseline * scale;
    const f32 cellWidth = font.m_fCellWidth * scale;
    const f32 cellHeight = font.m_fCellHeight * scale;
    const u32 vertices = static_cast<u32>(count) * QUAD_VERTICES;
    // Every page's batch carries every character.
    for (i32 page = 0; page < font.aUses.GetCount(); ++page)
    {
        TCanvasVertex* v = g_pCanvasManager->AllocTexturedTriangles(static_cast<i32>(vertices),
                                                                    static_cast<TTexture*>(font.aUses[page].pResource));
        if (!v)
            continue;
        f32 penX = lineStart;
        f32 penY = top;
        bool lineFirst = true;
        i32 i = 0;
        for (; i < count; ++i, v += QUAD_VERTICES)
        {
            if (text[i] == TEXT_LINE_FEED)
            {
                penX = lineStart;
                penY += static_cast<f32>(font.m_nLineHeight) * scale;
                lineFirst = true;
                std::memset(v, 0, QUAD_VERTICES * sizeof(TCanvasVertex));
                continue;
            }
            const TTextureFontGlyph& glyph = font.FindGlyph(text[i]);
            const f32 x0 = penX + (lineFirst ? 0.0f : glyph.fLeading * scale);
            f32 next = x0 + (glyph.fAdvance + m_fLetterSpacing) * scale;
            if (i + 1 < count)
                next += glyph.fTrailing * scale;
            if (text[i] == TEXT_SPACE)
                next += spaceExtra;
            if (maxWidth > 0.0f && next - lineStart > maxWidth)
                break;
            SetQuad(v, x0, penY, x0 + cellWidth, penY + cellHeight, glyph, argb);
            penX = next;
            lineFirst = false;
        }
        std::memset(v, 0, static_cast<size_t>(count - i) * QUAD_VERTICES * sizeof(TCanvasVertex));
    }
}

TTextBox TTextureFontManager::MeasureText(f32 width, const char16_t* text, f32 lineSpacing,
                                          f32 paragraphSpacing) const
{
    TTextBox box{0.0f, 0.0f, 0.0f, 1.0f};
    if (!m_pFont || !text[0])
        return box;
    TTextSpacing spacing = Spacing(lineSpacing, paragraphSpacing);
    spacing.fLetter += m_pFont->m_fExtraAdvance;
    m_pFont->Wrap(text, width, spacing, 0.0f, box.fWidth, box.fHeight);
    return box;
}

void TTextureFontManager::EmitLines(const f32 rect[4], u32 alignment, u32 justify, const char16_t* text,
                                    const TTextSpacing& spacing, void (*line)(void*, const TTextLine&),
                                    void* context) const
{
    const TTextureFont& font = *m_pFont;
    const f32 width = rect[2] - rect[0];
    const f32 total = font.LayoutText(width, text, spacing);
    const u32 vertical = alignment / 10;
    const u32 horizontal = alignment % 10;
    f32 y = rect[1];
    if (vertical == 0)
        y += (rect[3] - rect[1] - total) * 0.5f;
    else if (vertical == 2)
        y += rect[3] - rect[1] - total;
    const f32 scale = spacing.fScale;
    const f32 lineStep = static_cast<f32>(font.m_nLineHeight) * scale + spacing.fLine;

    auto emit = [&](i32 first, i32 count, f32 lineWidth, f32 extra) {
        if (count <= 0)
            return;
        f32 x = rect[0];
        if (horizontal == 1)
            x += (width - lineWidth) * 0.5f;
        else if (horizontal == 2)
            x += width - lineWidth;
        line(context, TTextLine{first, count, x, y, extra});
    };

    i32 lineStart = 0;
    i32 lastSpace = -1;
    f32 x = 0.0f;
    f32 xAtSpace = 0.0f;
    u32 spaces = 0;
    i32 i = 0;
    for (; text[i]; ++i)
    {
        if (IsBreak(text[i]))
        {
            emit(lineStart, i - lineStart, x, 0.0f);
            y += lineStep + spacing.fParagraph;
            lineStart = i + 1;
            x = 0.0f;
            spaces = 0;
            continue;
        }
        const TTextureFontGlyph& glyph = font.FindGlyph(text[i]);
        const f32 leading = x > 0.0f ? glyph.fLeading * scale : 0.0f;
        const f32 advance = (glyph.fAdvance + spacing.fLetter) * scale;
        if (x > 0.0f && x + leading + advance + glyph.fTrailing * scale >= width)
        {
            if (spaces < 2)
            {
                emit(lineStart, i - lineStart, x, 0.0f);
                lineStart = i;
                x = 0.0f;
            }
            else
            {
                const f32 extra = justify ? (width - xAtSpace) / static_cast<f32>(spaces - 1) : 0.0f;
                // A justified line fills the width.
                emit(lineStart, lastSpace + 1 - lineStart, justify ? width : xAtSpace, extra);
                lineStart = lastSpace + 1;
                x -= xAtSpace;
            }
            y += lineStep;
            spaces = 0;
            x += (x > 0.0f ? leading : 0.0f) + advance;
        }
        else
            x += leading + advance;
        if (text[i] == TEXT_SPACE)
        {
            ++spaces;
            xAtSpace = x;
            lastSpace = i;
        }
    }
    emit(lineStart, i - lineStart, x, 0.0f);
}

void TTextureFontManager::LoadAliases(const TName& language)
{
    m_aAlias = {};
    char suffix[256];
    FormatString256(suffix, ".%s", language.GetText());
    for (i32 i = 0; i < m_aFont.GetCount(); ++i)
    {
        const char* name = m_aFont[i]->m_Name.GetText();
        if (std::strstr(name, suffix))
            continue;
        char text[512];
        FormatString512(text, "%s%s", name, suffix);
        const TName replacement(text);
        if (!FindFont(replacement.GetId()))
            continue;
        if (m_aAlias.IsFull())
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "TTextureFontManager::LoadAliases(): error: ",
                        "too many font aliases, '%s' keeps its font", name);
            continue;
        }
        m_aAlias.Insert(TMapKey<u32, u32>{m_aFont[i]->m_Name.GetId(), replacement.GetId()});
    }
}

i32 TTextureFontManager::SetArray(u32 typeId, void*, i32 count)
{
    if (typeId != TextureFontDecl().GetTypeId())
        return 1;
    m_pFont = nullptr;
    // Loaded fonts reach here before their virtual tables are restored: the word by its offset.
    for (i32 i = 0; i < count; ++i)
        StoredWord<const void*>(m_aFont[i], TEXTURE_FONT_GLYPH_OFFSET) = nullptr;
    return 0;
}

void TTextureFontManager::OnClusterUnload()
{
    m_pFont = nullptr;
}
