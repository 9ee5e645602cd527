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
// The page and two halvings: text down to a quarter of the page's size reads a level near its own.
constexpr i32 PAGE_LEVELS = 3;
// Cells start on multiples of the last level's texel, so that no texel of a level holds two cells.
constexpr i32 CELL_ALIGN = 1 << (PAGE_LEVELS - 1);
// Empty pixels after each cell: a filtered read of the last level reaches one and a half of its
// texels past the cell's edge, and must find no neighbour there.
constexpr i32 CELL_GAP = CELL_ALIGN * 3 / 2;

i32 PowerOfTwo(i32 n)
{
    i32 p = 1;
    while (p < n)
        p *= 2;
    return p;
}

i32 AlignUp(i32 n, i32 step)
{
    return (n + step - 1) / step * step;
}

// The level below: each texel the mean coverage of the four above it, white.
std::vector<u32> HalfLevel(const std::vector<u32>& level, i32 width, i32 height)
{
    const i32 halfWidth = width / 2, halfHeight = height / 2;
    std::vector<u32> half(static_cast<size_t>(halfWidth * halfHeight));
    for (i32 y = 0; y < halfHeight; ++y)
        for (i32 x = 0; x < halfWidth; ++x)
        {
            u32 sum = 0;
            for (i32 dy = 0; dy < 2; ++dy)
                for (i32 dx = 0; dx < 2; ++dx)
                    sum += level[static_cast<size_t>((2 * y + dy) * width + 2 * x + dx)] >> 24;
            half[static_cast<size_t>(y * halfWidth + x)] = (sum + 2) / 4 << 24 | 0x00FFFFFF;
        }
    return half;
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

    // The columns that give the smallest page.
    const i32 count = static_cast<i32>(codes.size());
    const i32 pitchX = AlignUp(cellWidth + CELL_GAP, CELL_ALIGN);
    const i32 pitchY = AlignUp(cellHeight + CELL_GAP, CELL_ALIGN);
    i32 columns = 1;
    i64 area = -1;
    for (i32 c = 1; c <= std::max(count, 1); ++c)
    {
        const i64 width = PowerOfTwo(c * pitchX);
        const i64 height = PowerOfTwo((count + c - 1) / c * pitchY);
        if (area < 0 || width * height < area)
        {
            area = width * height;
            columns = c;
        }
    }
    const i32 rows = (count + columns - 1) / columns;
    font.nPageWidth = std::max(PowerOfTwo(columns * pitchX), CELL_ALIGN);
    font.nPageHeight = std::max(PowerOfTwo(rows * pitchY), CELL_ALIGN);
    std::vector<u32> page(static_cast<size_t>(font.nPageWidth * font.nPageHeight), 0x00FFFFFF);
    font.aGlyph.clear();
    font.nLineHeight = cellHeight;
    font.fCellWidth = static_cast<f32>(cellWidth);
    font.fCellHeight = static_cast<f32>(cellHeight);
    const f32 pageWidth = static_cast<f32>(font.nPageWidth);
    const f32 pageHeight = static_cast<f32>(font.nPageHeight);
    for (size_t g = 0; g < codes.size(); ++g)
    {
        const i32 cellX = static_cast<i32>(g) % columns * pitchX;
        const i32 cellY = static_cast<i32>(g) / columns * pitchY;
        const TBitmap& bitmap = bitmaps[g];
        for (i32 y = 0; y < bitmap.nHeight; ++y)
            for (i32 x = 0; x < bitmap.nWidth; ++x)
            {
                const i32 px = cellX + bitmap.nLeft + x;
                const i32 py = cellY + bitmap.nTop + y;
                if (py < cellY || py >= cellY + cellHeight || px >= cellX + cellWidth)
                    continue;
                const u32 alpha = bitmap.aCoverage[static_cast<size_t>(y * bitmap.nWidth + x)];
                page[static_cast<size_t>(py * font.nPageWidth + px)] = alpha << 24 | 0x00FFFFFF;
            }
        font.aGlyph.push_back(
            {codes[g], 0, static_cast<f32>(cellX) / pageWidth, static_cast<f32>(cellY) / pageHeight,
             static_cast<f32>(cellX + cellWidth) / pageWidth,
             static_cast<f32>(cellY + cellHeight) / pageHeight, 0.0f, bitmap.fAdvance, 0.0f});
    }
    font.aLevel.clear();
    font.aLevel.push_back(std::move(page));
    for (i32 level = 1; level < PAGE_LEVELS; ++level)
        font.aLevel.push_back(
            HalfLevel(font.aLevel.back(), font.nPageWidth >> (level - 1), font.nPageHeight >> (level - 1)));
    return true;
}

TTexture* AddTextureRecord(TRepositoryWriter& writer, const char* name, i32 width, i32 height,
                           const std::vector<u32>& pixels)
{
    return AddTextureLevels(writer, name, width, height, {pixels});
}

TTexture* AddTextureLevels(TRepositoryWriter& writer, const char* name, i32 width, i32 height,
                           const std::vector<std::vector<u32>>& levels)
{
    TTexture* texture = g_pDxTextureManager->CreateTexture(
        TName(name, true), width, height, 1, static_cast<i32>(levels.size()), TEXTURE_2D, FORMAT_A8R8G8B8, 0);
    // One block, the levels one after the other.
    std::vector<u32> block;
    for (size_t level = 0; level < levels.size(); ++level)
    {
        const u32 offset = static_cast<u32>(block.size() * 4);
        texture->m_aLevel.Add({offset, static_cast<u32>(levels[level].size() * 4),
                               static_cast<u32>(std::max(width >> level, 1)) * 4});
        block.insert(block.end(), levels[level].begin(), levels[level].end());
    }
    writer.AddBlock(texture, block.data(), static_cast<u32>(block.size() * 4));
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
        &font, AddTextureLevels(writer, page.c_str(), raster.nPageWidth, raster.nPageHeight, raster.aLevel));
    g_pTextureFontManager->Fonts().Add(&font);
}
