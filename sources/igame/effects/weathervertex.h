#pragma once
// TWeatherVertex: one corner of a weather particle (16 bytes): its place in the 60-unit volume
// and two corner codes (0 or 1) the shader grows into a camera-facing streak. Declared in memory
// order, layout "weather".
#include "core/system/types.h"

#include <cstddef>

struct TMeshDescription;

struct TWeatherVertex
{
    f32 x, y, z;
    i16 aCorner[2];
};

static_assert(sizeof(TWeatherVertex) == 16);
static_assert(offsetof(TWeatherVertex, aCorner) == 12);

const TMeshDescription& WeatherVertexFormat();
