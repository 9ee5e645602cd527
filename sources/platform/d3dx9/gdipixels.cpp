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

// Along one axis: what each target pixel of [first, last) takes from the source.
struct TTaps
{
    std::vector<int> start;           // first source pixel of each target pixel
    std::vector<int> count;           // how many source pixels it covers
    std::vector<std::uint32_t> weight; // their weights, target pixel after target pixel
    std::vector<int> offset;           // where each target pixel's weights begin
};

// Target pixel i (of targetLength) covers the source interval [i S / D, (i + 1) S / D) of the
// sourceLength pixels starting at sourceStart: measured in units of 1 / D of a source pixel it is
// [i S, (i + 1) S), and source pixel j covers [j D, (j + 1) D).
TTaps BoxTaps(int first, int last, int targetLength, int sourceStart, int sourceLength)
{
    TTaps taps;
    const std::int64_t S = sourceLength, D = targetLength;
    for (int i = first; i < last; ++i)
    {
        const std::int64_t from = i * S, to = (i + 1) * S;
        const int j0 = int(from / D), j1 = int((to - 1) / D);
        taps.start.push_back(sourceStart + j0);
        taps.count.push_back(j1 - j0 + 1);
        taps.offset.push_back(int(taps.weight.size()));
        std::uint32_t sum = 0;
        for (int j = j0; j <= j1; ++j)
        {
            const std::int64_t overlap = std::min<std::int64_t>(to, (j + 1) * D) - std::max<std::int64_t>(from, j * D);
            std::uint32_t w = std::uint32_t(overlap * kWeightOne / S);
            if (j == j1)
                w = kWeightOne - sum; // the rounding's rest, so that the weights sum to one
            sum += w;
            taps.weight.push_back(w);
        }
    }
    return taps;
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

void StretchBox(const TGdiPixels& target, const RECT& visible, const RECT& area, const TGdiPixels& source,
                const RECT& sourceArea)
{
    const TTaps across = BoxTaps(visible.left - area.left, visible.right - area.left, area.right - area.left,
                                 sourceArea.left, sourceArea.right - sourceArea.left);
    const TTaps down = BoxTaps(visible.top - area.top, visible.bottom - area.top, area.bottom - area.top,
                               sourceArea.top, sourceArea.bottom - sourceArea.top);
    const int width = visible.right - visible.left;
    // One source row filtered across, channels x 256, then the covered rows summed down.
    std::vector<std::uint32_t> row(std::size_t(width) * 4), sum(std::size_t(width) * 4);
    for (int y = 0; y < visible.bottom - visible.top; ++y)
    {
        std::fill(sum.begin(), sum.end(), 0u);
        for (int k = 0; k < down.count[y]; ++k)
        {
            const auto* from = reinterpret_cast<const std::uint8_t*>(source.Row(down.start[y] + k));
            for (int x = 0; x < width; ++x)
            {
                std::uint32_t channel[4] = {};
                const std::uint32_t* w = &across.weight[across.offset[x]];
                const std::uint8_t* p = from + std::size_t(across.start[x]) * 4;
                for (int j = 0; j < across.count[x]; ++j, p += 4)
                    for (int c = 0; c < 4; ++c)
                        channel[c] += p[c] * w[j];
                for (int c = 0; c < 4; ++c)
                    row[x * 4 + c] = (channel[c] + 128) >> 8;
            }
            const std::uint32_t weight = down.weight[down.offset[y] + k];
            for (std::size_t i = 0; i < sum.size(); ++i)
                sum[i] += row[i] * weight;
        }
        auto* to = reinterpret_cast<std::uint8_t*>(target.Row(visible.top + y) + visible.left);
        for (std::size_t i = 0; i < sum.size(); ++i)
            to[i] = std::uint8_t((sum[i] + (1u << 23)) >> 24);
    }
}
} // namespace

// Sixteen (or thirty-two) bytes at a time in 16-bit lanes: 255 x 255 + 128 and the rounding
// step fit. The rest byte by byte.
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

__attribute__((target("avx2"))) void GdiBlendRowAvx2(std::uint8_t* to, const std::uint8_t* from, int bytes,
                                                     std::uint8_t alpha)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i weight = _mm256_set1_epi16(alpha);
    const __m256i rest = _mm256_set1_epi16(static_cast<short>(255 - alpha));
    const __m256i half = _mm256_set1_epi16(128);
    const __m256i scale = _mm256_set1_epi16(257);
    const auto mix = [&](__m256i f, __m256i t) __attribute__((target("avx2"))) {
        const __m256i x =
            _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(f, weight), _mm256_mullo_epi16(t, rest)), half);
        return _mm256_mulhi_epu16(x, scale);
    };
    int i = 0;
    // Unpacking and packing work within each 128-bit half, so the bytes come back in order.
    for (; i + 32 <= bytes; i += 32)
    {
        const __m256i f = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + i));
        const __m256i t = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(to + i));
        const __m256i low = mix(_mm256_unpacklo_epi8(f, zero), _mm256_unpacklo_epi8(t, zero));
        const __m256i high = mix(_mm256_unpackhi_epi8(f, zero), _mm256_unpackhi_epi8(t, zero));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + i), _mm256_packus_epi16(low, high));
    }
    GdiBlendRowSse2(to + i, from + i, bytes - i, alpha);
}

bool GdiHasAvx2()
{
    static const bool s_bAvx2 = __builtin_cpu_supports("avx2");
    return s_bAvx2;
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
    // Within one bitmap, rows moving down are copied from the bottom up.
    const bool upwards = target.origin == source.origin && s.y > s.sourceY;
    for (int i = 0; i < s.height; ++i)
    {
        const int row = upwards ? s.height - 1 - i : i;
        std::memmove(target.Row(s.y + row) + s.x, source.Row(s.sourceY + row) + s.sourceX, std::size_t(s.width) * 4);
    }
}

void GdiStretch(const TGdiPixels& target, RECT area, const TGdiPixels& source, RECT sourceArea, bool halftone)
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
        StretchBox(target, visible, area, source, sourceArea);
    else
        StretchNearest(target, visible, area, source, sourceArea);
}

void GdiBlend(const TGdiPixels& target, int x, int y, const TGdiPixels& source, int sourceX, int sourceY,
              int width, int height, std::uint8_t alpha)
{
    TSpan s{x, y, sourceX, sourceY, width, height};
    if (!ClipSpan(target, source, s))
        return;
    const bool wide = GdiHasAvx2();
    for (int row = 0; row < s.height; ++row)
    {
        auto* to = reinterpret_cast<std::uint8_t*>(target.Row(s.y + row) + s.x);
        const auto* from = reinterpret_cast<const std::uint8_t*>(source.Row(s.sourceY + row) + s.sourceX);
        if (wide)
            GdiBlendRowAvx2(to, from, s.width * 4, alpha);
        else
            GdiBlendRowSse2(to, from, s.width * 4, alpha);
    }
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
