#pragma once
// TVegetationVertex: a vertex of the plant meshes' "vegetation" layout (36 bytes): position,
// normal, texture coordinates, and the cell of the 8 x 8 ground grid (row x 8 + column) that the
// height map measures under the mesh's box at the vertex. The vegetation shaders take that cell's
// value off the vertex's height, so the plant stands on the ground.
#include "core/math/boundbox.h"
#include "core/system/types.h"
#include "engine/render/meshdata.h"

#include <cstddef>

constexpr const char* VEGETATION_VERTEX_LAYOUT = "vegetation";

struct TVegetationVertex
{
    f32 x, y, z;
    f32 nx, ny, nz;
    f32 u, v;
    f32 fGroundCell;
};
static_assert(sizeof(TVegetationVertex) == 36);
static_assert(offsetof(TVegetationVertex, nx) == 12);
static_assert(offsetof(TVegetationVertex, u) == 24);
static_assert(offsetof(TVegetationVertex, fGroundCell) == 32);

// The layout's description: its name and its four elements (no counts yet).
TMeshDescription VegetationVertexDescription();
// The grid cell over the box (its own frame) that holds (x, z): the column across x and the row
// across z, each of 8 from the box's minimum; a point outside takes the nearest cell, a box
// without extent the first.
u32 VegetationGroundCell(f32 x, f32 z, const TBoundBox& box);
