#pragma once
// The tile loops: each triangle binned to a tile, the quads its edges cover, shaded by the pixel
// model and written to the target. A pixel model type's loops are compiled where it registers
// (pixelmodel.h), with its Shade inlined; a bare function's in tileshader.cpp.
#include "platform/d3d9/floatpixels.h"
#include "platform/d3d9/sampler.h"
#include "platform/d3d9/texel.h"
#include "platform/d3d9/tileshader.h"

#include <algorithm>
#include <concepts>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <immintrin.h>
#include <type_traits>
#include <utility>

// What a model's Prepare reads: the draw's constants and samplers (see pixelmodel.h).
struct TDrawInput
{
    const float (*constants)[4];
    const TSamplerSet* samplers;
    const TModelInputs* inputs;

    float ConstantValue(int r, int c) const { return constants[r][c]; }
    // Texture i of the model's inputs sampled at one place, as a quad's lanes sample it there.
    TQuadVector SampleAt(int i, float u, float v) const
    {
        return samplers->Sample(inputs->textures[i].stage, TQuad(u), TQuad(v));
    }
};

namespace tile
{
// A depth, stencil or alpha comparison of `a` against `b` by its D3DCMP function.
inline bool Compare(DWORD function, float a, float b)
{
    switch (function)
    {
    case D3DCMP_NEVER:
        return false;
    case D3DCMP_LESS:
        return a < b;
    case D3DCMP_EQUAL:
        return a == b;
    case D3DCMP_LESSEQUAL:
        return a <= b;
    case D3DCMP_GREATER:
        return a > b;
    case D3DCMP_NOTEQUAL:
        return a != b;
    case D3DCMP_GREATEREQUAL:
        return a >= b;
    default:
        return true;
    }
}

// Per-edge values of a triangle over one quad row walk.
struct TEdge
{
    __m128i value;        // at the quad's four pixels
    __m128i stepX, stepY; // per quad (two pixels), in every lane
};

// Four pixels as A8R8G8B8 words, channels saturated.
[[gnu::always_inline]] inline __m128i PackArgb(const TQuadVector& colour)
{
    const __m128 scale = _mm_set1_ps(255.0f), half = _mm_set1_ps(0.5f);
    auto channel = [&](TQuad q) {
        return _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(Saturate(q).v, scale), half));
    };
    return _mm_or_si128(
        _mm_or_si128(_mm_slli_epi32(channel(colour.w), 24), _mm_slli_epi32(channel(colour.x), 16)),
        _mm_or_si128(_mm_slli_epi32(channel(colour.y), 8), channel(colour.z)));
}

// Stores the lanes in `mask` of packed 32-bit pixels; rows[0] and rows[1] address the quad's
// first pixel on each of its two rows.
[[gnu::always_inline]] inline void StoreArgb(std::uint8_t* const rows[2], __m128i packed, int mask)
{
    if (mask == 0xF)
    {
        // A whole quad: two pixels on each of two rows.
        _mm_storel_epi64(reinterpret_cast<__m128i*>(rows[0]), packed);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(rows[1]), _mm_srli_si128(packed, 8));
        return;
    }
    alignas(16) std::uint32_t words[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(words), packed);
    for (int lane = 0; lane < 4; ++lane)
    {
        if (mask & (1 << lane))
            std::memcpy(rows[lane >> 1] + (lane & 1) * 4, &words[lane], 4);
    }
}

// Lane masks as vectors, by 4-bit mask.
alignas(16) inline constexpr std::uint32_t kLaneMasks[16][4] = {
    {0, 0, 0, 0}, {~0u, 0, 0, 0}, {0, ~0u, 0, 0}, {~0u, ~0u, 0, 0},
    {0, 0, ~0u, 0}, {~0u, 0, ~0u, 0}, {0, ~0u, ~0u, 0}, {~0u, ~0u, ~0u, 0},
    {0, 0, 0, ~0u}, {~0u, 0, 0, ~0u}, {0, ~0u, 0, ~0u}, {~0u, ~0u, 0, ~0u},
    {0, 0, ~0u, ~0u}, {~0u, 0, ~0u, ~0u}, {0, ~0u, ~0u, ~0u}, {~0u, ~0u, ~0u, ~0u}};

// Stores the lanes in `mask` of packed 32-bit pixels of a quad whose four pixels all lie in
// the image: the others are read and written back unchanged, in two loads and two stores.
[[gnu::always_inline]] inline void StoreArgbWhole(std::uint8_t* const rows[2], __m128i packed, int mask)
{
    if (mask != 0xF)
    {
        const __m128i old = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(rows[0])),
                                               _mm_loadl_epi64(reinterpret_cast<const __m128i*>(rows[1])));
        const __m128i lanes = _mm_load_si128(reinterpret_cast<const __m128i*>(kLaneMasks[mask]));
        packed = _mm_or_si128(_mm_and_si128(lanes, packed), _mm_andnot_si128(lanes, old));
    }
    _mm_storel_epi64(reinterpret_cast<__m128i*>(rows[0]), packed);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(rows[1]), _mm_srli_si128(packed, 8));
}

// The lanes in `mask` of 32-bit pixels (others read as 0); a whole quad is two loads.
[[gnu::always_inline]] inline __m128i ReadArgb(std::uint8_t* const rows[2], int mask)
{
    if (mask == 0xF)
        return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(rows[0])),
                                  _mm_loadl_epi64(reinterpret_cast<const __m128i*>(rows[1])));
    std::uint32_t words[4] = {};
    for (int lane = 0; lane < 4; ++lane)
    {
        if (mask & (1 << lane))
            std::memcpy(&words[lane], rows[lane >> 1] + (lane & 1) * 4, 4);
    }
    return _mm_setr_epi32(int(words[0]), int(words[1]), int(words[2]), int(words[3]));
}

// The 8-bit channel of packed pixels at `shift`, in [0, 1].
[[gnu::always_inline]] inline TQuad ArgbChannel(__m128i packed, int shift)
{
    return _mm_mul_ps(_mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(packed, shift), _mm_set1_epi32(0xFF))),
                      _mm_set1_ps(1.0f / 255.0f));
}

// Source alpha over its inverse onto packed pixels, one channel at a time from reading to
// packing: the general path's arithmetic without its eight live channels.
[[gnu::always_inline]] inline __m128i AlphaBlendArgb(const TQuadVector& colour, __m128i packed, bool opaqueTarget)
{
    const TQuad a = Saturate(colour.w), inverse = TQuad(1.0f) - a;
    const __m128 scale = _mm_set1_ps(255.0f), half = _mm_set1_ps(0.5f);
    auto channel = [&](TQuad c, TQuad dst, int shift) {
        const TQuad blended = Saturate(c) * a + dst * inverse;
        return _mm_slli_epi32(_mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(Saturate(blended).v, scale), half)),
                              shift);
    };
    const TQuad dstAlpha = opaqueTarget ? TQuad(1.0f) : ArgbChannel(packed, 24);
    return _mm_or_si128(
        _mm_or_si128(channel(colour.w, dstAlpha, 24), channel(colour.x, ArgbChannel(packed, 16), 16)),
        _mm_or_si128(channel(colour.y, ArgbChannel(packed, 8), 8),
                     channel(colour.z, ArgbChannel(packed, 0), 0)));
}

// Source alpha over its inverse of 8-bit source words onto packed pixels, in 16-bit integers:
// each channel (s * a + d * (255 - a)) / 255 rounded to nearest. AlphaBlendArgb gives the same
// bytes for source channels over 255 (checked for every source, alpha and target byte): the
// exact quotient is never a tie, and its float error stays far below the half step.
[[gnu::always_inline]] inline __m128i AlphaBlendWords(__m128i source, __m128i packed, bool opaqueTarget)
{
    if (opaqueTarget)
        packed = _mm_or_si128(packed, _mm_set1_epi32(int(0xFF000000u)));
    const __m128i zero = _mm_setzero_si128();
    auto pixels = [&](__m128i s, __m128i d) {
        // Each pixel's alpha in its four channels.
        const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
        // At most 255 * 255 + 128: no carry out of 16 bits, here or below.
        const __m128i n = _mm_add_epi16(
            _mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, _mm_sub_epi16(_mm_set1_epi16(255), a))),
            _mm_set1_epi16(128));
        return _mm_srli_epi16(_mm_add_epi16(n, _mm_srli_epi16(n, 8)), 8);
    };
    return _mm_packus_epi16(pixels(_mm_unpacklo_epi8(source, zero), _mm_unpacklo_epi8(packed, zero)),
                            pixels(_mm_unpackhi_epi8(source, zero), _mm_unpackhi_epi8(packed, zero)));
}

// AlphaBlendWords's arithmetic on four pixels of 16-bit channels in each half.
[[gnu::target("avx2")]] inline __m256i AlphaBlendChannelsAvx2(__m256i s, __m256i d)
{
    const __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s, 0xFF), 0xFF);
    const __m256i n = _mm256_add_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(s, a), _mm256_mullo_epi16(d, _mm256_sub_epi16(_mm256_set1_epi16(255), a))),
        _mm256_set1_epi16(128));
    return _mm256_srli_epi16(_mm256_add_epi16(n, _mm256_srli_epi16(n, 8)), 8);
}

// The saturated colour added onto packed pixels (one and one): the general path's arithmetic.
[[gnu::always_inline]] inline __m128i AddArgb(const TQuadVector& colour, __m128i packed, bool opaqueTarget)
{
    const TQuad dstAlpha = opaqueTarget ? TQuad(1.0f) : ArgbChannel(packed, 24);
    return PackArgb({Saturate(colour.x) + ArgbChannel(packed, 16), Saturate(colour.y) + ArgbChannel(packed, 8),
                     Saturate(colour.z) + ArgbChannel(packed, 0), Saturate(colour.w) + dstAlpha});
}

// 8-bit source words added onto packed pixels, saturating: AddArgb's bytes for source channels
// over 255 (a sum of bytes over 255 is within far less than half a step of its byte).
[[gnu::always_inline]] inline __m128i AddWords(__m128i source, __m128i packed, bool opaqueTarget)
{
    if (opaqueTarget)
        packed = _mm_or_si128(packed, _mm_set1_epi32(int(0xFF000000u)));
    return _mm_adds_epu8(source, packed);
}

// The lanes in `mask` of a quad's colour on a 32-bit target, packed and stored, with `Blend`
// blended as ordinary transparency, or with `Add` added. A quad `whole`ly inside the image reads
// and writes its four pixels at once, writing back unchanged those its mask leaves alone.
template <bool Blend, bool Add = false>
[[gnu::always_inline]] inline void WriteArgb(std::uint8_t* const rows[2], bool whole, const TQuadVector& colour,
                                             int mask, bool opaqueTarget)
{
    const __m128i packed = Blend ? AlphaBlendArgb(colour, ReadArgb(rows, whole ? 0xF : mask), opaqueTarget)
                           : Add ? AddArgb(colour, ReadArgb(rows, whole ? 0xF : mask), opaqueTarget)
                                 : PackArgb(colour);
    if (whole)
        StoreArgbWhole(rows, packed, mask);
    else
        StoreArgb(rows, packed, mask);
}


// The edges of a triangle over the box (x0, y0) - (x1, y1) in 64-bit arithmetic, for triangles
// too large for SetUpSmallEdges: 1, 0 when one edge rejects the whole box, 2 when every edge
// accepts it (the box's quads all lie inside the triangle).
int SetUpLargeEdges(const TBinnedTriangle& t, int x0, int y0, int x1, int y1, TEdge edges[3]);

// The edges of a triangle, from its `record`, over the box (x0, y0) - (x1, y1), as
// SetUpLargeEdges sets them up: 1, or 0 when one edge rejects the whole box. The three edges
// are worked out a lane each, which needs every factor in 16 bits: |ex|, |ey| up to 2^14 (the
// box lies within the triangle's bounds, so its offsets from a corner are as small); larger
// triangles answer -1.
[[gnu::always_inline]] inline int SetUpSmallEdges(const float* record, int x0, int y0, int x1, int y1,
                                                  TEdge edges[3])
{
    // Each edge runs from corner a to the next corner b; lane 3 is never read.
    const __m128i ax = _mm_loadu_si128(reinterpret_cast<const __m128i*>(record + offsetof(TBinnedTriangle, x) / 4));
    const __m128i ay = _mm_loadu_si128(reinterpret_cast<const __m128i*>(record + offsetof(TBinnedTriangle, y) / 4));
    const __m128i ex = _mm_sub_epi32(_mm_shuffle_epi32(ax, _MM_SHUFFLE(3, 0, 2, 1)), ax);
    const __m128i ey = _mm_sub_epi32(_mm_shuffle_epi32(ay, _MM_SHUFFLE(3, 0, 2, 1)), ay);
    const __m128i zero = _mm_setzero_si128();
    const __m128i negativeEy = _mm_sub_epi32(zero, ey);
    // |ex| and |ey|, one less where negative, below 2^14.
    const __m128i magnitudes =
        _mm_or_si128(_mm_xor_si128(ex, _mm_srai_epi32(ex, 31)), _mm_xor_si128(ey, _mm_srai_epi32(ey, 31)));
    if (_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpgt_epi32(magnitudes, _mm_set1_epi32((1 << 14) - 1)))) & 7)
        return -1;
    // ex * dy - ey * dx as one multiply-add of 16-bit pairs (ex, -ey) and (dy, dx).
    const __m128i slopes = _mm_unpacklo_epi16(_mm_packs_epi32(ex, ex), _mm_packs_epi32(negativeEy, negativeEy));
    const __m128i dy = _mm_sub_epi32(_mm_set1_epi32(y0 * kSubpixel), ay);
    const __m128i dx = _mm_sub_epi32(_mm_set1_epi32(x0 * kSubpixel), ax);
    const __m128i offsets = _mm_unpacklo_epi16(_mm_packs_epi32(dy, dy), _mm_packs_epi32(dx, dx));
    const __m128i topLeft =
        _mm_or_si128(_mm_cmplt_epi32(ey, zero), _mm_and_si128(_mm_cmpeq_epi32(ey, zero), _mm_cmpgt_epi32(ex, zero)));
    const __m128i start =
        _mm_sub_epi32(_mm_madd_epi16(slopes, offsets), _mm_andnot_si128(topLeft, _mm_set1_epi32(1)));
    const __m128i acrossX = _mm_madd_epi16(slopes, _mm_set1_epi32(((x1 + 1 - x0) * kSubpixel) << 16));
    const __m128i acrossY = _mm_madd_epi16(slopes, _mm_set1_epi32((y1 + 1 - y0) * kSubpixel));
    // Their minima and maxima with zero, by their signs.
    const __m128i signX = _mm_srai_epi32(acrossX, 31), signY = _mm_srai_epi32(acrossY, 31);
    const __m128i low =
        _mm_add_epi32(start, _mm_add_epi32(_mm_and_si128(acrossX, signX), _mm_and_si128(acrossY, signY)));
    const __m128i high =
        _mm_add_epi32(start, _mm_add_epi32(_mm_andnot_si128(signX, acrossX), _mm_andnot_si128(signY, acrossY)));
    if (_mm_movemask_ps(_mm_castsi128_ps(high)) & 7)
        return 0;
    // Edges accepting the whole box are zero and never stepped.
    const __m128i tested = _mm_srai_epi32(low, 31);
    const __m128i first = _mm_and_si128(start, tested);
    const __m128i sx = _mm_and_si128(_mm_slli_epi32(negativeEy, 4), tested);
    const __m128i sy = _mm_and_si128(_mm_slli_epi32(ex, 4), tested);
    // Each edge's four pixels, from the quad's pixels by edge.
    const __m128i right = _mm_add_epi32(first, sx), below = _mm_add_epi32(first, sy);
    const __m128i belowRight = _mm_add_epi32(right, sy);
    const __m128i upper01 = _mm_unpacklo_epi32(first, right), lower01 = _mm_unpacklo_epi32(below, belowRight);
    const __m128i upper2 = _mm_unpackhi_epi32(first, right), lower2 = _mm_unpackhi_epi32(below, belowRight);
    edges[0].value = _mm_unpacklo_epi64(upper01, lower01);
    edges[1].value = _mm_unpackhi_epi64(upper01, lower01);
    edges[2].value = _mm_unpacklo_epi64(upper2, lower2);
    const __m128i stepX = _mm_add_epi32(sx, sx), stepY = _mm_add_epi32(sy, sy);
    edges[0].stepX = _mm_shuffle_epi32(stepX, _MM_SHUFFLE(0, 0, 0, 0));
    edges[1].stepX = _mm_shuffle_epi32(stepX, _MM_SHUFFLE(1, 1, 1, 1));
    edges[2].stepX = _mm_shuffle_epi32(stepX, _MM_SHUFFLE(2, 2, 2, 2));
    edges[0].stepY = _mm_shuffle_epi32(stepY, _MM_SHUFFLE(0, 0, 0, 0));
    edges[1].stepY = _mm_shuffle_epi32(stepY, _MM_SHUFFLE(1, 1, 1, 1));
    edges[2].stepY = _mm_shuffle_epi32(stepY, _MM_SHUFFLE(2, 2, 2, 2));
    return 1;
}

// Lanes set in a 4-bit mask.
inline constexpr int kLaneCount[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};

// The quads a triangle covers in one tile, row by row, each as its row in the tile * 512 + its
// column * 16 + its lanes.
struct TCoverage
{
    static constexpr int kQuadsAcross = kTileSize / 2;
    int quads[kQuadsAcross * kQuadsAcross + 1]; // room to pad a list to pairs
    int rowEnds[kQuadsAcross]; // where each row of the box's quads end in `quads`
    static int Row(int quad) { return quad >> 9; }
    static int Column(int quad) { return (quad >> 4) & (kQuadsAcross - 1); }
    static int Lanes(int quad) { return quad & 0xF; }
    // The quad's entry in a table of quads' values by column: the column * 16 is its offset.
    static const TQuad& ByColumn(const TQuad table[], int quad)
    {
        static_assert(sizeof(TQuad) == 16);
        const int offset = quad & ((kQuadsAcross - 1) << 4);
        return *reinterpret_cast<const TQuad*>(reinterpret_cast<const char*>(table) + offset);
    }
};

// Finds the quads of the box (x0, y0) - (x1, y1), x0 and y0 even, in the tile at (tileX, tileY),
// whose lanes the edges cover; answers the rows walked. The walk keeps the edges in registers and writes every quad, counting
// only the covered ones, so that no branch depends on coverage. With `Trim`, lanes left of
// minX, above minY, right of x1 or below y1 are dropped: needed only where the clip rectangle
// cuts through quads, since every other pixel outside the box lies outside an edge.
template <bool Trim>
[[gnu::always_inline]] inline int CoverQuads(const TEdge edges[3], int tileX, int tileY, int x0, int y0, int x1,
                                             int y1, int minX, int minY, TCoverage& coverage)
{
    const __m128i stepX0 = edges[0].stepX, stepX1 = edges[1].stepX, stepX2 = edges[2].stepX;
    __m128i row0 = edges[0].value, row1 = edges[1].value, row2 = edges[2].value;
    const int leftLanes = x0 >= minX ? 0xF : 0xA, rightLanes = (x1 & 1) ? 0xF : 0x5;
    int* const quads = coverage.quads;
    int covered = 0, rows = 0;
    for (int py = y0; py <= y1; py += 2)
    {
        __m128i e0 = row0, e1 = row1, e2 = row2;
        const int row = (py - tileY) * 256;
        const int rowLanes = (py >= minY ? 3 : 0) | (py + 1 <= y1 ? 12 : 0);
        for (int px = x0; px <= x1; px += 2)
        {
            int mask = _mm_movemask_ps(_mm_castsi128_ps(_mm_or_si128(_mm_or_si128(e0, e1), e2))) ^ 0xF;
            if constexpr (Trim)
            {
                mask &= px == x0 ? rowLanes & leftLanes : rowLanes;
                if (px == x1)
                    mask &= rightLanes;
            }
            e0 = _mm_add_epi32(e0, stepX0);
            e1 = _mm_add_epi32(e1, stepX1);
            e2 = _mm_add_epi32(e2, stepX2);
            quads[covered] = row + (px - tileX) * 8 + mask;
            covered += (mask + 0xF) >> 4; // one where any lane is covered
        }
        coverage.rowEnds[rows++] = covered;
        row0 = _mm_add_epi32(row0, edges[0].stepY);
        row1 = _mm_add_epi32(row1, edges[1].stepY);
        row2 = _mm_add_epi32(row2, edges[2].stepY);
    }
    return rows;
}

// Asks for the cache line at `at` to be made ready to write.
[[gnu::always_inline]] inline void PrefetchForWriting(const void* at)
{
    asm("prefetchw %0" : : "m"(*static_cast<const char*>(at)));
}

// Whether every quad of a run of `count` coverage entries has all four lanes covered.
inline bool AllLanesCovered(const int* quads, int count)
{
    __m128i lanes = _mm_set1_epi32(0xF);
    int i = 0;
    for (; i + 4 <= count; i += 4)
        lanes = _mm_and_si128(lanes, _mm_loadu_si128(reinterpret_cast<const __m128i*>(quads + i)));
    lanes = _mm_and_si128(lanes, _mm_shuffle_epi32(lanes, _MM_SHUFFLE(1, 0, 3, 2)));
    int all = _mm_cvtsi128_si32(_mm_and_si128(lanes, _mm_shuffle_epi32(lanes, _MM_SHUFFLE(2, 3, 0, 1))));
    for (; i < count; ++i)
        all &= quads[i];
    return all == 0xF;
}

// CoverQuads for a box that lies wholly inside the triangle: every quad, every lane.
inline int CoverWholeBox(int tileX, int tileY, int x0, int y0, int x1, int y1, TCoverage& coverage)
{
    int covered = 0, rows = 0;
    for (int py = y0; py <= y1; py += 2)
    {
        int quad = (py - tileY) * 256 + (x0 - tileX) * 8 + 0xF;
        for (int px = x0; px <= x1; px += 2, quad += 16)
            coverage.quads[covered++] = quad;
        coverage.rowEnds[rows++] = covered;
    }
    return rows;
}

// A channel of PackArgb on eight lanes, as an integer 0..255.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i ChannelAvx2(__m256 value)
{
    const __m256 saturated = _mm256_min_ps(_mm256_max_ps(value, _mm256_setzero_ps()), _mm256_set1_ps(1.0f));
    return _mm256_cvttps_epi32(
        _mm256_add_ps(_mm256_mul_ps(saturated, _mm256_set1_ps(255.0f)), _mm256_set1_ps(0.5f)));
}

// Eight pixels' channels, each an integer 0..255, as A8R8G8B8 words: packed to bytes (channel
// by channel in each half), then each pixel's four gathered by a byte shuffle. Four
// instructions, where shifting and combining the channels takes six.
[[gnu::target("avx2")]] inline __m256i PackChannelsAvx2(__m256i blue, __m256i green, __m256i red,
                                                        __m256i alpha)
{
    const __m256i bytes =
        _mm256_packus_epi16(_mm256_packs_epi32(blue, green), _mm256_packs_epi32(red, alpha));
    const __m256i byPixel = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 0, 4, 8,
                                             12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
    return _mm256_shuffle_epi8(bytes, byPixel);
}

// PackArgb on eight lanes.
[[gnu::target("avx2")]] inline __m256i PackArgbAvx2(const TLaneVector<TQuadPair>& colour)
{
    return PackChannelsAvx2(ChannelAvx2(colour.z.v), ChannelAvx2(colour.y.v), ChannelAvx2(colour.x.v),
                            ChannelAvx2(colour.w.v));
}

// One channel of AlphaBlendArgb on eight lanes, as an integer 0..255, from the source channel
// saturated. Both terms are at least +0 and their sum at most 1 (channels of at most 1 times a,
// and times 1 - a rounded, which lies within 2^-25 of 1 - a: a + that rounds to at most 1), so
// the blend's saturation changes nothing.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i AlphaBlendChannelAvx2(const TQuadPair& saturated,
                                                                                 const TQuadPair& a,
                                                                                 const TQuadPair& inverse,
                                                                                 const TQuadPair& dst)
{
    const TQuadPair blended = saturated * a + dst * inverse;
    return _mm256_cvttps_epi32(
        _mm256_add_ps(_mm256_mul_ps(blended.v, _mm256_set1_ps(255.0f)), _mm256_set1_ps(0.5f)));
}

// AlphaBlendArgb on eight lanes. On an opaque target the target's alpha is 1, and 1 times the
// inverse is the inverse.
[[gnu::target("avx2")]] inline __m256i AlphaBlendArgbAvx2(const TLaneVector<TQuadPair>& colour, __m256i packed,
                                                          bool opaqueTarget)
{
    const TQuadPair a = Saturate(colour.w), inverse = TQuadPair(1.0f) - a;
    const __m256i alpha =
        opaqueTarget ? AlphaBlendChannelAvx2(a, a, inverse, TQuadPair(1.0f))
                     : AlphaBlendChannelAvx2(a, a, inverse, OverMaximum(_mm256_srli_epi32(packed, 24)));
    return PackChannelsAvx2(
        AlphaBlendChannelAvx2(Saturate(colour.z), a, inverse,
                              OverMaximum(_mm256_and_si256(packed, _mm256_set1_epi32(0xFF)))),
        AlphaBlendChannelAvx2(Saturate(colour.y), a, inverse, OverMaximum(ByteOfWords(packed, 1))),
        AlphaBlendChannelAvx2(Saturate(colour.x), a, inverse, OverMaximum(ByteOfWords(packed, 2))), alpha);
}

// AlphaBlendWords on eight lanes.
[[gnu::target("avx2")]] inline __m256i AlphaBlendWordsAvx2(__m256i source, __m256i packed, bool opaqueTarget)
{
    if (opaqueTarget)
        packed = _mm256_or_si256(packed, _mm256_set1_epi32(int(0xFF000000u)));
    const __m256i zero = _mm256_setzero_si256();
    return _mm256_packus_epi16(
        AlphaBlendChannelsAvx2(_mm256_unpacklo_epi8(source, zero), _mm256_unpacklo_epi8(packed, zero)),
        AlphaBlendChannelsAvx2(_mm256_unpackhi_epi8(source, zero), _mm256_unpackhi_epi8(packed, zero)));
}

// AddArgb on eight lanes.
[[gnu::target("avx2")]] inline __m256i AddArgbAvx2(const TLaneVector<TQuadPair>& colour, __m256i packed,
                                                   bool opaqueTarget)
{
    const TQuadPair dstAlpha = opaqueTarget ? TQuadPair(1.0f) : OverMaximum(_mm256_srli_epi32(packed, 24));
    return PackArgbAvx2({Saturate(colour.x) + OverMaximum(ByteOfWords(packed, 2)),
                         Saturate(colour.y) + OverMaximum(ByteOfWords(packed, 1)),
                         Saturate(colour.z) + OverMaximum(_mm256_and_si256(packed, _mm256_set1_epi32(0xFF))),
                         Saturate(colour.w) + dstAlpha});
}

// AddWords on eight lanes.
[[gnu::target("avx2")]] inline __m256i AddWordsAvx2(__m256i source, __m256i packed, bool opaqueTarget)
{
    if (opaqueTarget)
        packed = _mm256_or_si256(packed, _mm256_set1_epi32(int(0xFF000000u)));
    return _mm256_adds_epu8(source, packed);
}

// Two quads' halves as one: `first` in the low lanes.
[[gnu::target("avx2")]] inline __m256i PairOf(__m128i first, __m128i second)
{
    return _mm256_inserti128_si256(_mm256_castsi128_si256(first), second, 1);
}

// The lanes, by their masks, of two coverage entries.
[[gnu::target("avx2")]] inline __m256i LanesOf(int first, int second)
{
    return PairOf(_mm_load_si128(reinterpret_cast<const __m128i*>(kLaneMasks[TCoverage::Lanes(first)])),
                  _mm_load_si128(reinterpret_cast<const __m128i*>(kLaneMasks[TCoverage::Lanes(second)])));
}

// The 32-bit pixels of a quad at `at` (its first pixel) whose lanes are set in `lanes`, the
// others read as 0 and never touched: masked loads.
[[gnu::target("avx2")]] inline __m128i LoadQuadWordsAvx2(const std::uint8_t* at, int pitch, __m128i lanes)
{
    return _mm_unpacklo_epi64(_mm_maskload_epi32(reinterpret_cast<const int*>(at), _mm_move_epi64(lanes)),
                              _mm_maskload_epi32(reinterpret_cast<const int*>(at + pitch), _mm_srli_si128(lanes, 8)));
}

// Stores those lanes of a quad's words at `at`, with masked stores: the others are neither read
// nor written, so partly covered quads do not wait for the target's lines to arrive.
[[gnu::target("avx2")]] inline void StoreQuadWordsAvx2(std::uint8_t* at, int pitch, __m128i words, __m128i lanes)
{
    _mm_maskstore_epi32(reinterpret_cast<int*>(at), _mm_move_epi64(lanes), words);
    _mm_maskstore_epi32(reinterpret_cast<int*>(at + pitch), _mm_srli_si128(lanes, 8), _mm_srli_si128(words, 8));
}

// Two neighbouring quads at `at`, wholly on the target, as quad lanes: the two pixel rows, each
// pixel pair moved to its quad by one permutation of 64-bit elements.
[[gnu::target("avx2")]] inline __m256i LoadNeighboursAvx2(const std::uint8_t* at, int pitch)
{
    const __m256i rows = PairOf(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)),
                                _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + pitch)));
    return _mm256_permute4x64_epi64(rows, _MM_SHUFFLE(3, 1, 2, 0));
}

[[gnu::target("avx2")]] inline void StoreNeighboursAvx2(std::uint8_t* at, int pitch, __m256i words)
{
    const __m256i rows = _mm256_permute4x64_epi64(words, _MM_SHUFFLE(3, 1, 2, 0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), _mm256_castsi256_si128(rows));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at + pitch), _mm256_extracti128_si256(rows, 1));
}

// The depths of a quad at `at` on a surface `width` floats wide, lanes as LoadQuadWordsAvx2's.
[[gnu::target("avx2")]] inline __m128 LoadQuadDepthAvx2(const float* at, int width, __m128i lanes)
{
    return _mm_movelh_ps(_mm_maskload_ps(at, _mm_move_epi64(lanes)),
                         _mm_maskload_ps(at + width, _mm_srli_si128(lanes, 8)));
}

[[gnu::target("avx2")]] inline void StoreQuadDepthAvx2(float* at, int width, __m128 z, __m128i lanes)
{
    _mm_maskstore_ps(at, _mm_move_epi64(lanes), z);
    _mm_maskstore_ps(at + width, _mm_srli_si128(lanes, 8), _mm_movehl_ps(z, z));
}

// The planes a model type reads: window depth (where tested, or read), 1/w, four per varying,
// and x and y of each texture's varying.
constexpr std::uint64_t PlanesRead(const TModelInputs& inputs, bool depth)
{
    std::uint64_t planes = (depth || inputs.depth ? 1u : 0u) | 2u;
    for (int v = 0; v < kMaxVaryings; ++v)
    {
        if ((inputs.varyings >> v) & 1)
            planes |= std::uint64_t(0xF) << (2 + 4 * v);
    }
    for (int t = 0; t < inputs.TextureCount(); ++t)
        planes |= std::uint64_t(3) << (2 + 4 * inputs.textures[t].varying);
    return planes;
}

// Where a textured model's loop keeps plane k worked out by column and row: its slot among the
// planes of the varyings it reads, in order; -1 for other planes.
constexpr int CachedPlane(const TModelInputs& inputs, int k)
{
    const int v = (k - 2) >> 2;
    if (k < 2 || !((inputs.varyings >> v) & 1))
        return -1;
    return 4 * __builtin_popcount(inputs.varyings & ((1u << v) - 1)) + ((k - 2) & 3);
}

constexpr int CachedPlanes(const TModelInputs& inputs)
{
    return 4 * __builtin_popcount(inputs.varyings);
}

// Calls each(slot, k) for each plane k a textured model's loop keeps by column and row.
template <class Model, class TEach> [[gnu::always_inline]] inline void ForEachCachedPlane(TEach&& each)
{
    [&]<std::size_t... K>(std::index_sequence<K...>) {
        ((CachedPlane(Model::kInputs, int(K)) >= 0 ? each(CachedPlane(Model::kInputs, int(K)), int(K)) : void()), ...);
    }(std::make_index_sequence<kMaxPlanes>());
}

// A model that names what it equals where every varying and constant it reads is one over a
// triangle (its TUnitForm, reading the same textures).
template <class Model>
concept HasUnitForm = requires
{
    typename Model::TUnitForm;
};

// A model that works out values of its whole draw once per tile (its TDrawValues, by Prepare).
template <class Model>
concept HasDrawValues = requires
{
    typename Model::TDrawValues;
};
template <class Model> struct TDrawValuesOf
{
    typedef char Type;
};
template <HasDrawValues Model> struct TDrawValuesOf<Model>
{
    typedef typename Model::TDrawValues Type;
};

// Whether every varying `Model` reads is exactly one over a triangle with planes `p` (`planeCount`
// of them written) and 1/w flat, `w` its inverse (one where 1/w is one): planes without slopes
// whose value times w, as the loops interpolate them, is one.
template <class Model> bool UnitVaryings(const float* p, int planeCount, float w)
{
    for (int k = 2; k < kMaxPlanes; ++k)
    {
        if (!((Model::kInputs.varyings >> ((k - 2) / 4)) & 1))
            continue;
        if (k >= planeCount || p[3 * k + 1] != 0.0f || p[3 * k + 2] != 0.0f || p[3 * k] * w != 1.0f)
            return false;
    }
    return true;
}

constexpr bool SameTextures(const TModelInputs& a, const TModelInputs& b)
{
    bool same = true;
    for (int i = 0; i < kMaxModelTextures; ++i)
        same = same && a.textures[i].stage == b.textures[i].stage &&
               a.textures[i].varying == b.textures[i].varying;
    return same;
}

// The colours a model answers: one target's (a colour or a texel), or several targets' at once.
template <class T> constexpr int kColourCount = 1;
template <class L, int N> constexpr int kColourCount<TTargetColours<L, N>> = N;

template <class TColour> [[gnu::always_inline]] inline void StoreColours(TPixelOutput& output, const TColour& colour)
{
    output.colour[0] = colour;
}
template <int N> [[gnu::always_inline]] inline void StoreColours(TPixelOutput& output, const TTargetColours<TQuad, N>& colours)
{
    for (int i = 0; i < N; ++i)
        output.colour[i] = colours.colour[i];
}

// Whether any lane of any channel is other than zero of either sign (NaN included).
[[gnu::always_inline]] inline bool AnyBits(const TQuadVector& colour)
{
    const __m128 all = _mm_or_ps(_mm_or_ps(colour.x.v, colour.y.v), _mm_or_ps(colour.z.v, colour.w.v));
    return _mm_movemask_ps(_mm_cmpneq_ps(all, _mm_setzero_ps())) != 0;
}

// Whether two colours of eight lanes have the same bits in every lane and channel.
[[gnu::target("avx2")]] inline bool SameBitsAvx2(const TLaneVector<TQuadPair>& a, const TLaneVector<TQuadPair>& b)
{
    const __m256i x = _mm256_cmpeq_epi32(_mm256_castps_si256(a.x.v), _mm256_castps_si256(b.x.v));
    const __m256i y = _mm256_cmpeq_epi32(_mm256_castps_si256(a.y.v), _mm256_castps_si256(b.y.v));
    const __m256i z = _mm256_cmpeq_epi32(_mm256_castps_si256(a.z.v), _mm256_castps_si256(b.z.v));
    const __m256i w = _mm256_cmpeq_epi32(_mm256_castps_si256(a.w.v), _mm256_castps_si256(b.w.v));
    return _mm256_movemask_epi8(_mm256_and_si256(_mm256_and_si256(x, y), _mm256_and_si256(z, w))) == -1;
}

// One quad of a pair's colour, or of each of its colours: `half` 0 the first.
[[gnu::always_inline]] inline TQuadVector QuadOf(const TLaneVector<TQuadPair>& colour, int half)
{
    return half == 0 ? TQuadVector{FirstQuad(colour.x), FirstQuad(colour.y), FirstQuad(colour.z), FirstQuad(colour.w)}
                     : TQuadVector{SecondQuad(colour.x), SecondQuad(colour.y), SecondQuad(colour.z),
                                   SecondQuad(colour.w)};
}
template <int N>
[[gnu::always_inline]] inline TTargetColours<TQuad, N> QuadOf(const TTargetColours<TQuadPair, N>& colours, int half)
{
    TTargetColours<TQuad, N> quad;
    for (int i = 0; i < N; ++i)
        quad.colour[i] = QuadOf(colours.colour[i], half);
    return quad;
}

template <class T> constexpr bool kIsTexel = false;
template <class L> constexpr bool kIsTexel<TTexel<L>> = true;

// A pair's colour blended as ordinary transparency onto the target's words `under`, or with
// `Add` added: texels in integers, float channels as the general path does.
template <bool Add, class TColour>
[[gnu::target("avx2")]] inline __m256i BlendPairAvx2(const TColour& colour, __m256i under, bool opaqueTarget)
{
    if constexpr (kIsTexel<TColour>)
        return Add ? AddWordsAvx2(colour.words.v, under, opaqueTarget)
                   : AlphaBlendWordsAvx2(colour.words.v, under, opaqueTarget);
    else
        return Add ? AddArgbAvx2(colour, under, opaqueTarget)
                   : AlphaBlendArgbAvx2(colour, under, opaqueTarget);
}

// A texture stage with nothing bound samples (0, 0, 0, 1): this word, whose channels unpack to
// exactly those (255 over 255 rounds to 1).
constexpr std::uint32_t kUnboundWord = 0xFF000000u;
} // namespace tile

// The tile on the target and the depth surface, and the quads a triangle covers in it.
struct TTileShader::TTileFrame
{
    static constexpr int kQuadsAcross = tile::TCoverage::kQuadsAcross;
    int tileX, tileY;
    int targetRows; // rows of quads on the target
    // Each row of quads: its first pixel row at the tile's left on the target and on the depth
    // surface, and the columns of quads, from the left, that lie wholly on the target.
    std::uint8_t* rowBits[kQuadsAcross];
    float* depthRows[kQuadsAcross];
    int wholeBefore[kQuadsAcross];
    // Each column and row of quads as distances from the planes' origin.
    TQuad columnDx[kQuadsAcross], rowDy[kQuadsAcross];
    tile::TCoverage coverage;

    // The first pixel of a coverage entry's quad, on the target and on the depth surface.
    std::uint8_t* Bits(int quad) const
    {
        return rowBits[tile::TCoverage::Row(quad)] + tile::TCoverage::Column(quad) * 8;
    }
    float* Depth(int quad) const { return depthRows[tile::TCoverage::Row(quad)] + tile::TCoverage::Column(quad) * 2; }
};

// A triangle of a tile whose quads TTileFrame::coverage lists.
struct TTileShader::TTriangleQuads
{
    const float* planes; // the record's planes, three floats each
    bool front;
    int rows;   // of the coverage
    int x0, x1; // the pixels of its box in the tile, x0 even
    int y0;     // its first row of pixels, even
};

// What the quads of a model type's triangles share, on lanes L.
template <class L> struct TTileShader::TQuadShared
{
    const TPlaneLanes<L>* planes;
    const TLaneVector<L>* constants;
    const float (*constantValues)[4];
    const TSamplerSet* samplers;
    float originX, originY;
    bool front;
    bool bound[kMaxModelTextures]; // a texture bound to the stage
    L flatW;
    const void* drawValues = nullptr; // the model's TDrawValues, where it has them
};

// A quad (or a pair of quads) as a pixel model type's Shade reads it in a tile loop: interpolants
// worked out when asked for, textures sampled already (`Sampled`, words in `words`) or sampled
// when asked for. A pair of `Neighbours` reads its columns' terms as they lie side by side.
template <class Model, class L, TTileShader::EWForm Form, bool Sampled, bool Neighbours>
class TTileShader::TLoopQuad
{
public:
    typedef L Lanes;

    [[gnu::always_inline]] TLoopQuad(const TQuadShared<L>& shared, const L& dx, const L& dy)
        : shared_(shared), dx_(dx), dy_(dy)
    {
        if constexpr (Form == EWForm::Perspective)
            w_ = L(1.0f) / Plane(1);
        else if constexpr (Form == EWForm::Flat)
            w_ = shared.flatW;
    }
    // On a textured model's row, with its varyings' planes and 1/w worked out already.
    [[gnu::always_inline]] TLoopQuad(const TQuadShared<L>& shared, const L& dx, const L& dy,
                                     const TRowPlanes<L>& row)
        : shared_(shared), dx_(dx), dy_(dy), row_(&row)
    {
        if constexpr (Form == EWForm::Perspective)
            w_ = row.w;
        else if constexpr (Form == EWForm::Flat)
            w_ = shared.flatW;
    }

    TLaneVector<L> Varying(int v) const
    {
        const int k = 2 + 4 * v;
        return {Interpolated(k), Interpolated(k + 1), Interpolated(k + 2), Interpolated(k + 3)};
    }
    auto Texture(int i) const
    {
        if constexpr (Sampled)
            return TTexel<L>{UnpackArgb(words[i]), words[i]};
        else
        {
            const int k = 2 + 4 * Model::kInputs.textures[i].varying;
            return SampleAt(i, Interpolated(k), Interpolated(k + 1));
        }
    }
    // Texture i sampled at (u, v) of the model's own working.
    TLaneVector<L> SampleAt(int i, const L& u, const L& v) const
    {
        const int stage = Model::kInputs.textures[i].stage;
        if constexpr (std::is_same_v<L, TQuad>)
            return shared_.samplers->Sample(stage, u, v);
        else
            return shared_.samplers->SamplePair(stage, u, v);
    }
    // Texture i at N places at once, each sample handed to `each(k, sample)` in turn: the same
    // bits as SampleAt of each.
    template <int N, class Each> void SampleEach(int i, const L (&u)[N], const L (&v)[N], Each&& each) const
    {
        const int stage = Model::kInputs.textures[i].stage;
        if constexpr (std::is_same_v<L, TQuad>)
        {
            for (int k = 0; k < N; ++k)
                each(k, shared_.samplers->Sample(stage, u[k], v[k]));
        }
        else
            shared_.samplers->SamplePairs(stage, u, v, each);
    }
    // Textures of `textures` at one place at once, each sample handed to `each(k, sample)` in
    // turn: the same bits as SampleAt of each.
    template <int N, class Each> void SampleTogether(const int (&textures)[N], const L& u, const L& v, Each&& each) const
    {
        if constexpr (std::is_same_v<L, TQuad>)
        {
            for (int k = 0; k < N; ++k)
                each(k, SampleAt(textures[k], u, v));
        }
        else
        {
            int stages[N];
            for (int k = 0; k < N; ++k)
                stages[k] = Model::kInputs.textures[textures[k]].stage;
            shared_.samplers->SampleStagesPair(stages, u, v, each);
        }
    }
    const TLaneVector<L>& Constant(int r) const { return shared_.constants[r]; }
    float ConstantValue(int r, int c) const { return shared_.constantValues[r][c]; }
    const auto& Draw() const { return *static_cast<const typename Model::TDrawValues*>(shared_.drawValues); }
    L Depth() const { return Saturate(Plane(0)); }
    L X() const { return dx_ + L(shared_.originX); }
    L Y() const { return dy_ + L(shared_.originY); }
    bool FrontFace() const { return shared_.front; }

    typename TLaneWords<L>::Type words[kMaxModelTextures]; // sampled by the loop

private:
    L Plane(int k) const
    {
        const int slot = tile::CachedPlane(Model::kInputs, k);
        if (row_ && slot >= 0)
        {
            // a + b * dx of the quads' columns, then c * dy of their row: the same sums.
            const TQuad* columns = row_->columns[slot];
            if constexpr (std::is_same_v<L, TQuad>)
                return columns[row_->column[0]] + row_->rows[slot];
            else if constexpr (Neighbours)
                return TQuadPair::Adjacent(&columns[row_->column[0]]) + row_->rows[slot];
            else
                return TQuadPair(columns[row_->column[0]], columns[row_->column[1]]) + row_->rows[slot];
        }
        const TPlaneLanes<L>& p = shared_.planes[k];
        return p.a + p.b * dx_ + p.c * dy_;
    }
    L Interpolated(int k) const
    {
        if constexpr (Form == EWForm::One)
            return Plane(k);
        else
            return Plane(k) * w_;
    }
    const TQuadShared<L>& shared_;
    L dx_, dy_, w_;
    const TRowPlanes<L>* row_ = nullptr;
};

// Whether a loop on `Path` leaves the quads `Model` finds dark untouched: it adds (a dark quad's
// colour is zero on every lane) and the model says which quads are dark, from what it reads
// besides its textures, with a Dark(in) that answers true only where Shade answers zero.
template <class Model, TTileShader::EQuadPath Path, TTileShader::EWForm Form>
constexpr bool TTileShader::LeavesDark()
{
    return Path == EQuadPath::Add &&
           requires(const TLoopQuad<Model, TQuad, Form, true>& in) { { Model::Dark(in) } -> std::same_as<bool>; };
}

template <class TShade>
[[gnu::always_inline]] inline void TTileShader::ForEachTriangle(const TTileBins& bins, int tile, TTileFrame& frame,
                                                                TShade&& shade)
{
    using namespace tile;
    const int tileX = frame.tileX, tileY = frame.tileY;
    const int recordFloats = bins.RecordFloats();
    const bool trim = trimQuads_;
    TCoverage& coverage = frame.coverage;
    for (int run = 0; run < bins.Runs(); ++run)
    {
        const std::span<const float> bin = bins.Bin(run, tile);
        for (size_t at = 0; at < bin.size(); at += size_t(recordFloats))
        {
            TBinnedTriangle t;
            std::memcpy(&t, &bin[at], sizeof(t));
            const int x0 = std::max(int(t.minX), tileX) & ~1, y0 = std::max(int(t.minY), tileY) & ~1;
            const int x1 = std::min(int(t.maxX), tileX + kTileSize - 1);
            const int y1 = std::min(int(t.maxY), tileY + kTileSize - 1);
            TEdge edges[3];
            int setUp = SetUpSmallEdges(&bin[at], x0, y0, x1, y1, edges);
            if (setUp < 0)
                setUp = SetUpLargeEdges(t, x0, y0, x1, y1, edges);
            if (setUp == 0)
                continue;
            const int rows =
                trim        ? CoverQuads<true>(edges, tileX, tileY, x0, y0, x1, y1, t.minX, t.minY, coverage)
                : setUp > 1 ? CoverWholeBox(tileX, tileY, x0, y0, x1, y1, coverage)
                            : CoverQuads<false>(edges, tileX, tileY, x0, y0, x1, y1, t.minX, t.minY, coverage);
            if (rows == 0 || coverage.rowEnds[rows - 1] == 0)
                continue;
            shade(TTriangleQuads{&bin[at] + sizeof(t) / 4, t.front != 0, rows, x0, x1, y0});
        }
    }
}

template <class TShade>
[[gnu::always_inline]] inline int TTileShader::WriteQuad(bool front, int px, int py, const TQuad& z, int mask,
                                                         TShade&& shade) const
{
    const int targetCount = targetCount_;
    // Lanes that will fail the depth or stencil test need no shading when failing changes
    // nothing; the tile is this thread's alone, so the buffers cannot change in between. Quads
    // wholly inside the depth surface test depth alone four lanes at once, once.
    const bool quadDepth = quadDepth_ && px + 1 < depthWidth_ && py + 1 < depthHeight_;
    if (earlyTest_)
    {
        mask = quadDepth ? DepthTest(px, py, z, mask) : DepthStencil(front, px, py, z, mask, false);
        if (!mask)
            return 0;
    }

    // Colours of unbound targets are never read; alpha testing reads the first.
    TPixelOutput output;
    for (int i = 0; i < std::max(targetCount, 1); ++i)
        output.colour[i] = {0.0f, 0.0f, 0.0f, 1.0f};
    output.discard = _mm_setzero_ps();
    shade(output);
    mask &= ~_mm_movemask_ps(output.discard);
    if (alphaTest_)
    {
        // Alpha compares as an 8-bit value against the reference, as Direct3D does.
        const __m128 alpha8 = _mm_mul_ps(Saturate(output.colour[0].w).v, _mm_set1_ps(255.0f));
        alignas(16) float alphas[4];
        _mm_store_ps(alphas, alpha8);
        for (int lane = 0; lane < 4; ++lane)
        {
            if (!tile::Compare(alphaFunction_, std::floor(alphas[lane] + 0.5f), alphaReference_))
                mask &= ~(1 << lane);
        }
    }
    if (quadDepth)
    {
        if (!mask)
            return 0;
        DepthWrite(px, py, z, mask);
    }
    else if (depthStencil_)
        mask = DepthStencil(front, px, py, z, mask, true);
    if (!mask)
        return 0;
    for (int i = 0; i < targetCount; ++i)
    {
        const TTarget& target = targets_[i];
        if (target.direct || target.alphaBlend || target.additive)
        {
            // The common cases: saturated, packed and stored, blended as ordinary transparency or
            // added; a quad inside the image reads and writes its four pixels at once, writing
            // back unchanged those its mask leaves alone.
            std::uint8_t* const rows[2] = {target.bits + py * target.pitch + px * 4,
                                           target.bits + (py + 1) * target.pitch + px * 4};
            const bool whole = px + 1 < target.width && py + 1 < target.height;
            const bool opaqueTarget = target.format == D3DFMT_X8R8G8B8;
            if (target.direct)
                tile::WriteArgb<false>(rows, whole, output.colour[i], mask, opaqueTarget);
            else if (target.alphaBlend)
                tile::WriteArgb<true>(rows, whole, output.colour[i], mask, opaqueTarget);
            else
                tile::WriteArgb<false, true>(rows, whole, output.colour[i], mask, opaqueTarget);
        }
        else if (target.image && target.writeMask)
            BlendAndWrite(target, output.colour[i], px, py, mask);
    }
    return tile::kLaneCount[mask];
}

[[gnu::always_inline]] inline int TTileShader::DepthTest(int px, int py, const TQuad& z, int mask) const
{
    if (!depthTest_)
        return mask;
    const float* row = depth_ + size_t(py) * depthWidth_ + px;
    // Lanes (x, y), (x + 1, y), (x, y + 1), (x + 1, y + 1): two pairs of floats.
    const __m128 stored = _mm_loadh_pi(_mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(row)),
                                       reinterpret_cast<const __m64*>(row + depthWidth_));
    __m128 pass;
    switch (depthFunction_)
    {
    case D3DCMP_NEVER:
        return 0;
    case D3DCMP_LESS:
        pass = _mm_cmplt_ps(z.v, stored);
        break;
    case D3DCMP_EQUAL:
        pass = _mm_cmpeq_ps(z.v, stored);
        break;
    case D3DCMP_LESSEQUAL:
        pass = _mm_cmple_ps(z.v, stored);
        break;
    case D3DCMP_GREATER:
        pass = _mm_cmpgt_ps(z.v, stored);
        break;
    case D3DCMP_NOTEQUAL:
        pass = _mm_cmpneq_ps(z.v, stored);
        break;
    case D3DCMP_GREATEREQUAL:
        pass = _mm_cmpge_ps(z.v, stored);
        break;
    default:
        return mask;
    }
    return mask & _mm_movemask_ps(pass);
}

[[gnu::always_inline]] inline void TTileShader::DepthWrite(int px, int py, const TQuad& z, int mask) const
{
    if (!depthWrite_)
        return;
    float* row = depth_ + size_t(py) * depthWidth_ + px;
    if (mask == 0xF)
    {
        _mm_storel_pi(reinterpret_cast<__m64*>(row), z.v);
        _mm_storeh_pi(reinterpret_cast<__m64*>(row + depthWidth_), z.v);
        return;
    }
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, z.v);
    for (int lane = 0; lane < 4; ++lane)
    {
        if (mask & (1 << lane))
            row[(lane >> 1) * depthWidth_ + (lane & 1)] = lanes[lane];
    }
}

[[gnu::target("avx2")]] inline __m256i TTileShader::DepthTestAvx2(const float* first, const float* second,
                                                                  const TQuadPair& z, __m256i lanes) const
{
    using namespace tile;
    if (!depthTest_)
        return lanes;
    const __m256 stored =
        _mm256_insertf128_ps(_mm256_castps128_ps256(LoadQuadDepthAvx2(first, depthWidth_, _mm256_castsi256_si128(lanes))),
                             LoadQuadDepthAvx2(second, depthWidth_, _mm256_extracti128_si256(lanes, 1)), 1);
    __m256 pass;
    switch (depthFunction_)
    {
    case D3DCMP_NEVER:
        return _mm256_setzero_si256();
    case D3DCMP_LESS:
        pass = _mm256_cmp_ps(z.v, stored, _CMP_LT_OQ);
        break;
    case D3DCMP_EQUAL:
        pass = _mm256_cmp_ps(z.v, stored, _CMP_EQ_OQ);
        break;
    case D3DCMP_LESSEQUAL:
        pass = _mm256_cmp_ps(z.v, stored, _CMP_LE_OQ);
        break;
    case D3DCMP_GREATER:
        pass = _mm256_cmp_ps(z.v, stored, _CMP_GT_OQ);
        break;
    case D3DCMP_NOTEQUAL:
        pass = _mm256_cmp_ps(z.v, stored, _CMP_NEQ_UQ);
        break;
    case D3DCMP_GREATEREQUAL:
        pass = _mm256_cmp_ps(z.v, stored, _CMP_GE_OQ);
        break;
    default:
        return lanes;
    }
    return _mm256_and_si256(lanes, _mm256_castps_si256(pass));
}

[[gnu::target("avx2")]] inline void TTileShader::DepthWriteAvx2(float* first, float* second, const TQuadPair& z,
                                                                __m256i lanes) const
{
    using namespace tile;
    if (!depthWrite_)
        return;
    StoreQuadDepthAvx2(first, depthWidth_, _mm256_castps256_ps128(z.v), _mm256_castsi256_si128(lanes));
    StoreQuadDepthAvx2(second, depthWidth_, _mm256_extractf128_ps(z.v, 1), _mm256_extracti128_si256(lanes, 1));
}

template <class Model, TTileShader::EQuadPath Path, TTileShader::EDepth Depth, class In>
[[gnu::always_inline]] inline int TTileShader::ShadeFastQuad(const TTileFrame& frame, int quad, const In& in) const
{
    using namespace tile;
    const int row = TCoverage::Row(quad), column = TCoverage::Column(quad);
    int mask = TCoverage::Lanes(quad);
    const int px = frame.tileX + 2 * column, py = frame.tileY + 2 * row;
    [[maybe_unused]] const bool quadDepth = px + 1 < depthWidth_ && py + 1 < depthHeight_;
    [[maybe_unused]] TQuad z;
    if constexpr (Depth != EDepth::None)
        z = in.Depth();
    if constexpr (Depth == EDepth::Test)
    {
        // As the general loop tests depth; nothing else changes it meanwhile.
        mask = quadDepth ? DepthTest(px, py, z, mask) : DepthStencil(in.FrontFace(), px, py, z, mask, false);
        if (!mask)
            return 0;
    }
    const auto colour = Model::Shade(in);
    if constexpr (Depth != EDepth::None)
    {
        if (quadDepth)
            DepthWrite(px, py, z, mask);
        else
            mask = DepthStencil(in.FrontFace(), px, py, z, mask, true);
    }
    std::uint8_t* rows[2];
    rows[0] = frame.Bits(quad);
    rows[1] = rows[0] + targets_[0].pitch;
    const bool whole = column < frame.wholeBefore[row];
    const bool opaqueTarget = targets_[0].format == D3DFMT_X8R8G8B8;
    if constexpr (kIsTexel<std::remove_cvref_t<decltype(colour)>>)
    {
        // Sampled words are the channels PackArgb would pack from them, and blend in integers to
        // the bytes of the float blending.
        __m128i words = colour.words;
        if constexpr (Path == EQuadPath::Blend)
            words = AlphaBlendWords(words, ReadArgb(rows, whole ? 0xF : mask), opaqueTarget);
        else if constexpr (Path == EQuadPath::Add)
            words = AddWords(words, ReadArgb(rows, whole ? 0xF : mask), opaqueTarget);
        if (whole)
            StoreArgbWhole(rows, words, mask);
        else
            StoreArgb(rows, words, mask);
    }
    else
        WriteArgb<Path == EQuadPath::Blend, Path == EQuadPath::Add>(rows, whole, colour, mask, opaqueTarget);
    return kLaneCount[mask];
}

template <class Model, TTileShader::EQuadPath Path, TTileShader::EDepth Depth, class In>
[[gnu::target("avx2")]] inline __m256i TTileShader::ShadeFastPair(const TTileFrame& frame,
                                                                  TTargetWords target, int first, int second,
                                                                  const In& in, bool plain) const
{
    using namespace tile;
    __m256i lanes = LanesOf(first, second);
    [[maybe_unused]] TQuadPair z;
    if constexpr (Depth != EDepth::None)
        z = in.Depth();
    if constexpr (Depth == EDepth::Test)
    {
        lanes = DepthTestAvx2(frame.Depth(first), frame.Depth(second), z, lanes);
        if (_mm256_testz_si256(lanes, lanes))
            return lanes;
        // Lanes failing the test are not written.
        plain = plain && _mm256_movemask_ps(_mm256_castsi256_ps(lanes)) == 0xFF;
    }
    const auto colour = Model::Shade(in);
    if constexpr (Depth != EDepth::None)
        DepthWriteAvx2(frame.Depth(first), frame.Depth(second), z, lanes);
    constexpr bool texel = kIsTexel<std::remove_cvref_t<decltype(colour)>>;
    std::uint8_t* const at[2] = {frame.Bits(first), frame.Bits(second)};
    const int pitch = target.pitch;
    __m256i words;
    if constexpr (Path == EQuadPath::Blend || Path == EQuadPath::Add)
    {
        const __m256i under =
            plain ? LoadNeighboursAvx2(at[0], pitch)
                  : PairOf(LoadQuadWordsAvx2(at[0], pitch, _mm256_castsi256_si128(lanes)),
                           LoadQuadWordsAvx2(at[1], pitch, _mm256_extracti128_si256(lanes, 1)));
        words = BlendPairAvx2<Path == EQuadPath::Add>(colour, under, target.opaque);
    }
    else if constexpr (texel)
        words = colour.words.v;
    else
        words = PackArgbAvx2(colour);
    if (plain)
        StoreNeighboursAvx2(at[0], pitch, words);
    else
    {
        StoreQuadWordsAvx2(at[0], pitch, _mm256_castsi256_si128(words), _mm256_castsi256_si128(lanes));
        StoreQuadWordsAvx2(at[1], pitch, _mm256_extracti128_si256(words, 1), _mm256_extracti128_si256(lanes, 1));
    }
    return lanes;
}

template <class Model, TTileShader::EQuadPath Path, bool Depth, class In>
[[gnu::target("avx2")]] inline void TTileShader::ShadeNeighbours(TTargetWords target, std::uint8_t* bits,
                                                                 float* depth, const In& in) const
{
    using namespace tile;
    if constexpr (Depth)
    {
        // Depth tested before: every lane passed. Each pixel row's four depths in one store.
        if (depthWrite_)
        {
            const __m256 z = in.Depth().v;
            const __m128d first = _mm_castps_pd(_mm256_castps256_ps128(z)),
                          second = _mm_castps_pd(_mm256_extractf128_ps(z, 1));
            _mm_storeu_pd(reinterpret_cast<double*>(depth), _mm_unpacklo_pd(first, second));
            _mm_storeu_pd(reinterpret_cast<double*>(depth + depthWidth_), _mm_unpackhi_pd(first, second));
        }
    }
    const auto colour = Model::Shade(in);
    constexpr bool texel = kIsTexel<std::remove_cvref_t<decltype(colour)>>;
    const int pitch = target.pitch;
    __m256i words;
    if constexpr (Path == EQuadPath::Blend || Path == EQuadPath::Add)
        words = BlendPairAvx2<Path == EQuadPath::Add>(colour, LoadNeighboursAvx2(bits, pitch), target.opaque);
    else if constexpr (texel)
        words = colour.words.v;
    else
        words = PackArgbAvx2(colour);
    StoreNeighboursAvx2(bits, pitch, words);
}

// A row of a triangle's covered quads, as NextTexelRow walks them.
struct TTileShader::TTexelRow
{
    int row, end; // the next row of the coverage, and where the last one walked ended
    const int* list;
    int quads;
    int tileRow;
    bool plain; // one run of neighbours, every lane covered and every pixel on the target
    int dark;   // lanes of the row's quads passed over as dark, which count as samples
};

// A model type's textures over the quads of a triangle's rows: each column's a + b * dx of the
// coordinates' planes (and 1/w's), worked out once per triangle, to which each row adds its
// c * dy (the same sum in the same order as a plane's value), and the row's coordinates and
// sampled words.
template <int Textures, int Planes> struct TTileShader::TRowTexels
{
    static constexpr int kQuadsAcross = TTileFrame::kQuadsAcross;
    static constexpr int kTextures = Textures > 0 ? Textures : 1;
    TQuad columnU[kTextures][kQuadsAcross], columnV[kTextures][kQuadsAcross], columnW[kQuadsAcross];
    // The varyings' planes' a + b * dx by column (CachedPlane's slots).
    TQuad columnPlanes[Planes > 0 ? Planes : 1][kQuadsAcross];
    TQuad u[kQuadsAcross], v[kQuadsAcross];
    TQuad w[kQuadsAcross + 1];                  // each quad's 1/w in perspective
    __m128i words[kTextures][kQuadsAcross + 1]; // room to pad a row to pairs
    int list[kQuadsAcross];                     // a row's quads that pass the depth test
};

// A row of a textured model's quads as its loop quads read it: the varyings' planes by column
// and the row's c * dy of each, the columns of the quad (or pair), and 1/w in perspective.
template <class L> struct TTileShader::TRowPlanes
{
    const TQuad (*columns)[TTileFrame::kQuadsAcross];
    L rows[kMaxPlanes];
    int column[2];
    L w;
};

template <class Model, TTileShader::EWForm Form, int Textures, int Planes>
[[gnu::always_inline]] inline void TTileShader::PrepareColumns(const TTileFrame& frame, const TTriangleQuads& t,
                                                                TRowTexels<Textures, Planes>& texels) const
{
    const float* p = t.planes;
    for (int column = (t.x0 - frame.tileX) / 2; column <= (t.x1 - frame.tileX) / 2; ++column)
    {
        const TQuad& dx = frame.columnDx[column];
        if constexpr (Form == EWForm::Perspective)
            texels.columnW[column] = TQuad(p[3]) + TQuad(p[4]) * dx;
        for (int i = 0; i < Textures; ++i)
        {
            const float* u = p + 3 * (2 + 4 * Model::kInputs.textures[i].varying);
            texels.columnU[i][column] = TQuad(u[0]) + TQuad(u[1]) * dx;
            texels.columnV[i][column] = TQuad(u[3]) + TQuad(u[4]) * dx;
        }
        tile::ForEachCachedPlane<Model>([&](int slot, int k) {
            texels.columnPlanes[slot][column] = TQuad(p[3 * k]) + TQuad(p[3 * k + 1]) * dx;
        });
    }
}

template <class Model, TTileShader::EWForm Form, int Textures, int Planes>
[[gnu::always_inline]] inline void TTileShader::SampleRow(const TQuadShared<TQuad>& shared, const TTriangleQuads& t,
                                                           const int* rowList, int rowQuads, bool neighbours,
                                                           const TQuad& dy, TRowTexels<Textures, Planes>& texels) const
{
    using namespace tile;
    const float* p = t.planes;
    const int first = TCoverage::Column(rowList[0]);
    // Columns only grow along the list: a row whose last lies count - 1 right of its first is
    // one run of neighbours, walked without reading the list.
    auto forEachQuad = [&](auto&& each) {
        if (neighbours)
        {
            for (int at = 0; at < rowQuads; ++at)
                each(first + at, at);
        }
        else
        {
            for (int at = 0; at < rowQuads; ++at)
                each(TCoverage::Column(rowList[at]), at);
        }
    };
    if constexpr (Form == EWForm::Perspective)
    {
        const TQuad rowW = TQuad(p[5]) * dy;
        forEachQuad([&](int column, int at) { texels.w[at] = TQuad(1.0f) / (texels.columnW[column] + rowW); });
    }
    for (int i = 0; i < Textures; ++i)
    {
        const int stage = Model::kInputs.textures[i].stage;
        if (!shared.bound[i])
            continue;
        const float* u = p + 3 * (2 + 4 * Model::kInputs.textures[i].varying);
        const TQuad rowU = TQuad(u[2]) * dy, rowV = TQuad(u[5]) * dy;
        // The coordinates of the quad in `column`, kept as the row's `at`th.
        forEachQuad([&](int column, int at) {
            TQuad su = texels.columnU[i][column] + rowU;
            TQuad sv = texels.columnV[i][column] + rowV;
            if constexpr (Form != EWForm::One)
            {
                const TQuad w = Form == EWForm::Perspective ? texels.w[at] : shared.flatW;
                su = su * w;
                sv = sv * w;
            }
            texels.u[at] = su;
            texels.v[at] = sv;
        });
        shared.samplers->SampleWordsRow(stage, texels.u, texels.v, rowQuads, texels.words[i]);
    }
}

// Asks for the target's lines under the quads in columns `from` to `to` of tile row `row`, and
// with `Depth` the depth surface's: a pixel's line has to arrive before it is written (or its
// depth tested), and rows of a tile lie a pitch apart, too far for the processor to guess.
template <bool Depth>
inline void TTileShader::PrefetchQuadRow(const TTileFrame& frame, int row, int from, int to) const
{
    if (row >= frame.targetRows)
        return;
    // Both hold 8 bytes a quad on each of its two pixel rows.
    auto prefetch = [&](const void* first, int pitch) {
        const int end = to * 8 + 8;
        for (int pixelRow = 0; pixelRow < 2; ++pixelRow)
        {
            const std::uint8_t* line = static_cast<const std::uint8_t*>(first) + pixelRow * pitch;
            for (int offset = from * 8; offset < end + 63; offset += 64)
                tile::PrefetchForWriting(line + std::min(offset, end - 1));
        }
    };
    prefetch(frame.rowBits[row], targets_[0].pitch);
    if constexpr (Depth)
    {
        if (frame.tileY + 2 * row < depthHeight_)
            prefetch(frame.depthRows[row], depthWidth_ * 4);
    }
}

// Starts the rows of a textured model's triangle on the fast paths: its columns' terms, and
// the target's first two rows asked for.
template <class Model, TTileShader::EWForm Form, bool Depth, int Textures, int Planes>
[[gnu::always_inline]] inline void TTileShader::StartTexelRows(const TTileFrame& frame, const TTriangleQuads& t,
                                                                TRowTexels<Textures, Planes>& texels, TTexelRow& row) const
{
    PrepareColumns<Model, Form>(frame, t, texels);
    for (int r = 0; r < 2; ++r)
        PrefetchQuadRow<Depth>(frame, (t.y0 - frame.tileY) / 2 + r, (t.x0 - frame.tileX) / 2, (t.x1 - frame.tileX) / 2);
    row.row = 0;
    row.end = 0;
    row.dark = 0;
}

// The next row of covered quads of that triangle, its textures sampled into `texels`; false
// after the last. With `Depth`, the row's quads are depth tested first, and only those with lanes
// passing are listed and sampled. With `Dark`, quads the model finds dark are then left out,
// their lanes counted in row.dark.
template <class Model, TTileShader::EWForm Form, bool Depth, bool Dark, int Textures, int Planes>
[[gnu::always_inline]] inline bool TTileShader::NextTexelRow(const TTileFrame& frame, const TQuadShared<TQuad>& shared,
                                                              const TTriangleQuads& t, TRowTexels<Textures, Planes>& texels,
                                                              TTexelRow& row) const
{
    using namespace tile;
    const TCoverage& coverage = frame.coverage;
    for (;;)
    {
        // Rows of the box whose quads are all uncovered are passed over.
        while (row.row < t.rows && coverage.rowEnds[row.row] == row.end)
            ++row.row;
        if (row.row == t.rows)
            return false;
        const int begin = row.end;
        row.end = coverage.rowEnds[row.row];
        row.list = coverage.quads + begin;
        row.quads = row.end - begin;
        row.tileRow = (t.y0 - frame.tileY) / 2 + row.row;
        ++row.row;
        const TQuad& dy = frame.rowDy[row.tileRow];
        if constexpr (Depth)
        {
            const float* p = t.planes;
            const TQuad rowZ = TQuad(p[2]) * dy;
            const int py = row.tileRow * 2 + frame.tileY;
            int kept = 0;
            for (int at = 0; at < row.quads; ++at)
            {
                const int quad = row.list[at], column = TCoverage::Column(quad), px = frame.tileX + 2 * column;
                const TQuad z = Saturate(TQuad(p[0]) + TQuad(p[1]) * frame.columnDx[column] + rowZ);
                const int mask = px + 1 < depthWidth_ && py + 1 < depthHeight_
                                     ? DepthTest(px, py, z, TCoverage::Lanes(quad))
                                     : DepthStencil(t.front, px, py, z, TCoverage::Lanes(quad), false);
                texels.list[kept] = (quad & ~0xF) | mask;
                kept += mask != 0;
            }
            if (kept == 0)
                continue;
            row.list = texels.list;
            row.quads = kept;
        }
        if constexpr (Dark)
        {
            if (!Depth || !depthWrite_)
            {
                // The model's colour is zero on every lane of a dark quad, and adding zero leaves
                // the target as it is: such quads are neither sampled nor written.
                TRowPlanes<TQuad> planes;
                planes.columns = texels.columnPlanes;
                ForEachCachedPlane<Model>([&](int slot, int k) { planes.rows[slot] = TQuad(t.planes[3 * k + 2]) * dy; });
                [[maybe_unused]] const TQuad rowW = TQuad(t.planes[5]) * dy;
                int kept = 0;
                for (int at = 0; at < row.quads; ++at)
                {
                    const int quad = row.list[at];
                    planes.column[0] = TCoverage::Column(quad);
                    if constexpr (Form == EWForm::Perspective)
                        planes.w = TQuad(1.0f) / (texels.columnW[planes.column[0]] + rowW);
                    const TLoopQuad<Model, TQuad, Form, true> in(shared, frame.columnDx[planes.column[0]], dy, planes);
                    if (Model::Dark(in))
                    {
                        row.dark += kLaneCount[TCoverage::Lanes(quad)];
                        continue;
                    }
                    texels.list[kept++] = quad;
                }
                if (kept == 0)
                    continue;
                row.list = texels.list;
                row.quads = kept;
            }
        }
        const int first = TCoverage::Column(row.list[0]), last = TCoverage::Column(row.list[row.quads - 1]);
        const bool neighbours = last - first == row.quads - 1;
        SampleRow<Model, Form>(shared, t, row.list, row.quads, neighbours, dy, texels);
        // The target's lines two rows down, on their way while these are shaded and stored.
        PrefetchQuadRow<Depth>(frame, row.tileRow + 2, first, last);
        row.plain = neighbours && last < frame.wholeBefore[row.tileRow] && AllLanesCovered(row.list, row.quads);
        return true;
    }
}

// The quads of a model type's triangle on a fast path, one at a time; answers the samples.
template <class Model, TTileShader::EQuadPath Path, bool Depth, TTileShader::EWForm Form, int Textures, int Planes>
[[gnu::always_inline]] inline int TTileShader::ShadeQuads(const TTileFrame& frame, const TQuadShared<TQuad>& shared,
                                                           const TTriangleQuads& t,
                                                           TRowTexels<Textures, Planes>& texels) const
{
    using namespace tile;
    typedef TLoopQuad<Model, TQuad, Form, true> TIn;
    int samples = 0;
    if constexpr (Textures > 0)
    {
        TTexelRow row;
        StartTexelRows<Model, Form, Depth>(frame, t, texels, row);
        TRowPlanes<TQuad> planes;
        planes.columns = texels.columnPlanes;
        while (NextTexelRow<Model, Form, Depth, LeavesDark<Model, Path, Form>()>(frame, shared, t, texels, row))
        {
            const TQuad& dy = frame.rowDy[row.tileRow];
            ForEachCachedPlane<Model>([&](int slot, int k) { planes.rows[slot] = TQuad(t.planes[3 * k + 2]) * dy; });
            for (int at = 0; at < row.quads; ++at)
            {
                const int quad = row.list[at];
                planes.column[0] = TCoverage::Column(quad);
                if constexpr (Form == EWForm::Perspective)
                    planes.w = texels.w[at];
                TIn in(shared, frame.columnDx[planes.column[0]], dy, planes);
                for (int i = 0; i < Textures; ++i)
                    in.words[i] = texels.words[i][at];
                samples += ShadeFastQuad<Model, Path, Depth ? EDepth::Tested : EDepth::None>(frame, quad, in);
            }
        }
        return samples + row.dark;
    }
    // Small triangles have a row or two of quads each: one loop over them all, with c * dy worked
    // out at every quad, costs less than branches on their rows that the processor would often
    // guess wrong.
    const int covered = frame.coverage.rowEnds[t.rows - 1];
    for (int q = 0; q < covered; ++q)
    {
        const int quad = frame.coverage.quads[q];
        const TIn in(shared, frame.columnDx[TCoverage::Column(quad)], frame.rowDy[TCoverage::Row(quad)]);
        samples += ShadeFastQuad<Model, Path, Depth ? EDepth::Test : EDepth::None>(frame, quad, in);
    }
    return samples;
}

// ShadeQuads two quads at a time on eight lanes: the pairs of a textured model's rows, or of the
// whole coverage list. An odd last quad is paired with itself without lanes, which writes
// nothing.
template <class Model, TTileShader::EQuadPath Path, bool Depth, TTileShader::EWForm Form, int Textures, int Planes>
[[gnu::target("avx2"), gnu::flatten]] inline int TTileShader::ShadePairs(TTileFrame& frame,
                                                           const TQuadShared<TQuadPair>& shared,
                                                           const TQuadShared<TQuad>& quadShared,
                                                           const TTriangleQuads& t,
                                                           TRowTexels<Textures, Planes>& texels) const
{
    using namespace tile;
    typedef TLoopQuad<Model, TQuadPair, Form, true> TIn;
    const TTargetWords target = {targets_[0].pitch, targets_[0].format == D3DFMT_X8R8G8B8};
    // Less one, by lane, for every lane written, and whole quads counted at once.
    __m256i counted = _mm256_setzero_si256();
    int samples = 0;
    if constexpr (Textures > 0)
    {
        TTexelRow row;
        StartTexelRows<Model, Form, Depth>(frame, t, texels, row);
        TRowPlanes<TQuadPair> planes;
        planes.columns = texels.columnPlanes;
        while (NextTexelRow<Model, Form, Depth, LeavesDark<Model, Path, Form>()>(frame, quadShared, t, texels, row))
        {
            const TQuadPair dy(frame.rowDy[row.tileRow], frame.rowDy[row.tileRow]);
            ForEachCachedPlane<Model>([&](int slot, int k) { planes.rows[slot] = TQuadPair(t.planes[3 * k + 2]) * dy; });
            for (int i = 0; i < Textures; ++i)
                texels.words[i][row.quads] = texels.words[i][row.quads - 1];
            if constexpr (Form == EWForm::Perspective)
                texels.w[row.quads] = texels.w[row.quads - 1];
            int at = 0;
            if (row.plain)
            {
                // A run of neighbours, every lane covered and every pixel on the target: two
                // quads at a time with nothing tested, their columns' and words' pairs side by
                // side in memory.
                const int column = TCoverage::Column(row.list[0]);
                std::uint8_t* bits = frame.Bits(row.list[0]);
                float* depth = Depth ? frame.Depth(row.list[0]) : nullptr;
                for (; at + 2 <= row.quads; at += 2, bits += 16, depth += Depth ? 4 : 0)
                {
                    planes.column[0] = column + at;
                    if constexpr (Form == EWForm::Perspective)
                        planes.w = TQuadPair::Adjacent(&texels.w[at]);
                    TLoopQuad<Model, TQuadPair, Form, true, true> in(
                        shared, TQuadPair::Adjacent(&frame.columnDx[column + at]), dy, planes);
                    for (int i = 0; i < Textures; ++i)
                        in.words[i] = {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(&texels.words[i][at]))};
                    ShadeNeighbours<Model, Path, Depth>(target, bits, depth, in);
                }
                samples += 4 * at;
            }
            for (; at < row.quads; at += 2)
            {
                const bool odd = at + 1 == row.quads;
                const int first = row.list[at], second = odd ? first & ~0xF : row.list[at + 1];
                planes.column[0] = TCoverage::Column(first);
                planes.column[1] = TCoverage::Column(second);
                if constexpr (Form == EWForm::Perspective)
                    planes.w = TQuadPair::Adjacent(&texels.w[at]);
                TIn in(shared,
                       TQuadPair(frame.columnDx[planes.column[0]], frame.columnDx[planes.column[1]]), dy,
                       planes);
                for (int i = 0; i < Textures; ++i)
                    in.words[i] = {PairOf(texels.words[i][at], texels.words[i][at + 1])};
                counted = _mm256_sub_epi32(counted,
                                           ShadeFastPair<Model, Path, Depth ? EDepth::Tested : EDepth::None>(
                                               frame, target, first, second, in, row.plain && !odd));
            }
        }
        samples += row.dark;
    }
    else
    {
        int* const quads = frame.coverage.quads;
        const int covered = frame.coverage.rowEnds[t.rows - 1];
        quads[covered] = quads[covered - 1] & ~0xF;
        for (int q = 0; q < covered; q += 2)
        {
            const int first = quads[q], second = quads[q + 1];
            const TIn in(shared,
                         TQuadPair(TCoverage::ByColumn(frame.columnDx, first), TCoverage::ByColumn(frame.columnDx, second)),
                         TQuadPair(frame.rowDy[TCoverage::Row(first)], frame.rowDy[TCoverage::Row(second)]));
            // Two whole neighbours on the target go by plain loads and stores.
            const bool plain = (first & second & 0xF) == 0xF && second == first + 16 &&
                               TCoverage::Column(first) + 1 < frame.wholeBefore[TCoverage::Row(first)];
            counted = _mm256_sub_epi32(counted, ShadeFastPair<Model, Path, Depth ? EDepth::Test : EDepth::None>(
                                                    frame, target, first, second, in, plain));
        }
    }
    __m128i sum = _mm_add_epi32(_mm256_castsi256_si128(counted), _mm256_extracti128_si256(counted, 1));
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(1, 0, 3, 2)));
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(2, 3, 0, 1)));
    return samples + _mm_cvtsi128_si32(sum);
}

[[gnu::always_inline]] inline void TTileShader::WriteTargetQuad(const TTarget& target, EQuadPath path, int px, int py,
                                                                const TQuadVector& colour, int mask)
{
    std::uint8_t* const rows[2] = {target.bits + py * target.pitch + px * int(target.bytes),
                                   target.bits + (py + 1) * target.pitch + px * int(target.bytes)};
    if (target.argb)
    {
        const bool whole = px + 1 < target.width && py + 1 < target.height;
        const bool opaque = target.format == D3DFMT_X8R8G8B8;
        if (path == EQuadPath::Blend)
            tile::WriteArgb<true>(rows, whole, colour, mask, opaque);
        else if (path == EQuadPath::Add)
        {
            // Zero added to A8R8G8B8 gives back every byte: a quad adding nothing (shadow passes
            // outside their slice) is neither read nor written.
            if (opaque || tile::AnyBits(colour))
                tile::WriteArgb<false, true>(rows, whole, colour, mask, opaque);
        }
        else
            tile::WriteArgb<false>(rows, whole, colour, mask, opaque);
        return;
    }
    if (target.rgb565Store)
    {
        floatpixels::WriteRgb565(rows, colour, mask);
        return;
    }
    floatpixels::PrefetchTargetRowsBelow(reinterpret_cast<std::uintptr_t>(rows[0]), target.pitch);
    const bool red = target.format == D3DFMT_R32F;
    TQuadVector out = colour;
    if (path != EQuadPath::Store)
    {
        const TQuadVector dst = red ? floatpixels::ReadFloat1(rows, mask) : floatpixels::ReadHalf4(rows, mask);
        if (path == EQuadPath::Add)
            out = {colour.x + dst.x, colour.y + dst.y, colour.z + dst.z, colour.w + dst.w};
        else if (path == EQuadPath::Multiply)
        {
            // As the general blend adds them: the source times DestColor, the target times Zero.
            const TQuad zero(0.0f);
            out = {colour.x * dst.x + dst.x * zero, colour.y * dst.y + dst.y * zero, colour.z * dst.z + dst.z * zero,
                   colour.w * dst.w + dst.w * zero};
        }
        else
        {
            const TQuad a = colour.w, inverse = TQuad(1.0f) - colour.w;
            out = {colour.x * a + dst.x * inverse, colour.y * a + dst.y * inverse, colour.z * a + dst.z * inverse,
                   colour.w * a + dst.w * inverse};
        }
    }
    if (red)
        floatpixels::WriteFloat1(rows, out, mask);
    else
        floatpixels::WriteHalf4(rows, out, mask);
}

template <class TColour>
[[gnu::always_inline]] inline void TTileShader::WriteTargetQuads(const TTarget* targets, EQuadPath path, int px, int py,
                                                                 const TColour& colour, int mask)
{
    constexpr int kColours = tile::kColourCount<TColour>;
    if constexpr (kColours == 1)
        WriteTargetQuad(targets[0], path, px, py, colour, mask);
    else
    {
        for (int i = 0; i < kColours; ++i)
        {
            if (targets[i].image)
                WriteTargetQuad(targets[i], path, px, py, colour.colour[i], mask);
        }
    }
}

template <class TColour>
[[gnu::target("avx2"), gnu::always_inline]] inline void TTileShader::WriteTargetPairs(const TTarget* targets,
                                                                                      EQuadPath path, const int px[2],
                                                                                      const int py[2],
                                                                                      const TColour& colours, int written)
{
    constexpr int kColours = tile::kColourCount<TColour>;
    const auto colourOf = [&](int i) -> const TLaneVector<TQuadPair>& {
        if constexpr (kColours == 1)
            return colours;
        else
            return colours.colour[i];
    };
    __m256i packed = _mm256_setzero_si256();
    int packedFrom = -1; // the colour `packed` holds
    for (int i = 0; i < kColours; ++i)
    {
        const TTarget& target = targets[i];
        if (!target.image)
            continue;
        const TLaneVector<TQuadPair>& colour = colourOf(i);
        if (target.argb && path == EQuadPath::Store)
        {
            if (packedFrom < 0 || !tile::SameBitsAvx2(colour, colourOf(packedFrom)))
                packed = tile::PackArgbAvx2(colour);
            packedFrom = i;
            floatpixels::PrefetchTargetRowsBelow(
                reinterpret_cast<std::uintptr_t>(target.bits + py[0] * target.pitch + px[0] * 4), target.pitch);
            for (int half = 0; half < 2; ++half)
            {
                const int mask = (written >> (4 * half)) & 0xF;
                if (!mask)
                    continue;
                std::uint8_t* const rows[2] = {target.bits + py[half] * target.pitch + px[half] * 4,
                                               target.bits + (py[half] + 1) * target.pitch + px[half] * 4};
                const __m128i quad = half == 0 ? _mm256_castsi256_si128(packed) : _mm256_extracti128_si256(packed, 1);
                if (px[half] + 1 < target.width && py[half] + 1 < target.height)
                    tile::StoreArgbWhole(rows, quad, mask);
                else
                    tile::StoreArgb(rows, quad, mask);
            }
            continue;
        }
        for (int half = 0; half < 2; ++half)
        {
            const int mask = (written >> (4 * half)) & 0xF;
            if (mask)
                WriteTargetQuad(target, path, px[half], py[half], tile::QuadOf(colour, half), mask);
        }
    }
}

// The quads of a model type's triangle on a sampled loop: the general loop's shading (textures
// sampled where read) and depth test, then straight to the targets.
template <class Model, bool Depth, TTileShader::EWForm Form>
[[gnu::always_inline]] inline int TTileShader::ShadeSampledQuads(const TTileFrame& frame,
                                                                  const TQuadShared<TQuad>& shared,
                                                                  const TTriangleQuads& t, const TTarget* targets,
                                                                  EQuadPath path) const
{
    using namespace tile;
    int samples = 0;
    const int covered = frame.coverage.rowEnds[t.rows - 1];
    for (int q = 0; q < covered; ++q)
    {
        const int quad = frame.coverage.quads[q];
        const int row = TCoverage::Row(quad), column = TCoverage::Column(quad);
        const int px = frame.tileX + 2 * column, py = frame.tileY + 2 * row;
        const TLoopQuad<Model, TQuad, Form, false> in(shared, frame.columnDx[column], frame.rowDy[row]);
        int mask = TCoverage::Lanes(quad);
        [[maybe_unused]] const bool quadDepth = px + 1 < depthWidth_ && py + 1 < depthHeight_;
        [[maybe_unused]] TQuad z;
        if constexpr (Depth)
        {
            z = in.Depth();
            mask = quadDepth ? DepthTest(px, py, z, mask) : DepthStencil(t.front, px, py, z, mask, false);
            if (!mask)
                continue;
        }
        const auto colour = Model::Shade(in);
        if constexpr (Depth)
        {
            if (quadDepth)
                DepthWrite(px, py, z, mask);
            else
                mask = DepthStencil(t.front, px, py, z, mask, true);
        }
        WriteTargetQuads(targets, path, px, py, colour, mask);
        samples += kLaneCount[mask];
    }
    return samples;
}

// ShadeSampledQuads two quads at a time on eight lanes; each quad written as there.
template <class Model, bool Depth, TTileShader::EWForm Form>
[[gnu::target("avx2"), gnu::flatten]] inline int TTileShader::ShadeSampledPairs(TTileFrame& frame,
                                                                                const TQuadShared<TQuadPair>& shared,
                                                                                const TTriangleQuads& t,
                                                                                const TTarget* targets,
                                                                                EQuadPath path) const
{
    using namespace tile;
    int samples = 0;
    int* const quads = frame.coverage.quads;
    const int covered = frame.coverage.rowEnds[t.rows - 1];
    // An odd last quad is paired with itself without lanes.
    quads[covered] = quads[covered - 1] & ~0xF;
    for (int q = 0; q < covered; q += 2)
    {
        const int first = quads[q], second = quads[q + 1];
        const TLoopQuad<Model, TQuadPair, Form, false> in(
            shared, TQuadPair(TCoverage::ByColumn(frame.columnDx, first), TCoverage::ByColumn(frame.columnDx, second)),
            TQuadPair(frame.rowDy[TCoverage::Row(first)], frame.rowDy[TCoverage::Row(second)]));
        __m256i lanes = LanesOf(first, second);
        [[maybe_unused]] TQuadPair z;
        if constexpr (Depth)
        {
            z = in.Depth();
            lanes = DepthTestAvx2(frame.Depth(first), frame.Depth(second), z, lanes);
            if (_mm256_testz_si256(lanes, lanes))
                continue;
        }
        const auto colour = Model::Shade(in);
        if constexpr (Depth)
            DepthWriteAvx2(frame.Depth(first), frame.Depth(second), z, lanes);
        const int written = _mm256_movemask_ps(_mm256_castsi256_ps(lanes));
        const int px[2] = {frame.tileX + 2 * TCoverage::Column(first), frame.tileX + 2 * TCoverage::Column(second)};
        const int py[2] = {frame.tileY + 2 * TCoverage::Row(first), frame.tileY + 2 * TCoverage::Row(second)};
        WriteTargetPairs(targets, path, px, py, colour, written);
        samples += kLaneCount[written & 0xF] + kLaneCount[written >> 4];
    }
    return samples;
}

// The quads of a model type's triangle through every test and target.
template <class Model, TTileShader::EWForm Form>
[[gnu::always_inline]] inline int TTileShader::ShadeQuadsGeneral(const TTileFrame& frame,
                                                                  const TQuadShared<TQuad>& shared,
                                                                  const TTriangleQuads& t) const
{
    using namespace tile;
    int samples = 0;
    const int covered = frame.coverage.rowEnds[t.rows - 1];
    for (int q = 0; q < covered; ++q)
    {
        const int quad = frame.coverage.quads[q];
        const int row = TCoverage::Row(quad), column = TCoverage::Column(quad);
        const TLoopQuad<Model, TQuad, Form, false> in(shared, frame.columnDx[column], frame.rowDy[row]);
        samples += WriteQuad(t.front, frame.tileX + 2 * column, frame.tileY + 2 * row, in.Depth(), TCoverage::Lanes(quad),
                             [&](TPixelOutput& output) { tile::StoreColours(output, Model::Shade(in)); });
    }
    return samples;
}

template <class Model, TTileShader::EQuadPath Path, bool Depth, class L, bool Sampled>
void TTileShader::ShadeTileWith(const TTileBins& bins, int tile, int participant)
{
    constexpr bool kPairs = std::is_same_v<L, TQuadPair>;
    constexpr TModelInputs kInputs = Model::kInputs;
    constexpr int kTextures = Path == EQuadPath::General || Sampled ? 0 : kInputs.TextureCount();
    constexpr int kConstants = kInputs.constants > 0 ? kInputs.constants : 1;
    constexpr std::uint64_t kPlanes = tile::PlanesRead(kInputs, Depth || Path == EQuadPath::General);
    static_assert(kInputs.constants >= 0 && kInputs.constants <= kConstantRegisters);

    TTileFrame frame;
    FrameTile(bins, tile, frame);
    const int planeCount = 2 + 4 * varyings_;
    // The constants the model reads, in every lane, once per tile.
    float constantValues[kConstants][4];
    TLaneVector<L> constants[kConstants];
    for (int r = 0; r < kInputs.constants; ++r)
    {
        const float* value = call_->pixelConstants.f[r];
        for (int c = 0; c < 4; ++c)
            constantValues[r][c] = value[c];
        constants[r] = {L(value[0]), L(value[1]), L(value[2]), L(value[3])};
    }
    TPlaneLanes<L> planes[kMaxPlanes];
    TQuadShared<L> shared = {planes, constants, constantValues, call_->samplers, originX_, originY_, false, {}, L(0.0f)};
    // The textures' row sampling works on quads whatever the lanes.
    TQuadShared<TQuad> quadShared = {nullptr, nullptr, constantValues, call_->samplers, originX_, originY_, false, {},
                                     TQuad(0.0f)};
    for (int i = 0; i < kMaxModelTextures; ++i)
        shared.bound[i] = quadShared.bound[i] = bound_[i];
    // What the model works out once for its draw: here once per tile, not per quad.
    typename tile::TDrawValuesOf<Model>::Type drawValues{};
    if constexpr (tile::HasDrawValues<Model>)
        drawValues = Model::Prepare(TDrawInput{call_->pixelConstants.f, call_->samplers, &Model::kInputs});
    shared.drawValues = quadShared.drawValues = &drawValues;
    TRowTexels<kTextures, tile::CachedPlanes(kInputs)> texels;
    for (int i = 0; i < kTextures; ++i)
    {
        // Stages with nothing bound are never sampled: their words stay those of (0, 0, 0, 1).
        if (!bound_[i])
            std::fill(std::begin(texels.words[i]), std::end(texels.words[i]),
                      _mm_set1_epi32(int(tile::kUnboundWord)));
    }
    // A model with a unit form is drawn as that over triangles where what it reads is all one.
    constexpr bool kUnitForm = Path != EQuadPath::General && !Sampled && tile::HasUnitForm<Model>;
    // The targets, read once: the loops' stores could alias the shader's members.
    typedef std::remove_cvref_t<decltype(Model::Shade(std::declval<const TLoopQuad<Model, TQuad, EWForm::One, false>&>()))>
        TColour;
    [[maybe_unused]] TTarget targets[tile::kColourCount<TColour>];
    for (int i = 0; i < tile::kColourCount<TColour>; ++i)
        targets[i] = targets_[i];
    [[maybe_unused]] const EQuadPath path = sampledPath_;
    bool constantsOne = kUnitForm;
    for (int r = 0; r < kInputs.constants; ++r)
    {
        for (int c = 0; c < 4; ++c)
            constantsOne = constantsOne && constantValues[r][c] == 1.0f;
    }
    std::uint64_t samples = 0;
    ForEachTriangle(bins, tile, frame, [&](const TTriangleQuads& t) {
        const float* p = t.planes;
        // The planes read, with their coefficients in every lane, once per triangle.
        // Planes past the record's, of varyings the vertex model does not write, read as zero.
        auto plane = [&](int k) {
            if (k < planeCount)
                planes[k] = {L(p[3 * k]), L(p[3 * k + 1]), L(p[3 * k + 2])};
            else
                planes[k] = {L(0.0f), L(0.0f), L(0.0f)};
        };
        [&]<std::size_t... K>(std::index_sequence<K...>) {
            ((((kPlanes >> K) & 1) ? plane(int(K)) : void()), ...);
        }(std::make_index_sequence<kMaxPlanes>());
        // 1/w at the origin and its slopes: flat, its value is the same in every quad.
        const bool flat = p[4] == 0.0f && p[5] == 0.0f && p[3] != 0.0f;
        const bool unitW = flat && p[3] == 1.0f;
        shared.front = quadShared.front = t.front;
        const float w = flat ? 1.0f / p[3] : 1.0f;
        if (flat)
        {
            shared.flatW = L(w);
            quadShared.flatW = TQuad(w);
        }
        auto shade = [&](auto form) {
            constexpr EWForm Form = decltype(form)::value;
            auto shadeAs = [&](auto model) {
                typedef typename decltype(model)::type M;
                if constexpr (Sampled && kPairs)
                    samples += std::uint64_t(ShadeSampledPairs<M, Depth, Form>(frame, shared, t, targets, path));
                else if constexpr (Sampled)
                    samples += std::uint64_t(ShadeSampledQuads<M, Depth, Form>(frame, shared, t, targets, path));
                else if constexpr (Path == EQuadPath::General)
                    samples += std::uint64_t(ShadeQuadsGeneral<M, Form>(frame, shared, t));
                else if constexpr (kPairs)
                    samples +=
                        std::uint64_t(ShadePairs<M, Path, Depth, Form>(frame, shared, quadShared, t, texels));
                else
                    samples += std::uint64_t(ShadeQuads<M, Path, Depth, Form>(frame, shared, t, texels));
            };
            // Nested so that a model without a unit form never names one: the outer test does not
            // depend on the lambda's parameter, and only then do all compilers discard its body.
            if constexpr (kUnitForm)
            {
                if constexpr (Form != EWForm::Perspective)
                {
                    static_assert(tile::SameTextures(kInputs, Model::TUnitForm::kInputs));
                    if (constantsOne && tile::UnitVaryings<Model>(p, planeCount, w))
                        return shadeAs(std::type_identity<typename Model::TUnitForm>());
                }
            }
            shadeAs(std::type_identity<Model>());
        };
        if (unitW)
            shade(std::integral_constant<EWForm, EWForm::One>());
        else if (flat)
            shade(std::integral_constant<EWForm, EWForm::Flat>());
        else
            shade(std::integral_constant<EWForm, EWForm::Perspective>());
    });
    samples_[size_t(participant) * 8] += samples;
}

template <class Model, TTileShader::EQuadPath Path, bool Depth, bool Sampled>
[[gnu::target("avx2"), gnu::flatten]] void TTileShader::ShadeTileAvx2(const TTileBins& bins, int tile, int participant)
{
    ShadeTileWith<Model, Path, Depth, TQuadPair, Sampled>(bins, tile, participant);
}

template <class Model> const TTileLoops& TTileShader::LoopsOf()
{
    typedef TTileShader T;
    typedef decltype(Model::Shade(std::declval<const TLoopQuad<Model, TQuad, EWForm::One, false>&>())) TColour;
    constexpr int kColours = tile::kColourCount<std::remove_cvref_t<TColour>>;
#ifdef VESTAMOR_GENERAL_TILE_LOOP_ONLY
    // The general loop alone draws the same bits; the others would take most of the build's time.
    static const TTileLoops loops = {&T::ShadeTileWith<Model, EQuadPath::General, false, TQuad>, {}, {}, kColours};
    return loops;
#else
    if constexpr (kColours > 1)
    {
        // Several targets at once: the general loop, or the sampled loops onto targets each
        // written whole.
        static const TTileLoops loops = {&T::ShadeTileWith<Model, EQuadPath::General, false, TQuad>,
                                         {},
                                         {{&T::ShadeTileWith<Model, EQuadPath::Store, false, TQuad, true>,
                                           &T::ShadeTileAvx2<Model, EQuadPath::Store, false, true>},
                                          {&T::ShadeTileWith<Model, EQuadPath::Store, true, TQuad, true>,
                                           &T::ShadeTileAvx2<Model, EQuadPath::Store, true, true>}},
                                         kColours};
        return loops;
    }
    else
    {
    static const TTileLoops loops = {
        &T::ShadeTileWith<Model, EQuadPath::General, false, TQuad>,
        {{{&T::ShadeTileWith<Model, EQuadPath::Store, false, TQuad>, &T::ShadeTileAvx2<Model, EQuadPath::Store, false>},
          {&T::ShadeTileWith<Model, EQuadPath::Store, true, TQuad>, &T::ShadeTileAvx2<Model, EQuadPath::Store, true>}},
         {{&T::ShadeTileWith<Model, EQuadPath::Blend, false, TQuad>, &T::ShadeTileAvx2<Model, EQuadPath::Blend, false>},
          {&T::ShadeTileWith<Model, EQuadPath::Blend, true, TQuad>, &T::ShadeTileAvx2<Model, EQuadPath::Blend, true>}},
         {{&T::ShadeTileWith<Model, EQuadPath::Add, false, TQuad>, &T::ShadeTileAvx2<Model, EQuadPath::Add, false>},
          {&T::ShadeTileWith<Model, EQuadPath::Add, true, TQuad>, &T::ShadeTileAvx2<Model, EQuadPath::Add, true>}}},
        {{&T::ShadeTileWith<Model, EQuadPath::Store, false, TQuad, true>,
          &T::ShadeTileAvx2<Model, EQuadPath::Store, false, true>},
         {&T::ShadeTileWith<Model, EQuadPath::Store, true, TQuad, true>,
          &T::ShadeTileAvx2<Model, EQuadPath::Store, true, true>}}};
    return loops;
    }
#endif
}
