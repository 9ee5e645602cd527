// The forward renderer's directional pass: the surface times (ambient + light colour x intensity
// x facing); "forwarddirectionalreflect" adds the environment's reflection, weighed by the
// material's reflection amount (objects of a queue whose define is "DReflection").
//
// Pixel constants (besides the light block, forwardlit.h): c22.x the texture weight (1 textured,
// 0 the vertex colour alone); reflecting: c21 the blend factor in every component (TReflection;
// c20 its environment value), c23-c32 the mesh's material vectors (TObjectMeshSettings), of which
// vector 6's x is the reflection amount. Reflections sample stage 4 (the local zone's texture,
// weighed by the factor) and stage 5 (the global one, by the rest) at varying 4; a stage
// without texture reads black.
#include "platform/d3dx9/forwardlit.h"

using namespace ForwardLit;

namespace
{
constexpr int kEnvironmentFactor = 21;
constexpr int kTextureWeight = 22;
constexpr int kReflectionAmount = 23 + 6;
constexpr int kLocalStage = 4;
constexpr int kGlobalStage = 5;

template <bool Reflect> struct TForwardDirectionalPixel
{
    static constexpr TModelInputs kInputs = Reflect
        ? TModelInputs{.varyings = Varyings(kColourVarying, kNormalVarying), .constants = kReflectionAmount + 1,
                       .textures = {{0, kTextureVarying}, {kLocalStage, kReflectionVarying}, {kGlobalStage, kReflectionVarying}}}
        : TModelInputs{.varyings = Varyings(kColourVarying, kNormalVarying), .constants = kTextureWeight + 1,
                       .textures = {{0, kTextureVarying}}};

    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> surface = Surface(in, in.ConstantValue(kTextureWeight, 0));
        const TLaneVector<L> toLight = {L(in.ConstantValue(kLightDirection, 0)), L(in.ConstantValue(kLightDirection, 1)),
                                        L(in.ConstantValue(kLightDirection, 2)), L(0.0f)};
        const L lit = Facing(TLaneVector<L>(in.Varying(kNormalVarying)), toLight) *
                      L(in.ConstantValue(kLightDirection, 3));
        const auto channel = [&](int c, const L& s) {
            return s * (L(in.ConstantValue(kLightAmbient, c)) + lit * L(in.ConstantValue(kLightColour, c)));
        };
        TLaneVector<L> result = {channel(0, surface.x), channel(1, surface.y), channel(2, surface.z), surface.w};
        if constexpr (Reflect)
        {
            const float amount = in.ConstantValue(kReflectionAmount, 0);
            const float factor = in.ConstantValue(kEnvironmentFactor, 0);
            const TLaneVector<L> local = in.Texture(1);
            const TLaneVector<L> global = in.Texture(2);
            const L a(amount * factor), b(amount * (1.0f - factor));
            result.x = result.x + local.x * a + global.x * b;
            result.y = result.y + local.y * a + global.y * b;
            result.z = result.z + local.z * a + global.z * b;
        }
        return result;
    }
};

const TPixelModelRegistration kForwardDirectional("forwarddirectional",
                                                  PixelModelType<TForwardDirectionalPixel<false>>());
const TPixelModelRegistration kForwardDirectionalReflect("forwarddirectionalreflect",
                                                         PixelModelType<TForwardDirectionalPixel<true>>());
} // namespace
