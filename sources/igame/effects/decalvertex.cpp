#include "igame/effects/decalvertex.h"

#include "engine/render/meshdata.h"

namespace
{
TMeshDescription MakeFormat()
{
    TMeshDescription format = {};
    format.nStride = sizeof(TDecalVertex);
    format.nElementCount = 8;
    format.aElement[0] = {offsetof(TDecalVertex, aPosition), MESH_USAGE_POSITION, MESH_TYPE_FLOAT3, 0};
    format.aElement[1] = {offsetof(TDecalVertex, aUp), MESH_USAGE_NORMAL, MESH_TYPE_HALF4, 0};
    format.aElement[2] = {offsetof(TDecalVertex, aTangent), MESH_USAGE_TANGENT, MESH_TYPE_HALF4, 0};
    format.aElement[3] = {offsetof(TDecalVertex, aThird), MESH_USAGE_BINORMAL, MESH_TYPE_HALF4, 0};
    format.aElement[4] = {offsetof(TDecalVertex, aTexCoord), MESH_USAGE_TEXCOORD, MESH_TYPE_FLOAT2, 0};
    format.aElement[5] = {offsetof(TDecalVertex, aZero), MESH_USAGE_TEXCOORD, MESH_TYPE_FLOAT2, 1};
    format.aElement[6] = {offsetof(TDecalVertex, aOne), MESH_USAGE_TEXCOORD, MESH_TYPE_FLOAT2, 2};
    format.aElement[7] = {offsetof(TDecalVertex, nColour), MESH_USAGE_COLOUR, MESH_TYPE_COLOUR, 0};
    format.VertexLayout = TName("decal", true);
    return format;
}
} // namespace

const TMeshDescription& DecalVertexFormat()
{
    static const TMeshDescription s_Format = MakeFormat();
    return s_Format;
}
