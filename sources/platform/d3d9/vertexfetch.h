#pragma once
// Vertex fetch: one element of a vertex, of any declaration type, as four floats; components
// a type lacks read as (0, 0, 0, 1).
#include "platform/d3d9/d3d9types.h"

#include <cstdint>

void FetchVertexElement(BYTE type, const std::uint8_t* data, float out[4]);

// A D3DCOLOR element (B, G, R, A bytes) as (r, g, b, a) in [0, 1].
inline void FetchColour(const std::uint8_t* data, float out[4])
{
    out[0] = data[2] / 255.0f;
    out[1] = data[1] / 255.0f;
    out[2] = data[0] / 255.0f;
    out[3] = data[3] / 255.0f;
}
