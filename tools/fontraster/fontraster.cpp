#include "fontraster.h"

#include "directx/render/dxtexturemanager.h"
#include "engine/render/texture.h"
#include "engine/render/texturefontmanager.h"
#include "repositorywriter.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <string>

namespace
{
constexpr i32 FORMAT_A8R8G8B8 = 0x102;
constexpr i32 PAGE_COLUMNS = 16;
// Empty pixels between cells, so that filtering never reaches a neighbour.
constexpr i32 CELL_GAP = 1;

i32 PowerOfTwo(i32 n)
{
    i32 p = 1;
    while (p < n)
        p *= 2;
    return p;
}
} // namespace

std::vector<char16_t> Latin1AndEuro()
{
    std::vector<char16_t> codes;
    for (char16_t c = 32; c <= 255; ++c)
        codes.push_back(c);
    codes.push_back(u'\u20AC');
    return codes;
}

bool RasteriseFont(const char* path, i32 pixelSize, const std::vector<char16_t>& codes, TRasterFont& font)
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0)
    {
        std::fprintf(stderr, "fontraster: FreeType failed to start\n");
        return false;
    }
    if (FT_New_Face(library, path, 0, &face) != 0 ||
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0)
    {
        std::fprintf(stderr, "fontraster: '%s' cannot be read as a font\n", path);
        if (face)
            FT_Done_Face(face);
        FT_Done_FreeType(library);
        return false;
    }
    const i32 ascender = static_cast<i32>(face->size->metrics.ascender >> 6);
    const i32 descender = static_cast<i32>(-(face->size->metrics.descender >> 6));
    const i32 cellHeight = ascender + descender;

    // First the cell width: the widest glyph or advance.
    struct TBitmap
    {
        i32 nLeft, nTop, nWidth, nHeight;
        f32 fAdvance;
        std::vector<u8> aCoverage;
    };
    std::vector<TBitmap> bitmaps;
    i32 cellWidth = 1;
    for (char16_t code : codes)
    {
        TBitmap bitmap{0, 0, 0, 0, 0.0f, {}};
        const bool printable = code >= 32 && !(code >= 127 && code < 160);
        if (printable && FT_Load_Char(face, code, FT_LOAD_RENDER) == 0)
        {
            const FT_GlyphSlot slot = face->glyph;
            bitmap.nLeft = std::max(0, slot->bitmap_left);
            bitmap.nTop = ascender - slot->bitmap_top;
            bitmap.nWidth = static_cast<i32>(slot->bitmap.width);
            bitmap.nHeight = static_cast<i32>(slot->bitmap.rows);
            bitmap.fAdvance = static_cast<f32>(slot->advance.x) / 64.0f;
            bitmap.aCoverage.resize(static_cast<size_t>(bitmap.nWidth * bitmap.nHeight));
            for (i32 y = 0; y < bitmap.nHeight; ++y)
                for (i32 x = 0; x < bitmap.nWidth; ++x)
                    bitmap.aCoverage[static_cast<size_t>(y * bitmap.nWidth + x)] =
                        slot->bitmap.buffer[y * slot->bitmap.pitch + x];
        }
        cellWidth =
            std::max({cellWidth, bitmap.nLeft + bitmap.nWidth, static_cast<i32>(bitmap.fAdvance + 0.99f)});
        bitmaps.push_back(std::move(bitmap));
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);

    const i32 rows = (static_cast<i32>(codes.size()) + PAGE_COLUMNS - 1) / PAGE_COLUMNS;
    font.nPageWidth = PowerOfTwo(PAGE_COLUMNS * (cellWidth + CELL_GAP));
    font.nPageHeight = PowerOfTwo(rows * (cellHeight + CELL_GAP));
    font.aPage.assign(static_cast<size_t>(font.nPageWidth * font.nPageHeight), 0x00FFFFFF);
    font.aGlyph.clear();
    font.nLineHeight = cellHeight;
    font.fCellWidth = static_cast<f32>(cellWidth);
    font.fCellHeight = static_cast<f32>(cellHeight);
    const f32 pageWidth = static_cast<f32>(font.nPageWidth);
    const f32 pageHeight = static_cast<f32>(font.nPageHeight);
    for (size_t g = 0; g < codes.size(); ++g)
    {
        const i32 cellX = static_cast<i32>(g % PAGE_COLUMNS) * (cellWidth + CELL_GAP);
        const i32 cellY = static_cast<i32>(g / PAGE_COLUMNS) * (cellHeight + CELL_GAP);
        const TBitmap& bitmap = bitmaps[g];
        for (i32 y = 0; y < bitmap.nHeight; ++y)
            for (i32 x = 0; x < bitmap.nWidth; ++x)
            {
                const i32 px = cellX + bitmap.nLeft + x;
                const i32 py = cellY + bitmap.nTop + y;
                if (py < cellY || py >= cellY + cellHeight || px >= cellX + cellWidth)
                    continue;
                const u32 alpha = bitmap.aCoverage[static_cast<size_t>(y * bitmap.nWidth + x)];
                font.aPage[static_cast<size_t>(py * font.nPageWidth + px)] = alpha << 24 | 0x00FFFFFF;
            }
        font.aGlyph.push_back(
            {codes[g], 0, static_cast<f32>(cellX) / pageWidth, static_cast<f32>(cellY) / pageHeight,
             static_cast<f32>(cellX + cellWidth) / pageWidth,
             static_cast<f32>(cellY + cellHeight) / pageHeight, 0.0f, bitmap.fAdvance, 0.0f});
    }
    return true;
}

TTexture* AddTextureRecord(TRepositoryWriter& writer, const char* name, i32 width, i32 height,
                           const std::vector<u32>& pixels)
{
    TTexture* texture = g_pDxTextureManager->CreateTexture(TName(name, true), width, height, 1, 1, TEXTURE_2D,
                                                           FORMAT_A8R8G8B8, 0);
    const u32 size = static_cast<u32>(pixels.size() * 4);
    texture->m_aLevel.Add({0, size, static_cast<u32>(width) * 4});
    writer.AddBlock(texture, pixels.data(), size);
    return texture;
}

void AddTextureFont(TRepositoryWriter& writer, TTextureFont& font, const char* name,
                    const TRasterFont& raster)
{
    font.m_Name = TName(name, true);
    font.m_nLineHeight = raster.nLineHeight;
    font.m_fBaseline = -1.0f;
    font.m_fCellWidth = raster.fCellWidth;
    font.m_fCellHeight = raster.fCellHeight;
    font.m_nGlyphCount = static_cast<i32>(raster.aGlyph.size());
    writer.AddBlock(&font, raster.aGlyph.data(),
                    static_cast<u32>(raster.aGlyph.size() * sizeof(TTextureFontGlyph)));
    const std::string page = std::string(name) + "_page";
    TResource::LinkTo(
        &font, AddTextureRecord(writer, page.c_str(), raster.nPageWidth, raster.nPageHeight, raster.aPage));
    g_pTextureFontManager->Fonts().Add(&font);
}
