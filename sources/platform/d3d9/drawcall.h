#pragma once
// Everything the rasteriser needs to know of one draw, gathered by the device from its state.
#include "platform/d3d9/image.h"
#include "platform/d3d9/sampler.h"
#include "platform/d3d9/shadingmodel.h"

// A render state that holds a float.
inline float StateFloat(DWORD bits)
{
    float value;
    __builtin_memcpy(&value, &bits, 4);
    return value;
}

struct TStreamSource
{
    const std::uint8_t* bytes;
    UINT size; // bytes from `bytes` on
    UINT stride;
};

struct TDrawCall
{
    D3DPRIMITIVETYPE type;
    UINT primitiveCount;
    // Vertices: with indices, vertex = baseVertex + index; without, startVertex + n.
    const void* indices; // null for DrawPrimitive
    UINT indexSize;      // 2 or 4
    UINT startIndex;
    INT baseVertex;
    UINT startVertex;

    const std::vector<D3DVERTEXELEMENT9>* elements;
    const signed char* registerOf;
    TStreamSource streams[16];
    bool preTransformed; // POSITIONT: x, y, z, 1/w in window coordinates

    const TVertexModel* vertexModel;
    const TPixelModel* pixelModel;
    TShaderConstants vertexConstants;
    TShaderConstants pixelConstants;
    const TSamplerSet* samplers;

    TImage* targets[kMaxRenderTargets]; // null where nothing is bound
    TImage* depthStencil;
    const DWORD* renderStates; // D3DRS_COUNT entries
    D3DVIEWPORT9 viewport;
    RECT clip; // viewport, target and (when enabled) scissor together
    // Where the planes take their values: the corner of the clip rectangle before the scissor, so
    // that a scissor only drops pixels and never changes the rounding of those it keeps.
    LONG originX, originY;
};
