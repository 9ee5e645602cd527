#include "platform/d3dx9/gdipixels.h"

#include <algorithm>
#include <immintrin.h>
#include <cstring>
#include <vector>

namespace
{
// Weights of the halftone filter: the covered share of a source pixel, in 1/65536.
constexpr std::uint32_t kWeightOne = 65536;

// x / 255 rounded, exact for 0 <= x <= 255 x 255.
inline std::uint32_t Divide255(std::uint32_t x)
{
    x += 128;
    return (x + (x >> 8)) >> 8;
}

RECT Intersect(const RECT& a, const RECT& b)
{
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

bool IsEmpty(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

// A copy-shaped operation (same size on both sides) clipped to both views: the offsets of the
// first pixel on each side and the size left; false when nothing is left.
struct TSpan
{
    int x, y, sourceX, sourceY, width, height;
};

bool ClipSpan(const TGdiPixels& target, const TGdiPixels& source, TSpan& s)
{
    if (s.width <= 0 || s.height <= 0)
        return false;
    // The target's drawable part and the whole source.
    const RECT& to = target.bounds;
    const int skipX = std::max({0, to.left - s.x, -s.sourceX});
    const int skipY = std::max({0, to.top - s.y, -s.sourceY});
    s.x += skipX, s.sourceX += skipX, s.width -= skipX;
    s.y += skipY, s.sourceY += skipY, s.height -= skipY;
    s.width = std::min({s.width, to.right - s.x, source.width - s.sourceX});
    s.height = std::min({s.height, to.bottom - s.y, source.height - s.sourceY});
    return s.width > 0 && s.height > 0;
}

// Along one axis: what each target pixel of [first, last) takes from the source. Every target
// pixel has taps weights, zero past its own count, so that the filter's loops have one shape.
struct TTaps
{
    int taps = 0;                      // the most source pixels a target pixel covers
    std::vector<int> start;            // first source pixel of each target pixel
    std::vector<int> count;            // how many source pixels it covers
    std::vector<std::uint32_t> weight; // taps weights a target pixel, target pixel after target pixel
};

// overlap x 65536 / S, in 32 bits while the product fits.
std::uint32_t Share(std::int64_t overlap, std::int64_t S)
{
    if (overlap < std::int64_t(kWeightOne))
        return std::uint32_t(overlap) * kWeightOne / std::uint32_t(S);
    return std::uint32_t(overlap * kWeightOne / S);
}

// Target pixel i (of targetLength) covers the source interval [i S / D, (i + 1) S / D) of the
// sourceLength pixels starting at sourceStart: measured in units of 1 / D of a source pixel it is
// [i S, (i + 1) S), and source pixel j covers [j D, (j + 1) D). Both advance by additions: one
// division finds the first source pixel, one a target pixel's share of its first source pixel
// (the ones after it are covered whole, up to the last, which takes the rest).
TTaps BoxTaps(int first, int last, int targetLength, int sourceStart, int sourceLength)
{
    const std::int64_t S = sourceLength, D = targetLength;
    const std::uint32_t whole = Share(std::min(S, D), S);
    const std::size_t n = std::size_t(last - first);
    std::vector<std::uint32_t> weights;
    weights.reserve(n * std::size_t(S / D + 2));
    std::vector<int> offset(n);
    TTaps taps;
    taps.start.resize(n);
    taps.count.resize(n);
    std::int64_t from = first * S;
    int j = int(from / D);
    std::int64_t pixel = j * D; // where source pixel j begins
    for (std::size_t i = 0; i < n; ++i)
    {
        const std::int64_t to = from + S;
        taps.start[i] = sourceStart + j;
        offset[i] = int(weights.size());
        std::uint32_t sum = 0;
        // Source pixels from j on while they begin before the target pixel ends.
        for (std::int64_t end = pixel + D; end < to; pixel = end, end += D, ++j)
        {
            const std::uint32_t w = pixel < from ? Share(end - from, S) : whole;
            sum += w;
            weights.push_back(w);
        }
        weights.push_back(kWeightOne - sum); // the rounding's rest, so that the weights sum to one
        taps.count[i] = int(weights.size()) - offset[i];
        taps.taps = std::max(taps.taps, taps.count[i]);
        // The next target pixel begins at to: in pixel j, or in the next one when j ends there.
        if (pixel + D == to)
            pixel += D, ++j;
        from = to;
    }
    taps.weight.assign(n * std::size_t(taps.taps), 0u);
    for (std::size_t i = 0; i < n; ++i)
        std::copy_n(&weights[std::size_t(offset[i])], taps.count[i], &taps.weight[i * std::size_t(taps.taps)]);
    return taps;
}

// Across a row all taps are read, zero weights too: a target pixel whose taps would run past the
// source's end reads from further left, its weights moved right by as much.
void KeepTapsInside(TTaps& across, int sourceEnd)
{
    const int n = across.taps;
    for (std::size_t i = 0; i < across.start.size(); ++i)
    {
        const int shift = across.start[i] + n - sourceEnd;
        if (shift <= 0)
            continue;
        across.start[i] -= shift;
        std::uint32_t* w = &across.weight[i * std::size_t(n)];
        std::copy_backward(w, w + n - shift, w + n);
        std::fill_n(w, shift, 0u);
    }
}

void StretchNearest(const TGdiPixels& target, const RECT& visible, const RECT& area, const TGdiPixels& source,
                    const RECT& sourceArea)
{
    const std::int64_t D = area.right - area.left, S = sourceArea.right - sourceArea.left;
    const std::int64_t DH = area.bottom - area.top, SH = sourceArea.bottom - sourceArea.top;
    std::vector<int> columns;
    for (int x = visible.left; x < visible.right; ++x)
        columns.push_back(sourceArea.left + int(((2 * (x - area.left) + 1) * S) / (2 * D)));
    for (int y = visible.top; y < visible.bottom; ++y)
    {
        const std::uint32_t* from = source.Row(sourceArea.top + int(((2 * (y - area.top) + 1) * SH) / (2 * DH)));
        std::uint32_t* to = target.Row(y) + visible.left;
        for (std::size_t i = 0; i < columns.size(); ++i)
            to[i] = from[columns[i]];
    }
}

// The box filter's two steps, each in plain code and with 256-bit vectors. Across: one source
// row's pixels (from the first pixel of the row) into the channels of width target pixels, x 256,
// rounded. Down: the count rows of channels, weighted, into bytes (values first .. values - 1).
void FilterAcross(const TTaps& across, const std::uint8_t* from, int width, std::uint16_t* to)
{
    const int n = across.taps;
    for (int x = 0; x < width; ++x)
    {
        const std::uint8_t* p = from + std::size_t(across.start[x]) * 4;
        const std::uint32_t* w = &across.weight[std::size_t(x) * n];
        std::uint32_t channel[4] = {};
        for (int j = 0; j < n; ++j, p += 4)
            for (int c = 0; c < 4; ++c)
                channel[c] += p[c] * w[j];
        for (int c = 0; c < 4; ++c)
            to[x * 4 + c] = std::uint16_t((channel[c] + 128) >> 8);
    }
}

void SumDown(const std::uint16_t* const* rows, const std::uint32_t* weights, int count, int first, int values,
             std::uint8_t* to)
{
    for (int i = first; i < values; ++i)
    {
        std::uint32_t sum = 0;
        for (int k = 0; k < count; ++k)
            sum += rows[k][i] * weights[k];
        to[i] = std::uint8_t((sum + (1u << 23)) >> 24);
    }
}

// Two taps at a time: two source pixels widened to eight 32-bit channels, times their weights
// each spread over its pixel's four.
__attribute__((target("avx2"))) void FilterAcrossAvx2(const TTaps& across, const std::uint8_t* from, int width,
                                                      std::uint16_t* to)
{
    const int n = across.taps;
    const __m256i spread = _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1);
    const __m128i half = _mm_set1_epi32(128);
    for (int x = 0; x < width; ++x)
    {
        const std::uint8_t* p = from + std::size_t(across.start[x]) * 4;
        const std::uint32_t* w = &across.weight[std::size_t(x) * n];
        __m256i pairs = _mm256_setzero_si256();
        int j = 0;
        for (; j + 2 <= n; j += 2)
        {
            const __m256i pixels = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + j * 4)));
            const __m256i weights = _mm256_permutevar8x32_epi32(
                _mm256_castsi128_si256(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(w + j))), spread);
            pairs = _mm256_add_epi32(pairs, _mm256_mullo_epi32(pixels, weights));
        }
        __m128i sum = _mm_add_epi32(_mm256_castsi256_si128(pairs), _mm256_extracti128_si256(pairs, 1));
        if (j < n)
        {
            std::int32_t last;
            std::memcpy(&last, p + j * 4, 4);
            sum = _mm_add_epi32(sum, _mm_mullo_epi32(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(last)),
                                                     _mm_set1_epi32(std::int32_t(w[j]))));
        }
        sum = _mm_srli_epi32(_mm_add_epi32(sum, half), 8);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(to + x * 4), _mm_packus_epi32(sum, sum));
    }
}

// Sixteen channels at a time: the rows' 16-bit channels widened to 32 bits, weighted and summed,
// then narrowed to bytes (packing works within 128-bit lanes: the permute puts them in order).
__attribute__((target("avx2"))) void SumDownAvx2(const std::uint16_t* const* rows, const std::uint32_t* weights,
                                                 int count, int values, std::uint8_t* to)
{
    const __m256i half = _mm256_set1_epi32(1 << 23);
    int i = 0;
    for (; i + 16 <= values; i += 16)
    {
        __m256i low = half, high = half;
        for (int k = 0; k < count; ++k)
        {
            const __m256i channels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[k] + i));
            const __m256i weight = _mm256_set1_epi32(std::int32_t(weights[k]));
            low = _mm256_add_epi32(
                low, _mm256_mullo_epi32(_mm256_cvtepu16_epi32(_mm256_castsi256_si128(channels)), weight));
            high = _mm256_add_epi32(
                high, _mm256_mullo_epi32(_mm256_cvtepu16_epi32(_mm256_extracti128_si256(channels, 1)), weight));
        }
        const __m256i words = _mm256_permute4x64_epi64(
            _mm256_packus_epi32(_mm256_srli_epi32(low, 24), _mm256_srli_epi32(high, 24)), 0xD8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i),
                         _mm_packus_epi16(_mm256_castsi256_si128(words), _mm256_extracti128_si256(words, 1)));
    }
    SumDown(rows, weights, count, i, values, to);
}

// Whether the processor has vectors of that width.
bool HasVectors(EGdiVectors vectors)
{
    static const bool s_bAvx2 = __builtin_cpu_supports("avx2");
    static const bool s_bAvx512 = s_bAvx2 && __builtin_cpu_supports("avx512bw");
    return vectors == EGdiVectors::Bits128 || (vectors == EGdiVectors::Bits256 ? s_bAvx2 : s_bAvx512);
}

void StretchBox(const TGdiPixels& target, const RECT& visible, const RECT& area, const TGdiPixels& source,
                const RECT& sourceArea, EGdiVectors vectors)
{
    TTaps across = BoxTaps(visible.left - area.left, visible.right - area.left, area.right - area.left,
                           sourceArea.left, sourceArea.right - sourceArea.left);
    KeepTapsInside(across, sourceArea.right);
    const TTaps down = BoxTaps(visible.top - area.top, visible.bottom - area.top, area.bottom - area.top,
                               sourceArea.top, sourceArea.bottom - sourceArea.top);
    const int width = visible.right - visible.left, values = width * 4;
    const bool wide = vectors >= EGdiVectors::Bits256 && HasVectors(EGdiVectors::Bits256);
    // Each source row is filtered across once: a target row sums down.count of them and the next
    // one starts at or after the first of them, so the last down.taps rows are all it needs.
    std::vector<std::uint16_t> kept(std::size_t(down.taps) * values);
    std::vector<const std::uint16_t*> rows(std::size_t(down.taps));
    const auto keptRow = [&](int sourceRow) { return &kept[std::size_t(sourceRow % down.taps) * values]; };
    int next = down.start[0];
    for (int y = 0; y < visible.bottom - visible.top; ++y)
    {
        const int first = down.start[y], count = down.count[y];
        for (next = std::max(next, first); next < first + count; ++next)
        {
            const auto* from = reinterpret_cast<const std::uint8_t*>(source.Row(next));
            if (wide)
                FilterAcrossAvx2(across, from, width, keptRow(next));
            else
                FilterAcross(across, from, width, keptRow(next));
        }
        for (int k = 0; k < count; ++k)
            rows[k] = keptRow(first + k);
        const std::uint32_t* weights = &down.weight[std::size_t(y) * down.taps];
        auto* to = reinterpret_cast<std::uint8_t*>(target.Row(visible.top + y) + visible.left);
        if (wide)
            SumDownAvx2(rows.data(), weights, count, values, to);
        else
            SumDown(rows.data(), weights, count, 0, values, to);
    }
}

// Sixteen bytes at a time in 16-bit lanes: 255 x 255 + 128 and the rounding step fit. The rest
// byte by byte.
void GdiBlendRowSse2(std::uint8_t* to, const std::uint8_t* from, int bytes, std::uint8_t alpha)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i weight = _mm_set1_epi16(alpha);
    const __m128i rest = _mm_set1_epi16(static_cast<short>(255 - alpha));
    const __m128i half = _mm_set1_epi16(128);
    // (x + (x >> 8)) >> 8 is (x x 257) >> 16.
    const __m128i scale = _mm_set1_epi16(257);
    const auto mix = [&](__m128i f, __m128i t) {
        const __m128i x = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(f, weight), _mm_mullo_epi16(t, rest)), half);
        return _mm_mulhi_epu16(x, scale);
    };
    int i = 0;
    for (; i + 16 <= bytes; i += 16)
    {
        const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to + i));
        const __m128i low = mix(_mm_unpacklo_epi8(f, zero), _mm_unpacklo_epi8(t, zero));
        const __m128i high = mix(_mm_unpackhi_epi8(f, zero), _mm_unpackhi_epi8(t, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), _mm_packus_epi16(low, high));
    }
    for (; i < bytes; ++i)
        to[i] = std::uint8_t(Divide255(from[i] * alpha + to[i] * (255u - alpha)));
}

// Each byte pair (source, target) biased by -128 to fit signed bytes and multiplied by (alpha,
// 255 - alpha) in one step: the sum, alpha x source + (255 - alpha) x target - 128 x 255, fits 16
// signed bits without saturating, and flipping its top bit adds the 32,640 back and the 128 of
// the rounding. Unpacking and packing work within each 128-bit lane, so the bytes come back in
// order.
__attribute__((target("avx2"))) void GdiBlendRowAvx2(std::uint8_t* to, const std::uint8_t* from, int bytes,
                                                     std::uint8_t alpha)
{
    const __m256i bias = _mm256_set1_epi8(static_cast<char>(0x80));
    const __m256i weights = _mm256_set1_epi16(static_cast<short>(alpha | (255 - alpha) << 8));
    const __m256i top = _mm256_set1_epi16(static_cast<short>(0x8000));
    const __m256i scale = _mm256_set1_epi16(257);
    const auto mix = [&](__m256i pairs) __attribute__((target("avx2"))) {
        return _mm256_mulhi_epu16(_mm256_xor_si256(_mm256_maddubs_epi16(weights, pairs), top), scale);
    };
    int i = 0;
    for (; i + 32 <= bytes; i += 32)
    {
        const __m256i f = _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + i)), bias);
        const __m256i t = _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(to + i)), bias);
        const __m256i low = mix(_mm256_unpacklo_epi8(f, t));
        const __m256i high = mix(_mm256_unpackhi_epi8(f, t));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + i), _mm256_packus_epi16(low, high));
    }
    GdiBlendRowSse2(to + i, from + i, bytes - i, alpha);
}

__attribute__((target("avx512bw"))) void GdiBlendRowAvx512(std::uint8_t* to, const std::uint8_t* from, int bytes,
                                                           std::uint8_t alpha)
{
    const __m512i bias = _mm512_set1_epi8(static_cast<char>(0x80));
    const __m512i weights = _mm512_set1_epi16(static_cast<short>(alpha | (255 - alpha) << 8));
    const __m512i top = _mm512_set1_epi16(static_cast<short>(0x8000));
    const __m512i scale = _mm512_set1_epi16(257);
    const auto mix = [&](__m512i pairs) __attribute__((target("avx512bw"))) {
        return _mm512_mulhi_epu16(_mm512_xor_si512(_mm512_maddubs_epi16(weights, pairs), top), scale);
    };
    int i = 0;
    for (; i + 64 <= bytes; i += 64)
    {
        const __m512i f = _mm512_xor_si512(_mm512_loadu_si512(from + i), bias);
        const __m512i t = _mm512_xor_si512(_mm512_loadu_si512(to + i), bias);
        const __m512i low = mix(_mm512_unpacklo_epi8(f, t));
        const __m512i high = mix(_mm512_unpackhi_epi8(f, t));
        _mm512_storeu_si512(to + i, _mm512_packus_epi16(low, high));
    }
    GdiBlendRowAvx2(to + i, from + i, bytes - i, alpha);
}

} // namespace

TGdiBlendRow GdiBlendRowFor(EGdiVectors vectors)
{
    if (vectors >= EGdiVectors::Bits512 && HasVectors(EGdiVectors::Bits512))
        return GdiBlendRowAvx512;
    if (vectors >= EGdiVectors::Bits256 && HasVectors(EGdiVectors::Bits256))
        return GdiBlendRowAvx2;
    return GdiBlendRowSse2;
}

std::uint32_t GdiPixelOf(DWORD colour)
{
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

void GdiFill(const TGdiPixels& target, RECT area, std::uint32_t pixel)
{
    area = Intersect(area, target.bounds);
    if (IsEmpty(area))
        return;
    // One row filled, then copied: the copy is the library's fastest loop.
    std::uint32_t* first = target.Row(area.top) + area.left;
    const std::size_t count = std::size_t(area.right - area.left);
    std::fill_n(first, count, pixel);
    for (int y = area.top + 1; y < area.bottom; ++y)
        std::memcpy(target.Row(y) + area.left, first, count * 4);
}

void GdiCopy(const TGdiPixels& target, int x, int y, const TGdiPixels& source, int sourceX, int sourceY, int width,
             int height)
{
    TSpan s{x, y, sourceX, sourceY, width, height};
    if (!ClipSpan(target, source, s))
        return;
    const std::size_t bytes = std::size_t(s.width) * 4;
    if (target.origin != source.origin)
    {
        // Rows in the order the source stores them: one stream through memory.
        const bool bottomUp = source.stride < 0;
        for (int i = 0; i < s.height; ++i)
        {
            const int row = bottomUp ? s.height - 1 - i : i;
            std::memcpy(target.Row(s.y + row) + s.x, source.Row(s.sourceY + row) + s.sourceX, bytes);
        }
        return;
    }
    // Within one bitmap rows may overlap, and rows moving down are copied from the bottom up.
    const bool upwards = s.y > s.sourceY;
    for (int i = 0; i < s.height; ++i)
    {
        const int row = upwards ? s.height - 1 - i : i;
        std::memmove(target.Row(s.y + row) + s.x, source.Row(s.sourceY + row) + s.sourceX, bytes);
    }
}

void GdiStretch(const TGdiPixels& target, RECT area, const TGdiPixels& source, RECT sourceArea, bool halftone,
                EGdiVectors vectors)
{
    const RECT visible = Intersect(area, target.bounds);
    if (IsEmpty(visible) || IsEmpty(area) || IsEmpty(sourceArea))
        return;
    const bool sameSize = area.right - area.left == sourceArea.right - sourceArea.left &&
                          area.bottom - area.top == sourceArea.bottom - sourceArea.top;
    if (sameSize)
        GdiCopy(target, area.left, area.top, source, sourceArea.left, sourceArea.top, area.right - area.left,
                area.bottom - area.top);
    else if (halftone)
        StretchBox(target, visible, area, source, sourceArea, vectors);
    else
        StretchNearest(target, visible, area, source, sourceArea);
}

void GdiBlend(const TGdiPixels& target, int x, int y, const TGdiPixels& source, int sourceX, int sourceY,
              int width, int height, std::uint8_t alpha)
{
    TSpan s{x, y, sourceX, sourceY, width, height};
    if (!ClipSpan(target, source, s))
        return;
    const TGdiBlendRow blendRow = GdiBlendRowFor(EGdiVectors::Widest);
    for (int row = 0; row < s.height; ++row)
        blendRow(reinterpret_cast<std::uint8_t*>(target.Row(s.y + row) + s.x),
                 reinterpret_cast<const std::uint8_t*>(source.Row(s.sourceY + row) + s.sourceX), s.width * 4, alpha);
}

void GdiDrawGlyph(const TGdiPixels& target, const RECT& clip, int x, int baseline, const TGlyphBitmap& glyph,
                  std::uint32_t pixel)
{
    const int left = x + glyph.left, top = baseline - glyph.top;
    const RECT area = Intersect(Intersect({left, top, left + glyph.width, top + glyph.height}, clip), target.bounds);
    if (IsEmpty(area))
        return;
    const std::uint8_t colour[4] = {std::uint8_t(pixel), std::uint8_t(pixel >> 8), std::uint8_t(pixel >> 16), 0};
    for (int py = area.top; py < area.bottom; ++py)
    {
        const std::uint8_t* coverage = glyph.coverage.data() + std::size_t(py - top) * glyph.width - left;
        auto* to = reinterpret_cast<std::uint8_t*>(target.Row(py));
        for (int px = area.left; px < area.right; ++px)
        {
            const std::uint32_t c = coverage[px];
            if (c == 0)
                continue;
            for (int k = 0; k < 3; ++k)
                to[px * 4 + k] = std::uint8_t(Divide255(colour[k] * c + to[px * 4 + k] * (255 - c)));
        }
    }
}
