#include "engine/render/canvasvertex.h"

#include <cstddef>

TMeshDescription CanvasVertexDescription()
{
    TMeshDescription description = {};
    description.nStride = sizeof(TCanvasVertex);
    description.nElementCount = 3;
    description.aElement[0] = {offsetof(TCanvasVertex, x), MESH_USAGE_POSITION, MESH_TYPE_FLOAT4, 0};
    description.aElement[1] = {offsetof(TCanvasVertex, u), MESH_USAGE_TEXCOORD, MESH_TYPE_FLOAT2, 0};
    description.aElement[2] = {offsetof(TCanvasVertex, nColor), MESH_USAGE_COLOUR, MESH_TYPE_COLOUR, 0};
    description.VertexLayout = TName("canvas", true);
    return description;
}
