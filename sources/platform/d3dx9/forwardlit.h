#pragma once
// The forward renderer's lit meshes: the vertex model "forwardlit" shared by the directional and
// the spot pixel models (forwarddirectional.cpp, forwardspot.cpp), and what both read.
//
// forwardlit vertex constants: c0-c3 view x projection (TFinalMatrix), c4-c7 world
// (TObjectMatrix). Varyings: 0 the vertex colour (white without one), 1 the texture coordinates,
// 2 the world normal ((0, 0, 0) for a vertex without normal), 3 the world position, 4 the
// reflection coordinates (the world normal's x and z mapped onto the texture).
//
// Pixel constants c0-c19 are the current-light block (engine/render/lightsettings.h): c0 the
// light's position and range, c1 the direction towards it and its intensity, c2 its colour, c3
// its second colour (the directional pass's ambient), c4 the spot's outer and inner cosines.
#include "platform/d3dx9/shadingmodels.h"

namespace ForwardLit
{
constexpr int kColourVarying = 0;
constexpr int kTextureVarying = 1;
constexpr int kNormalVarying = 2;
constexpr int kPositionVarying = 3;
constexpr int kReflectionVarying = 4;
constexpr int kVaryingCount = 5;

constexpr int kLightPosition = 0;
constexpr int kLightDirection = 1;
constexpr int kLightColour = 2;
constexpr int kLightAmbient = 3;
constexpr int kLightCone = 4;

// Lanes of a where the mask is set, of b elsewhere.
inline TQuad Select(TQuad mask, TQuad a, TQuad b)
{
    return _mm_or_ps(_mm_and_ps(mask.v, a.v), _mm_andnot_ps(mask.v, b.v));
}

// How much a surface of normal n faces the unit direction l: max(0, n.l / |n|), and fully for a
// vertex that had no normal.
inline TQuad Facing(const TQuadVector& n, const TQuadVector& l)
{
    const TQuad length2 = Dot3(n, n);
    const TQuad none = _mm_cmplt_ps(length2.v, _mm_set1_ps(1e-12f));
    const TQuad facing = Max(Dot3(n, l) / Sqrt(Max(length2, 1e-12f)), 0.0f);
    return Select(none, 1.0f, facing);
}

// Texture 0 times the vertex colour; `weight` (0 or 1, a constant of the program) takes white
// for programs of untextured meshes.
inline TQuadVector Surface(const TPixelInput& input, float weight)
{
    const TQuadVector texel = ShadingModel::Texture0(input);
    const TQuad w(weight), rest(1.0f - weight);
    const TQuadVector surface = {texel.x * w + rest, texel.y * w + rest, texel.z * w + rest, texel.w * w + rest};
    return surface * input.varying[kColourVarying];
}
} // namespace ForwardLit
