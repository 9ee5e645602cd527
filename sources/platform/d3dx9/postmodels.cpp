// The post effects' full-screen models (canvas2d vertex, varying 1 the screen's texture
// coordinates).
//
// haze: blended over the scene by its alpha: the haze's share by camera-space distance (slot 1,
//   the positions; where nothing was drawn, w 0, the sky takes the most) and its colour, the
//   haze vectors (THazeParameters, c0-c3): c0 = (start distance, end distance, most, -), c1 the
//   light's colour, c3.xy how often the haze textures repeat across the screen. The colour is c1
//   times the brighter of haze textures A (slot 7) and B (slot 8, the settings a transition comes
//   from; unbound it reads black, so A alone).
#include "platform/d3d9/pixelmodel.h"
#include "platform/d3dx9/shadingmodels.h"

namespace
{
constexpr int kScreenVarying = 1;
constexpr int kHazeRange = 0;
constexpr int kHazeColour = 1;
constexpr int kHazeRepeat = 3;
constexpr int kPositionTexture = 0;
constexpr int kHazeTextureA = 1;
constexpr int kHazeTextureB = 2;

struct THazePixel
{
    static constexpr TModelInputs kInputs = {
        .constants = kHazeRepeat + 1,
        .textures = {{1, kScreenVarying}, {7, kScreenVarying}, {8, kScreenVarying}}};

    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> p = in.Texture(kPositionTexture);
        const TLaneVector<L> screen = in.Varying(kScreenVarying);
        const L u = screen.x * L(in.ConstantValue(kHazeRepeat, 0));
        const L v = screen.y * L(in.ConstantValue(kHazeRepeat, 1));
        const TLaneVector<L> a = in.SampleAt(kHazeTextureA, u, v);
        const TLaneVector<L> b = in.SampleAt(kHazeTextureB, u, v);
        const float start = in.ConstantValue(kHazeRange, 0);
        const float span = in.ConstantValue(kHazeRange, 1) - start;
        const L distance = Sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
        const L drawn = Step(L(0.5f), p.w);
        const L near = Saturate((distance - L(start)) * L(1.0f / (span > 1e-4f ? span : 1e-4f)));
        const L share = (near * drawn + (L(1.0f) - drawn)) * L(in.ConstantValue(kHazeRange, 2));
        const auto colour = [&](int c, const L& x, const L& y) {
            return Max(x, y) * L(in.ConstantValue(kHazeColour, c));
        };
        return TLaneVector<L>{colour(0, a.x, b.x), colour(1, a.y, b.y), colour(2, a.z, b.z), Saturate(share)};
    }
};

const TPixelModelRegistration kHaze("haze", PixelModelType<THazePixel>());
} // namespace
