#pragma once
// TTextureFont (stored type 38, 100 bytes): a bitmap font: glyph rectangles on its page
// textures (the resource's used textures), with the metrics text layout reads.
#include "core/system/types.h"

#include "engine/system/resource.h"
#include <cstring>

// One glyph of the repository data.
struct TTextureFontGlyph
{
    char16_t nCode;
    u16 nReserved;
    f32 fLeft;
    f32 fTop;
    f32 fRight;
    f32 fBottom;
    // Before the glyph, not for the first character of a line.
    f32 fLeading;
    f32 fAdvance;
    // After the glyph, not for the last character.
    f32 fTrailing;
};
static_assert(sizeof(TTextureFontGlyph) == 32);

// Texts end at a 0 character unless a count is given.
constexpr char16_t TEXT_LINE_FEED = 10;
constexpr char16_t TEXT_CARRIAGE_RETURN = 13;
constexpr char16_t TEXT_SPACE = 32;
// The first character code of the glyph table's direct index.
constexpr u32 TEXT_FIRST_GLYPH_CODE = 32;

// Spacing of a layout: scale, letter spacing (added to every advance), line and paragraph
// spacing (added for every line break and every break character).
struct TTextSpacing
{
    f32 fScale;
    f32 fLetter;
    f32 fLine;
    f32 fParagraph;
};

class TTextureFont : public TResource
{
public:
    TTextureFont() { std::memset(reinterpret_cast<u8*>(this) + 68, 0, sizeof(*this) - 68); }

    // The glyph table is the resource's data block.
    i32 Load() override;
    i32 Release() override;

    // The glyph of the code: direct index, then a search, then the first glyph.
    const TTextureFontGlyph& FindGlyph(char16_t code) const;
    // The width of the text's first line (count <= 0: up to the terminator).
    f32 MeasureLine(const char16_t* text, i32 count, f32 scale, f32 letterSpacing) const;
    // Wraps the text into the width: the widest line and the height, starting from the height
    // given (0 for a measure, one line for a layout).
    void Wrap(const char16_t* text, f32 width, const TTextSpacing& spacing, f32 startHeight, f32& widest,
              f32& height) const;
    // Height of the text wrapped to the width, from one line height; 0 for an empty text.
    f32 LayoutText(f32 width, const char16_t* text, const TTextSpacing& spacing) const;

    i32 m_nInset;
    i32 m_nLineHeight;
    f32 m_fBaseline;
    f32 m_fExtraAdvance;
    f32 m_fCellWidth;
    f32 m_fCellHeight;
    i32 m_nGlyphCount;
    const TTextureFontGlyph* pGlyph;
};

static_assert(sizeof(TTextureFont) == 100);
// Where a stored font keeps its glyph table's address (a word of the run that wrote it).
constexpr u32 TEXTURE_FONT_GLYPH_OFFSET = 96;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TTextureFont, m_nInset) == 68);
static_assert(offsetof(TTextureFont, m_nLineHeight) == 72);
static_assert(offsetof(TTextureFont, m_fBaseline) == 76);
static_assert(offsetof(TTextureFont, m_fExtraAdvance) == 80);
static_assert(offsetof(TTextureFont, m_fCellWidth) == 84);
static_assert(offsetof(TTextureFont, m_fCellHeight) == 88);
static_assert(offsetof(TTextureFont, m_nGlyphCount) == 92);
static_assert(offsetof(TTextureFont, pGlyph) == TEXTURE_FONT_GLYPH_OFFSET);
#pragma GCC diagnostic pop
