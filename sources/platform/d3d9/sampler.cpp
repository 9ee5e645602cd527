#include "platform/d3d9/sampler.h"

#include "platform/d3d9/floatpixels.h"
#include "platform/d3d9/format.h"
#include "platform/d3d9/simdlevel.h"
#include "platform/d3d9/texel.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <immintrin.h>

namespace
{
// The texel index of coordinate `i` on a level of `size` texels; -1 for the border colour.
int Address(int i, int size, DWORD mode)
{
    if (i >= 0 && i < size)
        return i;
    switch (mode)
    {
    case D3DTADDRESS_WRAP: {
        const int r = i % size;
        return r < 0 ? r + size : r;
    }
    case D3DTADDRESS_MIRROR: {
        const int period = 2 * size;
        int r = i % period;
        if (r < 0)
            r += period;
        return r < size ? r : period - 1 - r;
    }
    case D3DTADDRESS_BORDER:
        return -1;
    case D3DTADDRESS_MIRRORONCE: {
        const int mirrored = i < 0 ? -i - 1 : i;
        return std::min(mirrored, size - 1);
    }
    default: // CLAMP
        return std::clamp(i, 0, size - 1);
    }
}

// One texel as (r, g, b, a).
__m128 Fetch(const TSamplerStage& stage, const TSamplerLevel& level, int x, int y, int z)
{
    x = Address(x, level.width, stage.address[0]);
    y = Address(y, level.height, stage.address[1]);
    z = level.depth > 1 ? Address(z, level.depth, stage.address[2]) : 0;
    if (x < 0 || y < 0 || z < 0)
        return _mm_loadu_ps(stage.border);
    std::uint32_t word;
    switch (stage.path)
    {
    case TSamplerStage::EPath::Argb:
        std::memcpy(&word, level.bits + z * level.slicePitch + y * level.pitch + x * 4, 4);
        if (stage.opaque)
            word |= 0xFF000000u;
        break;
    case TSamplerStage::EPath::Decoded:
        word = level.decoded[(size_t(z) * level.height + y) * level.width + x];
        break;
    default: {
        float rgba[4];
        const UINT bytes = FindFormat(stage.format)->bits / 8;
        ReadTexel(stage.format, level.bits + z * level.slicePitch + y * level.pitch + x * bytes, rgba);
        return _mm_loadu_ps(rgba);
    }
    }
    const __m128i zero = _mm_setzero_si128();
    const __m128i wide = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(word)), zero), zero);
    const __m128 bgra = _mm_mul_ps(_mm_cvtepi32_ps(wide), _mm_set1_ps(1.0f / 255.0f));
    return _mm_shuffle_ps(bgra, bgra, _MM_SHUFFLE(3, 0, 1, 2));
}

__m128 Lerp4(__m128 a, __m128 b, float t)
{
    return _mm_add_ps(a, _mm_mul_ps(_mm_sub_ps(b, a), _mm_set1_ps(t)));
}

// Four texels of one lane's result into the quad's channels.
TQuadVector Transpose(__m128 lane0, __m128 lane1, __m128 lane2, __m128 lane3)
{
    _MM_TRANSPOSE4_PS(lane0, lane1, lane2, lane3);
    return {lane0, lane1, lane2, lane3};
}

float Lane(const TQuad& q, int i)
{
    return q[i];
}

// The filtered value of one lane at (u, v, w) in texels of `level`.
__m128 Filter(const TSamplerStage& stage, const TSamplerLevel& level, bool linear, float u, float v, float w)
{
    const bool volume = stage.kind == D3DRTYPE_VOLUMETEXTURE;
    if (!linear)
    {
        return Fetch(stage, level, int(std::floor(u * float(level.width))),
                     int(std::floor(v * float(level.height))),
                     volume ? int(std::floor(w * float(level.depth))) : 0);
    }
    const float x = u * float(level.width) - 0.5f, y = v * float(level.height) - 0.5f;
    const float fx0 = std::floor(x), fy0 = std::floor(y);
    const int x0 = int(fx0), y0 = int(fy0);
    const float ax = x - fx0, ay = y - fy0;
    auto bilinear = [&](int z) {
        const __m128 top = Lerp4(Fetch(stage, level, x0, y0, z), Fetch(stage, level, x0 + 1, y0, z), ax);
        const __m128 bottom =
            Lerp4(Fetch(stage, level, x0, y0 + 1, z), Fetch(stage, level, x0 + 1, y0 + 1, z), ax);
        return Lerp4(top, bottom, ay);
    };
    if (!volume || level.depth == 1)
        return bilinear(0);
    const float z = w * float(level.depth) - 0.5f;
    const float fz0 = std::floor(z);
    return Lerp4(bilinear(int(fz0)), bilinear(int(fz0) + 1), z - fz0);
}

// The level of detail of a quad from its texel-space derivatives.
float QuadLod(const TSamplerLevel& level, const TQuad& u, const TQuad& v, const TQuad* w)
{
    const float dudx = (Lane(u, 1) - Lane(u, 0)) * float(level.width);
    const float dvdx = (Lane(v, 1) - Lane(v, 0)) * float(level.height);
    const float dudy = (Lane(u, 2) - Lane(u, 0)) * float(level.width);
    const float dvdy = (Lane(v, 2) - Lane(v, 0)) * float(level.height);
    float dx = dudx * dudx + dvdx * dvdx, dy = dudy * dudy + dvdy * dvdy;
    if (w)
    {
        const float dwdx = (Lane(*w, 1) - Lane(*w, 0)) * float(level.depth);
        const float dwdy = (Lane(*w, 2) - Lane(*w, 0)) * float(level.depth);
        dx += dwdx * dwdx;
        dy += dwdy * dwdy;
    }
    const float rho = std::max(dx, dy);
    if (!(rho > 0.0f))
        return -100.0f;
    // log2 from the exponent bits and a quadratic over the mantissa: a hundredth of a level
    // is close enough for choosing levels.
    std::uint32_t bits;
    std::memcpy(&bits, &rho, 4);
    const int exponent = int((bits >> 23) & 0xFF) - 127;
    const std::uint32_t mantissaBits = (bits & 0x7FFFFFu) | 0x3F800000u;
    float m;
    std::memcpy(&m, &mantissaBits, 4);
    return 0.5f * (float(exponent) + (-0.34484843f * m + 2.02466578f) * m - 1.67487759f);
}

// Floor of four lanes as integers (SSE2 has no rounding instruction).
// Addresses four lanes of texel indices lane by lane.
[[gnu::noinline]] __m128i AddressLanes(__m128i coordinates, int size, DWORD mode)
{
    alignas(16) int lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), coordinates);
    for (int& lane : lanes)
        lane = Address(lane, size, mode);
    return _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
}

// Addresses four lanes of texel indices; in-range lanes (the common case) are left alone, tested
// where the caller is.
[[gnu::always_inline]] inline __m128i AddressQuad(__m128i coordinates, int size, DWORD mode)
{
    const __m128i outside = _mm_or_si128(_mm_cmplt_epi32(coordinates, _mm_setzero_si128()),
                                         _mm_cmpgt_epi32(coordinates, _mm_set1_epi32(size - 1)));
    if (_mm_movemask_epi8(outside) == 0)
        return coordinates;
    return AddressLanes(coordinates, size, mode);
}

// What wraps texel indices into a level of `size` where the texture repeats with a power-of-two
// size (size - 1), or leaves them as they are (all ones), as a mask.
int WrapMask(int size, DWORD mode)
{
    return mode == D3DTADDRESS_WRAP && (size & (size - 1)) == 0 ? size - 1 : -1;
}

inline __m128i WrapFirst(__m128i coordinates, int mask)
{
    return _mm_and_si128(coordinates, _mm_set1_epi32(mask));
}

// The border colour as an A8R8G8B8 word.
std::uint32_t BorderWord(const TSamplerStage& stage)
{
    std::uint32_t border = std::uint32_t(stage.border[3] * 255.0f + 0.5f) << 24;
    for (int c = 0; c < 3; ++c)
        border |= std::uint32_t(stage.border[2 - c] * 255.0f + 0.5f) << (8 * c);
    return border;
}

// What the A8R8G8B8 quad filter reads of a stage and one of its levels.
struct TArgbLevel
{
    const std::uint8_t* bits;
    int width, height, pitch;
    DWORD addressU, addressV;
    bool opaque, linear;
    std::uint32_t border; // the border colour as a word
    int wrapX, wrapY;     // WrapMask of each direction
};

TArgbLevel ArgbLevel(const TSamplerStage& stage, const TSamplerLevel& level, bool linear)
{
    return {level.bits,       level.width,  level.height, level.pitch, stage.address[0],
            stage.address[1], stage.opaque, linear,       stage.borderWord,
            WrapMask(level.width, stage.address[0]), WrapMask(level.height, stage.address[1])};
}

// Bilinear filtering of one lane in 8-bit fixed point: `top` holds the texels (x0, y0) and
// (x0 + 1, y0) as two BGRA words, `bottom` the two below them. `vertical` and `horizontal`
// pair the weights of the first and second texel (256 - w, w) in each 32-bit element, w in
// [0, 256]. Columns are blended first, then the two across, each rounded to 8 bits.
// Answers (b, g, r, a) in 0..255.
inline __m128i FilterLane(__m128i top, __m128i bottom, __m128i vertical, __m128i horizontal)
{
    const __m128i zero = _mm_setzero_si128(), round = _mm_set1_epi32(128);
    // (x0, y0) and (x0, y0 + 1) side by side in each channel, then the same for x0 + 1.
    const __m128i pairs = _mm_unpacklo_epi8(top, bottom);
    const __m128i left = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(pairs, zero), vertical), round);
    const __m128i right = _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi8(pairs, zero), vertical), round);
    // The two columns side by side again: left in the low and right in the high 16 bits.
    const __m128i columns =
        _mm_or_si128(_mm_srli_epi32(left, 8), _mm_slli_epi32(_mm_srli_epi32(right, 8), 16));
    return _mm_srli_epi32(_mm_add_epi32(_mm_madd_epi16(columns, horizontal), round), 8);
}

// A weight w in [0, 256] (or 0x80000000, which weighs 0 as FilterLane takes its low 16 bits)
// as w * 128 in both 16-bit halves of its lane, 256 as 32767: the factor BlendChannels takes.
[[gnu::target("avx2")]] inline __m256i ChannelWeights(__m256i w)
{
    const __m256i scaled = _mm256_min_epi32(_mm256_slli_epi32(w, 7), _mm256_set1_epi32(32767));
    const __m256i lowHalves = _mm256_setr_epi8(0, 1, 0, 1, 4, 5, 4, 5, 8, 9, 8, 9, 12, 13, 12, 13, 0, 1, 0, 1, 4, 5, 4,
                                               5, 8, 9, 8, 9, 12, 13, 12, 13);
    return _mm256_shuffle_epi8(scaled, lowHalves);
}

// FilterLane's rounded blend a * (256 - w) + b * w on 16-bit channels, as a + (d * w + 128) >> 8
// for d = b - a: the same integer, as a * 256 passes through the shift whole. pmulhrsw of d and
// w * 128 rounds (d * w * 128 + 2^14) >> 15, which is that shift exactly; for w = 256 it
// answers d from 32767 as well, since |d| < 2^14.
[[gnu::target("avx2")]] inline __m256i BlendChannels(__m256i a, __m256i b, __m256i weights)
{
    return _mm256_add_epi16(a, _mm256_mulhrs_epi16(_mm256_sub_epi16(b, a), weights));
}

// Blue and red of each word in the low bytes of its 16-bit halves.
[[gnu::target("avx2")]] inline __m256i EvenBytes(__m256i words)
{
    return _mm256_and_si256(words, _mm256_set1_epi32(0x00FF00FF));
}

// Green and alpha of each word in the low bytes of its 16-bit halves, by a shuffle rather than
// a shift: shifts and multiplies share the same two ports.
[[gnu::target("avx2")]] inline __m256i OddBytes(__m256i words)
{
    const char zero = char(0x80);
    const __m256i odd = _mm256_setr_epi8(1, zero, 3, zero, 5, zero, 7, zero, 9, zero, 11, zero, 13, zero, 15, zero, 1,
                                         zero, 3, zero, 5, zero, 7, zero, 9, zero, 11, zero, 13, zero, 15, zero);
    return _mm256_shuffle_epi8(words, odd);
}

// Each lane's texels (x0, y0), (x0 + 1, y0), (x0, y0 + 1) and (x0 + 1, y0 + 1) filtered as
// FilterLane filters them, to the same bits: the texels split into their even bytes (blue,
// red) and odd ones (green, alpha) so that every channel blends in a 16-bit lane, columns
// first. Answers one word per lane, (b, g, r, a) in its bytes.
[[gnu::target("avx2")]] inline __m256i BlendTexels(__m256i w00, __m256i w10, __m256i w01, __m256i w11, __m256i wx,
                                                   __m256i wy)
{
    const __m256i horizontal = ChannelWeights(wx), vertical = ChannelWeights(wy);
    const __m256i even = BlendChannels(BlendChannels(EvenBytes(w00), EvenBytes(w01), vertical),
                                       BlendChannels(EvenBytes(w10), EvenBytes(w11), vertical), horizontal);
    const __m256i odd = BlendChannels(BlendChannels(OddBytes(w00), OddBytes(w01), vertical),
                                      BlendChannels(OddBytes(w10), OddBytes(w11), vertical), horizontal);
    return _mm256_or_si256(even, _mm256_slli_epi16(odd, 8));
}

// The four lanes of a quad whose texels all lie inside the level, gathered and blended as
// BlendTexels does for eight: the same bits as FilterLane.
[[gnu::target("avx2")]] __m128i FilterInsideAvx2(const TArgbLevel& level, __m128i x0, __m128i y0, __m128i wx,
                                                 __m128i wy)
{
    const __m128i offsets =
        _mm_add_epi32(_mm_mullo_epi32(y0, _mm_set1_epi32(level.pitch)), _mm_slli_epi32(x0, 2));
    const int* bits = reinterpret_cast<const int*>(level.bits);
    const int* below = reinterpret_cast<const int*>(level.bits + level.pitch);
    const __m256i w00 = _mm256_castsi128_si256(_mm_i32gather_epi32(bits, offsets, 1));
    const __m256i w10 = _mm256_castsi128_si256(_mm_i32gather_epi32(bits + 1, offsets, 1));
    const __m256i w01 = _mm256_castsi128_si256(_mm_i32gather_epi32(below, offsets, 1));
    const __m256i w11 = _mm256_castsi128_si256(_mm_i32gather_epi32(below + 1, offsets, 1));
    return _mm256_castsi256_si128(
        BlendTexels(w00, w10, w01, w11, _mm256_castsi128_si256(wx), _mm256_castsi128_si256(wy)));
}

// A8R8G8B8 and X8R8G8B8 levels sampled for the whole quad at once, as one A8R8G8B8 word per
// lane; `Wide` gathers the texels of quads inside the level with AVX2.
template <bool Wide>
[[gnu::always_inline]] inline __m128i FilterArgbQuad(const TArgbLevel& level, const TQuad& u, const TQuad& v)
{
    const std::uint32_t opaque = level.opaque ? 0xFF000000u : 0u;
    const bool linear = level.linear;
    const DWORD address[2] = {level.addressU, level.addressV};
    // Scalar stores and loads only: a vector load of words just stored one by one would stall.
    auto gather = [&](__m128i xs, __m128i ys, std::uint32_t words[4]) {
        alignas(16) int x[4], y[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(x), xs);
        _mm_store_si128(reinterpret_cast<__m128i*>(y), ys);
        for (int lane = 0; lane < 4; ++lane)
        {
            if (x[lane] < 0 || y[lane] < 0)
                words[lane] = level.border;
            else
            {
                std::memcpy(&words[lane], level.bits + y[lane] * level.pitch + x[lane] * 4, 4);
                words[lane] |= opaque;
            }
        }
    };
    __m128 x = _mm_mul_ps(u.v, _mm_set1_ps(float(level.width)));
    __m128 y = _mm_mul_ps(v.v, _mm_set1_ps(float(level.height)));
    if (!linear)
    {
        std::uint32_t words[4];
        gather(AddressQuad(WrapFirst(FloorLanes(x), level.wrapX), level.width, address[0]),
               AddressQuad(WrapFirst(FloorLanes(y), level.wrapY), level.height,
                           address[1]),
               words);
        return _mm_setr_epi32(int(words[0]), int(words[1]), int(words[2]), int(words[3]));
    }
    x = _mm_sub_ps(x, _mm_set1_ps(0.5f));
    y = _mm_sub_ps(y, _mm_set1_ps(0.5f));
    const __m128i unwrappedX0 = FloorLanes(x), unwrappedY0 = FloorLanes(y);
    // Weights of the right and lower texels in 1/256ths, as the hardware of the time had,
    // paired with those of the left and upper ones. They lie in [0, 256]: coordinates too
    // large to convert give 0x80000000, whose low 16 bits weigh 0.
    const __m128 scale = _mm_set1_ps(256.0f);
    const __m128i wx = _mm_cvtps_epi32(_mm_mul_ps(_mm_sub_ps(x, _mm_cvtepi32_ps(unwrappedX0)), scale));
    const __m128i wy = _mm_cvtps_epi32(_mm_mul_ps(_mm_sub_ps(y, _mm_cvtepi32_ps(unwrappedY0)), scale));
    auto pairWeights = [](__m128i w) {
        return _mm_or_si128(_mm_and_si128(_mm_sub_epi32(_mm_set1_epi32(256), w), _mm_set1_epi32(0xFFFF)),
                            _mm_slli_epi32(w, 16));
    };
    const __m128i horizontal = pairWeights(wx), vertical = pairWeights(wy);

    // Repeated textures of power-of-two sizes are wrapped first, so that only the seams need
    // addressing: the texels of x0 and of x0 + width are the same.
    const __m128i x0 = WrapFirst(unwrappedX0, level.wrapX);
    const __m128i y0 = WrapFirst(unwrappedY0, level.wrapY);
    // Every lane's 2x2 texels inside the level (x0 in [0, width - 2], y0 in [0, height - 2]),
    // the common case: each row of two is one load, no addressing.
    const __m128i outside =
        _mm_or_si128(_mm_or_si128(x0, _mm_sub_epi32(_mm_set1_epi32(level.width - 2), x0)),
                     _mm_or_si128(y0, _mm_sub_epi32(_mm_set1_epi32(level.height - 2), y0)));
    const bool inside = _mm_movemask_ps(_mm_castsi128_ps(outside)) == 0;
    if constexpr (Wide)
    {
        if (inside)
            return _mm_or_si128(FilterInsideAvx2(level, x0, y0, wx, wy), _mm_set1_epi32(int(opaque)));
    }
    // The filtered texel of each lane as (b, g, r, a).
    __m128i lane0, lane1, lane2, lane3;
    {
        // The four texels of each lane as two rows of two words.
        __m128i top[4], bottom[4];
        if (inside)
        {
            // Byte offsets y0 * pitch + x0 * 4 (SSE2 multiplies 32-bit lanes two at a time).
            const __m128i pitch = _mm_set1_epi32(level.pitch);
            const __m128i even = _mm_mul_epu32(y0, pitch), odd = _mm_mul_epu32(_mm_srli_epi64(y0, 32), pitch);
            const __m128i offsets =
                _mm_add_epi32(_mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(3, 1, 2, 0)),
                                                 _mm_shuffle_epi32(odd, _MM_SHUFFLE(3, 1, 2, 0))),
                              _mm_slli_epi32(x0, 2));
            auto load = [&](int offset, int lane) {
                const std::uint8_t* texels = level.bits + offset;
                top[lane] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(texels));
                bottom[lane] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(texels + level.pitch));
            };
            load(_mm_cvtsi128_si32(offsets), 0);
            load(_mm_cvtsi128_si32(_mm_shuffle_epi32(offsets, 0x55)), 1);
            load(_mm_cvtsi128_si32(_mm_shuffle_epi32(offsets, 0xAA)), 2);
            load(_mm_cvtsi128_si32(_mm_shuffle_epi32(offsets, 0xFF)), 3);
        }
        else
        {
            const __m128i one = _mm_set1_epi32(1);
            // The general path, from the coordinates as they came.
            const __m128i ax0 = AddressQuad(unwrappedX0, level.width, address[0]);
            const __m128i ax1 = AddressQuad(_mm_add_epi32(unwrappedX0, one), level.width, address[0]);
            const __m128i ay0 = AddressQuad(unwrappedY0, level.height, address[1]);
            const __m128i ay1 = AddressQuad(_mm_add_epi32(unwrappedY0, one), level.height, address[1]);
            std::uint32_t w00[4], w10[4], w01[4], w11[4];
            gather(ax0, ay0, w00);
            gather(ax1, ay0, w10);
            gather(ax0, ay1, w01);
            gather(ax1, ay1, w11);
            for (int lane = 0; lane < 4; ++lane)
            {
                top[lane] =
                    _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(w00[lane])), _mm_cvtsi32_si128(int(w10[lane])));
                bottom[lane] =
                    _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(w01[lane])), _mm_cvtsi32_si128(int(w11[lane])));
            }
        }
        lane0 = FilterLane(top[0], bottom[0], _mm_shuffle_epi32(vertical, 0x00),
                              _mm_shuffle_epi32(horizontal, 0x00));
        lane1 = FilterLane(top[1], bottom[1], _mm_shuffle_epi32(vertical, 0x55),
                              _mm_shuffle_epi32(horizontal, 0x55));
        lane2 = FilterLane(top[2], bottom[2], _mm_shuffle_epi32(vertical, 0xAA),
                              _mm_shuffle_epi32(horizontal, 0xAA));
        lane3 = FilterLane(top[3], bottom[3], _mm_shuffle_epi32(vertical, 0xFF),
                              _mm_shuffle_epi32(horizontal, 0xFF));
    }
    // Lanes of (b, g, r, a) bytes, in 0..255, packed into words of that byte order.
    const __m128i words = _mm_packus_epi16(_mm_packs_epi32(lane0, lane1), _mm_packs_epi32(lane2, lane3));
    // X8R8G8B8 texels read their alpha as 255, and filter to it; only a border colour differs.
    return level.opaque && inside ? _mm_or_si128(words, _mm_set1_epi32(int(0xFF000000u))) : words;
}

// The whole quad filter compiled for AVX2: its SSE arithmetic in the shorter encoding too.
[[gnu::target("avx2")]] __m128i FilterArgbQuadAvx2(const TArgbLevel& level, const TQuad& u, const TQuad& v)
{
    return FilterArgbQuad<true>(level, u, v);
}

// FilterArgbQuad at the level of instructions chosen at start.
[[gnu::always_inline]] inline __m128i FilterArgb(const TSamplerStage& stage, const TSamplerLevel& level,
                                                 bool linear, const TQuad& u, const TQuad& v)
{
    const TArgbLevel argb = ArgbLevel(stage, level, linear);
    if (RasteriserSimdLevel() == ESimdLevel::Avx2)
        return FilterArgbQuadAvx2(argb, u, v);
    return FilterArgbQuad<false>(argb, u, v);
}

// Rows y in [0, height) times the pitch. Where both fit in 15 bits they multiply as 16-bit
// pairs (the upper halves are zero), in half the time of a 32-bit multiply.
[[gnu::target("avx2")]] inline __m256i RowOffsets(__m256i y, __m256i pitch, bool shortRows)
{
    return shortRows ? _mm256_madd_epi16(y, pitch) : _mm256_mullo_epi32(y, pitch);
}

// Two bilinear quads as FilterArgbQuad<true> filters them, a pixel to each of eight lanes:
// coordinates, weights, the inside test and BlendTexels at once. On textures repeated both
// ways with power-of-two sizes, seams read the wrapped coordinates (what addressing them
// answers). Answers false, with nothing written, for other quads with a texel outside the
// level: they take the quad filter.
[[gnu::target("avx2")]] inline bool FilterTwoQuads(const TArgbLevel& level, __m256 u, __m256 v, __m256i& words)
{
    const __m256 half = _mm256_set1_ps(0.5f);
    const __m256 x = _mm256_sub_ps(_mm256_mul_ps(u, _mm256_set1_ps(float(level.width))), half);
    const __m256 y = _mm256_sub_ps(_mm256_mul_ps(v, _mm256_set1_ps(float(level.height))), half);
    // Coordinates in 1/256ths of a texel: the floor and the weight FilterArgbQuad rounds from
    // the fraction at once, since the scaling is exact and rounds alike. A fraction rounding up
    // to a whole texel moves to the next one with weight 0, which blends to the same channels.
    // Lanes too far out to convert take the quad filter.
    const __m256 scale = _mm256_set1_ps(256.0f);
    const __m256i fixedX = _mm256_cvtps_epi32(_mm256_mul_ps(x, scale));
    const __m256i fixedY = _mm256_cvtps_epi32(_mm256_mul_ps(y, scale));
    const __m256i unconverted = _mm256_set1_epi32(INT_MIN);
    if (_mm256_movemask_ps(_mm256_castsi256_ps(
            _mm256_or_si256(_mm256_cmpeq_epi32(fixedX, unconverted), _mm256_cmpeq_epi32(fixedY, unconverted)))))
        return false;
    const __m256i unwrappedX0 = _mm256_srai_epi32(fixedX, 8), unwrappedY0 = _mm256_srai_epi32(fixedY, 8);
    const __m256i wrapX = _mm256_set1_epi32(level.wrapX), wrapY = _mm256_set1_epi32(level.wrapY);
    const __m256i x0 = _mm256_and_si256(unwrappedX0, wrapX);
    const __m256i y0 = _mm256_and_si256(unwrappedY0, wrapY);
    const __m256i outside =
        _mm256_or_si256(_mm256_or_si256(x0, _mm256_sub_epi32(_mm256_set1_epi32(level.width - 2), x0)),
                        _mm256_or_si256(y0, _mm256_sub_epi32(_mm256_set1_epi32(level.height - 2), y0)));
    const bool inside = _mm256_movemask_ps(_mm256_castsi256_ps(outside)) == 0;
    if (!inside && (level.wrapX < 0 || level.wrapY < 0))
        return false;
    const __m256i pitch = _mm256_set1_epi32(level.pitch);
    const bool shortRows = level.pitch < 32768 && level.height <= 32768;
    const __m256i rowOffsets = RowOffsets(y0, pitch, shortRows);
    const __m256i offsets = _mm256_add_epi32(rowOffsets, _mm256_slli_epi32(x0, 2));
    // Each pixel's texels (x0, y0), (x0 + 1, y0), (x0, y0 + 1) and (x0 + 1, y0 + 1).
    __m256i w00, w10, w01, w11;
    const int* bits = reinterpret_cast<const int*>(level.bits);
    if (inside)
    {
        const int* below = reinterpret_cast<const int*>(level.bits + level.pitch);
        w00 = _mm256_i32gather_epi32(bits, offsets, 1);
        w10 = _mm256_i32gather_epi32(bits + 1, offsets, 1);
        w01 = _mm256_i32gather_epi32(below, offsets, 1);
        w11 = _mm256_i32gather_epi32(below + 1, offsets, 1);
    }
    else
    {
        const __m256i one = _mm256_set1_epi32(1);
        const __m256i x1 = _mm256_and_si256(_mm256_add_epi32(unwrappedX0, one), wrapX);
        const __m256i y1 = _mm256_and_si256(_mm256_add_epi32(unwrappedY0, one), wrapY);
        const __m256i lower = RowOffsets(y1, pitch, shortRows), right = _mm256_slli_epi32(x1, 2);
        w00 = _mm256_i32gather_epi32(bits, offsets, 1);
        w10 = _mm256_i32gather_epi32(bits, _mm256_add_epi32(rowOffsets, right), 1);
        w01 = _mm256_i32gather_epi32(bits, _mm256_add_epi32(lower, _mm256_slli_epi32(x0, 2)), 1);
        w11 = _mm256_i32gather_epi32(bits, _mm256_add_epi32(lower, right), 1);
    }
    const __m256i fraction = _mm256_set1_epi32(255);
    const __m256i wx = _mm256_and_si256(fixedX, fraction), wy = _mm256_and_si256(fixedY, fraction);
    // X8R8G8B8 texels read their alpha as 255 and filter to it.
    const __m256i opaque = _mm256_set1_epi32(level.opaque ? int(0xFF000000u) : 0);
    words = _mm256_or_si256(BlendTexels(w00, w10, w01, w11, wx, wy), opaque);
    return true;
}

// Two quads filtered at once where FilterTwoQuads serves them, else each alone. The lanes come
// in registers: stored as two quads and loaded as one row, the load would wait for both stores
// to reach the cache.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i FilterPair(const TArgbLevel& level, const TQuadPair& u,
                                                                      const TQuadPair& v)
{
    __m256i pair;
    if (level.linear && FilterTwoQuads(level, u.v, v.v, pair))
        return pair;
    return _mm256_setr_m128i(FilterArgbQuad<true>(level, FirstQuad(u), FirstQuad(v)),
                             FilterArgbQuad<true>(level, SecondQuad(u), SecondQuad(v)));
}

// The row two quads at a time, each quad loaded as it was stored. The level is made here, not
// passed: a copy of it would be read back whole just after being written.
[[gnu::target("avx2")]] void FilterArgbRowAvx2(const TSamplerStage& stage, const TSamplerLevel& source,
                                               bool linear, const TQuad* u, const TQuad* v, int count,
                                               __m128i* words)
{
    const TArgbLevel level = ArgbLevel(stage, source, linear);
    int i = 0;
    for (; i + 2 <= count; i += 2)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(words + i),
                            FilterPair(level, TQuadPair(u[i], u[i + 1]), TQuadPair(v[i], v[i + 1])));
    for (; i < count; ++i)
        words[i] = FilterArgbQuad<true>(level, u[i], v[i]);
}

// Texels a row's filters may read, at most, for the row to be tried as one colour, and the
// quads it must have: a shorter row is filtered sooner than looked at.
constexpr int kUniformRowTexels = 64;
constexpr int kUniformRowQuads = 4;

// The texels [x0, x1] x [y0, y1] the filters of lanes between `low` and `high` ((u, v, u, v))
// weigh; false where they reach outside the level or number more than kUniformRowTexels.
bool Footprint(const TSamplerLevel& level, __m128 low, __m128 high, int (&texels)[4])
{
    const __m128 size = _mm_setr_ps(float(level.width), float(level.height), float(level.width),
                                    float(level.height));
    const __m128 half = _mm_set1_ps(0.5f);
    // Not a number and coordinates too large to convert floor to INT_MIN, which fails below.
    const __m128i first = FloorLanes(_mm_sub_ps(_mm_mul_ps(low, size), half));
    const __m128i last = FloorLanes(_mm_sub_ps(_mm_mul_ps(high, size), half));
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(last, _mm_set1_epi32(INT_MIN))))
        return false;
    alignas(16) int lanes[2][4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes[0]), first);
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes[1]), _mm_add_epi32(last, _mm_set1_epi32(1)));
    const int x0 = std::min(lanes[0][0], lanes[0][2]), y0 = std::min(lanes[0][1], lanes[0][3]);
    const int x1 = std::max(lanes[1][0], lanes[1][2]), y1 = std::max(lanes[1][1], lanes[1][3]);
    if (x0 < 0 || y0 < 0 || x1 >= level.width || y1 >= level.height || x1 < x0 || y1 < y0 ||
        (x1 - x0 + 1) * (y1 - y0 + 1) > kUniformRowTexels)
        return false;
    texels[0] = x0;
    texels[1] = y0;
    texels[2] = x1;
    texels[3] = y1;
    return true;
}

// A row of quads whose filters weigh texels that are all one word (a panel's middle stretched
// from a few texels): that word in every lane, as filtering equal texels answers them whatever
// the weights. False, with nothing written, where the texels differ, lie outside the level
// (addressing) or are too many to look at. A lane's filter weighs texels floor(x - 1/2) and the
// next (where its weight rounds up to the next, that one and one of weight 0); point sampling
// reads floor(x), one of those.
bool UniformRow(const TSamplerStage& stage, const TSamplerLevel& level, const TQuad* u, const TQuad* v, int count,
                __m128i* words)
{
    int texels[4];
    // The least and greatest u and v of the lanes so far; their sum turns not a number when one
    // is, which drops out of a minimum.
    __m128 lowU = _mm_set1_ps(INFINITY), highU = _mm_set1_ps(-INFINITY), lowV = lowU, highV = highU;
    __m128 sum = _mm_setzero_ps();
    const auto take = [&](int i) {
        lowU = _mm_min_ps(lowU, u[i].v);
        highU = _mm_max_ps(highU, u[i].v);
        lowV = _mm_min_ps(lowV, v[i].v);
        highV = _mm_max_ps(highV, v[i].v);
        sum = _mm_add_ps(sum, _mm_add_ps(u[i].v, v[i].v));
    };
    // As (u, v, u, v), lanes folded onto each other.
    const auto footprint = [&] {
        return Footprint(level, _mm_min_ps(_mm_unpacklo_ps(lowU, lowV), _mm_unpackhi_ps(lowU, lowV)),
                         _mm_max_ps(_mm_unpacklo_ps(highU, highV), _mm_unpackhi_ps(highU, highV)), texels);
    };
    // The row's two ends first: where they alone weigh too many texels or some outside the
    // level, so does the row, at the cost of one quad's look.
    take(0);
    take(count - 1);
    if (!footprint())
        return false;
    for (int i = 1; i + 1 < count; ++i)
        take(i);
    if (_mm_movemask_ps(_mm_cmpunord_ps(sum, sum)) || !footprint())
        return false;
    const int x0 = texels[0], y0 = texels[1], x1 = texels[2], y1 = texels[3];
    const std::uint32_t opaque = stage.opaque ? 0xFF000000u : 0u;
    std::uint32_t word;
    std::memcpy(&word, level.bits + y0 * level.pitch + x0 * 4, 4);
    word |= opaque;
    for (int y = y0; y <= y1; ++y)
    {
        for (int x = x0; x <= x1; ++x)
        {
            std::uint32_t texel;
            std::memcpy(&texel, level.bits + y * level.pitch + x * 4, 4);
            if ((texel | opaque) != word)
                return false;
        }
    }
    std::fill(words, words + count, _mm_set1_epi32(int(word)));
    return true;
}

// FilterArgbQuad over a row of quads; the level is a local copy so that it stays in registers,
// as the vector stores could alias the stage.
void FilterArgbRowSse2(const TSamplerStage& stage, const TSamplerLevel& source, bool linear, const TQuad* u,
                       const TQuad* v, int count, __m128i* words)
{
    const TArgbLevel level = ArgbLevel(stage, source, linear);
    for (int i = 0; i < count; ++i)
        words[i] = FilterArgbQuad<false>(level, u[i], v[i]);
}

// The quad path: one level of detail for the four lanes, as the lane path chooses levels.
TQuadVector SampleArgbQuad(const TSamplerStage& stage, float lod, const TQuad& u, const TQuad& v)
{
    const int first = stage.firstLevel, last = stage.lastLevel;
    if (lod <= 0.0f || stage.mipFilter == D3DTEXF_NONE || first == last)
    {
        const bool linear = (lod <= 0.0f ? stage.magFilter : stage.minFilter) >= D3DTEXF_LINEAR;
        return UnpackArgb(FilterArgb(stage, stage.levels[0][first], linear, u, v));
    }
    const bool linear = stage.minFilter >= D3DTEXF_LINEAR;
    const float position = std::min(float(first) + lod, float(last));
    if (stage.mipFilter == D3DTEXF_POINT)
        return UnpackArgb(FilterArgb(stage, stage.levels[0][int(std::floor(position + 0.5f))], linear, u, v));
    const int lower = int(std::floor(position));
    const int upper = std::min(lower + 1, last);
    const TQuadVector a = UnpackArgb(FilterArgb(stage, stage.levels[0][lower], linear, u, v));
    const TQuadVector b = UnpackArgb(FilterArgb(stage, stage.levels[0][upper], linear, u, v));
    const TQuad t = position - float(lower);
    return {Lerp(a.x, b.x, t), Lerp(a.y, b.y, t), Lerp(a.z, b.z, t), Lerp(a.w, b.w, t)};
}

// Filters one lane at a level of detail: magnification, one mip level or two.
__m128 SampleLane(const TSamplerStage& stage, int face, float lod, float u, float v, float w)
{
    const int first = stage.firstLevel, last = stage.lastLevel;
    if (lod <= 0.0f || stage.mipFilter == D3DTEXF_NONE || first == last)
    {
        const bool linear = (lod <= 0.0f ? stage.magFilter : stage.minFilter) >= D3DTEXF_LINEAR;
        return Filter(stage, stage.levels[face][first], linear, u, v, w);
    }
    const bool linear = stage.minFilter >= D3DTEXF_LINEAR;
    const float position = std::min(float(first) + lod, float(last));
    if (stage.mipFilter == D3DTEXF_POINT)
        return Filter(stage, stage.levels[face][int(std::floor(position + 0.5f))], linear, u, v, w);
    const int lower = int(std::floor(position));
    const int upper = std::min(lower + 1, last);
    const __m128 a = Filter(stage, stage.levels[face][lower], linear, u, v, w);
    const __m128 b = Filter(stage, stage.levels[face][upper], linear, u, v, w);
    return Lerp4(a, b, position - float(lower));
}

const TQuadVector kUnbound = {0.0f, 0.0f, 0.0f, 1.0f};

// The stage's border colour on the lanes of `border` (all bits set), the texels elsewhere.
void PaintBorderLanes(const TSamplerStage& stage, __m128i border, TQuadVector& texels)
{
    if (_mm_movemask_epi8(border) == 0)
        return;
    const __m128 lanes = _mm_castsi128_ps(border);
    TQuad* const channels[4] = {&texels.x, &texels.y, &texels.z, &texels.w};
    for (int c = 0; c < 4; ++c)
        channels[c]->v =
            _mm_or_ps(_mm_and_ps(lanes, _mm_set1_ps(stage.border[c])), _mm_andnot_ps(lanes, channels[c]->v));
}

// Four lanes of a stage that samples floats at points, where some lane lies outside the level:
// the texels' indices as Filter finds them, addressed as Fetch does, then the four texels
// converted together; lanes addressed to the border take its colour.
TQuadVector SampleFloatPoint(const TSamplerStage& stage, const TQuad& u, const TQuad& v)
{
    const TSamplerLevel& level = stage.levels[0][stage.firstLevel];
    const __m128i x = AddressQuad(FloorLanes(_mm_mul_ps(u.v, _mm_set1_ps(float(level.width)))), level.width,
                                  stage.address[0]);
    const __m128i y = AddressQuad(FloorLanes(_mm_mul_ps(v.v, _mm_set1_ps(float(level.height)))), level.height,
                                  stage.address[1]);
    const __m128i zero = _mm_setzero_si128();
    const __m128i border = _mm_or_si128(_mm_cmplt_epi32(x, zero), _mm_cmplt_epi32(y, zero));
    // Border lanes read texel (0, 0) meanwhile.
    TQuadVector result = floatpixels::GatherTexels(level.bits, level.pitch, stage.format == D3DFMT_R32F ? 4 : 8,
                                                   _mm_andnot_si128(border, x), _mm_andnot_si128(border, y));
    PaintBorderLanes(stage, border, result);
    return result;
}

// Four texels of each lane weighed by the lane's fractions across (ax) and down (ay).
TQuadVector Bilinear(const TQuadVector& t00, const TQuadVector& t10, const TQuadVector& t01, const TQuadVector& t11,
                     const TQuad& ax, const TQuad& ay)
{
    auto lerp = [](const TQuad& a, const TQuad& b, const TQuad& t) { return a + (b - a) * t; };
    auto channel = [&](const TQuad& c00, const TQuad& c10, const TQuad& c01, const TQuad& c11) {
        return lerp(lerp(c00, c10, ax), lerp(c01, c11, ax), ay);
    };
    return {channel(t00.x, t10.x, t01.x, t11.x), channel(t00.y, t10.y, t01.y, t11.y),
            channel(t00.z, t10.z, t01.z, t11.z), channel(t00.w, t10.w, t01.w, t11.w)};
}

// Four lanes of a stage that filters floats bilinearly, where every lane's 2x2 texels lie inside
// the level: Filter's arithmetic on the four lanes at once, the texels converted together.
// Answers false (and nothing) where some lane's texels do not.
bool SampleFloatLinearInside(const TSamplerStage& stage, const TQuad& u, const TQuad& v, TQuadVector& out)
{
    const TSamplerLevel& level = stage.levels[0][stage.firstLevel];
    const __m128 x = _mm_sub_ps(_mm_mul_ps(u.v, _mm_set1_ps(float(level.width))), _mm_set1_ps(0.5f));
    const __m128 y = _mm_sub_ps(_mm_mul_ps(v.v, _mm_set1_ps(float(level.height))), _mm_set1_ps(0.5f));
    const __m128i x0 = FloorLanes(x), y0 = FloorLanes(y);
    const __m128i outside =
        _mm_or_si128(_mm_or_si128(x0, _mm_sub_epi32(_mm_set1_epi32(level.width - 2), x0)),
                     _mm_or_si128(y0, _mm_sub_epi32(_mm_set1_epi32(level.height - 2), y0)));
    if (_mm_movemask_ps(_mm_castsi128_ps(outside)) != 0)
        return false;
    const TQuad ax(_mm_sub_ps(x, _mm_cvtepi32_ps(x0))), ay(_mm_sub_ps(y, _mm_cvtepi32_ps(y0)));
    const int bytes = stage.format == D3DFMT_R32F ? 4 : 8;
    const __m128i one = _mm_set1_epi32(1);
    const __m128i x1 = _mm_add_epi32(x0, one), y1 = _mm_add_epi32(y0, one);
    const TQuadVector t00 = floatpixels::GatherTexels(level.bits, level.pitch, bytes, x0, y0);
    const TQuadVector t10 = floatpixels::GatherTexels(level.bits, level.pitch, bytes, x1, y0);
    const TQuadVector t01 = floatpixels::GatherTexels(level.bits, level.pitch, bytes, x0, y1);
    const TQuadVector t11 = floatpixels::GatherTexels(level.bits, level.pitch, bytes, x1, y1);
    out = Bilinear(t00, t10, t01, t11, ax, ay);
    return true;
}

// SampleFloatLinearInside where some lane's texels lie outside the level (the last row and column
// of a scaled-down image): Filter's indices addressed as Fetch addresses them, four lanes at a
// time, texels addressed to the border its colour; the same arithmetic. Answers false (and
// nothing) where a lane's coordinate in texels is not a number or too large for its floor to be
// an exact integer.
bool SampleFloatLinearAddressed(const TSamplerStage& stage, const TQuad& u, const TQuad& v, TQuadVector& out)
{
    const TSamplerLevel& level = stage.levels[0][stage.firstLevel];
    const __m128 x = _mm_sub_ps(_mm_mul_ps(u.v, _mm_set1_ps(float(level.width))), _mm_set1_ps(0.5f));
    const __m128 y = _mm_sub_ps(_mm_mul_ps(v.v, _mm_set1_ps(float(level.height))), _mm_set1_ps(0.5f));
    const __m128 limit = _mm_set1_ps(1073741824.0f);
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const __m128 small =
        _mm_and_ps(_mm_cmplt_ps(_mm_and_ps(x, magnitude), limit), _mm_cmplt_ps(_mm_and_ps(y, magnitude), limit));
    if (_mm_movemask_ps(small) != 0xF)
        return false;
    const __m128i x0 = FloorLanes(x), y0 = FloorLanes(y);
    const TQuad ax(_mm_sub_ps(x, _mm_cvtepi32_ps(x0))), ay(_mm_sub_ps(y, _mm_cvtepi32_ps(y0)));
    const __m128i one = _mm_set1_epi32(1);
    const __m128i columns[2] = {AddressQuad(x0, level.width, stage.address[0]),
                                AddressQuad(_mm_add_epi32(x0, one), level.width, stage.address[0])};
    const __m128i rows[2] = {AddressQuad(y0, level.height, stage.address[1]),
                             AddressQuad(_mm_add_epi32(y0, one), level.height, stage.address[1])};
    const int bytes = stage.format == D3DFMT_R32F ? 4 : 8;
    const __m128i zero = _mm_setzero_si128();
    auto texels = [&](__m128i column, __m128i row) {
        const __m128i border = _mm_or_si128(_mm_cmplt_epi32(column, zero), _mm_cmplt_epi32(row, zero));
        // Border lanes read texel (0, 0) meanwhile.
        TQuadVector t = floatpixels::GatherTexels(level.bits, level.pitch, bytes, _mm_andnot_si128(border, column),
                                                  _mm_andnot_si128(border, row));
        PaintBorderLanes(stage, border, t);
        return t;
    };
    const TQuadVector t00 = texels(columns[0], rows[0]), t10 = texels(columns[1], rows[0]);
    const TQuadVector t01 = texels(columns[0], rows[1]), t11 = texels(columns[1], rows[1]);
    out = Bilinear(t00, t10, t01, t11, ax, ay);
    return true;
}

// Four lanes of a stage that samples R5G6B5 at points (the luminance reductions' taps): Filter's
// indices addressed as Fetch addresses them, border lanes its colour, and ReadTexel's division of
// each field, the four lanes at once. Answers false (and nothing) where a lane's coordinate in
// texels is not a number or too large for the floor of every lane to be an exact integer.
bool SampleR5G6B5Point(const TSamplerStage& stage, const TQuad& u, const TQuad& v, TQuadVector& out)
{
    const TSamplerLevel& level = stage.levels[0][stage.firstLevel];
    const __m128 tx = _mm_mul_ps(u.v, _mm_set1_ps(float(level.width)));
    const __m128 ty = _mm_mul_ps(v.v, _mm_set1_ps(float(level.height)));
    const __m128 limit = _mm_set1_ps(1073741824.0f);
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const __m128 small = _mm_and_ps(_mm_cmplt_ps(_mm_and_ps(tx, magnitude), limit),
                                    _mm_cmplt_ps(_mm_and_ps(ty, magnitude), limit));
    if (_mm_movemask_ps(small) != 0xF)
        return false;
    const __m128i x = AddressQuad(FloorLanes(tx), level.width, stage.address[0]);
    const __m128i y = AddressQuad(FloorLanes(ty), level.height, stage.address[1]);
    const __m128i zero = _mm_setzero_si128();
    const __m128i border = _mm_or_si128(_mm_cmplt_epi32(x, zero), _mm_cmplt_epi32(y, zero));
    // Border lanes read texel (0, 0) meanwhile.
    alignas(16) int xs[4], ys[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(xs), _mm_andnot_si128(border, x));
    _mm_store_si128(reinterpret_cast<__m128i*>(ys), _mm_andnot_si128(border, y));
    std::uint16_t words[4];
    for (int lane = 0; lane < 4; ++lane)
        std::memcpy(&words[lane], level.bits + ys[lane] * level.pitch + xs[lane] * 2, 2);
    out = R5G6B5Texels(_mm_setr_epi32(words[0], words[1], words[2], words[3]));
    PaintBorderLanes(stage, border, out);
    return true;
}

// Whether the four lanes hold the same bits.
[[gnu::always_inline]] inline bool SameInEveryLane(const TQuad& x)
{
    const __m128i bits = _mm_castps_si128(x.v);
    return _mm_movemask_epi8(_mm_cmpeq_epi32(bits, _mm_shuffle_epi32(bits, 0))) == 0xFFFF;
}
} // namespace

void TSamplerSet::Bind(int stage, TTextureStore* texture, const DWORD* states, UINT lodClamp)
{
    TSamplerStage& s = stages_[stage];
    if (!texture)
    {
        s.path = TSamplerStage::EPath::None;
        return;
    }
    s.kind = texture->Kind();
    s.format = texture->StoreFormat();
    s.opaque = s.format == D3DFMT_X8R8G8B8;
    if (s.format == D3DFMT_A8R8G8B8 || s.format == D3DFMT_X8R8G8B8)
        s.path = TSamplerStage::EPath::Argb;
    else if (IsBlockFormat(s.format))
        s.path = TSamplerStage::EPath::Decoded;
    else
        s.path = TSamplerStage::EPath::Texel;
    s.levelCount = int(std::min(texture->StoredLevels(), 16u));
    for (UINT face = 0; face < texture->Faces() && face < 6; ++face)
    {
        for (int level = 0; level < s.levelCount; ++level)
        {
            TImage& image = texture->Image(face, UINT(level));
            s.levels[face][level] = {
                image.Bits(),           s.path == TSamplerStage::EPath::Decoded ? image.Decoded() : nullptr,
                int(image.Width()),     int(image.Height()),
                int(image.Depth()),     int(image.Pitch()),
                int(image.SlicePitch())};
        }
    }
    s.lastLevel = s.levelCount - 1;
    s.firstLevel = std::min(int(std::max(states[D3DSAMP_MAXMIPLEVEL], DWORD(lodClamp))), s.lastLevel);
    for (int i = 0; i < 3; ++i)
        s.address[i] = states[D3DSAMP_ADDRESSU + i];
    s.clampsEdges = s.address[0] == D3DTADDRESS_CLAMP && s.address[1] == D3DTADDRESS_CLAMP;
    s.magFilter = states[D3DSAMP_MAGFILTER];
    s.minFilter = states[D3DSAMP_MINFILTER];
    s.mipFilter = states[D3DSAMP_MIPFILTER];
    std::memcpy(&s.lodBias, &states[D3DSAMP_MIPMAPLODBIAS], 4);
    s.lodMatters = s.firstLevel != s.lastLevel || s.magFilter != s.minFilter;
    s.floatPoint = s.path == TSamplerStage::EPath::Texel && s.kind == D3DRTYPE_TEXTURE && !s.lodMatters &&
                   s.magFilter < D3DTEXF_LINEAR && (s.format == D3DFMT_A16B16G16R16F || s.format == D3DFMT_R32F);
    s.argbPoint = s.path == TSamplerStage::EPath::Argb && s.kind == D3DRTYPE_TEXTURE && !s.lodMatters &&
                  s.magFilter < D3DTEXF_LINEAR;
    s.rgb565Point = s.path == TSamplerStage::EPath::Texel && s.kind == D3DRTYPE_TEXTURE && !s.lodMatters &&
                    s.magFilter < D3DTEXF_LINEAR && s.format == D3DFMT_R5G6B5;
    const DWORD border = states[D3DSAMP_BORDERCOLOR];
    s.border[0] = float((border >> 16) & 0xFF) / 255.0f;
    s.border[1] = float((border >> 8) & 0xFF) / 255.0f;
    s.border[2] = float(border & 0xFF) / 255.0f;
    s.border[3] = float(border >> 24) / 255.0f;
    s.borderWord = BorderWord(s);
}

TQuadVector TSamplerSet::SampleAny(int stage, TQuad u, TQuad v) const
{
    const TSamplerStage& s = stages_[stage];
    if (s.path == TSamplerStage::EPath::None)
        return kUnbound;
    if (SamplesWords(stage))
    {
        // At points inside the level (the blurs' taps of a small target) the four words are
        // read straight; addressing changes none of them.
        if (s.magFilter < D3DTEXF_LINEAR)
        {
            const TSamplerLevel& level = s.levels[0][s.firstLevel];
            const __m128i x = FloorLanes(_mm_mul_ps(u.v, _mm_set1_ps(float(level.width))));
            const __m128i y = FloorLanes(_mm_mul_ps(v.v, _mm_set1_ps(float(level.height))));
            const __m128i outside =
                _mm_or_si128(_mm_or_si128(x, _mm_sub_epi32(_mm_set1_epi32(level.width - 1), x)),
                             _mm_or_si128(y, _mm_sub_epi32(_mm_set1_epi32(level.height - 1), y)));
            if (_mm_movemask_ps(_mm_castsi128_ps(outside)) == 0)
            {
                alignas(16) int xs[4], ys[4];
                _mm_store_si128(reinterpret_cast<__m128i*>(xs), x);
                _mm_store_si128(reinterpret_cast<__m128i*>(ys), y);
                std::uint32_t words[4];
                for (int lane = 0; lane < 4; ++lane)
                    std::memcpy(&words[lane], level.bits + ys[lane] * level.pitch + xs[lane] * 4, 4);
                const __m128i opaque = _mm_set1_epi32(s.opaque ? int(0xFF000000u) : 0);
                return UnpackArgb(_mm_or_si128(
                    _mm_setr_epi32(int(words[0]), int(words[1]), int(words[2]), int(words[3])), opaque));
            }
        }
        // With one usable level and one filter the level of detail decides nothing: the
        // common case goes straight to the level.
        return UnpackArgb(SampleWords(stage, u, v));
    }
    if (s.floatPoint)
        return SampleFloatPoint(s, u, v);
    // A float level filtered bilinearly (the scene scaled down), as floatPoint but linear; the
    // last row and column of the smaller image address their texels.
    if (s.path == TSamplerStage::EPath::Texel && s.kind == D3DRTYPE_TEXTURE && !s.lodMatters &&
        s.magFilter >= D3DTEXF_LINEAR && (s.format == D3DFMT_A16B16G16R16F || s.format == D3DFMT_R32F))
    {
        TQuadVector filtered;
        if (SampleFloatLinearInside(s, u, v, filtered) || SampleFloatLinearAddressed(s, u, v, filtered))
            return filtered;
    }
    if (s.path == TSamplerStage::EPath::Texel && s.kind == D3DRTYPE_TEXTURE && !s.lodMatters &&
        s.magFilter < D3DTEXF_LINEAR && s.format == D3DFMT_R5G6B5)
    {
        TQuadVector texels;
        if (SampleR5G6B5Point(s, u, v, texels))
            return texels;
    }
    const float lod = s.lodMatters ? QuadLod(s.levels[0][s.firstLevel], u, v, nullptr) + s.lodBias : 0.0f;
    if (s.path == TSamplerStage::EPath::Argb)
        return SampleArgbQuad(s, lod, u, v);
    // One place in every lane (a value a whole draw reads, as a reduction's last texel): one
    // texel's work, its channels in every lane.
    if (SameInEveryLane(u) && SameInEveryLane(v))
    {
        const __m128 texel = SampleLane(s, 0, lod, u[0], v[0], 0.0f);
        return Transpose(texel, texel, texel, texel);
    }
    return Transpose(SampleLane(s, 0, lod, u[0], v[0], 0.0f), SampleLane(s, 0, lod, u[1], v[1], 0.0f),
                     SampleLane(s, 0, lod, u[2], v[2], 0.0f), SampleLane(s, 0, lod, u[3], v[3], 0.0f));
}

bool TSamplerSet::SamplesWords(int stage) const
{
    const TSamplerStage& s = stages_[stage];
    return s.path == TSamplerStage::EPath::Argb && !s.lodMatters;
}

__m128i TSamplerSet::SampleWords(int stage, TQuad u, TQuad v) const
{
    const TSamplerStage& s = stages_[stage];
    return FilterArgb(s, s.levels[0][s.firstLevel], s.magFilter >= D3DTEXF_LINEAR, u, v);
}

[[gnu::target("avx2")]] void TSamplerSet::SampleWordsPair(int stage, const TQuadPair& u, const TQuadPair& v, TWordPair& words) const
{
    const TSamplerStage& s = stages_[stage];
    words.v = FilterPair(ArgbLevel(s, s.levels[0][s.firstLevel], s.magFilter >= D3DTEXF_LINEAR), u, v);
}

void TSamplerSet::SampleWordsRow(int stage, const TQuad* u, const TQuad* v, int count, __m128i* words) const
{
    const TSamplerStage& s = stages_[stage];
    const TSamplerLevel& level = s.levels[0][s.firstLevel];
    const bool linear = s.magFilter >= D3DTEXF_LINEAR;
    if (count >= kUniformRowQuads && UniformRow(s, level, u, v, count, words))
        return;
    if (RasteriserSimdLevel() == ESimdLevel::Avx2)
        FilterArgbRowAvx2(s, level, linear, u, v, count, words);
    else
        FilterArgbRowSse2(s, level, linear, u, v, count, words);
}

TQuadVector TSamplerSet::SampleLevel(int stage, TQuad u, TQuad v, TQuad lod) const
{
    const TSamplerStage& s = stages_[stage];
    if (s.path == TSamplerStage::EPath::None)
        return kUnbound;
    __m128 lanes[4];
    for (int i = 0; i < 4; ++i)
        lanes[i] = SampleLane(s, 0, lod[i] + s.lodBias, u[i], v[i], 0.0f);
    return Transpose(lanes[0], lanes[1], lanes[2], lanes[3]);
}

TQuadVector TSamplerSet::SampleCube(int stage, TQuad x, TQuad y, TQuad z) const
{
    const TSamplerStage& s = stages_[stage];
    if (s.path == TSamplerStage::EPath::None || s.kind != D3DRTYPE_CUBETEXTURE)
        return kUnbound;
    int faces[4];
    float su[4], sv[4];
    for (int i = 0; i < 4; ++i)
    {
        const float ax = std::fabs(x[i]), ay = std::fabs(y[i]), az = std::fabs(z[i]);
        float sc, tc, ma;
        if (ax >= ay && ax >= az)
        {
            faces[i] = x[i] >= 0.0f ? 0 : 1;
            sc = x[i] >= 0.0f ? -z[i] : z[i];
            tc = -y[i];
            ma = ax;
        }
        else if (ay >= az)
        {
            faces[i] = y[i] >= 0.0f ? 2 : 3;
            sc = x[i];
            tc = y[i] >= 0.0f ? z[i] : -z[i];
            ma = ay;
        }
        else
        {
            faces[i] = z[i] >= 0.0f ? 4 : 5;
            sc = z[i] >= 0.0f ? x[i] : -x[i];
            tc = -y[i];
            ma = az;
        }
        ma = ma > 0.0f ? ma : 1.0f;
        su[i] = (sc / ma + 1.0f) * 0.5f;
        sv[i] = (tc / ma + 1.0f) * 0.5f;
    }
    const TQuad u = TQuad::Lanes(su[0], su[1], su[2], su[3]), v = TQuad::Lanes(sv[0], sv[1], sv[2], sv[3]);
    const bool sameFace = faces[0] == faces[1] && faces[0] == faces[2];
    const float lod = (sameFace ? QuadLod(s.levels[0][s.firstLevel], u, v, nullptr) : 0.0f) + s.lodBias;
    // Cube faces clamp at their edges.
    TSamplerStage clamped = s;
    clamped.address[0] = clamped.address[1] = D3DTADDRESS_CLAMP;
    __m128 lanes[4];
    for (int i = 0; i < 4; ++i)
        lanes[i] = SampleLane(clamped, faces[i], lod, su[i], sv[i], 0.0f);
    return Transpose(lanes[0], lanes[1], lanes[2], lanes[3]);
}

TQuadVector TSamplerSet::SampleVolume(int stage, TQuad u, TQuad v, TQuad w) const
{
    const TSamplerStage& s = stages_[stage];
    if (s.path == TSamplerStage::EPath::None)
        return kUnbound;
    const float lod = QuadLod(s.levels[0][s.firstLevel], u, v, &w) + s.lodBias;
    __m128 lanes[4];
    for (int i = 0; i < 4; ++i)
        lanes[i] = SampleLane(s, 0, lod, u[i], v[i], w[i]);
    return Transpose(lanes[0], lanes[1], lanes[2], lanes[3]);
}
