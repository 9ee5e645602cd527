#pragma once
// TDecalVertex: one vertex of decal geometry (64 bytes), as the projection writes it and static
// pools store it: world position, the decal frame's three axes in half floats, texture
// coordinates along and across the decal, two constant pairs and the colour.
#include "core/system/types.h"

#include <cstddef>

struct TMeshDescription;

struct TDecalVertex
{
    f32 aPosition[3];
    // Up, tangent (x, y, z, 0) and the third axis (x, y, z, 0) as half floats.
    u16 aUp[4];
    u16 aTangent[4];
    u16 aThird[4];
    // Along the decal, then across it.
    f32 aTexCoord[2];
    f32 aZero[2];
    f32 aOne[2];
    u32 nColour;
};

static_assert(sizeof(TDecalVertex) == 64);
static_assert(offsetof(TDecalVertex, aUp) == 12 && offsetof(TDecalVertex, aTangent) == 20);
static_assert(offsetof(TDecalVertex, aThird) == 28 && offsetof(TDecalVertex, aTexCoord) == 36);
static_assert(offsetof(TDecalVertex, aZero) == 44 && offsetof(TDecalVertex, aOne) == 52);
static_assert(offsetof(TDecalVertex, nColour) == 60);

// The vertex layout "decal": the eight parts of TDecalVertex in order.
const TMeshDescription& DecalVertexFormat();
