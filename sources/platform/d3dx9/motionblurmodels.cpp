// The object half of the motion blur: a motion-blur object's mesh drawn again over the image so
// far, each of its pixels smeared towards where that point of the mesh stood a frame before.
//
// motionblurobject (vertex) c0-c3 view x projection (TFinalMatrix), c4-c7 world
//   (TObjectMatrix), c8-c15 the motion block (TMotionBlurObjectParam: c8-c11 the matrix M that
//   turns the mesh back by its motion of a frame, c12-c15 V1, V2 and two rows of identity, by
//   columns: V1 the world movement of a frame is (c12.x, c13.x, c14.x)). Varyings: 0 the vertex
//   colour, 1 the texture coordinates, 2 the point a frame before, (p x M) x world - V1, in clip
//   space.
// motionblurobject (pixel): slot 6 the image so far, averaged over eight taps from the pixel to
//   the point's place a frame before, at most c2.x of the screen away; c0, c1 the target's size
//   (TRenderTargetSize: c1.xy one pixel).
#include "platform/d3d9/pixelmodel.h"
#include "platform/d3dx9/shadingmodels.h"

using namespace ShadingModel;

namespace
{
constexpr int kFinal = 0;
constexpr int kWorld = 4;
constexpr int kMotion = 8;
constexpr int kMotionVectors = 12;
constexpr int kPreviousVarying = 2;
constexpr int kVaryings = 3;

void MotionBlurObjectVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    const float* point = input.Attribute(D3DDECLUSAGE_POSITION);
    float world[4];
    Transform(point, constants.f + kWorld, world);
    world[3] = 1.0f;
    Transform(world, constants.f + kFinal, output.position);

    float turned[4];
    Transform(point, constants.f + kMotion, turned);
    float before[4];
    Transform(turned, constants.f + kWorld, before);
    const float(*vectors)[4] = constants.f + kMotionVectors;
    for (int i = 0; i < 3; ++i)
        before[i] -= vectors[i][0];
    before[3] = 1.0f;
    Transform(before, constants.f + kFinal, output.varying[kPreviousVarying]);
    ColourAndTexture(input, output);
}

constexpr int kOnePixel = 1;
constexpr int kLimit = 2;
constexpr int kImage = 0;
constexpr int kTaps = 8;

struct TMotionBlurObjectPixel
{
    static constexpr TModelInputs kInputs = {.varyings = Varyings(kPreviousVarying),
                                             .constants = kLimit + 1,
                                             .textures = {{6, kTextureVarying}}};

    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const L u = in.X() * L(in.ConstantValue(kOnePixel, 0));
        const L v = in.Y() * L(in.ConstantValue(kOnePixel, 1));
        // Where the point stood, on the screen; one behind the eye stands at the eye's plane.
        const TLaneVector<L> before = in.Varying(kPreviousVarying);
        const L w = Max(before.w, L(1e-4f));
        L du = (before.x / w) * L(0.5f) + L(0.5f) - u;
        L dv = L(0.5f) - (before.y / w) * L(0.5f) - v;
        const L length = Sqrt(du * du + dv * dv);
        const L cut = Min(L(1.0f), L(in.ConstantValue(kLimit, 0)) / Max(length, L(1e-6f)));
        du = du * cut;
        dv = dv * cut;
        TLaneVector<L> sum = in.SampleAt(kImage, u, v);
        for (int tap = 1; tap < kTaps; ++tap)
        {
            const L t(static_cast<float>(tap) / (kTaps - 1));
            sum = sum + in.SampleAt(kImage, u + du * t, v + dv * t);
        }
        const L share(1.0f / kTaps);
        return TLaneVector<L>{sum.x * share, sum.y * share, sum.z * share, L(1.0f)};
    }
};

const TVertexModelRegistration kMotionBlurObjectVertex("motionblurobject", MotionBlurObjectVertex, kVaryings);
const TPixelModelRegistration kMotionBlurObject("motionblurobject", PixelModelType<TMotionBlurObjectPixel>());
} // namespace
