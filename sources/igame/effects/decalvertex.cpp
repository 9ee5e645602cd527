#include "igame/effects/decalvertex.h"

#include "engine/render/meshdata.h"

namespace
{
// Element usages and types of the device layer.
constexpr u32 USAGE_POSITION = 1;
constexpr u32 USAGE_NORMAL = 4;
constexpr u32 USAGE_TEXCOORD = 6;
constexpr u32 USAGE_TANGENT = 7;
constexpr u32 USAGE_BINORMAL = 8;
constexpr u32 USAGE_COLOUR = 11;
constexpr u32 TYPE_FLOAT2 = 2;
constexpr u32 TYPE_FLOAT3 = 3;
constexpr u32 TYPE_COLOUR = 5;
constexpr u32 TYPE_HALF4 = 16;

TMeshDescription MakeFormat()
{
    TMeshDescription format = {};
    format.nStride = sizeof(TDecalVertex);
    format.nElementCount = 8;
    format.aElement[0] = {offsetof(TDecalVertex, aPosition), USAGE_POSITION, TYPE_FLOAT3, 0};
    format.aElement[1] = {offsetof(TDecalVertex, aUp), USAGE_NORMAL, TYPE_HALF4, 0};
    format.aElement[2] = {offsetof(TDecalVertex, aTangent), USAGE_TANGENT, TYPE_HALF4, 0};
    format.aElement[3] = {offsetof(TDecalVertex, aThird), USAGE_BINORMAL, TYPE_HALF4, 0};
    format.aElement[4] = {offsetof(TDecalVertex, aTexCoord), USAGE_TEXCOORD, TYPE_FLOAT2, 0};
    format.aElement[5] = {offsetof(TDecalVertex, aZero), USAGE_TEXCOORD, TYPE_FLOAT2, 1};
    format.aElement[6] = {offsetof(TDecalVertex, aOne), USAGE_TEXCOORD, TYPE_FLOAT2, 2};
    format.aElement[7] = {offsetof(TDecalVertex, nColour), USAGE_COLOUR, TYPE_COLOUR, 0};
    format.VertexLayout = TName("decal", true);
    return format;
}
} // namespace

const TMeshDescription& DecalVertexFormat()
{
    static const TMeshDescription s_Format = MakeFormat();
    return s_Format;
}
