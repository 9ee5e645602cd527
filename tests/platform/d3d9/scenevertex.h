#pragma once
// The vertex of the scenes that draw every pixel model the program registers: clip position,
// colour, and two sets of texture coordinates (the second a normal and a position too).
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/shadingmodel.h"

struct TSceneVertex
{
    float x, y, z, w;
    D3DCOLOR colour;
    float u, v;
    float s, t, r;
};

inline const D3DVERTEXELEMENT9 kSceneElements[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITION, 0},
                                                   {0, 16, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                                   {0, 20, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                                   {0, 28, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_TEXCOORD, 1},
                                                   D3DDECL_END()};

// Varying 0 and 5 the colour, 1 and 4 the first coordinates, 2 and 3 the second (a normal, a
// position).
inline void SceneVertex(const TVertexInput& input, const TShaderConstants&, TVertexOutput& output)
{
    const float* position = input.Attribute(D3DDECLUSAGE_POSITION);
    const float* colour = input.Attribute(D3DDECLUSAGE_COLOR);
    const float* first = input.Attribute(D3DDECLUSAGE_TEXCOORD, 0);
    const float* second = input.Attribute(D3DDECLUSAGE_TEXCOORD, 1);
    for (int c = 0; c < 4; ++c)
    {
        output.position[c] = position[c];
        output.varying[0][c] = output.varying[5][c] = colour[c];
        output.varying[1][c] = output.varying[4][c] = first[c];
        output.varying[2][c] = output.varying[3][c] = second[c];
    }
}

inline const TVertexModelRegistration kSceneVertex("test.scene", SceneVertex, 6);
