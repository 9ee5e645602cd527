#include "platform/d3dx9/fontface.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cstdio>
#include <cstring>

namespace
{
constexpr int kDefaultEmPixels = 16;
constexpr int kMaxEmPixels = 1024;
constexpr char32_t kFirstPrintable = 0x20;

// Faces are created and destroyed under this lock: the library object is not thread-safe.
std::mutex g_libraryMutex;

FT_Library Library()
{
    static FT_Library library = [] {
        FT_Library made = nullptr;
        if (FT_Init_FreeType(&made) != 0)
        {
            std::fprintf(stderr, "d3dx: FreeType failed to start\n");
            return FT_Library(nullptr);
        }
        return made;
    }();
    return library;
}

int Ceil26Dot6(FT_Pos value)
{
    return int((value + 63) >> 6);
}
} // namespace

TFontFace::TFontFace(const std::string& file, int pixels) : pixels_(pixels)
{
    std::lock_guard<std::mutex> lock(g_libraryMutex);
    FT_Library library = Library();
    FT_Face face = nullptr;
    if (!library || FT_New_Face(library, file.c_str(), 0, &face) != 0)
    {
        std::fprintf(stderr, "d3dx: cannot read the font file '%s'\n", file.c_str());
        return;
    }
    if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels)) != 0)
    {
        std::fprintf(stderr, "d3dx: font '%s' has no size %d\n", file.c_str(), pixels);
        FT_Done_Face(face);
        return;
    }
    face_ = face;
    ascent_ = Ceil26Dot6(face->size->metrics.ascender);
    descent_ = Ceil26Dot6(-face->size->metrics.descender);
}

TFontFace::~TFontFace()
{
    std::lock_guard<std::mutex> lock(g_libraryMutex);
    if (face_)
        FT_Done_Face(static_cast<FT_Face>(face_));
}

int TFontFace::EmPixels(const std::string& file, int height)
{
    if (height < 0)
        return -height > kMaxEmPixels ? kMaxEmPixels : -height;
    if (height == 0)
        return kDefaultEmPixels;
    // A cell height: scale by the em's share of the ascent and descent the font declares.
    std::lock_guard<std::mutex> lock(g_libraryMutex);
    FT_Library library = Library();
    FT_Face face = nullptr;
    if (!library || FT_New_Face(library, file.c_str(), 0, &face) != 0)
        return height;
    int em = height;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const long cell =
        os2 ? long(os2->usWinAscent) + long(os2->usWinDescent) : long(face->ascender - face->descender);
    if (cell > 0)
        em = int((long(height) * face->units_per_EM + cell / 2) / cell);
    FT_Done_Face(face);
    if (em < 1)
        em = 1;
    return em > kMaxEmPixels ? kMaxEmPixels : em;
}

int TFontFace::LoadAdvance(char32_t character)
{
    FT_Face face = static_cast<FT_Face>(face_);
    const FT_UInt index = FT_Get_Char_Index(face, FT_ULong(character));
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0)
        return 0;
    return int((face->glyph->advance.x + 32) >> 6);
}

int TFontFace::Advance(char32_t character)
{
    // Control characters (line ends among them) take no room, measured or drawn.
    if (!face_ || character < kFirstPrintable)
        return 0;
    std::lock_guard<std::mutex> lock(mutex_);
    auto known = advances_.find(character);
    if (known != advances_.end())
        return known->second;
    const int advance = LoadAdvance(character);
    advances_.emplace(character, advance);
    return advance;
}

int TFontFace::Width(const char32_t* text, std::size_t count)
{
    int width = 0;
    for (std::size_t i = 0; i < count; ++i)
        width += Advance(text[i]);
    return width;
}

bool TFontFace::Render(char32_t character, TGlyphBitmap& glyph)
{
    glyph = TGlyphBitmap();
    if (!face_)
        return false;
    glyph.advance = Advance(character);
    if (character < kFirstPrintable)
        return false;
    std::lock_guard<std::mutex> lock(mutex_);
    FT_Face face = static_cast<FT_Face>(face_);
    const FT_UInt index = FT_Get_Char_Index(face, FT_ULong(character));
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER) != 0)
        return false;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
        return false;
    glyph.left = face->glyph->bitmap_left;
    glyph.top = face->glyph->bitmap_top;
    glyph.width = int(bitmap.width);
    glyph.height = int(bitmap.rows);
    glyph.coverage.resize(std::size_t(glyph.width) * glyph.height);
    for (int y = 0; y < glyph.height; ++y)
        std::memcpy(glyph.coverage.data() + std::size_t(y) * glyph.width, bitmap.buffer + y * bitmap.pitch,
                    std::size_t(glyph.width));
    return true;
}
