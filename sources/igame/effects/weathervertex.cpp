#include "igame/effects/weathervertex.h"

#include "engine/render/meshdata.h"

namespace
{
TMeshDescription MakeFormat()
{
    TMeshDescription format = {};
    format.nStride = sizeof(TWeatherVertex);
    format.nElementCount = 2;
    format.aElement[0] = {offsetof(TWeatherVertex, x), MESH_USAGE_POSITION, MESH_TYPE_FLOAT3, 0};
    format.aElement[1] = {offsetof(TWeatherVertex, aCorner), MESH_USAGE_TEXCOORD, MESH_TYPE_SHORT2, 0};
    format.VertexLayout = TName("weather", true);
    return format;
}
} // namespace

const TMeshDescription& WeatherVertexFormat()
{
    static const TMeshDescription s_Format = MakeFormat();
    return s_Format;
}
