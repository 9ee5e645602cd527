#pragma once
// One FreeType face at one pixel size: the glyph advances that both GDI measuring and D3DX
// drawing use, so a measured width is exactly the drawn advance, and the glyph coverage
// bitmaps D3DX fonts copy into their textures. Faces are shared through TFontFaceCache.
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

struct TGlyphBitmap
{
    int advance = 0;
    int left = 0; // from the pen to the bitmap's first column
    int top = 0;  // from the baseline up to the bitmap's first row
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> coverage; // width x height, 0-255
};

class TFontFace
{
public:
    // `file` is a font file; `pixels` the em size. Check IsValid after construction.
    TFontFace(const std::string& file, int pixels);
    ~TFontFace();
    TFontFace(const TFontFace&) = delete;
    TFontFace& operator=(const TFontFace&) = delete;

    bool IsValid() const { return face_ != nullptr; }
    int Pixels() const { return pixels_; }
    int Ascent() const { return ascent_; }
    int Descent() const { return descent_; }
    int LineHeight() const { return ascent_ + descent_; }

    // Whole-pixel advance of the character (hinted, no kerning, as GDI).
    int Advance(char32_t character);
    int Width(const char32_t* text, std::size_t count);
    bool Render(char32_t character, TGlyphBitmap& glyph);

    // The em size of a GDI font height: negative is the character height, positive the cell
    // height (ascent + descent), 0 the default.
    static int EmPixels(const std::string& file, int height);

private:
    int LoadAdvance(char32_t character);

    void* face_ = nullptr; // FT_Face
    int pixels_;
    int ascent_ = 0;
    int descent_ = 0;
    std::mutex mutex_;
    std::unordered_map<char32_t, int> advances_;
};
