// The water's models, drawn over the meshes of the "Water" queue with the gbuffer vertex model
// (varying 1 the texture coordinates, 3 the camera-space position).
//
// waterdeferred: the lit scene (slot 1) seen through the surface, displaced by the animated
//   normal map: slot 0 the current frame (the material's texture), slot 9 the next, mixed by the
//   animation's phase (c1.x, TTextureAnimationParam); the normal's x and y move the scene's
//   lookup by c0.x of the screen. What lies in front of the water (slot 7, the positions, nearer
//   than the surface) is not pulled in: there the scene is read straight behind. The colour is
//   the scene times c4 plus c5; c2, c3 the target's size (TRenderTargetSize: c3.xy one pixel).
// waterforward: the forward renderer's water, blended over the back buffer by c0.w: c0's colour
//   shaded by the normal map (slot 0).
#include "platform/d3d9/pixelmodel.h"
#include "platform/d3dx9/shadingmodels.h"

using namespace ShadingModel;

namespace
{
constexpr int kCameraPositionVarying = 3;
constexpr int kRefraction = 0;
constexpr int kPhase = 1;
constexpr int kTargetSize = 2;
constexpr int kTint = 4;
constexpr int kDeep = 5;
constexpr int kFrameNow = 0;
constexpr int kFrameNext = 1;
constexpr int kScene = 2;
constexpr int kPositions = 3;

// A normal map's texel as a direction's x or y.
template <class L> [[gnu::always_inline]] inline L Unpack(const L& texel)
{
    return texel * L(2.0f) - L(1.0f);
}

struct TWaterDeferredPixel
{
    static constexpr TModelInputs kInputs = {
        .varyings = Varyings(kTextureVarying, kCameraPositionVarying),
        .constants = kDeep + 1,
        .textures = {{0, kTextureVarying}, {9, kTextureVarying}, {1, kTextureVarying}, {7, kTextureVarying}}};

    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> now = in.Texture(kFrameNow);
        const TLaneVector<L> next = in.Texture(kFrameNext);
        const L phase(in.ConstantValue(kPhase, 0));
        const L nx = Unpack(now.x + (next.x - now.x) * phase);
        const L ny = Unpack(now.y + (next.y - now.y) * phase);
        const L u = in.X() * L(in.ConstantValue(kTargetSize + 1, 0));
        const L v = in.Y() * L(in.ConstantValue(kTargetSize + 1, 1));
        const L reach(in.ConstantValue(kRefraction, 0));
        const L du = nx * reach, dv = ny * reach;
        // A drawn position nearer than the surface stands in front of the water.
        const TLaneVector<L> p = in.Varying(kCameraPositionVarying);
        const TLaneVector<L> q = in.SampleAt(kPositions, u + du, v + dv);
        const L surface = Dot3(p, p);
        const L keep = L(1.0f) - Step(L(0.5f), q.w) * (L(1.0f) - Step(surface, Dot3(q, q)));
        const TLaneVector<L> scene = in.SampleAt(kScene, u + du * keep, v + dv * keep);
        const auto colour = [&](const L& c, int k) {
            return c * L(in.ConstantValue(kTint, k)) + L(in.ConstantValue(kDeep, k));
        };
        return TLaneVector<L>{colour(scene.x, 0), colour(scene.y, 1), colour(scene.z, 2), L(1.0f)};
    }
};

constexpr int kForwardColour = 0;

struct TWaterForwardPixel
{
    static constexpr TModelInputs kInputs = {.constants = kForwardColour + 1, .textures = {{0, kTextureVarying}}};

    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> n = in.Texture(0);
        // Ripples facing one way lighter, the other darker.
        const L light = L(0.8f) + (Unpack(n.x) + Unpack(n.y)) * L(0.2f);
        const auto colour = [&](int k) { return L(in.ConstantValue(kForwardColour, k)) * light; };
        return TLaneVector<L>{colour(0), colour(1), colour(2), L(in.ConstantValue(kForwardColour, 3))};
    }
};

const TPixelModelRegistration kWaterDeferred("waterdeferred", PixelModelType<TWaterDeferredPixel>());
const TPixelModelRegistration kWaterForward("waterforward", PixelModelType<TWaterForwardPixel>());
} // namespace
