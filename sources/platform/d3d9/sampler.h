#pragma once
// Texture sampling for pixel functions: per sampler the bound texture's levels and the sampler
// states of the draw, with point, linear and mipmap filtering and wrap, mirror, clamp, border
// and mirror-once addressing. One level of detail serves the four pixels of a quad.
#include "platform/d3d9/floatpixels.h"
#include "platform/d3d9/quad.h"
#include "platform/d3d9/shadingmodel.h"
#include "platform/d3d9/texel.h"
#include "platform/d3d9/texturestore.h"

#include <cstdint>
#include <cstring>

struct TSamplerLevel
{
    const std::uint8_t* bits;
    const std::uint32_t* decoded; // A8R8G8B8 texels of a DXT level
    int width, height, depth;
    int pitch, slicePitch;
};

struct TSamplerStage
{
    enum class EPath : std::uint8_t
    {
        None,    // nothing bound: samples read (0, 0, 0, 1)
        Argb,    // A8R8G8B8 or X8R8G8B8 words read directly
        Decoded, // DXT through its decoded copy
        Texel,   // any other format through ReadTexel
    };

    EPath path = EPath::None;
    D3DRESOURCETYPE kind = D3DRTYPE_TEXTURE;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    bool opaque = false; // X8R8G8B8: alpha reads as 1
    int levelCount = 0;
    int firstLevel = 0;
    int lastLevel = 0;
    bool lodMatters = false; // more than one usable level, or a different filter each way
    // One usable A16B16G16R16F or R32F level sampled at points: the G-buffer read pixel by pixel,
    // four lanes at a time (the same bits as texel by texel).
    bool floatPoint = false;
    // One usable A8R8G8B8 or X8R8G8B8 level sampled at points: masks and 8-bit images read by
    // full-screen passes, four lanes at a time (the same bits as the quad filter).
    bool argbPoint = false;
    // One usable R5G6B5 level sampled at points: the luminance reductions' taps, four lanes at a
    // time (the same bits as texel by texel).
    bool rgb565Point = false;
    // Addresses clamped to the edge across and down.
    bool clampsEdges = false;
    TSamplerLevel levels[6][16];
    DWORD address[3];
    DWORD magFilter, minFilter, mipFilter;
    float lodBias;
    float border[4];
    std::uint32_t borderWord; // the border colour as an A8R8G8B8 word
};

class TSamplerSet
{
public:
    // Takes the texture's levels (null unbinds) and the sampler's states (D3DSAMP_* order).
    void Bind(int stage, TTextureStore* texture, const DWORD* states, UINT lodClamp);

    // Inline where a float or 32-bit level is sampled at points inside it (the full-screen
    // passes' reads); everything else through SampleAny.
    TQuadVector Sample(int stage, TQuad u, TQuad v) const;
    // Sample of two quads on eight lanes, for the loops compiled for AVX2 (the same bits): inline
    // where both read a float or 32-bit level at points inside it, or nothing is bound; 32-bit
    // levels filtered as a row of two quads; else quad by quad.
    [[gnu::target("avx2")]] TLaneVector<TQuadPair> SamplePair(int stage, const TQuadPair& u, const TQuadPair& v) const;
    // SamplePair of N taps at once, each handed to `each(k, sample)` in turn (the same bits): where
    // the stage reads one A16B16G16R16F level at points and every tap lies inside it (a blur's
    // taps), the level is looked up once and one test finds them all inside; else tap by tap.
    template <int N, class Each>
    [[gnu::target("avx2")]] void SamplePairs(int stage, const TQuadPair (&u)[N], const TQuadPair (&v)[N],
                                             Each&& each) const;
    // SamplePair of N stages at one place, each sample handed to `each(k, sample)` in turn (the
    // same bits): where every stage reads one A16B16G16R16F level of one size at points (the
    // G-buffer's images read where each other are), the texels are found once.
    template <int N, class Each>
    [[gnu::target("avx2")]] void SampleStagesPair(const int (&stages)[N], const TQuadPair& u, const TQuadPair& v,
                                                  Each&& each) const;
    // Whether a texture is bound to the stage.
    bool Bound(int stage) const { return stages_[stage].path != TSamplerStage::EPath::None; }
    // Whether the stage samples to 8-bit channels without a level of detail (one usable
    // A8R8G8B8 or X8R8G8B8 level, one filter): SampleWords serves it.
    bool SamplesWords(int stage) const;
    // Sample's result as one A8R8G8B8 word per lane, for stages that SamplesWords: Sample
    // answers these channels over 255.
    __m128i SampleWords(int stage, TQuad u, TQuad v) const;
    // SampleWords of `count` quads, into `words`.
    void SampleWordsRow(int stage, const TQuad* u, const TQuad* v, int count, __m128i* words) const;
    TQuadVector SampleLevel(int stage, TQuad u, TQuad v, TQuad lod) const;
    TQuadVector SampleCube(int stage, TQuad x, TQuad y, TQuad z) const;
    TQuadVector SampleVolume(int stage, TQuad u, TQuad v, TQuad w) const;

private:
    TQuadVector SampleAny(int stage, TQuad u, TQuad v) const;
    // SampleWords of two quads, as a row of two.
    [[gnu::target("avx2")]] void SampleWordsPair(int stage, const TQuadPair& u, const TQuadPair& v,
                                                 TWordPair& words) const;

    TSamplerStage stages_[kPixelSamplers];
};

// Texel indices of coordinates in texels: the floor of each lane.
[[gnu::always_inline]] inline __m128i FloorLanes(__m128 x)
{
    const __m128i truncated = _mm_cvttps_epi32(x);
    const __m128 back = _mm_cvtepi32_ps(truncated);
    // Where truncation went up (negative fractions), step down by one.
    return _mm_add_epi32(truncated, _mm_castps_si128(_mm_cmpgt_ps(back, x)));
}

// FloorLanes on eight lanes.
[[gnu::target("avx2")]] inline __m256i FloorLanes(const TQuadPair& x)
{
    const __m256i truncated = _mm256_cvttps_epi32(x.v);
    const __m256 back = _mm256_cvtepi32_ps(truncated);
    return _mm256_add_epi32(truncated, _mm256_castps_si256(_mm256_cmp_ps(back, x.v, _CMP_GT_OQ)));
}

// Texel indices on eight lanes clamped into a level's `size`.
[[gnu::target("avx2")]] inline __m256i ClampLanes(__m256i x, int size)
{
    return _mm256_min_epi32(_mm256_max_epi32(x, _mm256_setzero_si256()), _mm256_set1_epi32(size - 1));
}

// The texels of a point sample of eight lanes in one level of the stage, as byte offsets of
// texels of 1 << `shift` bytes; false where a lane lies outside the level, unless the stage
// clamps at the edges: clamped, a point lies on its nearest texel.
[[gnu::target("avx2")]] inline bool PointOffsets(const TSamplerStage& s, const TSamplerLevel& level, const TQuadPair& u,
                                                 const TQuadPair& v, int shift, __m256i& offsets)
{
    __m256i x = FloorLanes(TQuadPair(u.v * float(level.width)));
    __m256i y = FloorLanes(TQuadPair(v.v * float(level.height)));
    const __m256i outside =
        _mm256_or_si256(_mm256_or_si256(x, _mm256_sub_epi32(_mm256_set1_epi32(level.width - 1), x)),
                        _mm256_or_si256(y, _mm256_sub_epi32(_mm256_set1_epi32(level.height - 1), y)));
    if (_mm256_movemask_ps(_mm256_castsi256_ps(outside)) != 0)
    {
        if (!s.clampsEdges)
            return false;
        x = ClampLanes(x, level.width);
        y = ClampLanes(y, level.height);
    }
    offsets = _mm256_add_epi32(_mm256_mullo_epi32(y, _mm256_set1_epi32(level.pitch)), _mm256_slli_epi32(x, shift));
    return true;
}

// R5G6B5 texels, one per lane, as ReadTexel reads them: each field over its largest value.
[[gnu::always_inline]] inline TQuadVector R5G6B5Texels(__m128i texels)
{
    auto field = [&](int shift, int bits) {
        const __m128 value =
            _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(texels, shift), _mm_set1_epi32((1 << bits) - 1)));
        return TQuad(_mm_div_ps(value, _mm_set1_ps(float((1 << bits) - 1))));
    };
    return {field(11, 5), field(5, 6), field(0, 5), TQuad(1.0f)};
}

// A field of R5G6B5 texels on eight lanes, over its largest value.
template <int Shift, int Bits> [[gnu::target("avx2")]] inline TQuadPair R5G6B5Field(__m256i texels)
{
    const __m256i field = _mm256_and_si256(_mm256_srli_epi32(texels, Shift), _mm256_set1_epi32((1 << Bits) - 1));
    return _mm256_div_ps(_mm256_cvtepi32_ps(field), _mm256_set1_ps(float((1 << Bits) - 1)));
}

// R5G6B5Texels on eight lanes.
[[gnu::target("avx2")]] inline TLaneVector<TQuadPair> R5G6B5Texels(__m256i texels)
{
    return {R5G6B5Field<11, 5>(texels), R5G6B5Field<5, 6>(texels), R5G6B5Field<0, 5>(texels), TQuadPair(1.0f)};
}

[[gnu::always_inline]] inline TQuadVector TSamplerSet::Sample(int stage, TQuad u, TQuad v) const
{
    const TSamplerStage& s = stages_[stage];
    if (s.floatPoint || s.argbPoint || s.rgb565Point)
    {
        const TSamplerLevel& level = s.levels[0][s.firstLevel];
        const __m128i x = FloorLanes(_mm_mul_ps(u.v, _mm_set1_ps(float(level.width))));
        const __m128i y = FloorLanes(_mm_mul_ps(v.v, _mm_set1_ps(float(level.height))));
        // Indices inside the level need no addressing, whatever the mode.
        const __m128i outside =
            _mm_or_si128(_mm_or_si128(x, _mm_sub_epi32(_mm_set1_epi32(level.width - 1), x)),
                         _mm_or_si128(y, _mm_sub_epi32(_mm_set1_epi32(level.height - 1), y)));
        if (_mm_movemask_ps(_mm_castsi128_ps(outside)) == 0)
        {
            if (s.floatPoint)
                return floatpixels::GatherTexels(level.bits, level.pitch, s.format == D3DFMT_R32F ? 4 : 8, x, y);
            // Scalar loads, as the quad filter gathers: a vector load of words just stored one
            // by one would stall.
            alignas(16) int xs[4], ys[4];
            _mm_store_si128(reinterpret_cast<__m128i*>(xs), x);
            _mm_store_si128(reinterpret_cast<__m128i*>(ys), y);
            if (s.rgb565Point)
            {
                std::uint16_t texels[4];
                for (int lane = 0; lane < 4; ++lane)
                    std::memcpy(&texels[lane], level.bits + ys[lane] * level.pitch + xs[lane] * 2, 2);
                return R5G6B5Texels(_mm_setr_epi32(texels[0], texels[1], texels[2], texels[3]));
            }
            std::uint32_t words[4];
            for (int lane = 0; lane < 4; ++lane)
                std::memcpy(&words[lane], level.bits + ys[lane] * level.pitch + xs[lane] * 4, 4);
            const __m128i texels = _mm_setr_epi32(int(words[0]), int(words[1]), int(words[2]), int(words[3]));
            return UnpackArgb(s.opaque ? _mm_or_si128(texels, _mm_set1_epi32(int(0xFF000000u))) : texels);
        }
    }
    return SampleAny(stage, u, v);
}

[[gnu::target("avx2")]] inline TLaneVector<TQuadPair> TSamplerSet::SamplePair(int stage, const TQuadPair& u,
                                                                               const TQuadPair& v) const
{
    const TSamplerStage& s = stages_[stage];
    if (s.path == TSamplerStage::EPath::None)
        return {TQuadPair(0.0f), TQuadPair(0.0f), TQuadPair(0.0f), TQuadPair(1.0f)};
    const bool half4 = s.floatPoint && s.format == D3DFMT_A16B16G16R16F;
    const bool red = s.floatPoint && s.format == D3DFMT_R32F;
    if (half4 || red || s.argbPoint || s.rgb565Point)
    {
        const TSamplerLevel& level = s.levels[0][s.firstLevel];
        __m256i offsets;
        if (PointOffsets(s, level, u, v, half4 ? 3 : s.rgb565Point ? 1 : 2, offsets))
        {
            if (half4)
                return floatpixels::GatherHalf4Pair(level.bits, level.pitch, offsets);
            if (red)
            {
                // A shadow map read at each lane's own place: red as stored, the rest 1. One
                // gather instruction, where eight loads and inserts would take three times the work.
                return {TQuadPair(_mm256_i32gather_ps(reinterpret_cast<const float*>(level.bits), offsets, 1)),
                        TQuadPair(1.0f), TQuadPair(1.0f), TQuadPair(1.0f)};
            }
            if (s.rgb565Point)
            {
                std::uint16_t texels[8];
                for (int q = 0; q < 2; ++q)
                {
                    std::memcpy(&texels[4 * q], level.bits + floatpixels::PairOffset<0>(offsets, q), 2);
                    std::memcpy(&texels[4 * q + 1], level.bits + floatpixels::PairOffset<1>(offsets, q), 2);
                    std::memcpy(&texels[4 * q + 2], level.bits + floatpixels::PairOffset<2>(offsets, q), 2);
                    std::memcpy(&texels[4 * q + 3], level.bits + floatpixels::PairOffset<3>(offsets, q), 2);
                }
                return R5G6B5Texels(_mm256_setr_epi32(texels[0], texels[1], texels[2], texels[3], texels[4], texels[5],
                                                      texels[6], texels[7]));
            }
            // Scalar loads, as Sample reads them: a vector load of words just stored one by one
            // would stall.
            std::uint32_t words[8];
            for (int q = 0; q < 2; ++q)
            {
                std::memcpy(&words[4 * q], level.bits + floatpixels::PairOffset<0>(offsets, q), 4);
                std::memcpy(&words[4 * q + 1], level.bits + floatpixels::PairOffset<1>(offsets, q), 4);
                std::memcpy(&words[4 * q + 2], level.bits + floatpixels::PairOffset<2>(offsets, q), 4);
                std::memcpy(&words[4 * q + 3], level.bits + floatpixels::PairOffset<3>(offsets, q), 4);
            }
            const __m256i texels = _mm256_setr_epi32(int(words[0]), int(words[1]), int(words[2]), int(words[3]),
                                                     int(words[4]), int(words[5]), int(words[6]), int(words[7]));
            return UnpackArgb(
                TWordPair{s.opaque ? _mm256_or_si256(texels, _mm256_set1_epi32(int(0xFF000000u))) : texels});
        }
    }
    else if (SamplesWords(stage))
    {
        TWordPair words;
        SampleWordsPair(stage, u, v, words);
        return UnpackArgb(words);
    }
    const TQuadVector first = Sample(stage, FirstQuad(u), FirstQuad(v));
    const TQuadVector second = Sample(stage, SecondQuad(u), SecondQuad(v));
    return {TQuadPair(first.x, second.x), TQuadPair(first.y, second.y), TQuadPair(first.z, second.z),
            TQuadPair(first.w, second.w)};
}

template <int N, class Each>
[[gnu::target("avx2")]] inline void TSamplerSet::SamplePairs(int stage, const TQuadPair (&u)[N],
                                                             const TQuadPair (&v)[N], Each&& each) const
{
    const TSamplerStage& s = stages_[stage];
    if (s.floatPoint && s.format == D3DFMT_A16B16G16R16F)
    {
        const TSamplerLevel& level = s.levels[0][s.firstLevel];
        const float width = float(level.width), height = float(level.height);
        const __m256i right = _mm256_set1_epi32(level.width - 1),
                      bottom = _mm256_set1_epi32(level.height - 1);
        const __m256i pitch = _mm256_set1_epi32(level.pitch);
        __m256i offsets[N];
        __m256i outside = _mm256_setzero_si256();
        for (int k = 0; k < N; ++k)
        {
            // As SamplePair finds each tap's texel.
            const __m256i x = FloorLanes(TQuadPair(u[k].v * width));
            const __m256i y = FloorLanes(TQuadPair(v[k].v * height));
            outside =
                _mm256_or_si256(outside, _mm256_or_si256(_mm256_or_si256(x, _mm256_sub_epi32(right, x)),
                                                         _mm256_or_si256(y, _mm256_sub_epi32(bottom, y))));
            offsets[k] = _mm256_add_epi32(_mm256_mullo_epi32(y, pitch), _mm256_slli_epi32(x, 3));
        }
        if (_mm256_movemask_ps(_mm256_castsi256_ps(outside)) == 0)
        {
            for (int k = 0; k < N; ++k)
                each(k, floatpixels::GatherHalf4Pair(level.bits, level.pitch, offsets[k]));
            return;
        }
        if (s.clampsEdges)
        {
            // Taps past the edges (a blur at the screen's border) read its nearest texels.
            for (int k = 0; k < N; ++k)
            {
                __m256i clamped;
                PointOffsets(s, level, u[k], v[k], 3, clamped);
                each(k, floatpixels::GatherHalf4Pair(level.bits, level.pitch, clamped));
            }
            return;
        }
    }
    for (int k = 0; k < N; ++k)
        each(k, SamplePair(stage, u[k], v[k]));
}

template <int N, class Each>
[[gnu::target("avx2")]] inline void TSamplerSet::SampleStagesPair(const int (&stages)[N], const TQuadPair& u,
                                                                  const TQuadPair& v, Each&& each) const
{
    const TSamplerStage& first = stages_[stages[0]];
    const TSamplerLevel& level = first.levels[0][first.firstLevel];
    bool together = true;
    for (int k = 0; k < N; ++k)
    {
        const TSamplerStage& s = stages_[stages[k]];
        const TSamplerLevel& other = s.levels[0][s.firstLevel];
        together = together && s.floatPoint && s.format == D3DFMT_A16B16G16R16F && s.clampsEdges == first.clampsEdges &&
                   other.width == level.width && other.height == level.height && other.pitch == level.pitch;
    }
    __m256i offsets;
    if (together && PointOffsets(first, level, u, v, 3, offsets))
    {
        for (int k = 0; k < N; ++k)
        {
            const TSamplerStage& s = stages_[stages[k]];
            each(k, floatpixels::GatherHalf4Pair(s.levels[0][s.firstLevel].bits, level.pitch, offsets));
        }
        return;
    }
    for (int k = 0; k < N; ++k)
        each(k, SamplePair(stages[k], u, v));
}
