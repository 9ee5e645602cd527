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

void ForwardSpotPixel(const TPixelInput& input, TPixelOutput& output)
{
    const float(*f)[4] = input.constants->f;
    const TQuadVector surface = Surface(input, f[kTextureWeight][0]);
    const TQuadVector& p = input.varying[kPositionVarying];
    const float* at = f[kLightPosition];
    const TQuadVector d = {TQuad(at[0]) - p.x, TQuad(at[1]) - p.y, TQuad(at[2]) - p.z, 0.0f};
    const TQuad distance = Sqrt(Max(Dot3(d, d), 1e-12f));
    const TQuad inverse = TQuad(1.0f) / distance;
    const TQuadVector l = {d.x * inverse, d.y * inverse, d.z * inverse, 0.0f};
    const TQuad facing = Facing(input.varying[kNormalVarying], l);
    const TQuad reach = Saturate(TQuad(1.0f) - distance / TQuad(at[3]));
    // The angle off the spot's axis, as cosines: the axis is -c1, the direction to the point -l.
    const float* toward = f[kLightDirection];
    const TQuad cosine = l.x * toward[0] + l.y * toward[1] + l.z * toward[2];
    const float cosOuter = f[kLightCone][0];
    const float span = f[kLightCone][1] - cosOuter;
    const TQuad cone = Saturate((cosine - cosOuter) * (1.0f / (span > 1e-4f ? span : 1e-4f)));
    const TQuad light = facing * reach * cone * toward[3];
    const float* colour = f[kLightColour];
    output.colour[0] = {surface.x * light * colour[0], surface.y * light * colour[1], surface.z * light * colour[2],
                        0.0f};
}

const TPixelModelRegistration kForwardSpot("forwardspot", ForwardSpotPixel);
} // namespace
