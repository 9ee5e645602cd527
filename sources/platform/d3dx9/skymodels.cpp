// The sky's models. The sky lies beyond everything the camera sees: its vertices are placed just
// inside the far plane, whatever their distance, so no far clip cuts the dome or the clouds.
//
// skydome (vertex)   c0-c3 view x projection (TFinalMatrix), c4-c7 world (TObjectMatrix: the
//                    dome moved by the eye), c8 the sun direction (TLightDirection: from the sun
//                    towards the eye). Varyings: 1 the texture coordinates, 2 {how far from the
//                    sun (the sine of half the angle), 0.5, height over the
//                    horizon 0-1, 0}: the sun glow's texture coordinates
//                    and the height.
// skyinstance        c0-c3 view x projection; the instanced sky vertices are world positions.
//                    Varying 1 the texture coordinates.
// skydome (pixel)    c0-c4 the sky colours (TAtmosphereParam: 0 light, 2 sky, 3 horizon),
//                    c5 the cloud shadow (TAtmosphereColor); slot 0 the background, slot 1 the
//                    glow about the sun. Dark skies are thin (alpha from brightness), so the
//                    stars drawn before show through.
// skyplain           c0 the colour and fade (TAtmosphereColor): slot 0 times it.
// skyelement         c0 the light colour (TLightColor, w the clouds' opacity), c1 the cloud
//                    shadow: slot 0 lit by the light, darkened under the shadow.
// skysun             c0 the sun direction (TLightDirection, w how much shows: the night factor
//                    for the stars, the clear sky for the sun): slot 0 premultiplied by its alpha
//                    for an added blend.
#include "platform/d3d9/pixelmodel.h"
#include "platform/d3dx9/shadingmodels.h"

#include <cmath>

using namespace ShadingModel;

namespace
{
constexpr int kFinal = 0;
constexpr int kObjectMatrix = 4;
constexpr int kSunDirection = 8;
constexpr int kGlowVarying = 2;
// Depth over w of every sky vertex: in front of the far plane.
constexpr float kSkyDepth = 0.99999f;

void AtFarPlane(TVertexOutput& output)
{
    output.position[2] = output.position[3] * kSkyDepth;
}

void SkyDomeVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    const float* p = input.Attribute(D3DDECLUSAGE_POSITION);
    float world[4];
    Transform(p, constants.f + kObjectMatrix, world);
    Transform(world, constants.f + kFinal, output.position);
    AtFarPlane(output);
    ColourAndTexture(input, output);
    const float length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    const float inverse = length > 0.0f ? 1.0f / length : 0.0f;
    const float* sun = constants.f[kSunDirection];
    // The sun direction points at the eye: the sun itself lies against it.
    const float towardsSun = -(p[0] * sun[0] + p[1] * sun[1] + p[2] * sun[2]) * inverse;
    // The sine of half the angle from the sun: fine steps close to it, where the glow changes.
    output.varying[kGlowVarying][0] = std::sqrt(std::fmax(0.0f, 0.5f - 0.5f * towardsSun));
    output.varying[kGlowVarying][1] = 0.5f;
    output.varying[kGlowVarying][2] = p[1] > 0.0f ? p[1] * inverse : 0.0f;
    output.varying[kGlowVarying][3] = 0.0f;
}

void SkyInstanceVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    Transform(input.Attribute(D3DDECLUSAGE_POSITION), constants.f + kFinal, output.position);
    AtFarPlane(output);
    ColourAndTexture(input, output);
}

constexpr int kSkyLight = 0;
constexpr int kSkyColour = 2;
constexpr int kSkyHorizon = 3;
constexpr int kSkyShadow = 5;
// How much of the cloud shadow's colour a wholly clouded sky takes.
constexpr float kOvercast = 0.6f;
// Alpha per unit of summed channels: a dark sky lets the stars through.
constexpr float kDomeOpacity = 2.0f;

template <class L> [[gnu::always_inline]] inline TLaneVector<L> Mix(const TLaneVector<L>& a, const TLaneVector<L>& b, const L& t)
{
    return {Lerp(a.x, b.x, t), Lerp(a.y, b.y, t), Lerp(a.z, b.z, t), Lerp(a.w, b.w, t)};
}

struct TSkyDomePixel
{
    // The texture coordinates are read by the textures alone: the loops interpolate no more of
    // them.
    static constexpr TModelInputs kInputs = {.varyings = Varyings(kGlowVarying),
                                             .constants = kSkyShadow + 1,
                                             .textures = {{0, kTextureVarying}, {1, kGlowVarying}}};
    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const L height = Saturate(in.Varying(kGlowVarying).z);
        const TLaneVector<L> base = Mix(in.Constant(kSkyHorizon), in.Constant(kSkyColour), height);
        const TLaneVector<L> glow = in.Texture(1);
        const TLaneVector<L> light = in.Constant(kSkyLight) * glow * glow.w;
        const TLaneVector<L> background = in.Texture(0);
        const TLaneVector<L> clear = {base.x * background.x + light.x, base.y * background.y + light.y,
                                      base.z * background.z + light.z, L(1.0f)};
        const TLaneVector<L> shadow = in.Constant(kSkyShadow);
        const L share = shadow.w * L(kOvercast);
        TLaneVector<L> colour = Mix(clear, shadow, share);
        colour.w = Saturate((colour.x + colour.y + colour.z) * L(kDomeOpacity));
        return colour;
    }
};

struct TSkyPlainPixel
{
    static constexpr TModelInputs kInputs = {
        .constants = 1, .textures = {{0, kTextureVarying}}};
    template <class Quad> static auto Shade(const Quad& in) { return in.Texture(0) * in.Constant(0); }
};

struct TSkyElementPixel
{
    static constexpr TModelInputs kInputs = {
        .constants = 2, .textures = {{0, kTextureVarying}}};
    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> light = in.Constant(0);
        const TLaneVector<L> shadow = in.Constant(1);
        const TLaneVector<L> tint = Mix(light, shadow, shadow.w * L(kOvercast));
        const TLaneVector<L> texel = in.Texture(0);
        return TLaneVector<L>{texel.x * tint.x, texel.y * tint.y, texel.z * tint.z, texel.w * light.w};
    }
};

struct TSkySunPixel
{
    static constexpr TModelInputs kInputs = {
        .constants = 1, .textures = {{0, kTextureVarying}}};
    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> texel = in.Texture(0);
        const L shown = texel.w * L(in.ConstantValue(0, 3));
        return TLaneVector<L>{texel.x * shown, texel.y * shown, texel.z * shown, shown};
    }
};

const TVertexModelRegistration kSkyDomeVertex("skydome", SkyDomeVertex, 3);
const TVertexModelRegistration kSkyInstanceVertex("skyinstance", SkyInstanceVertex, 2);
const TPixelModelRegistration kSkyDome("skydome", PixelModelType<TSkyDomePixel>());
const TPixelModelRegistration kSkyPlain("skyplain", PixelModelType<TSkyPlainPixel>());
const TPixelModelRegistration kSkyElement("skyelement", PixelModelType<TSkyElementPixel>());
const TPixelModelRegistration kSkySun("skysun", PixelModelType<TSkySunPixel>());
} // namespace
