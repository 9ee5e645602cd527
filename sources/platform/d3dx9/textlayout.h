#pragma once
// Lays a text out in a rectangle the way DrawText does for the formats the engine uses: left,
// centred or right-aligned lines, line feeds, word breaks, single lines, and whether to clip.
// Widths are whole-pixel advances of the face, the same that GDI measuring answers.
#include "platform/d3dx9/fontface.h"
#include "platform/windef/windef.h"

#include <string>
#include <vector>

struct TTextLine
{
    std::size_t first; // into the text
    std::size_t count;
    int x; // pen position of the line's first character
    int y; // top of the line
    int width;
};

struct TTextLayout
{
    std::vector<TTextLine> lines;
    int width = 0;  // of the widest line
    int height = 0; // lines x line height
};

TTextLayout LayoutText(TFontFace& face, const std::u32string& text, const RECT& rect, DWORD format);
