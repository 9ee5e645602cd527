// The post effects' full-screen models (canvas2d vertex, varying 1 the screen's texture
// coordinates).
//
// haze: blended over the scene by its alpha: the haze's share by camera-space distance (slot 1,
//   the positions; where nothing was drawn, w 0, the sky takes the most) and its colour, the
//   haze vectors (THazeParameters, c0-c3): c0 = (start distance, end distance, most, -), c1 the
//   light's colour, c3.xy how often the haze textures repeat across the screen. The colour is c1
//   times the brighter of haze textures A (slot 7) and B (slot 8, the settings a transition comes
//   from; unbound it reads black, so A alone).
// The steps below read the pipeline's previous image at slot 0 and write the next one.
// dof: the image blurred by distance from the focus: slot 1 the positions, c0 = (focus distance,
//   the distance over which the blur grows to its full radius, the radius in pixels, -), c2 and
//   c3 the target's size (TRenderTargetSize: c3.xy one pixel); slots 7 and 8 the settings'
//   depth-of-field textures, whose brighter alpha masks the blur (unbound: no mask). Five taps:
//   the centre and four at the radius on the diagonals.
// overlay: the image times the overlay texture (slot 1) over the screen.
// edgeaa: where the depth (slot 1, the positions) or the normal (slot 2) jumps between a pixel's
//   four neighbours (c2, c3 as above), the pixel blended half with their mean. A neighbour inside
//   the quad is that pixel's own read: two taps per image read those around it.
// filmgrain: the image with grain of +-c0.x, fixed on the screen: a hash of the pixel's place.
// ssao: the ambient light left at each pixel (grey) from the positions (slot 1) and normals
//   (slot 2): eight taps on a ring of c0.x pixels (TAOParameters' first vector: radius, strength,
//   the depth over which an occluder counts, -; c2, c3 the target's size); a tap occludes where it
//   lies in front of the pixel's surface by less than c0.z. The sky is left whole.
// ssaoapply: the blurred ambient light (slot 0) times the scene (slot 1), drawn over the scene
//   itself: each pixel reads only its own, and a float target stores without blending.
// tonemapdownscale: the scene's luminance (slot 0) into red (the least) and green (the most).
// tonemapminmax: the least red and the most green of the 3 x 3 texels under each texel of the
//   next smaller target (slot 0; c2, c3 that target's size, a third of the source's).
// tonemap: the scene (slot 0) stretched between half the least and the most luminance of the
//   9 x 9 target (slot 9) and mixed half with itself.
// motionblur: the image (slot 0) blurred along each pixel's motion on the screen since the last
//   blur: its camera-space position (slot 1) back to the world (c4-c7 the camera's view,
//   TDeferredMatrix) and through the previous final matrix (c0-c3, TFinalMatrixPrev) to where it
//   was; five taps along the way back, at most c8.x of the screen (below a thousandth of it none:
//   the positions' rounding). The sky keeps its pixels.
// grassss: ground near the camera (slot 1 the positions: below the eye, nearer than c0.x units)
//   tinted towards c1 with a fixed noise of c0.y, fading out to c0.x.
#include "platform/d3d9/pixelmodel.h"
#include "platform/d3dx9/shadingmodels.h"

#include <utility>

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

    // The ramp's factors and whether texture B is bound, once per draw.
    struct TDrawValues
    {
        float start, scale;
        bool second;
    };
    static TDrawValues Prepare(const TDrawInput& in)
    {
        const float start = in.ConstantValue(kHazeRange, 0);
        const float span = in.ConstantValue(kHazeRange, 1) - start;
        return {start, 1.0f / (span > 1e-4f ? span : 1e-4f),
                in.samplers->Bound(in.inputs->textures[kHazeTextureB].stage)};
    }

    template <class Quad> [[gnu::always_inline]] static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const auto& draw = in.Draw();
        const TLaneVector<L> p = in.Texture(kPositionTexture);
        const TLaneVector<L> screen = in.Varying(kScreenVarying);
        const L u = screen.x * L(in.ConstantValue(kHazeRepeat, 0));
        const L v = screen.y * L(in.ConstantValue(kHazeRepeat, 1));
        const TLaneVector<L> a = in.SampleAt(kHazeTextureA, u, v);
        // Unbound, B reads black, exactly what its sample would answer: no sample.
        const TLaneVector<L> b = draw.second ? in.SampleAt(kHazeTextureB, u, v)
                                             : TLaneVector<L>{L(0.0f), L(0.0f), L(0.0f), L(1.0f)};
        const L distance = Sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
        const L drawn = Step(L(0.5f), p.w);
        const L near = Saturate((distance - L(draw.start)) * L(draw.scale));
        const L share = (near * drawn + (L(1.0f) - drawn)) * L(in.ConstantValue(kHazeRange, 2));
        const auto colour = [&](int c, const L& x, const L& y) {
            return Max(x, y) * L(in.ConstantValue(kHazeColour, c));
        };
        return TLaneVector<L>{colour(0, a.x, b.x), colour(1, a.y, b.y), colour(2, a.z, b.z), Saturate(share)};
    }
};

constexpr int kTargetSize = 2;

template <class Quad> [[gnu::always_inline]] inline auto Pixel(const Quad& in)
{
    return std::pair<float, float>{in.ConstantValue(kTargetSize + 1, 0), in.ConstantValue(kTargetSize + 1, 1)};
}

// Whether any lane is other than zero (NaN included).
[[gnu::always_inline]] inline bool AnyLane(const TQuad& x)
{
    return _mm_movemask_ps(_mm_cmpneq_ps(x.v, _mm_setzero_ps())) != 0;
}
[[gnu::always_inline]] inline bool AnyLane(const TQuadPair& x)
{
    return AnyLane(FirstQuad(x)) || AnyLane(SecondQuad(x));
}

constexpr int kFocus = 0;
// Texture 0 the image, 1 the positions: read together where each pixel reads both.
constexpr int kImageAndPositions[2] = {0, 1};

struct TDepthOfFieldPixel
{
    static constexpr TModelInputs kInputs = {
        .varyings = Varyings(kScreenVarying),
        .constants = kTargetSize + 2,
        .textures = {{0, kScreenVarying}, {1, kScreenVarying}, {7, kScreenVarying}, {8, kScreenVarying}}};

    template <class Quad> [[gnu::always_inline]] static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> at = in.Varying(kScreenVarying);
        // The image and the positions, one size, read together at the pixel.
        TLaneVector<L> centre, p;
        in.SampleTogether(kImageAndPositions, at.x, at.y,
                          [&](int k, const TLaneVector<L>& read) { (k == 0 ? centre : p) = read; });
        const L mask = Max(in.Texture(2).w, in.Texture(3).w);
        const float range = in.ConstantValue(kFocus, 1);
        const L distance = Sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
        // The sky (nothing drawn) lies beyond every focus.
        const L drawn = Step(L(0.5f), p.w);
        const L away = Saturate(Abs(distance - L(in.ConstantValue(kFocus, 0))) * L(1.0f / (range > 1e-4f ? range : 1e-4f)));
        const L blur = (away * drawn + (L(1.0f) - drawn)) * mask * L(in.ConstantValue(kFocus, 2));
        const auto [px, py] = Pixel(in);
        const L dx = blur * L(px), dy = blur * L(py);
        // Pixels in focus (or masked) read themselves at every tap.
        TLaneVector<L> sum = centre;
        if (!AnyLane(blur))
        {
            for (int k = 0; k < 4; ++k)
                sum = sum + centre;
            return sum * L(0.2f);
        }
        // The four diagonal taps read together: two columns and two rows.
        const L left = at.x - dx, right = at.x + dx, up = at.y - dy, down = at.y + dy;
        const L us[4] = {left, right, left, right}, vs[4] = {up, up, down, down};
        in.SampleEach(0, us, vs, [&](int, const TLaneVector<L>& tap) { sum = sum + tap; });
        return sum * L(0.2f);
    }
};

struct TOverlayPixel
{
    static constexpr TModelInputs kInputs = {.textures = {{0, kScreenVarying}, {1, kScreenVarying}}};
    template <class Quad> [[gnu::always_inline]] static auto Shade(const Quad& in) { return in.Texture(0) * in.Texture(1); }
};

// Lane i of a quad is pixel (i & 1) of its row (i >> 1). In every quad of the lanes, lanes I0-I3
// of a and b together (0-3 a's, 4-7 b's).
constexpr int PairLane(int i, int quad)
{
    return i < 4 ? 4 * quad + i : 8 + 4 * quad + i - 4;
}
template <int I0, int I1, int I2, int I3> [[gnu::always_inline]] inline TQuad Pick(const TQuad& a, const TQuad& b)
{
    return TQuad(__builtin_shufflevector(a.v, b.v, I0, I1, I2, I3));
}
template <int I0, int I1, int I2, int I3>
[[gnu::always_inline]] inline TQuadPair Pick(const TQuadPair& a, const TQuadPair& b)
{
    return TQuadPair(__builtin_shufflevector(a.v, b.v, PairLane(I0, 0), PairLane(I1, 0), PairLane(I2, 0),
                                             PairLane(I3, 0), PairLane(I0, 1), PairLane(I1, 1), PairLane(I2, 1),
                                             PairLane(I3, 1)));
}

// A value for each pixel of a quad, the same in every quad of the lanes.
template <class L> [[gnu::always_inline]] inline L QuadLanes(float a, float b, float c, float d);
template <> [[gnu::always_inline]] inline TQuad QuadLanes<TQuad>(float a, float b, float c, float d)
{
    return TQuad(_mm_setr_ps(a, b, c, d));
}
template <> [[gnu::always_inline]] inline TQuadPair QuadLanes<TQuadPair>(float a, float b, float c, float d)
{
    const TQuad quad(_mm_setr_ps(a, b, c, d));
    return TQuadPair(quad, quad);
}

// A channel's four neighbours of each pixel (left, right, above, below) from the quad's own
// pixels and two taps of those around it: `across` of the pixels left and right of the quad,
// `along` of those above and below.
template <class L> struct TNeighbours
{
    L of[4];

    [[gnu::always_inline]] TNeighbours(const L& own, const L& across, const L& along)
        : of{Pick<0, 4, 2, 6>(across, own), Pick<5, 1, 7, 3>(across, own), Pick<0, 1, 4, 5>(along, own),
             Pick<6, 7, 2, 3>(along, own)}
    {
    }
};

struct TEdgeSmoothingPixel
{
    static constexpr TModelInputs kInputs = {
        .varyings = Varyings(kScreenVarying),
        .constants = kTargetSize + 2,
        .textures = {{0, kScreenVarying}, {1, kScreenVarying}, {2, kScreenVarying}}};

    template <class Quad> [[gnu::always_inline]] static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> at = in.Varying(kScreenVarying);
        const auto [px, py] = Pixel(in);
        // A neighbour inside the quad is one of its pixels: two taps per image read the rest,
        // the pixels left of the left column and right of the right one, and those above the top
        // row and below the bottom one.
        const L acrossU = at.x + QuadLanes<L>(-px, px, -px, px), acrossV = at.y + L(0.0f);
        const L alongU = at.x + L(0.0f), alongV = at.y + QuadLanes<L>(-py, -py, py, py);
        // The positions and normals, one size, read together at each place.
        constexpr int kGeometry[2] = {1, 2};
        TLaneVector<L> p, n, positionAcross, normalAcross, positionAlong, normalAlong;
        const auto geometry = [&](const L& u, const L& v, TLaneVector<L>& position, TLaneVector<L>& normal) {
            in.SampleTogether(kGeometry, u, v,
                              [&](int k, const TLaneVector<L>& tap) { (k == 0 ? position : normal) = tap; });
        };
        geometry(at.x, at.y, p, n);
        geometry(acrossU, acrossV, positionAcross, normalAcross);
        geometry(alongU, alongV, positionAlong, normalAlong);
        const auto across = [&](int i) { return in.SampleAt(i, acrossU, acrossV); };
        const auto along = [&](int i) { return in.SampleAt(i, alongU, alongV); };
        const TNeighbours<L> depth(p.z, positionAcross.z, positionAlong.z);
        const TNeighbours<L> nx(n.x, normalAcross.x, normalAlong.x);
        const TNeighbours<L> ny(n.y, normalAcross.y, normalAlong.y);
        const TNeighbours<L> nz(n.z, normalAcross.z, normalAlong.z);
        L edge(0.0f);
        for (int k = 0; k < 4; ++k)
        {
            const TLaneVector<L> m = {nx.of[k], ny.of[k], nz.of[k], L(0.0f)};
            // A depth step of a tenth of the distance, or normals turned by more than about 45 degrees.
            edge = Max(edge, Step(Abs(p.z) * L(0.1f) + L(0.01f), Abs(depth.of[k] - p.z)));
            edge = Max(edge, Step(L(0.3f), L(1.0f) - Dot3(n, m)));
        }
        const TLaneVector<L> centre = in.Texture(0);
        // Without an edge the neighbours' colours weigh nothing: no taps of the image.
        if (!AnyLane(edge))
            return centre;
        const TLaneVector<L> colourAcross = across(0), colourAlong = along(0);
        const TNeighbours<L> r(centre.x, colourAcross.x, colourAlong.x);
        const TNeighbours<L> g(centre.y, colourAcross.y, colourAlong.y);
        const TNeighbours<L> b(centre.z, colourAcross.z, colourAlong.z);
        const TNeighbours<L> a(centre.w, colourAcross.w, colourAlong.w);
        TLaneVector<L> mean = {L(0.0f), L(0.0f), L(0.0f), L(0.0f)};
        for (int k = 0; k < 4; ++k)
            mean = mean + TLaneVector<L>{r.of[k], g.of[k], b.of[k], a.of[k]};
        const L keep = L(1.0f) - edge * L(0.5f), take = edge * L(0.125f);
        return centre * keep + mean * take;
    }
};

constexpr int kGrain = 0;

// The fraction of x about its nearest whole number, in [-0.5, 0.5]: adding and taking away 1.5
// x 2^23 rounds a float of magnitude below 2^22 to a whole number.
template <class L> [[gnu::always_inline]] inline L Fraction(const L& x)
{
    const L magic(12582912.0f);
    return x - ((x + magic) - magic);
}

struct TFilmGrainPixel
{
    static constexpr TModelInputs kInputs = {.constants = kGrain + 1, .textures = {{0, kScreenVarying}}};
    template <class Quad> [[gnu::always_inline]] static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const L a = Fraction(in.X() * L(0.7548776f) + in.Y() * L(0.5698403f));
        const L b = Fraction(a * (a + L(33.33f)) * L(91.7f));
        const L grain = b * L(2.0f * in.ConstantValue(kGrain, 0));
        const TLaneVector<L> c = in.Texture(0);
        return TLaneVector<L>{c.x + grain, c.y + grain, c.z + grain, c.w};
    }
};

template <class L> [[gnu::always_inline]] inline L Luminance(const TLaneVector<L>& c)
{
    return c.x * L(0.299f) + c.y * L(0.587f) + c.z * L(0.114f);
}

constexpr int kOcclusion = 0;

struct TAmbientOcclusionPixel
{
    static constexpr TModelInputs kInputs = {
        .varyings = Varyings(kScreenVarying),
        .constants = kTargetSize + 2,
        .textures = {{0, kScreenVarying}, {1, kScreenVarying}, {2, kScreenVarying}}};

    template <class Quad> [[gnu::always_inline]] static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> at = in.Varying(kScreenVarying);
        const TLaneVector<L> p = in.Texture(1);
        const L drawn = Step(L(0.5f), p.w);
        // The sky is left whole: a quad of it alone reads no taps.
        if (!AnyLane(drawn))
            return TLaneVector<L>{L(1.0f), L(1.0f), L(1.0f), L(1.0f)};
        const TLaneVector<L> n = in.Texture(2);
        const auto [px, py] = Pixel(in);
        const float radius = in.ConstantValue(kOcclusion, 0);
        const float reach = in.ConstantValue(kOcclusion, 2);
        constexpr float kRing[8][2] = {{1.0f, 0.0f}, {0.7071f, 0.7071f}, {0.0f, 1.0f}, {-0.7071f, 0.7071f},
                                       {-1.0f, 0.0f}, {-0.7071f, -0.7071f}, {0.0f, -1.0f}, {0.7071f, -0.7071f}};
        L occluded(0.0f);
        for (const auto& r : kRing)
        {
            const TLaneVector<L> q = in.SampleAt(1, at.x + L(r[0] * radius * px), at.y + L(r[1] * radius * py));
            const TLaneVector<L> d = {q.x - p.x, q.y - p.y, q.z - p.z, L(0.0f)};
            const L length = Sqrt(Max(Dot3(d, d), L(1e-8f)));
            // In front of the surface (along its normal) and near enough; drawn taps only.
            const L facing = Saturate(Dot3(n, d) / length);
            occluded = occluded + facing * (L(1.0f) - Step(L(reach), length)) * Step(L(0.5f), q.w);
        }
        const L light = L(1.0f) - Saturate(occluded * L(in.ConstantValue(kOcclusion, 1) / 8.0f)) * drawn;
        return TLaneVector<L>{light, light, light, L(1.0f)};
    }
};

struct TAmbientOcclusionApplyPixel
{
    static constexpr TModelInputs kInputs = {.textures = {{0, kScreenVarying}, {1, kScreenVarying}}};
    template <class Quad> [[gnu::always_inline]] static auto Shade(const Quad& in)
    {
        return in.Texture(0) * in.Texture(1);
    }
};

struct TToneMapDownscalePixel
{
    static constexpr TModelInputs kInputs = {.textures = {{0, kScreenVarying}}};
    template <class Quad> [[gnu::always_inline]] static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const L y = Saturate(Luminance(in.Texture(0)));
        return TLaneVector<L>{y, y, L(0.0f), L(1.0f)};
    }
};

struct TToneMapMinMaxPixel
{
    static constexpr TModelInputs kInputs = {
        .varyings = Varyings(kScreenVarying), .constants = kTargetSize + 2, .textures = {{0, kScreenVarying}}};
    template <class Quad> [[gnu::always_inline]] static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> at = in.Varying(kScreenVarying);
        const auto [px, py] = Pixel(in);
        L least(1.0f), most(0.0f);
        for (int j = -1; j <= 1; ++j)
            for (int i = -1; i <= 1; ++i)
            {
                const TLaneVector<L> t = in.SampleAt(0, at.x + L(i * px / 3.0f), at.y + L(j * py / 3.0f));
                least = Min(least, t.x);
                most = Max(most, t.y);
            }
        return TLaneVector<L>{least, most, L(0.0f), L(1.0f)};
    }
};

struct TToneMapPixel
{
    static constexpr TModelInputs kInputs = {.textures = {{0, kScreenVarying}, {9, kScreenVarying}}};
    // The luminance range, one texel for the whole draw.
    struct TDrawValues
    {
        float low, scale;
    };
    static TDrawValues Prepare(const TDrawInput& in)
    {
        const TQuadVector range = in.SampleAt(1, 0.5f, 0.5f);
        const TQuad low = range.x * TQuad(0.5f);
        const TQuad scale = TQuad(1.0f) / Max(range.y - low, TQuad(0.1f));
        return {low[0], scale[0]};
    }
    template <class Quad> [[gnu::always_inline]] static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> c = in.Texture(0);
        const auto& range = in.Draw();
        const L low(range.low), scale(range.scale);
        const auto stretch = [&](const L& x) { return (x + Saturate((x - low) * scale)) * L(0.5f); };
        return TLaneVector<L>{stretch(c.x), stretch(c.y), stretch(c.z), c.w};
    }
};

constexpr int kPreviousFinal = 0;
constexpr int kCameraView = 4;
constexpr int kMotionLimit = 8;

struct TMotionBlurPixel
{
    static constexpr TModelInputs kInputs = {.varyings = Varyings(kScreenVarying),
                                             .constants = kMotionLimit + 1,
                                             .textures = {{0, kScreenVarying}, {1, kScreenVarying}}};

    // Camera to world through the view's rigid inverse, then the previous final matrix: one
    // matrix for the whole draw.
    struct TDrawValues
    {
        float m[4][4];
    };
    static TDrawValues Prepare(const TDrawInput& in)
    {
        TDrawValues values;
        float(&m)[4][4] = values.m;
        for (int r = 0; r < 4; ++r)
        {
            for (int c = 0; c < 3; ++c)
            {
                m[r][c] = 0.0f;
                for (int k = 0; k < 3; ++k)
                    m[r][c] += in.ConstantValue(kPreviousFinal + r, k) * in.ConstantValue(kCameraView + c, k);
            }
            m[r][3] = in.ConstantValue(kPreviousFinal + r, 3);
            for (int c = 0; c < 3; ++c)
                m[r][3] -= m[r][c] * in.ConstantValue(kCameraView + c, 3);
        }
        return values;
    }

    template <class Quad> [[gnu::always_inline]] static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> at = in.Varying(kScreenVarying);
        TLaneVector<L> centre, p;
        in.SampleTogether(kImageAndPositions, at.x, at.y,
                          [&](int k, const TLaneVector<L>& read) { (k == 0 ? centre : p) = read; });
        const float(&m)[4][4] = in.Draw().m;
        const auto row = [&](int r) { return p.x * L(m[r][0]) + p.y * L(m[r][1]) + p.z * L(m[r][2]) + L(m[r][3]); };
        const L w = Max(row(3), L(1e-4f));
        const L limit(in.ConstantValue(kMotionLimit, 0));
        const L drawn = Step(L(0.5f), p.w);
        // Motion below a thousandth of the screen is the positions' rounding, not motion.
        const auto motion = [&](const L& d) {
            return Min(Max(d * drawn * Step(L(1e-3f), Abs(d)), -limit), limit);
        };
        const L du = motion(L(0.5f) + row(0) * L(0.5f) / w - at.x);
        const L dv = motion(L(0.5f) - row(1) * L(0.5f) / w - at.y);
        // A still pixel reads itself at every tap.
        const bool still = !AnyLane(du) && !AnyLane(dv);
        TLaneVector<L> sum = centre;
        if (still)
        {
            for (int k = 1; k <= 4; ++k)
                sum = sum + centre;
            return sum * L(0.2f);
        }
        // The four taps read together.
        L us[4], vs[4];
        for (int k = 1; k <= 4; ++k)
        {
            us[k - 1] = at.x + du * L(0.25f * k);
            vs[k - 1] = at.y + dv * L(0.25f * k);
        }
        in.SampleEach(0, us, vs, [&](int, const TLaneVector<L>& tap) { sum = sum + tap; });
        return sum * L(0.2f);
    }
};

constexpr int kGrassRange = 0;
constexpr int kGrassTint = 1;

struct TGrassPixel
{
    static constexpr TModelInputs kInputs = {.constants = kGrassTint + 1,
                                             .textures = {{0, kScreenVarying}, {1, kScreenVarying}}};
    template <class Quad> [[gnu::always_inline]] static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> c = in.Texture(0);
        const TLaneVector<L> p = in.Texture(1);
        const float range = in.ConstantValue(kGrassRange, 0);
        const L distance = Sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
        const L ground = Step(L(0.5f), p.w) * (L(1.0f) - Step(L(0.0f), p.y));
        const L near = Saturate(L(1.0f) - distance * L(1.0f / (range > 1e-4f ? range : 1e-4f))) * ground;
        const L noise = Fraction(in.X() * L(0.4142136f) + in.Y() * L(0.7320508f)) * L(in.ConstantValue(kGrassRange, 1));
        const L w = near * L(in.ConstantValue(kGrassTint, 3));
        const auto tint = [&](const L& x, int k) {
            return x + (L(in.ConstantValue(kGrassTint, k)) * (L(1.0f) + noise) - x) * w;
        };
        return TLaneVector<L>{tint(c.x, 0), tint(c.y, 1), tint(c.z, 2), c.w};
    }
};

const TPixelModelRegistration kHaze("haze", PixelModelType<THazePixel>());
const TPixelModelRegistration kAmbientOcclusion("ssao", PixelModelType<TAmbientOcclusionPixel>());
const TPixelModelRegistration kAmbientOcclusionApply("ssaoapply", PixelModelType<TAmbientOcclusionApplyPixel>());
const TPixelModelRegistration kToneMapDownscale("tonemapdownscale", PixelModelType<TToneMapDownscalePixel>());
const TPixelModelRegistration kToneMapMinMax("tonemapminmax", PixelModelType<TToneMapMinMaxPixel>());
const TPixelModelRegistration kToneMap("tonemap", PixelModelType<TToneMapPixel>());
const TPixelModelRegistration kGrass("grassss", PixelModelType<TGrassPixel>());
const TPixelModelRegistration kMotionBlur("motionblur", PixelModelType<TMotionBlurPixel>());
const TPixelModelRegistration kDepthOfField("dof", PixelModelType<TDepthOfFieldPixel>());
const TPixelModelRegistration kOverlay("overlay", PixelModelType<TOverlayPixel>());
const TPixelModelRegistration kEdgeSmoothing("edgeaa", PixelModelType<TEdgeSmoothingPixel>());
const TPixelModelRegistration kFilmGrain("filmgrain", PixelModelType<TFilmGrainPixel>());
} // namespace
