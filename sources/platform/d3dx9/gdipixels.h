#pragma once
// The pixel work behind the GDI calls, on views of 32-bit B, G, R, X pixels. Every operation
// clips to both views, so callers pass rectangles as the caller of the GDI call gave them.
#include "platform/d3dx9/fontface.h"
#include "platform/windef/windef.h"

#include <cstddef>
#include <cstdint>

struct TGdiPixels
{
    // Row 0 is the top row; stride is negative for bottom-up storage.
    std::uint8_t* origin = nullptr;
    std::ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
    // The part that may be drawn on: the whole image unless the context clips.
    RECT bounds = {0, 0, 0, 0};

    std::uint32_t* Row(int y) const { return reinterpret_cast<std::uint32_t*>(origin + y * stride); }
};

// The vector width the pixel work may use at most: the widest the processor has by default.
// Every width gives the same pixels.
enum class EGdiVectors
{
    Bits128,
    Bits256,
    Bits512,
    Widest = Bits512
};

// A GDI colour (0x00BBGGRR) as a pixel (0x00RRGGBB).
std::uint32_t GdiPixelOf(DWORD colour);

void GdiFill(const TGdiPixels& target, RECT area, std::uint32_t pixel);
// Copies width x height pixels from (sourceX, sourceY) to (x, y).
void GdiCopy(const TGdiPixels& target, int x, int y, const TGdiPixels& source, int sourceX, int sourceY, int width,
             int height);
// Scales the source rectangle (inside the source) onto the target rectangle: halftone averages
// the covered source pixels by their covered area, otherwise the nearest pixel is taken.
void GdiStretch(const TGdiPixels& target, RECT area, const TGdiPixels& source, RECT sourceArea, bool halftone,
                EGdiVectors vectors = EGdiVectors::Widest);
// target = source x alpha / 255 + target x (255 - alpha) / 255, rounded, per byte.
void GdiBlend(const TGdiPixels& target, int x, int y, const TGdiPixels& source, int sourceX, int sourceY,
              int width, int height, std::uint8_t alpha);
// One row of the blend (bytes of the target and the source, from the first byte on).
using TGdiBlendRow = void (*)(std::uint8_t* to, const std::uint8_t* from, int bytes, std::uint8_t alpha);
// The row blend of the widest vectors up to that width the processor has.
TGdiBlendRow GdiBlendRowFor(EGdiVectors vectors);
// One glyph's coverage in the colour, its pen at (x, baseline), cut to the clip rectangle.
void GdiDrawGlyph(const TGdiPixels& target, const RECT& clip, int x, int baseline, const TGlyphBitmap& glyph,
                  std::uint32_t pixel);
