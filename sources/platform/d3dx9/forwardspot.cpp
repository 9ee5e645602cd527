// The forward renderer's spot passes, added onto the directional pass: the surface times the
// light colour x intensity x facing, fading out towards the light's range and across the cone
// from its inner to its outer angle. The spot shines against the direction towards it (c1).
//
// Pixel constants (besides the light block, forwardlit.h): c20.x the texture weight.
#include "platform/d3dx9/forwardlit.h"

using namespace ForwardLit;

namespace
{
constexpr int kTextureWeight = 20;

struct TForwardSpotPixel
{
    static constexpr TModelInputs kInputs = {.varyings = Varyings(kColourVarying, kNormalVarying, kPositionVarying),
                                             .constants = kTextureWeight + 1,
                                             .textures = {{0, kTextureVarying}}};

    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> surface = Surface(in, in.ConstantValue(kTextureWeight, 0));
        const TLaneVector<L> p = in.Varying(kPositionVarying);
        const TLaneVector<L> d = {L(in.ConstantValue(kLightPosition, 0)) - p.x,
                                  L(in.ConstantValue(kLightPosition, 1)) - p.y,
                                  L(in.ConstantValue(kLightPosition, 2)) - p.z, L(0.0f)};
        const L distance = Sqrt(Max(Dot3(d, d), L(1e-12f)));
        const L inverse = L(1.0f) / distance;
        const TLaneVector<L> l = {d.x * inverse, d.y * inverse, d.z * inverse, L(0.0f)};
        const L facing = Facing(TLaneVector<L>(in.Varying(kNormalVarying)), l);
        const L reach = Saturate(L(1.0f) - distance * L(1.0f / in.ConstantValue(kLightPosition, 3)));
        // The angle off the spot's axis, as cosines: the axis is -c1, the direction to the point -l.
        const L cosine = l.x * L(in.ConstantValue(kLightDirection, 0)) + l.y * L(in.ConstantValue(kLightDirection, 1)) +
                         l.z * L(in.ConstantValue(kLightDirection, 2));
        const float cosOuter = in.ConstantValue(kLightCone, 0);
        const float span = in.ConstantValue(kLightCone, 1) - cosOuter;
        const L cone = Saturate((cosine - L(cosOuter)) * L(1.0f / (span > 1e-4f ? span : 1e-4f)));
        const L light = facing * reach * cone * L(in.ConstantValue(kLightDirection, 3));
        return TLaneVector<L>{surface.x * light * L(in.ConstantValue(kLightColour, 0)),
                              surface.y * light * L(in.ConstantValue(kLightColour, 1)),
                              surface.z * light * L(in.ConstantValue(kLightColour, 2)), L(0.0f)};
    }
};

const TPixelModelRegistration kForwardSpot("forwardspot", PixelModelType<TForwardSpotPixel>());
} // namespace
