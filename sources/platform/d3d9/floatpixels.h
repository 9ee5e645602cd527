#pragma once
// Four-lane conversions between floats and 16-bit floats, and the quads of the two floating-point
// target formats the renderers draw into (A16B16G16R16F and R32F) read and written a quad at a
// time: the same bits as ReadTexel and WriteTexel give texel by texel (D3D9HalfToFloat and
// D3D9FloatToHalf), without a call and a format switch per channel. R5G6B5 quads (the luminance
// chain's targets) are written so too.
#include "platform/d3d9/quad.h"
#include "platform/d3d9/quadpair.h"
#include "platform/d3d9/simdlevel.h"

#include <cstdint>
#include <cstring>
#include <emmintrin.h>
#include <immintrin.h>

namespace floatpixels
{
// Sixteen-bit floats (in the low half of each 32-bit lane) as floats: normal numbers by moving
// exponent and mantissa into place, subnormal ones as their mantissa times 2^-24 (exact), and
// infinities and NaNs with the largest exponent.
[[gnu::always_inline]] inline __m128 HalfToFloat(__m128i half)
{
    const __m128i magnitude = _mm_and_si128(half, _mm_set1_epi32(0x7FFF));
    const __m128i sign = _mm_slli_epi32(_mm_and_si128(half, _mm_set1_epi32(0x8000)), 16);
    const __m128i exponent = _mm_and_si128(magnitude, _mm_set1_epi32(0x7C00));
    __m128i bits = _mm_add_epi32(_mm_slli_epi32(magnitude, 13), _mm_set1_epi32(112 << 23));
    const __m128i top = _mm_cmpeq_epi32(exponent, _mm_set1_epi32(0x7C00));
    bits = _mm_add_epi32(bits, _mm_and_si128(top, _mm_set1_epi32(112 << 23)));
    const __m128i subnormal = _mm_cmpeq_epi32(exponent, _mm_setzero_si128());
    const __m128 small = _mm_mul_ps(_mm_cvtepi32_ps(magnitude), _mm_set1_ps(1.0f / 16777216.0f));
    bits = _mm_or_si128(_mm_and_si128(subnormal, _mm_castps_si128(small)), _mm_andnot_si128(subnormal, bits));
    return _mm_castsi128_ps(_mm_or_si128(bits, sign));
}

// Floats as 16-bit floats (in the low half of each lane), rounded to nearest even: normal results
// by adding the rounding bias below the kept mantissa, subnormal ones as the value times 2^24
// rounded by the conversion (round to nearest even, the processor's default); overflow gives
// infinity and any NaN 0x7E00.
[[gnu::always_inline]] inline __m128i FloatToHalf(__m128 value)
{
    const __m128i bits = _mm_castps_si128(value);
    const __m128i sign = _mm_and_si128(_mm_srli_epi32(bits, 16), _mm_set1_epi32(0x8000));
    const __m128i magnitude = _mm_and_si128(bits, _mm_set1_epi32(0x7FFFFFFF));
    const __m128i odd = _mm_and_si128(_mm_srli_epi32(magnitude, 13), _mm_set1_epi32(1));
    const __m128i normal = _mm_srli_epi32(
        _mm_add_epi32(_mm_add_epi32(magnitude, _mm_set1_epi32(int(0xFFFu - 0x38000000u))), odd), 13);
    const __m128i small = _mm_cvtps_epi32(_mm_mul_ps(_mm_castsi128_ps(magnitude), _mm_set1_ps(16777216.0f)));
    const __m128i isSmall = _mm_cmplt_epi32(magnitude, _mm_set1_epi32(0x38800000));
    __m128i half = _mm_or_si128(_mm_and_si128(isSmall, small), _mm_andnot_si128(isSmall, normal));
    const __m128i overflow = _mm_cmpgt_epi32(magnitude, _mm_set1_epi32(0x477FEFFF));
    half = _mm_or_si128(_mm_andnot_si128(overflow, half), _mm_and_si128(overflow, _mm_set1_epi32(0x7C00)));
    const __m128i nan = _mm_cmpgt_epi32(magnitude, _mm_set1_epi32(0x7F800000));
    half = _mm_or_si128(_mm_andnot_si128(nan, half), _mm_and_si128(nan, _mm_set1_epi32(0x7E00)));
    return _mm_or_si128(half, sign);
}

// Four 16-bit floats packed in the low 64 bits as floats. At the AVX2 level by the processor's
// own conversion (every processor with AVX2 has it; simdlevel.cpp checks): the instruction is
// written out because these helpers are inlined into loops the build compiles for SSE2. It
// gives HalfToFloat's bits, NaNs made quiet as the texel-by-texel conversion returns them.
[[gnu::always_inline]] inline __m128 HalvesToFloats(__m128i halves)
{
    if (RasteriserSimdLevel() == ESimdLevel::Avx2)
    {
        __m128 value;
        asm("vcvtph2ps %1, %0" : "=x"(value) : "x"(halves));
        return value;
    }
    return HalfToFloat(_mm_unpacklo_epi16(halves, _mm_setzero_si128()));
}

// Four floats as 16-bit floats packed in the low 64 bits, FloatToHalf's bits: the processor's
// conversion rounds to nearest even as it does; only its NaNs keep part of their payload, which
// is cleared to 0x7E00.
[[gnu::always_inline]] inline __m128i FloatsToHalves(__m128 value)
{
    if (RasteriserSimdLevel() == ESimdLevel::Avx2)
    {
        __m128i halves;
        asm("vcvtps2ph $0, %1, %0" : "=x"(halves) : "x"(value));
        const __m128i nan = _mm_castps_si128(_mm_cmpunord_ps(value, value));
        return _mm_andnot_si128(_mm_and_si128(_mm_packs_epi32(nan, nan), _mm_set1_epi16(0x01FF)), halves);
    }
    const __m128i lanes = FloatToHalf(value);
    // The low 16 bits of each lane side by side.
    const __m128i pairs = _mm_shufflehi_epi16(_mm_shufflelo_epi16(lanes, _MM_SHUFFLE(3, 3, 2, 0)), _MM_SHUFFLE(3, 3, 2, 0));
    return _mm_shuffle_epi32(pairs, _MM_SHUFFLE(3, 3, 2, 0));
}

// Asks for the lines two quad rows below a quad's pixel at `at` (an address: it may lie past the
// image, where nothing is fetched). Full-screen passes read and write their images a tile row at
// a time, rows a pitch apart, too far apart for the processor to foresee.
constexpr int kPrefetchRows = 4;
[[gnu::always_inline]] inline void PrefetchRowsBelow(std::uintptr_t at, int pitch)
{
    for (int row = kPrefetchRows; row < kPrefetchRows + 2; ++row)
        _mm_prefetch(reinterpret_cast<const char*>(at + std::uintptr_t(row * pitch)), _MM_HINT_T0);
}

// The same for a target's rows, asked for to be written where the processor can (PREFETCHW): a
// line another core wrote last, fetched to be read and then written, costs a second trip to take
// it over. Passes drawing over the image they read (tone mapping) lost a fifth of their time.
[[gnu::always_inline]] inline void PrefetchTargetRowsBelow(std::uintptr_t at, int pitch)
{
    if (!g_bPrefetchesForWriting)
        return PrefetchRowsBelow(at, pitch);
    for (int row = kPrefetchRows; row < kPrefetchRows + 2; ++row)
        asm volatile("prefetchw %0" : : "m"(*reinterpret_cast<const char*>(at + std::uintptr_t(row * pitch))));
}

// Lane i of a quad is pixel (i & 1) of row (i >> 1); `rows` address the quad's first pixel on
// each of its rows.
inline std::uint8_t* PixelOf(std::uint8_t* const rows[2], int lane, int bytes)
{
    return rows[lane >> 1] + (lane & 1) * bytes;
}

// Four A16B16G16R16F pixels, 0 and 1 in `low`, 2 and 3 in `high`, as four channels.
[[gnu::always_inline]] inline TQuadVector Half4Pixels(__m128i low, __m128i high)
{
    // r0 r2 g0 g2 b0 b2 a0 a2 and r1 r3 g1 g3 b1 b3 a1 a3, then channels with lanes in order.
    const __m128i even = _mm_unpacklo_epi16(low, high), odd = _mm_unpackhi_epi16(low, high);
    const __m128i rg = _mm_unpacklo_epi16(even, odd), ba = _mm_unpackhi_epi16(even, odd);
    // rg: r0 r1 r2 r3 g0 g1 g2 g3 (after the second interleave the lanes read 0, 1, 2, 3).
    return {HalvesToFloats(rg), HalvesToFloats(_mm_srli_si128(rg, 8)), HalvesToFloats(ba),
            HalvesToFloats(_mm_srli_si128(ba, 8))};
}

// One pixel of `bytes` (8 or 4) into the low lanes of a vector, loaded as such: pixels gathered
// on the stack and read back wide would wait for their narrow stores.
[[gnu::always_inline]] inline __m128i LoadPixel(const std::uint8_t* pixel, int bytes)
{
    if (bytes == 8)
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pixel));
    int word;
    std::memcpy(&word, pixel, 4);
    return _mm_cvtsi32_si128(word);
}

// The lanes in `mask` of a quad of `bytes`-byte pixels, lane i in bits 64 i (8 bytes) or 32 i
// (4 bytes) of `low` and `high` together; others read as zero.
[[gnu::always_inline]] inline void LoadQuadPixels(std::uint8_t* const rows[2], int mask, int bytes, __m128i& low,
                                                  __m128i& high)
{
    __m128i lanes[4];
    for (int lane = 0; lane < 4; ++lane)
        lanes[lane] = (mask & (1 << lane)) ? LoadPixel(PixelOf(rows, lane, bytes), bytes) : _mm_setzero_si128();
    if (bytes == 8)
    {
        low = _mm_unpacklo_epi64(lanes[0], lanes[1]);
        high = _mm_unpacklo_epi64(lanes[2], lanes[3]);
    }
    else
        low = _mm_unpacklo_epi64(_mm_unpacklo_epi32(lanes[0], lanes[1]), _mm_unpacklo_epi32(lanes[2], lanes[3]));
}

// The lanes in `mask` of an A16B16G16R16F quad as four channels (others read as zero).
[[gnu::always_inline]] inline TQuadVector ReadHalf4(std::uint8_t* const rows[2], int mask)
{
    if (mask == 0xF)
        return Half4Pixels(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[0])),
                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[1])));
    __m128i low, high;
    LoadQuadPixels(rows, mask, 8, low, high);
    return Half4Pixels(low, high);
}

// The lanes in `mask` of an A16B16G16R16F quad written from four channels.
[[gnu::always_inline]] inline void WriteHalf4(std::uint8_t* const rows[2], const TQuadVector& colour, int mask)
{
    // Each lane's red and green, and blue and alpha, side by side; then pixels of 64 bits.
    const __m128i rg = _mm_unpacklo_epi16(FloatsToHalves(colour.x.v), FloatsToHalves(colour.y.v));
    const __m128i ba = _mm_unpacklo_epi16(FloatsToHalves(colour.z.v), FloatsToHalves(colour.w.v));
    const __m128i first = _mm_unpacklo_epi32(rg, ba), second = _mm_unpackhi_epi32(rg, ba);
    if (mask == 0xF)
    {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[0]), first);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[1]), second);
        return;
    }
    alignas(16) std::uint64_t pixels[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(pixels), first);
    _mm_store_si128(reinterpret_cast<__m128i*>(pixels + 2), second);
    for (int lane = 0; lane < 4; ++lane)
    {
        if (mask & (1 << lane))
            std::memcpy(PixelOf(rows, lane, 8), &pixels[lane], 8);
    }
}

// The lanes in `mask` of an R32F quad: red as stored, the other channels 1 (others read as zero).
[[gnu::always_inline]] inline TQuadVector ReadFloat1(std::uint8_t* const rows[2], int mask)
{
    __m128i red, unused;
    LoadQuadPixels(rows, mask, 4, red, unused);
    return {_mm_castsi128_ps(red), 1.0f, 1.0f, 1.0f};
}

// The texels of an A16B16G16R16F (8 bytes) or R32F (4 bytes) level at four lanes' texel
// indices, all inside the level, as ReadHalf4 or ReadFloat1 read a target's quad.
[[gnu::always_inline]] inline TQuadVector GatherTexels(const std::uint8_t* bits, int pitch, int bytes, __m128i x,
                                                       __m128i y)
{
    alignas(16) int xs[4], ys[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(xs), x);
    _mm_store_si128(reinterpret_cast<__m128i*>(ys), y);
    __m128i lanes[4];
    for (int lane = 0; lane < 4; ++lane)
        lanes[lane] = LoadPixel(bits + ys[lane] * pitch + xs[lane] * bytes, bytes);
    PrefetchRowsBelow(reinterpret_cast<std::uintptr_t>(bits) + std::uintptr_t(ys[0] * pitch + xs[0] * bytes), pitch);
    if (bytes == 8)
        return Half4Pixels(_mm_unpacklo_epi64(lanes[0], lanes[1]), _mm_unpacklo_epi64(lanes[2], lanes[3]));
    const __m128i red = _mm_unpacklo_epi64(_mm_unpacklo_epi32(lanes[0], lanes[1]), _mm_unpacklo_epi32(lanes[2], lanes[3]));
    return {_mm_castsi128_ps(red), 1.0f, 1.0f, 1.0f};
}

// Eight 16-bit floats as floats by the processor's conversion, as HalvesToFloats converts four
// at the AVX2 level.
[[gnu::target("avx2")]] inline TQuadPair EightHalvesToFloats(__m128i halves)
{
    __m256 value;
    asm("vcvtph2ps %1, %0" : "=x"(value) : "x"(halves));
    return value;
}

// Lane `Lane` of quad `quad` of eight lanes' byte offsets.
template <int Lane> [[gnu::target("avx2")]] inline int PairOffset(const __m256i& offsets, int quad)
{
    const __m128i half = quad == 0 ? _mm256_castsi256_si128(offsets) : _mm256_extracti128_si256(offsets, 1);
    if constexpr (Lane == 0)
        return _mm_cvtsi128_si32(half);
    else
        return _mm_extract_epi32(half, Lane);
}

// Whether, in each quad of the pair, lanes 0 and 1 lie side by side in memory, as do lanes 2 and
// 3: a quad of an image's own pixels, or a row's taps. Each two are then one load.
[[gnu::target("avx2")]] inline bool PairsSideBySide(const __m256i& offsets, int bytes)
{
    const __m256i step = _mm256_sub_epi32(offsets, _mm256_shuffle_epi32(offsets, _MM_SHUFFLE(2, 2, 0, 0)));
    const __m256i expected = _mm256_setr_epi32(0, bytes, 0, bytes, 0, bytes, 0, bytes);
    return _mm256_movemask_epi8(_mm256_cmpeq_epi32(step, expected)) == -1;
}

// Two 64-bit pixels at byte offsets a and b of `bits`, side by side.
[[gnu::always_inline]] inline __m128i TwoPixels(const std::uint8_t* bits, int a, int b)
{
    return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(bits + a)),
                              _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bits + b)));
}

// GatherTexels of two quads' A16B16G16R16F texels on eight lanes at the AVX2 level: `offsets`
// each lane's texel in bytes from `bits`, all inside the level. The same bits as GatherTexels
// of each quad.
[[gnu::target("avx2")]] inline TLaneVector<TQuadPair> GatherHalf4Pair(const std::uint8_t* bits, int pitch,
                                                                      const __m256i& offsets)
{
    const int first0 = PairOffset<0>(offsets, 0), second0 = PairOffset<0>(offsets, 1);
    const int first2 = PairOffset<2>(offsets, 0), second2 = PairOffset<2>(offsets, 1);
    // Each quad's lanes 0 and 1 (`low`) and 2 and 3 (`high`), the first quad's in the lower half.
    __m256i low, high;
    const __m256i rowStarts = _mm256_permutevar8x32_epi32(offsets, _mm256_setr_epi32(0, 0, 2, 2, 0, 0, 2, 2));
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_sub_epi32(offsets, rowStarts),
                                                _mm256_setr_epi32(0, 8, 0, 8, 16, 24, 16, 24))) == -1)
    {
        // The quads side by side as well (an image's own pixels): a row of both is one load.
        low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bits + first0));
        high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bits + first2));
    }
    else
    {
        __m128i low0, low1, high0, high1;
        if (PairsSideBySide(offsets, 8))
        {
            low0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bits + first0));
            low1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bits + second0));
            high0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bits + first2));
            high1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bits + second2));
        }
        else
        {
            low0 = TwoPixels(bits, first0, PairOffset<1>(offsets, 0));
            low1 = TwoPixels(bits, second0, PairOffset<1>(offsets, 1));
            high0 = TwoPixels(bits, first2, PairOffset<3>(offsets, 0));
            high1 = TwoPixels(bits, second2, PairOffset<3>(offsets, 1));
        }
        low = _mm256_inserti128_si256(_mm256_castsi128_si256(low0), low1, 1);
        high = _mm256_inserti128_si256(_mm256_castsi128_si256(high0), high1, 1);
    }
    PrefetchRowsBelow(reinterpret_cast<std::uintptr_t>(bits) + std::uintptr_t(first0), pitch);
    PrefetchRowsBelow(reinterpret_cast<std::uintptr_t>(bits) + std::uintptr_t(second0), pitch);
    // Each two pixels' channels in pairs (r r g g b b a a), then the rows' pairs interleaved:
    // each channel's four lanes of a quad together, both quads' side by side after the permute.
    const __m256i pairs = _mm256_setr_epi8(0, 1, 8, 9, 2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15, 0, 1, 8, 9, 2, 3,
                                           10, 11, 4, 5, 12, 13, 6, 7, 14, 15);
    const __m256i lowPairs = _mm256_shuffle_epi8(low, pairs), highPairs = _mm256_shuffle_epi8(high, pairs);
    const __m256i rg = _mm256_permute4x64_epi64(_mm256_unpacklo_epi32(lowPairs, highPairs), _MM_SHUFFLE(3, 1, 2, 0));
    const __m256i ba = _mm256_permute4x64_epi64(_mm256_unpackhi_epi32(lowPairs, highPairs), _MM_SHUFFLE(3, 1, 2, 0));
    return {EightHalvesToFloats(_mm256_castsi256_si128(rg)), EightHalvesToFloats(_mm256_extracti128_si256(rg, 1)),
            EightHalvesToFloats(_mm256_castsi256_si128(ba)), EightHalvesToFloats(_mm256_extracti128_si256(ba, 1))};
}

[[gnu::always_inline]] inline void WriteFloat1(std::uint8_t* const rows[2], const TQuadVector& colour, int mask)
{
    if (mask == 0xF)
    {
        _mm_storel_pi(reinterpret_cast<__m64*>(rows[0]), colour.x.v);
        _mm_storeh_pi(reinterpret_cast<__m64*>(rows[1]), colour.x.v);
        return;
    }
    alignas(16) float red[4];
    _mm_store_ps(red, colour.x.v);
    for (int lane = 0; lane < 4; ++lane)
    {
        if (mask & (1 << lane))
            std::memcpy(PixelOf(rows, lane, 4), &red[lane], 4);
    }
}
// WriteTexel's R5G6B5 words of a quad (NaN as 0, each channel clamped to [0, 1] and rounded).
[[gnu::always_inline]] inline void WriteRgb565(std::uint8_t* const rows[2], const TQuadVector& colour, int mask)
{
    auto unorm = [](const TQuad& c, int bits) {
        const __m128 number = _mm_andnot_ps(_mm_cmpunord_ps(c.v, c.v), c.v);
        const __m128 clamped = _mm_min_ps(_mm_max_ps(number, _mm_setzero_ps()), _mm_set1_ps(1.0f));
        return _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(clamped, _mm_set1_ps(float((1 << bits) - 1))), _mm_set1_ps(0.5f)));
    };
    const __m128i packed = _mm_or_si128(
        _mm_or_si128(_mm_slli_epi32(unorm(colour.x, 5), 11), _mm_slli_epi32(unorm(colour.y, 6), 5)), unorm(colour.z, 5));
    // Words to 16 bits: each fits, so the signed pack keeps them.
    const __m128i words = _mm_packs_epi32(_mm_sub_epi32(packed, _mm_set1_epi32(0x8000)), _mm_setzero_si128());
    const __m128i halves = _mm_xor_si128(words, _mm_set1_epi16(std::int16_t(0x8000)));
    if (mask == 0xF)
    {
        const std::uint32_t top = std::uint32_t(_mm_cvtsi128_si32(halves));
        const std::uint32_t bottom = std::uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(halves, 4)));
        std::memcpy(rows[0], &top, 4);
        std::memcpy(rows[1], &bottom, 4);
        return;
    }
    alignas(16) std::uint16_t pixels[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(pixels), halves);
    for (int lane = 0; lane < 4; ++lane)
    {
        if (mask & (1 << lane))
            std::memcpy(PixelOf(rows, lane, 2), &pixels[lane], 2);
    }
}
} // namespace floatpixels
