#pragma once
// Texture fonts rasterised at build time: the glyphs of a font file drawn with FreeType into
// cells of one page (white, coverage as alpha) with its smaller levels, with the metrics the
// texture-font manager lays text out by, and the repository records of the font and its page.
#include "core/system/types.h"
#include "engine/render/texturefont.h"

#include <vector>

class TRepositoryWriter;
class TTexture;

struct TRasterFont
{
    i32 nPageWidth = 0;
    i32 nPageHeight = 0;
    // The page (0xAARRGGBB) and its levels, each half the size of the one before: text drawn
    // smaller than half the page's size samples a level near its own size, not every other row.
    std::vector<std::vector<u32>> aLevel;
    // In code order, so that codes from 32 on index the table directly.
    std::vector<TTextureFontGlyph> aGlyph;
    i32 nLineHeight = 0;
    f32 fCellWidth = 0.0f;
    f32 fCellHeight = 0.0f;
};

// The codes 32 to 255 (Latin-1, control codes blank) and the euro sign.
std::vector<char16_t> Latin1AndEuro();
// False, with a line on standard error, when the file cannot be read as a font.
bool RasteriseFont(const char* path, i32 pixelSize, const std::vector<char16_t>& codes, TRasterFont& font);
// A one-level A8R8G8B8 texture of the pixels, its block added to the writer.
TTexture* AddTextureRecord(TRepositoryWriter& writer, const char* name, i32 width, i32 height,
                           const std::vector<u32>& pixels);
// The same with the levels given, the first of width x height, each next one half as large.
TTexture* AddTextureLevels(TRepositoryWriter& writer, const char* name, i32 width, i32 height,
                           const std::vector<std::vector<u32>>& levels);
// Fills the font record (kept by the caller until the writer has written), adds its glyph block,
// links it to its page texture "<name>_page" and lists it with the texture-font manager.
void AddTextureFont(TRepositoryWriter& writer, TTextureFont& font, const char* name,
                    const TRasterFont& raster);
