#include "platform/d3d9/tileshader.h"

#include "platform/d3d9/format.h"
#include "platform/d3d9/simdlevel.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cmath>
#include <cstring>
#include <immintrin.h>

namespace
{
bool Compare(DWORD function, float a, float b)
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

std::uint8_t StencilOp(DWORD op, std::uint8_t value, std::uint8_t reference)
{
    switch (op)
    {
    case D3DSTENCILOP_ZERO:
        return 0;
    case D3DSTENCILOP_REPLACE:
        return reference;
    case D3DSTENCILOP_INCRSAT:
        return value == 255 ? 255 : std::uint8_t(value + 1);
    case D3DSTENCILOP_DECRSAT:
        return value == 0 ? 0 : std::uint8_t(value - 1);
    case D3DSTENCILOP_INVERT:
        return std::uint8_t(~value);
    case D3DSTENCILOP_INCR:
        return std::uint8_t(value + 1);
    case D3DSTENCILOP_DECR:
        return std::uint8_t(value - 1);
    default:
        return value;
    }
}

TQuadVector BlendFactor(DWORD factor, const TQuadVector& src, const TQuadVector& dst,
                        const TQuadVector& constant)
{
    const TQuad one = 1.0f;
    switch (factor)
    {
    case D3DBLEND_ZERO:
        return {0.0f, 0.0f, 0.0f, 0.0f};
    case D3DBLEND_SRCCOLOR:
        return src;
    case D3DBLEND_INVSRCCOLOR:
        return {one - src.x, one - src.y, one - src.z, one - src.w};
    case D3DBLEND_SRCALPHA:
    case D3DBLEND_BOTHSRCALPHA:
        return {src.w, src.w, src.w, src.w};
    case D3DBLEND_INVSRCALPHA:
    case D3DBLEND_BOTHINVSRCALPHA:
        return {one - src.w, one - src.w, one - src.w, one - src.w};
    case D3DBLEND_DESTALPHA:
        return {dst.w, dst.w, dst.w, dst.w};
    case D3DBLEND_INVDESTALPHA:
        return {one - dst.w, one - dst.w, one - dst.w, one - dst.w};
    case D3DBLEND_DESTCOLOR:
        return dst;
    case D3DBLEND_INVDESTCOLOR:
        return {one - dst.x, one - dst.y, one - dst.z, one - dst.w};
    case D3DBLEND_SRCALPHASAT: {
        const TQuad f = Min(src.w, one - dst.w);
        return {f, f, f, one};
    }
    case D3DBLEND_BLENDFACTOR:
        return constant;
    case D3DBLEND_INVBLENDFACTOR:
        return {one - constant.x, one - constant.y, one - constant.z, one - constant.w};
    default: // ONE
        return {one, one, one, one};
    }
}

TQuad BlendOp(DWORD op, TQuad s, TQuad d)
{
    switch (op)
    {
    case D3DBLENDOP_SUBTRACT:
        return s - d;
    case D3DBLENDOP_REVSUBTRACT:
        return d - s;
    case D3DBLENDOP_MIN:
        return Min(s, d);
    case D3DBLENDOP_MAX:
        return Max(s, d);
    default:
        return s + d;
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
alignas(16) constexpr std::uint32_t kLaneMasks[16][4] = {
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

// AlphaBlendWords of two whole, fully covered quads side by side, `left` at `row` on the
// target: their eight pixels at once, each with the same integer arithmetic, so the same bytes.
[[gnu::target("avx2")]] void AlphaBlendTwoQuadsAvx2(std::uint8_t* row, int pitch, __m128i left, __m128i right,
                                                    bool opaqueTarget)
{
    // Both quads' words by pixel rows: the upper four pixels in the low half.
    const __m256i source =
        _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_unpacklo_epi64(left, right)),
                                _mm_unpackhi_epi64(left, right), 1);
    __m256i packed =
        _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row))),
                                _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + pitch)), 1);
    if (opaqueTarget)
        packed = _mm256_or_si256(packed, _mm256_set1_epi32(int(0xFF000000u)));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i blended =
        _mm256_packus_epi16(AlphaBlendChannelsAvx2(_mm256_unpacklo_epi8(source, zero), _mm256_unpacklo_epi8(packed, zero)),
                            AlphaBlendChannelsAvx2(_mm256_unpackhi_epi8(source, zero), _mm256_unpackhi_epi8(packed, zero)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row), _mm256_castsi256_si128(blended));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + pitch), _mm256_extracti128_si256(blended, 1));
}

// The lanes in `mask` of a quad's colour on a 32-bit target, packed and stored, or with `Blend`
// blended as ordinary transparency. A quad `whole`ly inside the image reads and writes its four
// pixels at once, writing back unchanged those its mask leaves alone.
template <bool Blend>
[[gnu::always_inline]] inline void WriteArgb(std::uint8_t* const rows[2], bool whole, const TQuadVector& colour,
                                             int mask, bool opaqueTarget)
{
    const __m128i packed = Blend ? AlphaBlendArgb(colour, ReadArgb(rows, whole ? 0xF : mask), opaqueTarget)
                                 : PackArgb(colour);
    if (whole)
        StoreArgbWhole(rows, packed, mask);
    else
        StoreArgb(rows, packed, mask);
}

// The edges of a triangle over the box (x0, y0) - (x1, y1) in 64-bit arithmetic, for triangles
// too large for SetUpSmallEdges: 1, 0 when one edge rejects the whole box, 2 when every edge
// accepts it (the box's quads all lie inside the triangle).
int SetUpLargeEdges(const TBinnedTriangle& t, int x0, int y0, int x1, int y1, TEdge edges[3])
{
    int accepted = 0;
    for (int e = 0; e < 3; ++e)
    {
        const int ax = t.x[e], ay = t.y[e], bx = t.x[(e + 1) % 3], by = t.y[(e + 1) % 3];
        const std::int64_t ex = bx - ax, ey = by - ay;
        const bool topLeft = ey < 0 || (ey == 0 && ex > 0);
        // The edge function at the first pixel, and what it gains across the box; its
        // extremes over the box are at the corners.
        const std::int64_t start = ex * (std::int64_t(y0) * kSubpixel - ay) -
                                   ey * (std::int64_t(x0) * kSubpixel - ax) - (topLeft ? 0 : 1);
        const std::int64_t acrossX = -ey * ((x1 + 1 - x0) * kSubpixel);
        const std::int64_t acrossY = ex * ((y1 + 1 - y0) * kSubpixel);
        const std::int64_t low = start + std::min<std::int64_t>(acrossX, 0) + std::min<std::int64_t>(acrossY, 0);
        const std::int64_t high = start + std::max<std::int64_t>(acrossX, 0) + std::max<std::int64_t>(acrossY, 0);
        if (high < 0)
            return 0;
        if (low >= 0)
        {
            // Accepts the whole box: never negative, never stepped, tested along with the others.
            edges[e].value = edges[e].stepX = edges[e].stepY = _mm_setzero_si128();
            ++accepted;
            continue;
        }
        // Within a tile's box the values, and so the steps, fit in 32 bits.
        const int sx = int(-ey * kSubpixel), sy = int(ex * kSubpixel);
        const int first = int(start);
        edges[e].value = _mm_setr_epi32(first, first + sx, first + sy, first + sx + sy);
        edges[e].stepX = _mm_set1_epi32(2 * sx);
        edges[e].stepY = _mm_set1_epi32(2 * sy);
    }
    return accepted == 3 ? 2 : 1;
}

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
constexpr int kLaneCount[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};

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

// Two quads' lanes as eight.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256 PairAvx2(const TQuad& first, const TQuad& second)
{
    return _mm256_insertf128_ps(_mm256_castps128_ps256(first.v), second.v, 1);
}

// PlaneAt, with c * dy for the row term, on eight lanes.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256 PlaneAvx2(__m256 a, __m256 b, __m256 c, __m256 dx, __m256 dy)
{
    return _mm256_add_ps(_mm256_add_ps(a, _mm256_mul_ps(b, dx)), _mm256_mul_ps(c, dy));
}

// A channel of PackArgb on eight lanes, at `shift`.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i ChannelAvx2(__m256 value, int shift)
{
    const __m256 saturated = _mm256_min_ps(_mm256_max_ps(value, _mm256_setzero_ps()), _mm256_set1_ps(1.0f));
    return _mm256_slli_epi32(
        _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(saturated, _mm256_set1_ps(255.0f)), _mm256_set1_ps(0.5f))),
        shift);
}

// Stores the packed words of a quad of a coverage on the tile's rows of a 32-bit target, with
// masked stores by `lanes`, its lanes' masks: the lanes outside its mask, which include every
// pixel outside the clip rectangle, are neither read nor written, so partly covered quads do not
// wait for the target's lines to arrive.
[[gnu::target("avx2"), gnu::always_inline]] inline void StoreQuadWordsAvx2(int quad, __m128i words, __m128i lanes,
                                                                          std::uint8_t* const rowBits[], int pitch)
{
    std::uint8_t* const first = rowBits[TCoverage::Row(quad)] + TCoverage::Column(quad) * 8;
    _mm_maskstore_epi32(reinterpret_cast<int*>(first), _mm_move_epi64(lanes), words);
    _mm_maskstore_epi32(reinterpret_cast<int*>(first + pitch), _mm_srli_si128(lanes, 8), _mm_srli_si128(words, 8));
}
} // namespace

TTileShader::TTileShader(const TDrawCall& call, int varyings, int participants)
    : call_(&call), varyings_(varyings), rs_(call.renderStates), samples_(size_t(participants) * 8, 0)
{
    const DWORD* rs = rs_;
    targetCount_ = 0;
    for (int i = 0; i < kMaxRenderTargets; ++i)
    {
        TImage* image = call.targets[i];
        TTarget& target = targets_[i];
        target = {};
        if (!image)
            continue;
        const TFormatInfo* info = FindFormat(image->Format());
        const DWORD maskState = i == 0 ? D3DRS_COLORWRITEENABLE : D3DRS_COLORWRITEENABLE1 + (i - 1);
        target = {image,
                  image->Format(),
                  UINT(info->bits / 8),
                  image->Format() == D3DFMT_A8R8G8B8 || image->Format() == D3DFMT_X8R8G8B8,
                  image->Format() != D3DFMT_R16F && image->Format() != D3DFMT_G16R16F &&
                      image->Format() != D3DFMT_A16B16G16R16F && image->Format() != D3DFMT_R32F &&
                      image->Format() != D3DFMT_G32R32F && image->Format() != D3DFMT_A32B32G32R32F,
                  rs[maskState] & 0xF,
                  false,
                  false,
                  image->Bits(),
                  int(image->Pitch()),
                  int(image->Width()),
                  int(image->Height())};
        targetCount_ = i + 1;
    }
    depth_ = call.depthStencil ? call.depthStencil->DepthPlane() : nullptr;
    stencil_ = call.depthStencil ? call.depthStencil->StencilPlane() : nullptr;
    depthWidth_ = call.depthStencil ? int(call.depthStencil->Width()) : 0;
    depthHeight_ = call.depthStencil ? int(call.depthStencil->Height()) : 0;
    depthTest_ = rs[D3DRS_ZENABLE] != D3DZB_FALSE;
    depthWrite_ = depthTest_ && rs[D3DRS_ZWRITEENABLE];
    const TFormatInfo* depthInfo = call.depthStencil ? FindFormat(call.depthStencil->Format()) : nullptr;
    stencilTest_ = rs[D3DRS_STENCILENABLE] != 0 && depthInfo && depthInfo->stencil;
    depthStencil_ = depth_ && (depthTest_ || stencilTest_);
    alphaTest_ = rs[D3DRS_ALPHATESTENABLE] != 0;
    alphaReference_ = float(rs[D3DRS_ALPHAREF] & 0xFF);
    alphaFunction_ = rs[D3DRS_ALPHAFUNC];
    blend_ = rs[D3DRS_ALPHABLENDENABLE] != 0;
    separateAlpha_ = rs[D3DRS_SEPARATEALPHABLENDENABLE] != 0;
    srcBlend_ = rs[D3DRS_SRCBLEND];
    dstBlend_ = rs[D3DRS_DESTBLEND];
    if (srcBlend_ == D3DBLEND_BOTHSRCALPHA || srcBlend_ == D3DBLEND_BOTHINVSRCALPHA)
        dstBlend_ = srcBlend_ == D3DBLEND_BOTHSRCALPHA ? D3DBLEND_INVSRCALPHA : D3DBLEND_SRCALPHA;
    blendOp_ = rs[D3DRS_BLENDOP];
    srcBlendAlpha_ = rs[D3DRS_SRCBLENDALPHA];
    dstBlendAlpha_ = rs[D3DRS_DESTBLENDALPHA];
    blendOpAlpha_ = rs[D3DRS_BLENDOPALPHA];
    const bool sourceAlpha = srcBlend_ == D3DBLEND_SRCALPHA || srcBlend_ == D3DBLEND_BOTHSRCALPHA;
    const bool inverseSourceAlpha =
        dstBlend_ == D3DBLEND_INVSRCALPHA || dstBlend_ == D3DBLEND_BOTHINVSRCALPHA;
    const bool adds = blendOp_ != D3DBLENDOP_SUBTRACT && blendOp_ != D3DBLENDOP_REVSUBTRACT &&
                      blendOp_ != D3DBLENDOP_MIN && blendOp_ != D3DBLENDOP_MAX;
    alphaBlend_ = blend_ && !separateAlpha_ && sourceAlpha && inverseSourceAlpha && adds;
    const DWORD factor = rs[D3DRS_BLENDFACTOR];
    blendConstant_ = {float((factor >> 16) & 0xFF) / 255.0f, float((factor >> 8) & 0xFF) / 255.0f,
                      float(factor & 0xFF) / 255.0f, float(factor >> 24) / 255.0f};
    earlyTest_ = depthStencil_ && FailuresChangeNothing();
    quadDepth_ = earlyTest_ && !stencilTest_;
    depthFunction_ = rs[D3DRS_ZFUNC];
    originX_ = float(call.clip.left);
    originY_ = float(call.clip.top);
    for (TTarget& target : targets_)
    {
        target.direct = target.image && target.argb && !blend_ && target.writeMask == 0xF;
        target.alphaBlend = target.image && target.argb && alphaBlend_ && target.writeMask == 0xF;
    }
    trimQuads_ = ((call.clip.left | call.clip.top | call.clip.right | call.clip.bottom) & 1) != 0;
    quadPath_ = EQuadPath::General;
    if (!depthStencil_ && !alphaTest_ && targetCount_ == 1)
    {
        if (targets_[0].direct)
            quadPath_ = EQuadPath::Store;
        else if (targets_[0].alphaBlend)
            quadPath_ = EQuadPath::Blend;
    }
    // Kinds the quad paths draw themselves: textures only where the sampler answers words.
    const TPixelModel* model = call.pixelModel;
    const bool kindModel = model && model->kindVarying < varyings_;
    // A stored colour kind also tests depth itself, where depth alone is tested.
    depthQuads_ = depthStencil_ && quadDepth_ && !alphaTest_ && targetCount_ == 1 && targets_[0].direct &&
                  kindModel && model->kind == EPixelKind::Colour;
    if (depthQuads_)
        quadPath_ = EQuadPath::Store;
    kind_ = EPixelKind::General;
    kindPlane_ = 2;
    if (quadPath_ != EQuadPath::General && kindModel)
    {
        kindPlane_ = 2 + 4 * model->kindVarying;
        if (model->kind == EPixelKind::Colour ||
            (model->kind == EPixelKind::Texture && call.samplers && call.samplers->SamplesWords(0)))
            kind_ = model->kind;
    }
}

bool TTileShader::FailuresChangeNothing() const
{
    if (!stencilTest_)
        return true;
    const DWORD ops[] = {rs_[D3DRS_STENCILFAIL], rs_[D3DRS_STENCILZFAIL], rs_[D3DRS_CCW_STENCILFAIL],
                         rs_[D3DRS_CCW_STENCILZFAIL]};
    const int checked = rs_[D3DRS_TWOSIDEDSTENCILMODE] ? 4 : 2;
    for (int i = 0; i < checked; ++i)
    {
        if (ops[i] != D3DSTENCILOP_KEEP)
            return false;
    }
    return true;
}

std::uint64_t TTileShader::Samples() const
{
    std::uint64_t samples = 0;
    for (size_t i = 0; i < samples_.size(); i += 8)
        samples += samples_[i];
    return samples;
}

void TTileShader::BlendAndWrite(const TTarget& target, const TQuadVector& colourIn, int px, int py,
                                int mask) const
{
    TImage& image = *target.image;
    std::uint8_t* const rows[2] = {image.Row(UINT(py)) + px * target.bytes,
                                   image.Row(UINT(py + 1)) + px * target.bytes};
    // Lane i is pixel (i & 1) of row (i >> 1).
    auto pixel = [&](int lane) { return rows[lane >> 1] + (lane & 1) * target.bytes; };
    TQuadVector colour = colourIn;
    if (target.unorm)
        colour = {Saturate(colour.x), Saturate(colour.y), Saturate(colour.z), Saturate(colour.w)};
    if (blend_ || target.writeMask != 0xF)
    {
        TQuadVector dst;
        if (target.argb)
        {
            const __m128i packed = ReadArgb(rows, mask);
            dst = {ArgbChannel(packed, 16), ArgbChannel(packed, 8), ArgbChannel(packed, 0),
                   target.format == D3DFMT_X8R8G8B8 ? TQuad(1.0f) : ArgbChannel(packed, 24)};
        }
        else
        {
            float d[4][4] = {};
            for (int lane = 0; lane < 4; ++lane)
            {
                if (mask & (1 << lane))
                    ReadTexel(target.format, pixel(lane), d[lane]);
            }
            __m128 l0 = _mm_loadu_ps(d[0]), l1 = _mm_loadu_ps(d[1]), l2 = _mm_loadu_ps(d[2]),
                   l3 = _mm_loadu_ps(d[3]);
            _MM_TRANSPOSE4_PS(l0, l1, l2, l3);
            dst = {l0, l1, l2, l3};
        }
        if (blend_)
        {
            const TQuadVector sf = BlendFactor(srcBlend_, colour, dst, blendConstant_);
            const TQuadVector df = BlendFactor(dstBlend_, colour, dst, blendConstant_);
            TQuadVector out = {BlendOp(blendOp_, colour.x * sf.x, dst.x * df.x),
                               BlendOp(blendOp_, colour.y * sf.y, dst.y * df.y),
                               BlendOp(blendOp_, colour.z * sf.z, dst.z * df.z),
                               BlendOp(blendOp_, colour.w * sf.w, dst.w * df.w)};
            if (separateAlpha_)
            {
                const TQuad sa = BlendFactor(srcBlendAlpha_, colour, dst, blendConstant_).w;
                const TQuad da = BlendFactor(dstBlendAlpha_, colour, dst, blendConstant_).w;
                out.w = BlendOp(blendOpAlpha_, colour.w * sa, dst.w * da);
            }
            colour = out;
        }
        const DWORD m = target.writeMask;
        if (m != 0xF)
            colour = {(m & 1) ? colour.x : dst.x, (m & 2) ? colour.y : dst.y, (m & 4) ? colour.z : dst.z,
                      (m & 8) ? colour.w : dst.w};
    }
    if (target.argb)
    {
        StoreArgb(rows, PackArgb(colour), mask);
        return;
    }
    __m128 l0 = colour.x.v, l1 = colour.y.v, l2 = colour.z.v, l3 = colour.w.v;
    _MM_TRANSPOSE4_PS(l0, l1, l2, l3);
    const __m128 lanes[4] = {l0, l1, l2, l3};
    for (int lane = 0; lane < 4; ++lane)
    {
        if (mask & (1 << lane))
        {
            float rgba[4];
            _mm_storeu_ps(rgba, lanes[lane]);
            WriteTexel(target.format, pixel(lane), rgba);
        }
    }
}

// Stencil and depth tests with their writes for the lanes in `mask`; answers the lanes that pass.
int TTileShader::DepthStencil(bool front, int px, int py, const TQuad& z, int mask, bool write) const
{
    if (!depth_)
        return mask;
    const DWORD* rs = rs_;
    const bool ccw = !front && rs[D3DRS_TWOSIDEDSTENCILMODE];
    const DWORD function = ccw ? rs[D3DRS_CCW_STENCILFUNC] : rs[D3DRS_STENCILFUNC];
    const DWORD failOp = ccw ? rs[D3DRS_CCW_STENCILFAIL] : rs[D3DRS_STENCILFAIL];
    const DWORD zFailOp = ccw ? rs[D3DRS_CCW_STENCILZFAIL] : rs[D3DRS_STENCILZFAIL];
    const DWORD passOp = ccw ? rs[D3DRS_CCW_STENCILPASS] : rs[D3DRS_STENCILPASS];
    const std::uint8_t reference = std::uint8_t(rs[D3DRS_STENCILREF]);
    const std::uint8_t readMask = std::uint8_t(rs[D3DRS_STENCILMASK]);
    const std::uint8_t writeMask = std::uint8_t(rs[D3DRS_STENCILWRITEMASK]);
    alignas(16) float zs[4];
    _mm_store_ps(zs, z.v);
    int passed = 0;
    for (int lane = 0; lane < 4; ++lane)
    {
        if (!(mask & (1 << lane)))
            continue;
        const size_t index = size_t(py + (lane >> 1)) * depthWidth_ + size_t(px + (lane & 1));
        bool stencilPass = true;
        DWORD op = passOp;
        if (stencilTest_)
        {
            const std::uint8_t value = stencil_[index];
            stencilPass = Compare(function, float(reference & readMask), float(value & readMask));
            if (!stencilPass)
                op = failOp;
        }
        const bool depthPass =
            !stencilPass ? false : (!depthTest_ || Compare(rs[D3DRS_ZFUNC], zs[lane], depth_[index]));
        if (stencilPass && !depthPass)
            op = zFailOp;
        if (stencilTest_ && write)
        {
            const std::uint8_t value = stencil_[index];
            const std::uint8_t next = StencilOp(op, value, reference);
            stencil_[index] = std::uint8_t((value & ~writeMask) | (next & writeMask));
        }
        if (depthPass)
        {
            if (depthWrite_ && write)
                depth_[index] = zs[lane];
            passed |= 1 << lane;
        }
    }
    return passed;
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

// The pixels of the quad at `px` as distances from the planes' origin along x.
[[gnu::always_inline]] inline TQuad QuadDx(int px, float originX)
{
    return TQuad::Lanes(0.0f, 1.0f, 0.0f, 1.0f) + TQuad(float(px) - originX);
}

// A plane's value over a quad `dx` from its origin, on a row where it adds `rowTerm`.
[[gnu::always_inline]] inline TQuad PlaneAt(const TQuad& a, const TQuad& b, const TQuad& dx, const TQuad& rowTerm)
{
    return a + b * dx + rowTerm;
}

template <TTileShader::EWForm Form>
[[gnu::always_inline]] inline TQuad TTileShader::PerspectiveW(const TTrianglePlanes& t, const TQuad& dx)
{
    if constexpr (Form == EWForm::Perspective)
        return TQuad(1.0f) / PlaneAt(t.planes[1].a, t.planes[1].b, dx, t.rowTerms[1]);
    return t.flatW;
}

template <TTileShader::EWForm Form>
[[gnu::always_inline]] inline TQuad TTileShader::Interpolated(const TTrianglePlanes& t, const TQuad& dx, const TQuad& w,
                                                             int k)
{
    const TQuad value = PlaneAt(t.planes[k].a, t.planes[k].b, dx, t.rowTerms[k]);
    if constexpr (Form == EWForm::One)
        return value;
    return value * w;
}

[[gnu::always_inline]] inline TQuadVector TTileShader::Interpolant(const TTrianglePlanes& t, const TQuad& dx,
                                                                  const TQuad& w, int k)
{
    if (t.unitW)
        return {Interpolated<EWForm::One>(t, dx, w, k), Interpolated<EWForm::One>(t, dx, w, k + 1),
                Interpolated<EWForm::One>(t, dx, w, k + 2), Interpolated<EWForm::One>(t, dx, w, k + 3)};
    return {Interpolated<EWForm::Flat>(t, dx, w, k), Interpolated<EWForm::Flat>(t, dx, w, k + 1),
            Interpolated<EWForm::Flat>(t, dx, w, k + 2), Interpolated<EWForm::Flat>(t, dx, w, k + 3)};
}

[[gnu::always_inline]] inline int TTileShader::ShadeColour(const TTrianglePlanes& t, TPixelInput& input,
                                                           const TQuad& dx, const TQuad& z, int mask,
                                                           TPixelOutput& output) const
{
    // Members read once: stores of SSE values may alias anything, so the compiler would
    // read them again after each.
    const int varyings = varyings_, targetCount = targetCount_;
    const TQuad w = t.flat ? PerspectiveW<EWForm::Flat>(t, dx) : PerspectiveW<EWForm::Perspective>(t, dx);
    for (int v = 0; v < varyings; ++v)
        input.varying[v] = Interpolant(t, dx, w, 2 + 4 * v);
    input.x = dx + TQuad(originX_);
    input.depth = z;
    output.discard = _mm_setzero_ps();
    // Colours of unbound targets are never read; alpha testing reads the first.
    for (int i = 0; i < std::max(targetCount, 1); ++i)
        output.colour[i] = {0.0f, 0.0f, 0.0f, 1.0f};
    call_->pixelModel->function(input, output);
    return mask & ~_mm_movemask_ps(output.discard);
}

[[gnu::always_inline]] inline int TTileShader::ShadeQuad(bool front, const TTrianglePlanes& t,
                                                         TPixelInput& input, int px, int py, int mask)
{
    const int targetCount = targetCount_;
    const TQuad dx = QuadDx(px, originX_);
    const TQuad z = Saturate(PlaneAt(t.planes[0].a, t.planes[0].b, dx, t.rowTerms[0]));

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

    TPixelOutput output;
    mask = ShadeColour(t, input, dx, z, mask, output);
    if (alphaTest_)
    {
        // Alpha compares as an 8-bit value against the reference, as Direct3D does.
        const __m128 alpha8 = _mm_mul_ps(Saturate(output.colour[0].w).v, _mm_set1_ps(255.0f));
        alignas(16) float alphas[4];
        _mm_store_ps(alphas, alpha8);
        for (int lane = 0; lane < 4; ++lane)
        {
            if (!Compare(alphaFunction_, std::floor(alphas[lane] + 0.5f), alphaReference_))
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
        if (target.direct || target.alphaBlend)
        {
            // The common cases: saturated, packed and stored, or blended as ordinary
            // transparency; a quad inside the image reads and writes its four pixels at once,
            // writing back unchanged those its mask leaves alone.
            std::uint8_t* const rows[2] = {target.bits + py * target.pitch + px * 4,
                                           target.bits + (py + 1) * target.pitch + px * 4};
            const bool whole = px + 1 < target.width && py + 1 < target.height;
            const bool opaqueTarget = target.format == D3DFMT_X8R8G8B8;
            if (target.direct)
                WriteArgb<false>(rows, whole, output.colour[i], mask, opaqueTarget);
            else
                WriteArgb<true>(rows, whole, output.colour[i], mask, opaqueTarget);
        }
        else if (target.image && target.writeMask)
            BlendAndWrite(target, output.colour[i], px, py, mask);
    }
    return kLaneCount[mask];
}

template <TTileShader::EWForm Form>
[[gnu::target("avx2")]] int TTileShader::StoreColourPairsAvx2(const float* colourPlanes, const float* wPlane,
                                                             const TQuad& flatW, int* quads, int count,
                                                             const TQuad columnDx[], const TQuad rowDy[],
                                                             std::uint8_t* const rowBits[], int pitch)
{
    // 1/w's plane and the colour's four (2 to 5) in every lane, straight from the record.
    __m256 a[6], b[6], c[6];
    for (int k = Form == EWForm::Perspective ? 1 : 2; k < 6; ++k)
    {
        const float* plane = k == 1 ? wPlane : colourPlanes + 3 * (k - 2);
        a[k] = _mm256_broadcast_ss(plane);
        b[k] = _mm256_broadcast_ss(plane + 1);
        c[k] = _mm256_broadcast_ss(plane + 2);
    }
    const __m256 flat = Form == EWForm::Flat ? PairAvx2(flatW, flatW) : _mm256_setzero_ps();
    // An odd last quad is paired with itself without lanes, which stores nothing: no branch on
    // whether the count is odd.
    quads[count] = quads[count - 1] & ~0xF;
    // Less one, by lane, for every lane stored.
    __m128i samples = _mm_setzero_si128();
    for (int q = 0; q < count; q += 2)
    {
        const int first = quads[q], second = quads[q + 1];
        const __m256 dx = PairAvx2(TCoverage::ByColumn(columnDx, first), TCoverage::ByColumn(columnDx, second));
        const __m256 dy = PairAvx2(rowDy[TCoverage::Row(first)], rowDy[TCoverage::Row(second)]);
        // Interpolated lane by lane.
        __m256 colour[6];
        for (int k = 2; k < 6; ++k)
            colour[k] = PlaneAvx2(a[k], b[k], c[k], dx, dy);
        if constexpr (Form != EWForm::One)
        {
            const __m256 w = Form == EWForm::Perspective
                                 ? _mm256_div_ps(_mm256_set1_ps(1.0f), PlaneAvx2(a[1], b[1], c[1], dx, dy))
                                 : flat;
            for (int k = 2; k < 6; ++k)
                colour[k] = _mm256_mul_ps(colour[k], w);
        }
        const __m256i packed =
            _mm256_or_si256(_mm256_or_si256(ChannelAvx2(colour[5], 24), ChannelAvx2(colour[2], 16)),
                            _mm256_or_si256(ChannelAvx2(colour[3], 8), ChannelAvx2(colour[4], 0)));
        const __m128i firstLanes =
            _mm_load_si128(reinterpret_cast<const __m128i*>(kLaneMasks[TCoverage::Lanes(first)]));
        const __m128i secondLanes =
            _mm_load_si128(reinterpret_cast<const __m128i*>(kLaneMasks[TCoverage::Lanes(second)]));
        StoreQuadWordsAvx2(first, _mm256_castsi256_si128(packed), firstLanes, rowBits, pitch);
        StoreQuadWordsAvx2(second, _mm256_extracti128_si256(packed, 1), secondLanes, rowBits, pitch);
        samples = _mm_add_epi32(samples, _mm_add_epi32(firstLanes, secondLanes));
    }
    samples = _mm_add_epi32(samples, _mm_shuffle_epi32(samples, _MM_SHUFFLE(1, 0, 3, 2)));
    samples = _mm_add_epi32(samples, _mm_shuffle_epi32(samples, _MM_SHUFFLE(2, 3, 0, 1)));
    return -_mm_cvtsi128_si32(samples);
}

template <TTileShader::EQuadPath Path, EPixelKind Kind>
void TTileShader::ShadeTileAs(const TTileBins& bins, int tile, int participant)
{
    // The one target of the fast paths, read once.
    const TTarget target = targets_[0];
    const TSamplerSet* const samplers = call_->samplers;
    const int kindPlane = kindPlane_;
    // A row of a tile's quads, for the texture kind.
    struct TQuadRow
    {
        TQuad u[kTileSize / 2], v[kTileSize / 2];
        TQuad columnU[kTileSize / 2], columnV[kTileSize / 2], columnW[kTileSize / 2];
        __m128i words[kTileSize / 2];
    };
    TQuadRow quads;
    TCoverage coverage;
    const int tileX = bins.TileX(tile), tileY = bins.TileY(tile);
    // Each row of the tile's quads on the target: its pixels at the tile's left, and the columns
    // of quads, left of this one, that lie wholly in the target.
    std::uint8_t* rowBits[TCoverage::kQuadsAcross];
    int wholeBefore[TCoverage::kQuadsAcross];
    int targetRows = 0;
    if constexpr (Path != EQuadPath::General)
    {
        for (int row = 0; row < TCoverage::kQuadsAcross && tileY + 2 * row < target.height; ++row)
        {
            targetRows = row + 1;
            const int py = tileY + 2 * row;
            rowBits[row] = target.bits + py * target.pitch + tileX * 4;
            wholeBefore[row] = py + 1 < target.height ? (target.width - tileX) / 2 : 0;
        }
    }
    // The pixel rows of the quad in `column` of tile row `row` on the target; answers whether all
    // four lie in it.
    auto quadRows = [&](int row, int column, std::uint8_t* rows[2]) {
        rows[0] = rowBits[row] + column * 8;
        rows[1] = rows[0] + target.pitch;
        return column < wholeBefore[row];
    };
    // Asks for the target's lines under the quads in columns `from` to `to` of tile row `row`: a
    // pixel's line has to arrive before it is written, and rows of a tile lie a pitch apart, too
    // far for the processor to guess.
    auto prefetchQuadRow = [&](int row, int from, int to) {
        if (row >= targetRows)
            return;
        const int end = to * 8 + 8;
        for (int pixelRow = 0; pixelRow < 2; ++pixelRow)
        {
            const std::uint8_t* line = rowBits[row] + pixelRow * target.pitch;
            for (int offset = from * 8; offset < end + 63; offset += 64)
                PrefetchForWriting(line + std::min(offset, end - 1));
        }
    };
    const bool opaqueTarget = target.format == D3DFMT_X8R8G8B8;
    const bool trim = trimQuads_;
    const float originX = originX_, originY = originY_;
    // Each column and row of quads as distances from the planes' origin.
    TQuad columnDx[TCoverage::kQuadsAcross], rowDy[TCoverage::kQuadsAcross];
    for (int i = 0; i < TCoverage::kQuadsAcross; ++i)
    {
        columnDx[i] = QuadDx(tileX + 2 * i, originX);
        rowDy[i] = TQuad::Lanes(0.0f, 0.0f, 1.0f, 1.0f) + TQuad(float(tileY + 2 * i) - originY);
    }
    TPixelInput input;
    input.constants = &call_->pixelConstants;
    input.samplers = call_->samplers;
    const int planeCount = 2 + 4 * varyings_;
    // A fixed kind reads its interpolant's planes alone (the texture kind two of them), moved to
    // planes 2 on, and 1/w where it is not flat.
    constexpr bool fixedKind = Path != EQuadPath::General && Kind != EPixelKind::General;
    constexpr int kindPlanes = Kind == EPixelKind::Texture ? 2 : 4;
    const int recordFloats = bins.RecordFloats();
    // The colour kind, stored on AVX2, reads its planes from the record itself.
    const bool wideColour = Path == EQuadPath::Store && Kind == EPixelKind::Colour &&
                            RasteriserSimdLevel() == ESimdLevel::Avx2 && !depthQuads_;
    TTrianglePlanes shading;
    std::uint64_t samples = 0;
    for (int run = 0; run < bins.Runs(); ++run)
    {
        const std::span<const float> bin = bins.Bin(run, tile);
        for (size_t at = 0; at < bin.size(); at += size_t(recordFloats))
        {
            TBinnedTriangle t;
            std::memcpy(&t, &bin[at], sizeof(t));
            const float* p = &bin[at] + sizeof(t) / 4;
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
            // 1/w at the origin and its slopes: flat, its value is the same in every quad.
            shading.flat = p[4] == 0.0f && p[5] == 0.0f && p[3] != 0.0f;
            if (shading.flat)
                shading.flatW = TQuad(1.0f) / TQuad(p[3]);
            shading.unitW = shading.flat && p[3] == 1.0f;
            // The planes with their coefficients in every lane, once per triangle.
            if (!fixedKind)
            {
                for (int k = 0; k < planeCount; ++k)
                    shading.planes[k] = {p[3 * k], p[3 * k + 1], p[3 * k + 2]};
            }
            else if (!wideColour)
            {
                const float* kind = p + 3 * kindPlane;
                for (int k = 0; k < kindPlanes; ++k)
                    shading.planes[2 + k] = {kind[3 * k], kind[3 * k + 1], kind[3 * k + 2]};
                if (depthQuads_)
                    shading.planes[0] = {p[0], p[1], p[2]};
            }
            const bool front = t.front != 0;
            input.frontFace = front;
            // The triangle's samples within the tile: at most 64 x 64, counted in 32 bits.
            int triangleSamples = 0;
            // The colour kind's covered quads, its interpolant stored; its 1/w has the triangle's
            // `Form`. Small triangles have a row or two of quads each: one loop over them all,
            // with c * dy worked out at every quad, costs less than branches on their rows that
            // the processor would often guess wrong.
            auto shadeColourQuads = [&](auto form) {
                constexpr EWForm Form = decltype(form)::value;
                const int covered = coverage.rowEnds[rows - 1];
                if (wideColour)
                {
                    triangleSamples += StoreColourPairsAvx2<Form>(p + 3 * kindPlane, p + 3, shading.flatW,
                                                                  coverage.quads, covered, columnDx, rowDy, rowBits,
                                                                  target.pitch);
                    return;
                }
                for (int q = 0; q < covered; ++q)
                {
                    const int quad = coverage.quads[q], row = TCoverage::Row(quad);
                    const int column = TCoverage::Column(quad);
                    int mask = TCoverage::Lanes(quad);
                    const TQuad& dx = columnDx[column];
                    if (depthQuads_)
                    {
                        // As ShadeQuad tests and writes depth; nothing else changes it meanwhile.
                        const int px = tileX + 2 * column, py = tileY + 2 * row;
                        const TQuad z = Saturate(
                            PlaneAt(shading.planes[0].a, shading.planes[0].b, dx, shading.planes[0].c * rowDy[row]));
                        const bool quadDepth = px + 1 < depthWidth_ && py + 1 < depthHeight_;
                        mask = quadDepth ? DepthTest(px, py, z, mask) : DepthStencil(front, px, py, z, mask, false);
                        if (!mask)
                            continue;
                        if (quadDepth)
                            DepthWrite(px, py, z, mask);
                        else
                            mask = DepthStencil(front, px, py, z, mask, true);
                        if (!mask)
                            continue;
                    }
                    if constexpr (Form == EWForm::Perspective)
                        shading.rowTerms[1] = shading.planes[1].c * rowDy[row];
                    for (int k = 2; k < 6; ++k)
                        shading.rowTerms[k] = shading.planes[k].c * rowDy[row];
                    const TQuad w = PerspectiveW<Form>(shading, dx);
                    const TQuadVector colour = {
                        Interpolated<Form>(shading, dx, w, 2), Interpolated<Form>(shading, dx, w, 3),
                        Interpolated<Form>(shading, dx, w, 4), Interpolated<Form>(shading, dx, w, 5)};
                    std::uint8_t* rows[2];
                    const bool whole = quadRows(row, column, rows);
                    WriteArgb<Path == EQuadPath::Blend>(rows, whole, colour, mask, opaqueTarget);
                    triangleSamples += kLaneCount[mask];
                }
            };
            // The covered quads row by row; a fixed kind's 1/w has the triangle's `Form`.
            auto shadeRows = [&](auto form) {
                constexpr EWForm Form = decltype(form)::value;
                // The texture kind's a + b * dx of its planes (and 1/w's) for each column of the
                // triangle's box, once: every row adds its c * dy to them, to the same bits.
                if constexpr (Kind == EPixelKind::Texture)
                {
                    for (int column = (x0 - tileX) / 2; column <= (x1 - tileX) / 2; ++column)
                    {
                        const TQuad& dx = columnDx[column];
                        if constexpr (Form == EWForm::Perspective)
                            quads.columnW[column] = shading.planes[1].a + shading.planes[1].b * dx;
                        quads.columnU[column] = shading.planes[2].a + shading.planes[2].b * dx;
                        quads.columnV[column] = shading.planes[3].a + shading.planes[3].b * dx;
                    }
                    for (int row = 0; row < 2; ++row)
                        prefetchQuadRow((y0 - tileY) / 2 + row, (x0 - tileX) / 2, (x1 - tileX) / 2);
                }
                int quad = 0;
                for (int row = 0; row < rows; ++row)
                {
                    const int rowEnd = coverage.rowEnds[row];
                    if (quad == rowEnd)
                        continue;
                    const int py = y0 + 2 * row;
                    // What the row's quads share: c * dy of the planes read and the pixel rows.
                    const int tileRow = (py - tileY) / 2;
                    const TQuad& dy = rowDy[tileRow];
                    if constexpr (fixedKind)
                    {
                        if constexpr (Form == EWForm::Perspective)
                            shading.rowTerms[1] = shading.planes[1].c * dy;
                        for (int k = 2; k < 2 + kindPlanes; ++k)
                            shading.rowTerms[k] = shading.planes[k].c * dy;
                    }
                    else
                    {
                        for (int k = 0; k < planeCount; ++k)
                            shading.rowTerms[k] = shading.planes[k].c * dy;
                    }
                    input.y = dy + TQuad(originY);
                    // Textured quads of the row, sampled together once it is walked; their columns
                    // and lanes stay in the coverage list.
                    const int* const rowList = coverage.quads + quad;
                    int rowQuads = 0;
                    bool neighbours = false;
                    if constexpr (Kind == EPixelKind::Texture)
                    {
                        // The coordinates of the quad in `column`, kept as the row's `at`th.
                        auto coordinates = [&](int column, int at) {
                            TQuad u = quads.columnU[column] + shading.rowTerms[2];
                            TQuad v = quads.columnV[column] + shading.rowTerms[3];
                            if constexpr (Form != EWForm::One)
                            {
                                TQuad w = shading.flatW;
                                if constexpr (Form == EWForm::Perspective)
                                    w = TQuad(1.0f) / (quads.columnW[column] + shading.rowTerms[1]);
                                u = u * w;
                                v = v * w;
                            }
                            quads.u[at] = u;
                            quads.v[at] = v;
                        };
                        // Columns only grow along the list: a row whose last lies count - 1 right of
                        // its first is one run of neighbours, walked without reading the list.
                        rowQuads = rowEnd - quad;
                        const int first = TCoverage::Column(rowList[0]);
                        neighbours = TCoverage::Column(rowList[rowQuads - 1]) - first == rowQuads - 1;
                        if (neighbours)
                        {
                            for (int at = 0; at < rowQuads; ++at)
                                coordinates(first + at, at);
                        }
                        else
                        {
                            for (int at = 0; at < rowQuads; ++at)
                                coordinates(TCoverage::Column(rowList[at]), at);
                        }
                        quad = rowEnd;
                    }
                    for (; quad < rowEnd; ++quad)
                    {
                        const int column = TCoverage::Column(coverage.quads[quad]), px = tileX + 2 * column;
                        int mask = TCoverage::Lanes(coverage.quads[quad]);
                        const TQuad& dx = columnDx[column];
                        if constexpr (Path == EQuadPath::General)
                            triangleSamples += ShadeQuad(front, shading, input, px, py, mask);
                        else
                        {
                            const TQuad z =
                                Saturate(PlaneAt(shading.planes[0].a, shading.planes[0].b, dx, shading.rowTerms[0]));
                            TPixelOutput output;
                            mask = ShadeColour(shading, input, dx, z, mask, output);
                            if (!mask)
                                continue;
                            std::uint8_t* rows[2];
                            const bool whole = quadRows(tileRow, column, rows);
                            WriteArgb<Path == EQuadPath::Blend>(rows, whole, output.colour[0], mask, opaqueTarget);
                            triangleSamples += kLaneCount[mask];
                        }
                    }
                    if constexpr (Kind == EPixelKind::Texture)
                    {
                        // Sampled words are the channels PackArgb would pack from them, and blend in
                        // integers to the bytes of the float blending.
                        // The target's lines two rows down, on their way while these are sampled and
                        // stored.
                        prefetchQuadRow(tileRow + 2, TCoverage::Column(rowList[0]),
                                        TCoverage::Column(rowList[rowQuads - 1]));
                        samplers->SampleWordsRow(0, quads.u, quads.v, rowQuads, quads.words);
                        const bool wideBlend = Path == EQuadPath::Blend && RasteriserSimdLevel() == ESimdLevel::Avx2;
                        // A run of neighbours, every lane covered and every pixel on the target, as
                        // inside most large triangles: two quads at a time with nothing to test.
                        const int first = TCoverage::Column(rowList[0]);
                        if ((Path == EQuadPath::Store || wideBlend) && neighbours &&
                            first + rowQuads <= wholeBefore[tileRow] && AllLanesCovered(rowList, rowQuads))
                        {
                            std::uint8_t* rows[2];
                            quadRows(tileRow, first, rows);
                            const __m128i* words = quads.words;
                            int q = 0;
                            for (; q + 2 <= rowQuads; q += 2, rows[0] += 16, rows[1] += 16)
                            {
                                if constexpr (Path == EQuadPath::Blend)
                                    AlphaBlendTwoQuadsAvx2(rows[0], target.pitch, words[q], words[q + 1], opaqueTarget);
                                else
                                {
                                    _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[0]),
                                                     _mm_unpacklo_epi64(words[q], words[q + 1]));
                                    _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[1]),
                                                     _mm_unpackhi_epi64(words[q], words[q + 1]));
                                }
                            }
                            if (q < rowQuads)
                            {
                                __m128i last = words[q];
                                if constexpr (Path == EQuadPath::Blend)
                                    last = AlphaBlendWords(last, ReadArgb(rows, 0xF), opaqueTarget);
                                StoreArgbWhole(rows, last, 0xF);
                            }
                            triangleSamples += 4 * rowQuads;
                            continue;
                        }
                        for (int q = 0; q < rowQuads; ++q)
                        {
                            const int entry = rowList[q];
                            const int column = TCoverage::Column(entry), mask = TCoverage::Lanes(entry);
                            // The next quad is this one's covered right neighbour.
                            const bool coveredPair = mask == 0xF && q + 1 < rowQuads && rowList[q + 1] == entry + 16;
                            // Two whole, covered neighbours blend eight pixels at once.
                            if (wideBlend && coveredPair && column + 1 < wholeBefore[tileRow])
                            {
                                std::uint8_t* rows[2];
                                quadRows(tileRow, column, rows);
                                AlphaBlendTwoQuadsAvx2(rows[0], target.pitch, quads.words[q], quads.words[q + 1],
                                                       opaqueTarget);
                                triangleSamples += 8;
                                ++q;
                                continue;
                            }
                            // Two covered neighbours stored: each pixel row's four words at once.
                            if (Path == EQuadPath::Store && coveredPair)
                            {
                                std::uint8_t* rows[2];
                                quadRows(tileRow, column, rows);
                                _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[0]),
                                                 _mm_unpacklo_epi64(quads.words[q], quads.words[q + 1]));
                                _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[1]),
                                                 _mm_unpackhi_epi64(quads.words[q], quads.words[q + 1]));
                                triangleSamples += 8;
                                ++q;
                                continue;
                            }
                            std::uint8_t* rows[2];
                            const bool whole = quadRows(tileRow, column, rows);
                            __m128i words = quads.words[q];
                            if constexpr (Path == EQuadPath::Blend)
                                words = AlphaBlendWords(words, ReadArgb(rows, whole ? 0xF : mask), opaqueTarget);
                            if (whole)
                                StoreArgbWhole(rows, words, mask);
                            else
                                StoreArgb(rows, words, mask);
                            triangleSamples += kLaneCount[mask];
                        }
                    }
                }
            };
            auto shade = [&](auto form) {
                if constexpr (fixedKind && Kind == EPixelKind::Colour)
                    shadeColourQuads(form);
                else
                    shadeRows(form);
            };
            if constexpr (fixedKind)
            {
                if (shading.unitW)
                    shade(std::integral_constant<EWForm, EWForm::One>());
                else if (shading.flat)
                    shade(std::integral_constant<EWForm, EWForm::Flat>());
                else
                {
                    shading.planes[1] = {p[3], p[4], p[5]};
                    shade(std::integral_constant<EWForm, EWForm::Perspective>());
                }
            }
            else
                shadeRows(std::integral_constant<EWForm, EWForm::Perspective>());
            samples += std::uint64_t(triangleSamples);
        }
    }
    samples_[size_t(participant) * 8] += samples;
}

template <TTileShader::EQuadPath Path>
void TTileShader::ShadeTileOfKind(const TTileBins& bins, int tile, int participant)
{
    switch (kind_)
    {
    case EPixelKind::Colour:
        ShadeTileAs<Path, EPixelKind::Colour>(bins, tile, participant);
        break;
    case EPixelKind::Texture:
        ShadeTileAs<Path, EPixelKind::Texture>(bins, tile, participant);
        break;
    default:
        ShadeTileAs<Path, EPixelKind::General>(bins, tile, participant);
        break;
    }
}

void TTileShader::ShadeTile(const TTileBins& bins, int tile, int participant)
{
    switch (quadPath_)
    {
    case EQuadPath::Store:
        ShadeTileOfKind<EQuadPath::Store>(bins, tile, participant);
        break;
    case EQuadPath::Blend:
        ShadeTileOfKind<EQuadPath::Blend>(bins, tile, participant);
        break;
    default:
        ShadeTileAs<EQuadPath::General, EPixelKind::General>(bins, tile, participant);
        break;
    }
}
