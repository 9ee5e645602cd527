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

// A GDI colour (0x00BBGGRR) as a pixel (0x00RRGGBB).
std::uint32_t GdiPixelOf(DWORD colour);

void GdiFill(const TGdiPixels& target, RECT area, std::uint32_t pixel);
// Copies width x height pixels from (sourceX, sourceY) to (x, y).
void GdiCopy(const TGdiPixels& target, int x, int y, const TGdiPixels& source, int sourceX, int sourceY, int width,
             int height);
// Scales the source rectangle (inside the source) onto the target rectangle: halftone averages
// the covered source pixels by their covered area, otherwise the nearest pixel is taken.
void GdiStretch(const TGdiPixels& target, RECT area, const TGdiPixels& source, RECT sourceArea, bool halftone);
// target = source x alpha / 255 + target x (255 - alpha) / 255, rounded, per byte.
void GdiBlend(const TGdiPixels& target, int x, int y, const TGdiPixels& source, int sourceX, int sourceY,
              int width, int height, std::uint8_t alpha);
// One row of the blend with 128-bit or 256-bit vectors; the second only where GdiHasAvx2 says.
void GdiBlendRowSse2(std::uint8_t* to, const std::uint8_t* from, int bytes, std::uint8_t alpha);
void GdiBlendRowAvx2(std::uint8_t* to, const std::uint8_t* from, int bytes, std::uint8_t alpha);
bool GdiHasAvx2();
// One glyph's coverage in the colour, its pen at (x, baseline), cut to the clip rectangle.
void GdiDrawGlyph(const TGdiPixels& target, const RECT& clip, int x, int baseline, const TGlyphBitmap& glyph,
                  std::uint32_t pixel);
