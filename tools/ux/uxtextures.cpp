#include "uxtextures.h"

#include <algorithm>
#include <cmath>

namespace UxTextures
{
namespace
{
size_t At(i32 width, i32 x, i32 y)
{
    return static_cast<size_t>(y * width + x);
}

// The distance from (x, y) to the segment (ax, ay) - (bx, by).
f32 SegmentDistance(f32 x, f32 y, f32 ax, f32 ay, f32 bx, f32 by)
{
    const f32 dx = bx - ax;
    const f32 dy = by - ay;
    const f32 t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    return std::hypot(x - (ax + t * dx), y - (ay + t * dy));
}

u32 Channel(u32 argb, u32 shift)
{
    return argb >> shift & 0xFF;
}
} // namespace

std::vector<u32> Framed(i32 width, i32 height, i32 border, u32 frame, u32 fill)
{
    std::vector<u32> texels(static_cast<size_t>(width * height));
    for (i32 y = 0; y < height; ++y)
        for (i32 x = 0; x < width; ++x)
        {
            const bool corner = (x == 0 || x == width - 1) && (y == 0 || y == height - 1);
            const bool edge = x < border || y < border || x >= width - border || y >= height - border;
            texels[At(width, x, y)] = corner ? 0 : edge ? frame : fill;
        }
    return texels;
}

std::vector<u32> Header(i32 width, i32 height)
{
    std::vector<u32> texels(static_cast<size_t>(width * height));
    const i32 cap = width / 3;
    for (i32 y = 0; y < height; ++y)
        for (i32 x = 0; x < width; ++x)
        {
            const i32 shade = 0x90 - y * 4;
            u32 texel = 0xFF000000u | static_cast<u32>(shade / 3) << 16 | static_cast<u32>(shade * 2 / 3) << 8 |
                        static_cast<u32>(shade);
            const i32 dx = x < cap ? cap - 1 - x : x >= width - cap ? x - (width - cap) : -1;
            if (dx >= 0 && (dx - cap / 2) * (dx - cap / 2) + (y - height / 2) * (y - height / 2) > cap * cap / 4 &&
                dx > cap / 2)
                texel = 0;
            texels[At(width, x, y)] = texel;
        }
    return texels;
}

std::vector<u32> Tile(i32 size)
{
    std::vector<u32> texels(static_cast<size_t>(size * size));
    for (i32 y = 0; y < size; ++y)
        for (i32 x = 0; x < size; ++x)
            texels[At(size, x, y)] =
                x == y ? 0xFF5070A0 : ((x / (size / 2) + y / (size / 2)) % 2 ? 0xFF203040 : 0xFF2A3E52);
    return texels;
}

std::vector<u32> Flag(i32 width, i32 height, u32 top, u32 middle, u32 bottom)
{
    std::vector<u32> texels(static_cast<size_t>(width * height));
    for (i32 y = 0; y < height; ++y)
        for (i32 x = 0; x < width; ++x)
            texels[At(width, x, y)] = y < height / 3 ? top : y < 2 * height / 3 ? middle : bottom;
    return texels;
}

std::vector<u32> Solid(i32 width, i32 height, u32 argb)
{
    return std::vector<u32>(static_cast<size_t>(width * height), argb);
}

std::vector<u32> Gradient(i32 width, i32 height, u32 left, u32 right)
{
    std::vector<u32> texels(static_cast<size_t>(width * height));
    for (i32 x = 0; x < width; ++x)
    {
        const f32 t = width > 1 ? static_cast<f32>(x) / static_cast<f32>(width - 1) : 0.0f;
        u32 texel = 0;
        for (u32 shift : {0u, 8u, 16u, 24u})
        {
            const f32 value = static_cast<f32>(Channel(left, shift)) * (1.0f - t) +
                              static_cast<f32>(Channel(right, shift)) * t;
            texel |= static_cast<u32>(std::lround(value)) << shift;
        }
        for (i32 y = 0; y < height; ++y)
            texels[At(width, x, y)] = texel;
    }
    return texels;
}

std::vector<u32> CheckMark(i32 size, bool checked, u32 colour)
{
    const i32 width = size * 3;
    std::vector<u32> texels(static_cast<size_t>(width * size), 0);
    const f32 s = static_cast<f32>(size);
    // A box of two thirds of the square, in its middle.
    const i32 inset = size / 6;
    for (i32 y = inset; y < size - inset; ++y)
        for (i32 x = inset; x < size - inset; ++x)
        {
            const bool frame = x < inset + 3 || y < inset + 3 || x >= size - inset - 3 || y >= size - inset - 3;
            u32 texel = frame ? colour : 0xC0101820;
            const f32 px = static_cast<f32>(x) + 0.5f;
            const f32 py = static_cast<f32>(y) + 0.5f;
            if (checked && std::min(SegmentDistance(px, py, 0.27f * s, 0.52f * s, 0.44f * s, 0.7f * s),
                                    SegmentDistance(px, py, 0.44f * s, 0.7f * s, 0.76f * s, 0.3f * s)) < 0.08f * s)
                texel = colour;
            texels[At(width, x, y)] = texel;
        }
    return texels;
}

std::vector<u32> RadioMark(i32 size, bool checked, u32 colour)
{
    const i32 width = size * 3;
    std::vector<u32> texels(static_cast<size_t>(width * size), 0);
    const f32 centre = static_cast<f32>(size) * 0.5f;
    const f32 outer = static_cast<f32>(size) / 3.0f;
    for (i32 y = 0; y < size; ++y)
        for (i32 x = 0; x < size; ++x)
        {
            const f32 d = std::hypot(static_cast<f32>(x) + 0.5f - centre, static_cast<f32>(y) + 0.5f - centre);
            if (d > outer)
                continue;
            u32 texel = d > outer - 3.0f ? colour : 0xC0101820;
            if (checked && d < outer * 0.5f)
                texel = colour;
            texels[At(width, x, y)] = texel;
        }
    return texels;
}

std::vector<u32> Arrow(i32 size, bool up, u32 colour)
{
    std::vector<u32> texels(static_cast<size_t>(size * size), 0);
    const f32 s = static_cast<f32>(size);
    for (i32 y = 0; y < size; ++y)
        for (i32 x = 0; x < size; ++x)
        {
            // Rows from the point: the triangle widens by one texel each way per row.
            const f32 row = (up ? static_cast<f32>(y) : s - 1.0f - static_cast<f32>(y)) - 0.3f * s;
            const f32 half = row * 0.75f;
            if (row >= 0.0f && row <= 0.4f * s && std::fabs(static_cast<f32>(x) + 0.5f - s * 0.5f) <= half + 0.5f)
                texels[At(size, x, y)] = colour;
        }
    return texels;
}

std::vector<u32> Knob(i32 width, i32 height, u32 frame, u32 fill)
{
    std::vector<u32> texels(static_cast<size_t>(width * height), 0);
    const f32 radius = static_cast<f32>(width) * 0.5f;
    for (i32 y = 0; y < height; ++y)
        for (i32 x = 0; x < width; ++x)
        {
            // Half circles at both ends of a straight part.
            const f32 px = static_cast<f32>(x) + 0.5f;
            const f32 py = std::clamp(static_cast<f32>(y) + 0.5f, radius, static_cast<f32>(height) - radius);
            const f32 d = std::hypot(px - radius, static_cast<f32>(y) + 0.5f - py);
            if (d <= radius - 0.5f)
                texels[At(width, x, y)] = d > radius - 3.0f ? frame : fill;
        }
    return texels;
}
} // namespace UxTextures
