// The shadow manager's models.
//
// shadowdepth (pixel; with the objectmesh vertex, c0-c3 the light's view-projection through
//   TShadowProjection): one less the window depth into the map's red channel, so that the map's
//   clear (0) is as far as a depth goes.
// shadowprojection (pixel; canvas2d vertex, varying 1 the screen's texture coordinates), two
//   targets at once: for the opaque positions (slot 0) into mask 0 and the transparency positions
//   (slot 1) into mask 1, the light's channel (c6, parameter vector 2) where the position lies in
//   the split's depth range (c7.x to c7.y), its map depth (c0-c3: camera space to map coordinates
//   and depth, TShadowProjection) is beyond the map's (slot 3) by more than the bias (c8.x), and it
//   lies on the map. Shadows fade out from c7.z to c7.w. c4-c11 are the eight shadow parameter
//   vectors (TShadowParameters); c8.w 1 marks the range beyond the last split, which gets none.
//   A quad with no lane both drawn and in the range reads no map: a split's pass reads it only over
//   its slice of the screen.
// shadowblurh, shadowblurv: a five-tap blur of slot 0 along x or y, taking only taps whose depth
//   (slot 6, positions) is within c0.y of the centre's relative to it (TEffectsParams: c0.x the
//   step in texels), c2 and c3 the target's size (TRenderTargetSize: c3 holds 1 / width and
//   1 / height). A pixel whose five taps hold one colour keeps it (the weighed mean's bytes), and
//   a quad of such pixels alone reads no positions: most of the screen lies in no shadow (every tap
//   zero), most of the ambient light is unoccluded. A quad whose five taps of slot 0 are all zero
//   answers zero without reading them at any tolerance.
#include "platform/d3d9/pixelmodel.h"
#include "platform/d3dx9/shadingmodels.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int kScreenVarying = 1;

struct TShadowDepthPixel
{
    static constexpr TModelInputs kInputs = {.depth = true};
    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const L depth = L(1.0f) - in.Depth();
        return TLaneVector<L>{depth, depth, depth, L(1.0f)};
    }
};

// Whether any lane is other than zero (NaN included).
[[gnu::always_inline]] inline bool AnyLane(const TQuad& x)
{
    return _mm_movemask_ps(_mm_cmpneq_ps(x.v, _mm_setzero_ps())) != 0;
}
[[gnu::always_inline]] inline bool AnyLane(const TQuadPair& x)
{
    return AnyLane(FirstQuad(x)) || AnyLane(SecondQuad(x));
}

constexpr int kProjection = 0;
constexpr int kChannel = 4 + 2;
constexpr int kRange = 4 + 3;
constexpr int kBias = 4 + 4;
constexpr int kMapStage = 3;

struct TShadowProjectionPixel
{
    static constexpr TModelInputs kInputs = {
        .constants = kBias + 1,
        .textures = {{0, kScreenVarying}, {1, kScreenVarying}, {kMapStage, kScreenVarying}}};

    // What every quad of the draw shares: worked out once per tile.
    struct TDrawValues
    {
        bool none;        // c8.w: the range beyond the last split, which gets no shadow
        bool affine;      // the matrix's last column is (0, 0, 0, 1)
        float bias;       // the depth bias in the map's depth
        float fadeScale;  // 1 over the fade's length
    };
    static TDrawValues Prepare(const TDrawInput& in)
    {
        // The bias is in world units: the matrix's depth row scales world distances by its length.
        float length = 0.0f;
        for (int c = 0; c < 3; ++c)
            length += in.ConstantValue(kProjection + 2, c) * in.ConstantValue(kProjection + 2, c);
        // A split's orthographic matrix ends in (0, 0, 0, 1): w is then exactly 1 for every
        // finite position, and dividing by it changes nothing.
        const bool affine = in.ConstantValue(kProjection + 3, 0) == 0.0f &&
                            in.ConstantValue(kProjection + 3, 1) == 0.0f &&
                            in.ConstantValue(kProjection + 3, 2) == 0.0f && in.ConstantValue(kProjection + 3, 3) == 1.0f;
        const float fadeStart = in.ConstantValue(kRange, 2), end = in.ConstantValue(kRange, 3);
        return {in.ConstantValue(kBias, 3) != 0.0f, affine,
                (in.ConstantValue(kBias, 0) + in.ConstantValue(kBias, 1)) * std::sqrt(length),
                1.0f / std::max(end - fadeStart, 1e-3f)};
    }

    // The light's channel where the position is shadowed.
    template <class Quad, class L>
    static TLaneVector<L> Shadow(const Quad& in, const TLaneVector<L>& p, const TDrawValues& draw)
    {
        const TLaneVector<L>& range = in.Constant(kRange);
        const TLaneVector<L>& channel = in.Constant(kChannel);
        const L inRange = Step(range.x, p.z) * (L(1.0f) - Step(range.y, p.z));
        const L drawn = Step(L(0.5f), p.w);
        if (!AnyLane(inRange * drawn))
        {
            // Every factor is 0 or 1 but the fade, which lies in [0, 1]: the shadow is +0 in
            // every lane, whatever the map holds, so the map is not read.
            const L none(0.0f);
            return {none * channel.x, none * channel.y, none * channel.z, none * channel.w};
        }
        const auto row = [&](int i) {
            const TLaneVector<L>& m = in.Constant(kProjection + i);
            return p.x * m.x + p.y * m.y + p.z * m.z + m.w;
        };
        L u = row(0), v = row(1), z = row(2);
        if (!draw.affine)
        {
            const L inverse = L(1.0f) / Max(Abs(row(3)), L(1e-12f));
            u = u * inverse;
            v = v * inverse;
            z = z * inverse;
        }
        const L stored = L(1.0f) - in.SampleAt(2, u, v).x;
        const L onMap = Step(L(0.0f), u) * Step(u, L(1.0f)) * Step(L(0.0f), v) * Step(v, L(1.0f));
        const L behind = Step(stored + L(draw.bias), z);
        const L fade = Saturate(L(1.0f) - (p.z - range.z) * L(draw.fadeScale));
        const L shadow = onMap * inRange * behind * fade * drawn;
        return {shadow * channel.x, shadow * channel.y, shadow * channel.z, shadow * channel.w};
    }

    static bool SameBits(const TQuadVector& a, const TQuadVector& b)
    {
        const auto same = [](const TQuad& x, const TQuad& y) {
            return _mm_cmpeq_epi32(_mm_castps_si128(x.v), _mm_castps_si128(y.v));
        };
        const __m128i all = _mm_and_si128(_mm_and_si128(same(a.x, b.x), same(a.y, b.y)),
                                          _mm_and_si128(same(a.z, b.z), same(a.w, b.w)));
        return _mm_movemask_epi8(all) == 0xFFFF;
    }
    [[gnu::target("avx2")]] static bool SameBits(const TLaneVector<TQuadPair>& a, const TLaneVector<TQuadPair>& b)
    {
        return tile::SameBitsAvx2(a, b);
    }

    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const auto& draw = in.Draw();
        if (draw.none)
        {
            const TLaneVector<L> none = {L(0.0f), L(0.0f), L(0.0f), L(0.0f)};
            return TTargetColours<L, 2>{{none, none}};
        }
        const TLaneVector<L> opaque = in.Texture(0), transparent = in.Texture(1);
        const TLaneVector<L> shadow = Shadow(in, opaque, draw);
        // Where nothing transparent lies in front, both positions have the same bits: so has the
        // shadow, and the map is read once.
        if (SameBits(opaque, transparent))
            return TTargetColours<L, 2>{{shadow, shadow}};
        return TTargetColours<L, 2>{{shadow, Shadow(in, transparent, draw)}};
    }
};

constexpr int kBlur = 0;
constexpr int kSize = 2;

template <bool Horizontal> struct TShadowBlurPixel
{
    static constexpr TModelInputs kInputs = {.varyings = Varyings(kScreenVarying),
                                             .constants = kSize + 2,
                                             .textures = {{0, kScreenVarying}, {6, kScreenVarying}}};
    static constexpr int kTaps = 5;

    // Whether any lane is above zero.
    static bool AnyAbove(const TQuad& x) { return _mm_movemask_ps(_mm_cmpgt_ps(x.v, _mm_setzero_ps())) != 0; }
    static bool AnyAbove(const TQuadPair& x) { return AnyAbove(FirstQuad(x)) || AnyAbove(SecondQuad(x)); }

    // Lanes set (all bits) where every tap has the middle one's bits in every channel.
    static TQuad SameLanes(const TQuad& a, const TQuad& b)
    {
        return _mm_castsi128_ps(_mm_cmpeq_epi32(_mm_castps_si128(a.v), _mm_castps_si128(b.v)));
    }
    [[gnu::target("avx2")]] static TQuadPair SameLanes(const TQuadPair& a, const TQuadPair& b)
    {
        return _mm256_castsi256_ps(_mm256_cmpeq_epi32(_mm256_castps_si256(a.v), _mm256_castps_si256(b.v)));
    }
    static TQuad And(const TQuad& a, const TQuad& b) { return _mm_and_ps(a.v, b.v); }
    [[gnu::target("avx2")]] static TQuadPair And(const TQuadPair& a, const TQuadPair& b)
    {
        return _mm256_and_ps(a.v, b.v);
    }
    template <class L> static L OneColour(const TLaneVector<L> (&mask)[kTaps])
    {
        const TLaneVector<L>& m = mask[kTaps / 2];
        L same = SameLanes(m.x, m.x);
        for (int tap = 0; tap < kTaps; ++tap)
        {
            if (tap == kTaps / 2)
                continue;
            const TLaneVector<L>& t = mask[tap];
            const L rg = And(SameLanes(t.x, m.x), SameLanes(t.y, m.y));
            same = And(same, And(rg, And(SameLanes(t.z, m.z), SameLanes(t.w, m.w))));
        }
        return same;
    }
    static bool AllSet(const TQuad& x) { return _mm_movemask_ps(x.v) == 0xF; }
    [[gnu::target("avx2")]] static bool AllSet(const TQuadPair& x) { return _mm256_movemask_ps(x.v) == 0xFF; }
    // Where `set`, a; elsewhere b.
    static TQuad Select(const TQuad& set, const TQuad& a, const TQuad& b)
    {
        return _mm_or_ps(_mm_and_ps(set.v, a.v), _mm_andnot_ps(set.v, b.v));
    }
    [[gnu::target("avx2")]] static TQuadPair Select(const TQuadPair& set, const TQuadPair& a, const TQuadPair& b)
    {
        return _mm256_blendv_ps(b.v, a.v, set.v);
    }

    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> at = in.Varying(kScreenVarying);
        const float step = in.ConstantValue(kBlur, 0) * in.ConstantValue(kSize + 1, Horizontal ? 0 : 1);
        const float tolerance = in.ConstantValue(kBlur, 1);
        L u[kTaps], v[kTaps];
        TLaneVector<L> mask[kTaps];
        for (int tap = 0; tap < kTaps; ++tap)
        {
            const L offset(static_cast<float>(tap - kTaps / 2) * step);
            u[tap] = Horizontal ? at.x + offset : at.x;
            v[tap] = Horizontal ? at.y : at.y + offset;
            mask[tap] = in.SampleAt(0, u[tap], v[tap]);
        }
        TLaneVector<L> sum = {L(0.0f), L(0.0f), L(0.0f), L(0.0f)};
        // Lanes whose five taps hold one colour keep it: the centre weighs one (at a tolerance of
        // at least zero), so the weighed mean is that colour to a few units in the last place,
        // the same bytes. A pair of such lanes alone reads no depths: most of the ambient light,
        // and most of a shadow mask, whose taps are all zero there (a mask's bytes are never
        // negative, so zero is one colour, and the weighed sums are zero too).
        const TLaneVector<L>& middle = mask[kTaps / 2];
        const bool keeps = tolerance >= 0.0f;
        const L uniform = keeps ? OneColour(mask) : L(0.0f);
        if (keeps && AllSet(uniform))
            return middle;
        if (!keeps)
        {
            // Every tap zero (a mask's bytes are never NaN): so is every weighed sum.
            L highest(0.0f);
            for (const TLaneVector<L>& t : mask)
                highest = Max(highest, Max(Max(Abs(t.x), Abs(t.y)), Max(Abs(t.z), Abs(t.w))));
            if (!AnyAbove(highest))
                return sum;
        }
        const L centre = in.SampleAt(1, at.x, at.y).z;
        L weight(0.0f);
        for (int tap = 0; tap < kTaps; ++tap)
        {
            // The middle tap lies at the centre: its depth is read already.
            const L depth = tap == kTaps / 2 ? centre : in.SampleAt(1, u[tap], v[tap]).z;
            const L take = L(1.0f) - Step(Abs(centre) * L(tolerance) + L(1e-6f), Abs(depth - centre));
            sum = sum + mask[tap] * take;
            weight = weight + take;
        }
        const L inverse = L(1.0f) / Max(weight, L(1.0f));
        const TLaneVector<L> mean = sum * inverse;
        if (!keeps)
            return mean;
        return TLaneVector<L>{Select(uniform, middle.x, mean.x), Select(uniform, middle.y, mean.y),
                              Select(uniform, middle.z, mean.z), Select(uniform, middle.w, mean.w)};
    }
};

const TPixelModelRegistration kShadowDepth("shadowdepth", PixelModelType<TShadowDepthPixel>());
const TPixelModelRegistration kShadowProjection("shadowprojection", PixelModelType<TShadowProjectionPixel>());
const TPixelModelRegistration kShadowBlurH("shadowblurh", PixelModelType<TShadowBlurPixel<true>>());
const TPixelModelRegistration kShadowBlurV("shadowblurv", PixelModelType<TShadowBlurPixel<false>>());
} // namespace
