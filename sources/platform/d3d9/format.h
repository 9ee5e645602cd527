#pragma once
// What the software device knows of each D3DFORMAT: sizes, pitches, the texel conversions
// used by sampling, render-target writes and copies, and DXT block decoding.
#include "platform/d3d9/d3d9types.h"

#include <cstdint>

enum class EFormatClass : std::uint8_t
{
    Colour, // texels of whole bytes that convert to and from four floats
    Block,  // DXT: 4x4 blocks
    Depth,  // depth-stencil formats
    Buffer, // vertex and index data, palettes: known but not sampled
};

struct TFormatInfo
{
    D3DFORMAT format;
    std::uint8_t bits; // per texel (per texel of a block for DXT)
    EFormatClass kind;
    bool renderTarget; // can be drawn into
    bool stencil;      // a depth format with a stencil part
};

// The table entry of a format, or null for an unknown one.
const TFormatInfo* FindFormat(D3DFORMAT format);
bool IsBlockFormat(D3DFORMAT format);
bool IsDepthFormat(D3DFORMAT format);

// Bytes of one locked row: width x bytes per texel, or one row of 4x4 blocks for DXT.
UINT FormatPitch(D3DFORMAT format, UINT width);
// Rows of that pitch in a surface of the given height (block rows for DXT).
UINT FormatRowCount(D3DFORMAT format, UINT height);
UINT FormatSurfaceSize(D3DFORMAT format, UINT width, UINT height);

// One texel of a colour format to and from (r, g, b, a). Channels a format lacks read as 1
// (alpha and colour), except the colour of A8, which reads as 0.
void ReadTexel(D3DFORMAT format, const std::uint8_t* texel, float rgba[4]);
void WriteTexel(D3DFORMAT format, std::uint8_t* texel, const float rgba[4]);

// The 16 texels of one DXT block as A8R8G8B8 words, row by row.
void DecodeDxtBlock(D3DFORMAT format, const std::uint8_t* block, std::uint32_t argb[16]);

float D3D9HalfToFloat(std::uint16_t half);
std::uint16_t D3D9FloatToHalf(float value);
