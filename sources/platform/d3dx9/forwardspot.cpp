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

// Most of a spot pass's pixels lie beyond the range or outside the cone, where the light adds
// nothing. Lanes are left dark untouched when they are so by these margins over the rounding of
// the lighting's own working: squared distance over the squared range by more than this factor,
// or the cosine off the axis below the outer one by more than this fraction of it (squared),
// that outer cosine being at least the last constant.
constexpr float kDarkRangeFactor = 1.001f;
constexpr float kDarkConeFactor = 0.99f;
constexpr float kDarkConeLeast = 0.01f;

struct TForwardSpotPixel
{
    static constexpr TModelInputs kInputs = {.varyings = Varyings(kColourVarying, kNormalVarying, kPositionVarying),
                                             .constants = kTextureWeight + 1,
                                             .textures = {{0, kTextureVarying}}};

    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> p = in.Varying(kPositionVarying);
        const TLaneVector<L> d = {L(in.ConstantValue(kLightPosition, 0)) - p.x,
                                  L(in.ConstantValue(kLightPosition, 1)) - p.y,
                                  L(in.ConstantValue(kLightPosition, 2)) - p.z, L(0.0f)};
        const L squared = Dot3(d, d);
        const float range = in.ConstantValue(kLightPosition, 3);
        const float cosOuter = in.ConstantValue(kLightCone, 0);
        // Beyond the range: the reach below is 0 there.
        L lit = range > 0.0f ? L(range * range * kDarkRangeFactor) - squared : L(1.0f);
        if (cosOuter >= kDarkConeLeast)
        {
            // Outside the cone: the cosine below (this over the distance) is at most the outer one.
            const L axial = d.x * L(in.ConstantValue(kLightDirection, 0)) + d.y * L(in.ConstantValue(kLightDirection, 1)) +
                            d.z * L(in.ConstantValue(kLightDirection, 2));
            lit = Min(lit, axial * Abs(axial) - squared * L(cosOuter * cosOuter * kDarkConeFactor));
        }
        if (AllNegative(lit))
            return TLaneVector<L>{L(0.0f), L(0.0f), L(0.0f), L(0.0f)};
        const TLaneVector<L> surface = Surface(in, in.ConstantValue(kTextureWeight, 0));
        const L distance = Sqrt(Max(squared, L(1e-12f)));
        const L inverse = L(1.0f) / distance;
        const TLaneVector<L> l = {d.x * inverse, d.y * inverse, d.z * inverse, L(0.0f)};
        const L facing = Facing(TLaneVector<L>(in.Varying(kNormalVarying)), l);
        const L reach = Saturate(L(1.0f) - distance * L(1.0f / range));
        // The angle off the spot's axis, as cosines: the axis is -c1, the direction to the point -l.
        const L cosine = l.x * L(in.ConstantValue(kLightDirection, 0)) + l.y * L(in.ConstantValue(kLightDirection, 1)) +
                         l.z * L(in.ConstantValue(kLightDirection, 2));
        const float span = in.ConstantValue(kLightCone, 1) - cosOuter;
        const L cone = Saturate((cosine - L(cosOuter)) * L(1.0f / (span > 1e-4f ? span : 1e-4f)));
        const L light = facing * reach * cone * L(in.ConstantValue(kLightDirection, 3));
        // A dark lane's product is -0 under a negative colour or surface: adding +0 gives the
        // +0 of a quad left dark above, so a float target stores the same bits either way.
        const L zero(0.0f);
        return TLaneVector<L>{surface.x * light * L(in.ConstantValue(kLightColour, 0)) + zero,
                              surface.y * light * L(in.ConstantValue(kLightColour, 1)) + zero,
                              surface.z * light * L(in.ConstantValue(kLightColour, 2)) + zero, zero};
    }
};

const TPixelModelRegistration kForwardSpot("forwardspot", PixelModelType<TForwardSpotPixel>());
} // namespace
