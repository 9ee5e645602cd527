#include "igame/effects/skystream.h"

#include "engine/render/meshdata.h"
#include "igame/effects/atmospherevertexpool.h"

namespace
{
TMeshDescription MakeFormat()
{
    TMeshDescription format = {};
    format.nStride = sizeof(TSkyVertex);
    format.nElementCount = 3;
    format.aElement[0] = {offsetof(TSkyVertex, x), MESH_USAGE_POSITION, MESH_TYPE_FLOAT3, 0};
    format.aElement[1] = {offsetof(TSkyVertex, aNormal), MESH_USAGE_NORMAL, MESH_TYPE_HALF4, 0};
    format.aElement[2] = {offsetof(TSkyVertex, u), MESH_USAGE_TEXCOORD, MESH_TYPE_FLOAT2, 0};
    format.VertexLayout = TName("sky", true);
    return format;
}
} // namespace

const TMeshDescription& SkyVertexFormat()
{
    static const TMeshDescription s_Format = MakeFormat();
    return s_Format;
}

TSkyStream& TSkyStream::Get()
{
    static TSkyStream s_Stream;
    return s_Stream;
}

TSkyStream::TSkyStream() : TVertexStream(SKY_STREAM_VERTICES, sizeof(TSkyVertex), SkyVertexFormat())
{
}
