#pragma once
// The pictures of the game's UX records, made here as A8R8G8B8 texels (rows from the top):
// frames, bands, tiles, flags, the marks of check boxes and radio buttons, arrows and knobs.
#include "core/system/types.h"

#include <vector>

namespace UxTextures
{
// A frame of the given width around a fill, corners cut by one texel for a softer edge.
std::vector<u32> Framed(i32 width, i32 height, i32 border, u32 frame, u32 fill);
// The same, square.
inline std::vector<u32> Framed(i32 size, i32 border, u32 frame, u32 fill)
{
    return Framed(size, size, border, frame, fill);
}
// Three horizontal parts: rounded caps around a band that darkens downwards.
std::vector<u32> Header(i32 width, i32 height);
// Two tones in a checker with a light diagonal, repeated over an area.
std::vector<u32> Tile(i32 size);
// Three horizontal bands.
std::vector<u32> Flag(i32 width, i32 height, u32 top, u32 middle, u32 bottom);
// One colour.
std::vector<u32> Solid(i32 width, i32 height, u32 argb);
// From one colour on the left to another on the right.
std::vector<u32> Gradient(i32 width, i32 height, u32 left, u32 right);
// Three parts of a square each (the mark on the left, the rest clear) for three-slice drawing:
// a box, with a tick when checked.
std::vector<u32> CheckMark(i32 size, bool checked, u32 colour);
// The same with a ring, filled in the middle when checked.
std::vector<u32> RadioMark(i32 size, bool checked, u32 colour);
// A triangle pointing up or down on a clear square.
std::vector<u32> Arrow(i32 size, bool up, u32 colour);
// A rounded upright bar.
std::vector<u32> Knob(i32 width, i32 height, u32 frame, u32 fill);
} // namespace UxTextures
