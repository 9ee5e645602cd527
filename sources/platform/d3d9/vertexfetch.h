#pragma once
// Vertex fetch: one element of a vertex, of any declaration type, as four floats; components
// a type lacks read as (0, 0, 0, 1).
#include "platform/d3d9/d3d9types.h"

#include <cstdint>

void FetchVertexElement(BYTE type, const std::uint8_t* data, float out[4]);
