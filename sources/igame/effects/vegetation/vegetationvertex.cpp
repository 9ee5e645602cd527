#include "igame/effects/vegetation/vegetationvertex.h"

#include "igame/effects/vegetation/vegetationheightcache.h"

#include <algorithm>

namespace
{
u32 GridStep(f32 at, f32 minimum, f32 size)
{
    const f32 step = size > 0.0f ? (at - minimum) / size * VEGETATION_HEIGHT_GRID : 0.0f;
    // Not a number counts as the first step.
    return step > 0.0f ? static_cast<u32>(std::min(step, VEGETATION_HEIGHT_GRID - 1.0f)) : 0;
}
} // namespace

TMeshDescription VegetationVertexDescription()
{
    TMeshDescription description = {};
    description.nStride = sizeof(TVegetationVertex);
    description.VertexLayout = TName(VEGETATION_VERTEX_LAYOUT, true);
    description.nElementCount = 4;
    description.aElement[0] = {offsetof(TVegetationVertex, x), MESH_USAGE_POSITION, MESH_TYPE_FLOAT3, 0};
    description.aElement[1] = {offsetof(TVegetationVertex, nx), MESH_USAGE_NORMAL, MESH_TYPE_FLOAT3, 0};
    description.aElement[2] = {offsetof(TVegetationVertex, u), MESH_USAGE_TEXCOORD, MESH_TYPE_FLOAT2, 0};
    description.aElement[3] = {offsetof(TVegetationVertex, fGroundCell), MESH_USAGE_TEXCOORD, MESH_TYPE_FLOAT1, 1};
    return description;
}

u32 VegetationGroundCell(f32 x, f32 z, const TBoundBox& box)
{
    return GridStep(z, box.minimum.z, box.size[2]) * VEGETATION_HEIGHT_GRID + GridStep(x, box.minimum.x, box.size[0]);
}
