// The deferred renderer's models: the G-buffer writer, the full-screen light passes and the
// combines.
//
// gbuffer (vertex) c0-c3 view x projection (TFinalMatrix), c4-c7 world (TObjectMatrix), c8-c11
//   the camera's view (TDeferredMatrix). Varyings: 0 the vertex colour, 1 the texture
//   coordinates, 2 the unit camera-space normal with w 1 (0 for a vertex without normal), 3 the
//   camera-space position with w 1.
// gbuffer (pixel), four targets at once: Color the surface (slot 0 x vertex colour; c0.x the
//   texture weight, 0 for untextured meshes), Position the camera-space position with w 1 (the
//   frame's clear leaves w 0 where nothing is drawn), Normal the camera-space normal, Temp1 the
//   material (nothing yet but w 1). gbufferalpha: the surface premultiplied by its alpha (the
//   A-buffer); gbufferposition: the position alone (the transparency positions); gbufferflat: an
//   imposter's colour with w 0 everywhere else, so that no light touches it.
// deferreddirectional, deferredpoint, deferredspot (+ subtract): full-screen passes (canvas2d
//   vertex, varying 1 the screen's texture coordinates) over slot 0 Position, 1 Normal and 6 the
//   shadow mask, added into the light target: c0-c19 the current-light block (TLightSettings:
//   c0 position and range, c1 the direction towards the light and the intensity, c2 colour, c3
//   the directional light's ambient, c4 the spot's outer and inner cosines, c6.x the shadow's
//   strength, c7 and c8 the channel selectors), c20-c23 the camera's view. Each adds w 1 where
//   something was drawn, which the combine reads as "lit", and exactly +0 where nothing was. A quad
//   where nothing was drawn, or a point or spot light's quad lying out of its reach or cone, reads
//   neither normal, mask nor projection; a light without a shadow (c6.x 0) reads no mask.
// deferredcombine: slot 0 Color times slot 1 the light where lit, Color alone elsewhere (the
//   background). deferredcombinetransparent: also slot 6 the opaque scene, under the lit
//   transparent colour by its alpha.
#include "platform/d3d9/pixelmodel.h"
#include "platform/d3dx9/shadingmodels.h"

#include <algorithm>
#include <cmath>

using namespace ShadingModel;

namespace
{
constexpr int kFinal = 0;
constexpr int kWorld = 4;
constexpr int kView = 8;
constexpr int kCameraNormalVarying = 2;
constexpr int kCameraPositionVarying = 3;
constexpr int kGBufferVaryings = 4;

void GBufferVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    float world[4];
    Transform(input.Attribute(D3DDECLUSAGE_POSITION), constants.f + kWorld, world);
    world[3] = 1.0f;
    Transform(world, constants.f + kFinal, output.position);
    float* position = output.varying[kCameraPositionVarying];
    Transform(world, constants.f + kView, position);
    position[3] = 1.0f;
    ColourAndTexture(input, output);

    // The normal turned by world and view and made unit length; none stays (0, 0, 0, 0).
    const float* n = input.Attribute(D3DDECLUSAGE_NORMAL);
    const bool hasNormal = input.registerOf[D3DDECLUSAGE_NORMAL * 16] >= 0;
    const float(*w)[4] = constants.f + kWorld;
    const float(*v)[4] = constants.f + kView;
    float turned[3];
    for (int i = 0; i < 3; ++i)
        turned[i] = hasNormal ? n[0] * w[i][0] + n[1] * w[i][1] + n[2] * w[i][2] : 0.0f;
    float* normal = output.varying[kCameraNormalVarying];
    for (int i = 0; i < 3; ++i)
        normal[i] = turned[0] * v[i][0] + turned[1] * v[i][1] + turned[2] * v[i][2];
    const float length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
    const float unit = length > 0.0f ? 1.0f / length : 0.0f;
    for (int i = 0; i < 3; ++i)
        normal[i] *= unit;
    normal[3] = hasNormal ? 1.0f : 0.0f;
}

constexpr int kTextureWeight = 0;

// Texture 0 times the vertex colour; the weight takes white for untextured meshes.
template <class Quad> [[gnu::always_inline]] inline auto Surface(const Quad& in)
{
    typedef typename Quad::Lanes L;
    const TLaneVector<L> texel = in.Texture(0);
    const float weight = in.ConstantValue(kTextureWeight, 0);
    const L w(weight), rest(1.0f - weight);
    const TLaneVector<L> surface = {texel.x * w + rest, texel.y * w + rest, texel.z * w + rest, texel.w * w + rest};
    return surface * in.Varying(kColourVarying);
}

constexpr TModelInputs kGBufferInputs = {.varyings = Varyings(kColourVarying, kCameraNormalVarying, kCameraPositionVarying),
                                         .constants = kTextureWeight + 1,
                                         .textures = {{0, kTextureVarying}}};

struct TGBufferPixel
{
    static constexpr TModelInputs kInputs = kGBufferInputs;
    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        return TTargetColours<L, 4>{{Surface(in), in.Varying(kCameraPositionVarying), in.Varying(kCameraNormalVarying),
                                     TLaneVector<L>{L(0.0f), L(0.0f), L(0.0f), L(1.0f)}}};
    }
};

struct TGBufferAlphaPixel
{
    static constexpr TModelInputs kInputs = kGBufferInputs;
    template <class Quad> static auto Shade(const Quad& in)
    {
        const auto s = Surface(in);
        return decltype(s){s.x * s.w, s.y * s.w, s.z * s.w, s.w};
    }
};

struct TGBufferPositionPixel
{
    static constexpr TModelInputs kInputs = {.varyings = Varyings(kCameraPositionVarying)};
    template <class Quad> static auto Shade(const Quad& in) { return in.Varying(kCameraPositionVarying); }
};

// An imposter: its own lit colour, and nothing for the lights.
struct TGBufferFlatPixel
{
    static constexpr TModelInputs kInputs = {.varyings = Varyings(kColourVarying), .textures = {{0, kTextureVarying}}};
    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> zero = {L(0.0f), L(0.0f), L(0.0f), L(0.0f)};
        return TTargetColours<L, 4>{{in.Texture(0) * in.Varying(kColourVarying), zero, zero, zero}};
    }
};

// The light passes.
constexpr int kScreenVarying = 1;
constexpr int kLightPosition = 0;
constexpr int kLightDirection = 1;
constexpr int kLightColour = 2;
constexpr int kLightAmbient = 3;
constexpr int kLightCone = 4;
constexpr int kLightShadow = 6;
constexpr int kLightChannel = 7;
constexpr int kLightToLight = 13;
constexpr int kLightView = 20;
constexpr int kPositionTexture = 0;
constexpr int kNormalTexture = 1;
constexpr int kMaskTexture = 2;
constexpr int kProjectionTexture = 3;

enum class ELight
{
    Directional,
    Point,
    Spot,
    SpotSubtract,
};

// A world direction (or, with `point`, a position) of register r into camera space.
inline void ToCamera(float* out, const float* v, const float (*view)[4], bool point)
{
    for (int i = 0; i < 3; ++i)
        out[i] = v[0] * view[i][0] + v[1] * view[i][1] + v[2] * view[i][2] + (point ? view[i][3] : 0.0f);
}

// The light's projection texture (slot 13) at a camera-space position: a spot's through its
// outer cone (the texture's square spans the cone at every distance), a directional light's laid
// across the light's plane, repeating every range units (1 without a range).
template <ELight Kind, class Quad>
[[gnu::always_inline]] inline auto Projected(const Quad& in, const TLaneVector<typename Quad::Lanes>& p,
                                             const float (*view)[4])
{
    typedef typename Quad::Lanes L;
    // Camera to world (the view is a rotation and a move), then world to light.
    float toLight[4][3];
    for (int c = 0; c < 3; ++c)
    {
        for (int i = 0; i < 3; ++i)
        {
            toLight[i][c] = 0.0f;
            for (int r = 0; r < 3; ++r)
                toLight[i][c] += view[i][r] * in.ConstantValue(kLightToLight + r, c);
        }
        toLight[3][c] = in.ConstantValue(kLightToLight + 3, c);
        for (int i = 0; i < 3; ++i)
            toLight[3][c] -= view[i][3] * toLight[i][c];
    }
    const auto axis = [&](int c) { return p.x * L(toLight[0][c]) + p.y * L(toLight[1][c]) + p.z * L(toLight[2][c]) + L(toLight[3][c]); };
    const L x = axis(0), y = axis(1);
    if constexpr (Kind == ELight::Directional)
    {
        const float range = in.ConstantValue(kLightPosition, 3);
        const L across(range > 0.0f ? 1.0f / range : 1.0f);
        return in.SampleAt(kProjectionTexture, x * across, y * across);
    }
    else
    {
        const float cosOuter = std::clamp(in.ConstantValue(kLightCone, 0), 1e-3f, 1.0f);
        const float halfWidth = std::sqrt(std::max(1.0f - cosOuter * cosOuter, 1e-8f)) / cosOuter;
        const L scale = L(0.5f / halfWidth) / Max(axis(2), L(1e-4f));
        return in.SampleAt(kProjectionTexture, L(0.5f) + x * scale, L(0.5f) - y * scale);
    }
}

// x on the lanes where something was drawn (w at least 0.5, as Step counts them), +0 elsewhere.
[[gnu::always_inline]] inline TQuad OnlyDrawn(const TQuad& x, const TQuad& w)
{
    return _mm_and_ps(_mm_cmpge_ps(w.v, _mm_set1_ps(0.5f)), x.v);
}
[[gnu::target("avx2")]] inline TQuadPair OnlyDrawn(const TQuadPair& x, const TQuadPair& w)
{
    return _mm256_and_ps(_mm256_cmp_ps(w.v, _mm256_set1_ps(0.5f), _CMP_GE_OQ), x.v);
}

template <ELight Kind, bool WithProjection = false> struct TDeferredLightPixel
{
    static constexpr TModelInputs kInputs = {
        .constants = kLightView + 4,
        .textures = {{0, kScreenVarying},
                     {1, kScreenVarying},
                     {6, kScreenVarying},
                     {WithProjection ? 13 : -1, kScreenVarying}}};

    // Whether any lane is above zero.
    static bool AnyAbove(const TQuad& x) { return _mm_movemask_ps(_mm_cmpgt_ps(x.v, _mm_setzero_ps())) != 0; }
    static bool AnyAbove(const TQuadPair& x) { return AnyAbove(FirstQuad(x)) || AnyAbove(SecondQuad(x)); }

    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> p = in.Texture(kPositionTexture);
        const L drawn = Step(L(0.5f), p.w);
        // Nothing drawn on any lane (the sky): the light adds +0 there, as on every undrawn lane.
        if (!AnyAbove(drawn))
            return TLaneVector<L>{L(0.0f), L(0.0f), L(0.0f), L(0.0f)};
        float view[4][4];
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                view[r][c] = in.ConstantValue(kLightView + r, c);
        float towards[4], direction[4];
        for (int c = 0; c < 4; ++c)
            direction[c] = in.ConstantValue(kLightDirection, c);
        ToCamera(towards, direction, view, false);

        // A local light's reach and cone, from the position alone.
        L reach(1.0f), cone(1.0f);
        TLaneVector<L> l = {L(towards[0]), L(towards[1]), L(towards[2]), L(0.0f)};
        if constexpr (Kind != ELight::Directional)
        {
            float at[4], place[4];
            for (int c = 0; c < 4; ++c)
                place[c] = in.ConstantValue(kLightPosition, c);
            ToCamera(at, place, view, true);
            const TLaneVector<L> d = {L(at[0]) - p.x, L(at[1]) - p.y, L(at[2]) - p.z, L(0.0f)};
            const L distance = Sqrt(Max(Dot3(d, d), L(1e-12f)));
            const L inverse = L(1.0f) / distance;
            l = {d.x * inverse, d.y * inverse, d.z * inverse, L(0.0f)};
            reach = Saturate(L(1.0f) - distance * L(1.0f / std::max(place[3], 1e-6f)));
            if constexpr (Kind != ELight::Point)
            {
                const L cosine = l.x * L(towards[0]) + l.y * L(towards[1]) + l.z * L(towards[2]);
                const float cosOuter = in.ConstantValue(kLightCone, 0);
                const float span = in.ConstantValue(kLightCone, 1) - cosOuter;
                cone = Saturate((cosine - L(cosOuter)) * L(1.0f / (span > 1e-4f ? span : 1e-4f)));
            }
            // Out of reach or outside the cone on every lane: the light's share is +0 there
            // whatever the normal, the mask and the projection hold, so they are not read.
            if (!AnyAbove(Min(reach, cone)))
                return TLaneVector<L>{L(0.0f), L(0.0f), L(0.0f), drawn};
        }
        const TLaneVector<L> n = in.Texture(kNormalTexture);

        // The light's channel of the mask: dimmed by the shadow's strength. A light without a
        // shadow reads no mask.
        L shadow(0.0f);
        const float strength = in.ConstantValue(kLightShadow, 0);
        if (strength != 0.0f)
        {
            const TLaneVector<L> mask = in.Texture(kMaskTexture);
            shadow = (mask.x * L(in.ConstantValue(kLightChannel, 0)) + mask.y * L(in.ConstantValue(kLightChannel, 1)) +
                      mask.z * L(in.ConstantValue(kLightChannel, 2)) + mask.w * L(in.ConstantValue(kLightChannel, 3))) *
                     L(strength);
        }
        const L unshadowed = Saturate(L(1.0f) - shadow);

        const L facing = Max(Dot3(n, l), L(0.0f)) * n.w + (L(1.0f) - n.w);
        L light;
        TLaneVector<L> ambient = {L(0.0f), L(0.0f), L(0.0f), L(0.0f)};
        if constexpr (Kind == ELight::Directional)
        {
            light = facing * unshadowed;
            ambient = {L(in.ConstantValue(kLightAmbient, 0)), L(in.ConstantValue(kLightAmbient, 1)),
                       L(in.ConstantValue(kLightAmbient, 2)), L(0.0f)};
        }
        else
        {
            light = facing * reach * unshadowed;
            if constexpr (Kind != ELight::Point)
                light = light * cone;
        }
        const float sign = Kind == ELight::SpotSubtract ? -1.0f : 1.0f;
        light = light * L(in.ConstantValue(kLightDirection, 3) * sign);
        TLaneVector<L> colour = {L(in.ConstantValue(kLightColour, 0)), L(in.ConstantValue(kLightColour, 1)),
                                 L(in.ConstantValue(kLightColour, 2)), L(0.0f)};
        if constexpr (WithProjection)
        {
            const TLaneVector<L> projected = Projected<Kind>(in, p, view);
            colour = {colour.x * projected.x, colour.y * projected.y, colour.z * projected.z, L(0.0f)};
        }
        // Undrawn lanes give +0, not the light times 0: that would be -0 for a subtracting light
        // and NaN where the position is infinite, which the additive blend would carry.
        return TLaneVector<L>{OnlyDrawn(ambient.x + light * colour.x, p.w), OnlyDrawn(ambient.y + light * colour.y, p.w),
                              OnlyDrawn(ambient.z + light * colour.z, p.w), drawn};
    }
};

// The combines.
struct TCombinePixel
{
    static constexpr TModelInputs kInputs = {.textures = {{0, kScreenVarying}, {1, kScreenVarying}}};
    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> colour = in.Texture(0);
        const TLaneVector<L> light = in.Texture(1);
        const L lit = Step(L(0.5f), light.w), rest = L(1.0f) - lit;
        return TLaneVector<L>{colour.x * (light.x * lit + rest), colour.y * (light.y * lit + rest),
                              colour.z * (light.z * lit + rest), L(1.0f)};
    }
};

struct TCombineTransparentPixel
{
    static constexpr TModelInputs kInputs = {
        .textures = {{0, kScreenVarying}, {1, kScreenVarying}, {6, kScreenVarying}}};
    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> colour = in.Texture(0);
        const TLaneVector<L> light = in.Texture(1);
        const TLaneVector<L> scene = in.Texture(2);
        const L lit = Step(L(0.5f), light.w), rest = L(1.0f) - lit;
        const L a = Saturate(colour.w), keep = L(1.0f) - a;
        const auto channel = [&](const L& c, const L& l, const L& s) { return s * keep + c * (l * lit + rest) * a; };
        return TLaneVector<L>{channel(colour.x, light.x, scene.x), channel(colour.y, light.y, scene.y),
                              channel(colour.z, light.z, scene.z), L(1.0f)};
    }
};

const TVertexModelRegistration kGBufferVertex("gbuffer", GBufferVertex, kGBufferVaryings);
const TPixelModelRegistration kGBuffer("gbuffer", PixelModelType<TGBufferPixel>());
const TPixelModelRegistration kGBufferAlpha("gbufferalpha", PixelModelType<TGBufferAlphaPixel>());
const TPixelModelRegistration kGBufferPosition("gbufferposition", PixelModelType<TGBufferPositionPixel>());
const TPixelModelRegistration kGBufferFlat("gbufferflat", PixelModelType<TGBufferFlatPixel>());
const TPixelModelRegistration kDirectional("deferreddirectional",
                                           PixelModelType<TDeferredLightPixel<ELight::Directional>>());
const TPixelModelRegistration kPoint("deferredpoint", PixelModelType<TDeferredLightPixel<ELight::Point>>());
const TPixelModelRegistration kSpot("deferredspot", PixelModelType<TDeferredLightPixel<ELight::Spot>>());
const TPixelModelRegistration kSpotSubtract("deferredspotsubtract",
                                            PixelModelType<TDeferredLightPixel<ELight::SpotSubtract>>());
const TPixelModelRegistration kDirectionalProjected("deferreddirectionalprojected",
                                                    PixelModelType<TDeferredLightPixel<ELight::Directional, true>>());
const TPixelModelRegistration kSpotProjected("deferredspotprojected",
                                             PixelModelType<TDeferredLightPixel<ELight::Spot, true>>());
const TPixelModelRegistration kSpotSubtractProjected("deferredspotsubtractprojected",
                                                     PixelModelType<TDeferredLightPixel<ELight::SpotSubtract, true>>());
const TPixelModelRegistration kCombine("deferredcombine", PixelModelType<TCombinePixel>());
const TPixelModelRegistration kCombineTransparent("deferredcombinetransparent",
                                                  PixelModelType<TCombineTransparentPixel>());
} // namespace
