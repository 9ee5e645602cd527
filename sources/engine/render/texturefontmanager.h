#pragma once
// TTextureFontManager ("TextureFont"): the fonts repositories load, the current font with its
// scale and letter spacing, text measures and wrapping, and per-language font aliases.
// Without a current font every query answers -1 (or an empty box).
#include "core/math/color.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/sset.h"
#include "engine/render/texturefont.h"
#include "engine/system/manager.h"

constexpr u32 FONT_ALIAS_CAPACITY = 64;

// A box of MeasureText: widest line, height, 0, 1.
struct TTextBox
{
    f32 fWidth;
    f32 fHeight;
    f32 fZero;
    f32 fOne;
};

// One line of a laid-out rectangle: its characters, where it starts and the extra width after
// each of its spaces (justification).
struct TTextLine
{
    i32 nFirst;
    i32 nCount;
    f32 fX;
    f32 fY;
    f32 fSpaceExtra;
};

class TTextureFontManager : public TManager
{
public:
    TTextureFontManager();

    // The font of the name (after its alias) becomes current with scale = size / line height;
    // an unknown name logs and takes the first font; without fonts nothing changes.
    void SetFont(const TName& name, f32 size, f32 letterSpacing);
    TTextureFont* GetFont() const { return m_pFont; }
    f32 GetScale() const { return m_fScale; }
    f32 GetTextWidth(const char16_t* text, i32 count) const;
    f32 GetLineHeight() const;
    TTextBox MeasureText(f32 width, const char16_t* text, f32 lineSpacing, f32 paragraphSpacing) const;
    // Lays the text out in the rectangle (x0, y0, x1, y1): alignment / 10 places the block
    // (0 centred, 2 bottom, else top), alignment % 10 each line (1 centred, 2 right, else
    // left); justify spreads wrapped lines over the width. Calls line for each line.
    template <class F>
    void LayoutRect(const f32 rect[4], u32 alignment, u32 justify, const char16_t* text, f32 lineSpacing,
                    f32 paragraphSpacing, F line) const;
    // One line at (x, y) through the canvas with the current font: anchor 0 puts x at the
    // line's left end, 1 at its centre, 2 at its right end. With a maximum width above 0 the
    // drawing stops where the pen would pass it. Nothing without a font.
    void DrawText(f32 x, f32 y, u32 anchor, const TColor& colour, const char16_t* text, f32 maxWidth) const;
    // The text laid out in the rectangle as LayoutRect does, drawn line by line.
    void DrawTextRect(const f32 rect[4], u32 alignment, u32 justify, const TColor& colour, const char16_t* text,
                      f32 lineSpacing, f32 paragraphSpacing) const;
    // Rebuilds the aliases for the language: font "name" -> "name.<language>" where that exists.
    void LoadAliases(const TName& language);
    u32 GetAliasCount() const { return m_aAlias.GetCount(); }

    DArray<TTextureFont*>& Fonts() { return m_aFont; }
    void OnClusterUnload();
    // A load or a clear replaces the fonts: the current one goes, and a loaded font's glyph
    // table is found again when it loads.
    i32 SetArray(u32 typeId, void* data, i32 count) override;

private:
    TTextureFont* FindFont(u32 nameId) const;
    TTextSpacing Spacing(f32 lineSpacing, f32 paragraphSpacing) const;
    // count characters from (x, y), one batch of 6 vertices a character per page texture;
    // spaceExtra after each space.
    void _DrawLine(f32 x, f32 y, u32 argb, const char16_t* text, i32 count, f32 spaceExtra, f32 maxWidth) const;
    void EmitLines(const f32 rect[4], u32 alignment, u32 justify, const char16_t* text, const TTextSpacing& spacing,
                   void (*line)(void*, const TTextLine&), void* context) const;

    TTextureFont* m_pFont;
    f32 m_fScale;
    f32 m_fLetterSpacing;
    DArray<TTextureFont*> m_aFont;
    SSet<TMapKey<u32, u32>, FONT_ALIAS_CAPACITY, u32, 0> m_aAlias;
};

template <class F>
void TTextureFontManager::LayoutRect(const f32 rect[4], u32 alignment, u32 justify, const char16_t* text,
                                     f32 lineSpacing, f32 paragraphSpacing, F line) const
{
    if (!m_pFont)
        return;
    EmitLines(rect, alignment, justify, text, Spacing(lineSpacing, paragraphSpacing),
              [](void* context, const TTextLine& l) { (*static_cast<F*>(context))(l); }, &line);
}

extern TTextureFontManager* g_pTextureFontManager;
// The variable font_pixelsnap: quad corners on whole pixels.
u32 FontPixelSnap();
