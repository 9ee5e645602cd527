#pragma once
// The forward renderer's lit meshes: the vertex model "forwardlit" shared by the directional and
// the spot pixel models (forwarddirectional.cpp, forwardspot.cpp), and what both read.
//
// forwardlit vertex constants: c0-c3 view x projection (TFinalMatrix), c4-c7 world
// (TObjectMatrix). Varyings: 0 the vertex colour (white without one), 1 the texture coordinates,
// 2 the unit world normal with w 1 (or (0, 0, 0, 0) for a vertex without normal, lit fully), 3
// the world position, 4 the reflection coordinates (the world normal's x and z mapped onto the
// texture).
//
// Pixel constants c0-c19 are the current-light block (engine/render/lightsettings.h): c0 the
// light's position and range, c1 the direction towards it and its intensity, c2 its colour, c3
// its second colour (the directional pass's ambient), c4 the spot's outer and inner cosines.
#include "platform/d3d9/pixelmodel.h"
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

// How much a surface of normal n (w: 1 with a normal, 0 without) faces the unit direction l:
// max(0, n.l), and fully without a normal. The interpolated normal is taken as it comes: a flat
// face's is the unit normal of its corners, a curved surface's a little shorter between them.
template <class L> [[gnu::always_inline]] inline L Facing(const TLaneVector<L>& n, const TLaneVector<L>& l)
{
    return Max(Dot3(n, l), L(0.0f)) * n.w + (L(1.0f) - n.w);
}

// Whether every lane lies below zero (one not a number does not).
[[gnu::always_inline]] inline bool AllNegative(const TQuad& a)
{
    return _mm_movemask_ps(_mm_cmplt_ps(a.v, _mm_setzero_ps())) == 0xF;
}
[[gnu::target("avx2")]] inline bool AllNegative(const TQuadPair& a)
{
    return _mm256_movemask_ps(_mm256_cmp_ps(a.v, _mm256_setzero_ps(), _CMP_LT_OQ)) == 0xFF;
}

// Texture 0 times the vertex colour; `weight` (0 or 1, a constant of the program) takes white
// for programs of untextured meshes.
template <class Quad> [[gnu::always_inline]] inline auto Surface(const Quad& in, float weight)
{
    typedef typename Quad::Lanes L;
    const TLaneVector<L> texel = in.Texture(0);
    const L w(weight), rest(1.0f - weight);
    const TLaneVector<L> surface = {texel.x * w + rest, texel.y * w + rest, texel.z * w + rest, texel.w * w + rest};
    return surface * in.Varying(kColourVarying);
}
} // namespace ForwardLit
