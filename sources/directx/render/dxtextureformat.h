#pragma once
// The engine's texture-format codes (a group number in the high byte, an index in the low
// byte) against Direct3D 9's D3DFORMAT, both ways, with the bits per pixel used for sizes.
#include "core/system/types.h"
#include "platform/d3d9/d3d9types.h"

// Groups of the engine codes.
constexpr u32 TEXTURE_FORMAT_DEPTH_GROUP = 0x200;
constexpr u32 TEXTURE_FORMAT_DXT_GROUP = 0x300;
constexpr u32 TEXTURE_FORMAT_A8R8G8B8 = 0x102;
constexpr u32 TEXTURE_FORMAT_X8R8G8B8 = 0x103;

// The engine code of a D3DFORMAT; 0 (and a log line) for an unknown one.
u32 GetFormat(D3DFORMAT format);
// The D3DFORMAT of an engine code; D3DFMT_UNKNOWN (and a log line) for an unknown one.
D3DFORMAT GetD3DFormat(u32 engineFormat);
// Bits per pixel; 32 (and a log line) for an unknown format.
u32 GetFormatBitDepth(D3DFORMAT format);
bool IsDxtFormat(D3DFORMAT format);
// Bytes of a surface: DXT formats count rows of 4 (height rounded up to 4, times pitch / 4),
// the others bits x width x height / 8, at least 1.
u32 GetSurfaceSize(D3DFORMAT format, u32 width, u32 height, u32 pitch);
