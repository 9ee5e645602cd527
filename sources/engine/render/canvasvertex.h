#pragma once
// TCanvasVertex: one vertex of the canvas batches: position (x, y, z, w), texture coordinates,
// 0xAARRGGBB colour.
#include "core/system/types.h"

struct TCanvasVertex
{
    f32 x, y, z, w;
    f32 u, v;
    u32 nColor;
};
static_assert(sizeof(TCanvasVertex) == 28);
