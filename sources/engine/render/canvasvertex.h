#pragma once
// TCanvasVertex: one vertex of the canvas batches: position (x, y, z, w), texture coordinates,
// 0xAARRGGBB colour.
#include "core/system/types.h"
#include "engine/render/meshdata.h"

struct TCanvasVertex
{
    f32 x, y, z, w;
    f32 u, v;
    u32 nColor;
};
static_assert(sizeof(TCanvasVertex) == 28);

// The declaration of canvas vertices, vertex layout "canvas": the canvas's batches and every
// mesh the canvas's shaders draw.
TMeshDescription CanvasVertexDescription();
