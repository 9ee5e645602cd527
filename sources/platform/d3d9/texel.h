#pragma once
// Texels as the sampler answers them where it samples to 8-bit channels: one A8R8G8B8 word per
// lane, and the same as channels over 255.
#include "platform/d3d9/quadpair.h"

#include <emmintrin.h>
#include <immintrin.h>

// Two quads' words. Wrapped, since code for any processor hands them on to AVX2 code, and a
// vector argument would pass differently between the two.
struct TWordPair
{
    __m256i v;
};

template <class L> struct TLaneWords;
template <> struct TLaneWords<TQuad>
{
    typedef __m128i Type;
};
template <> struct TLaneWords<TQuadPair>
{
    typedef TWordPair Type;
};

// Four A8R8G8B8 words, one per lane, as the quad's channels.
inline TQuadVector UnpackArgb(__m128i words)
{
    const __m128i byte = _mm_set1_epi32(0xFF);
    const __m128 scale = _mm_set1_ps(1.0f / 255.0f);
    auto channel = [&](int shift) {
        return TQuad(_mm_mul_ps(_mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(words, shift), byte)), scale));
    };
    return {channel(16), channel(8), channel(0), channel(24)};
}

// Byte `index` (0 blue .. 3 alpha) of each of eight A8R8G8B8 words, as integers: one byte
// shuffle, where a shift and a mask take two.
[[gnu::target("avx2")]] inline __m256i ByteOfWords(__m256i words, int index)
{
    const char z = char(0x80), i = char(index);
    return _mm256_shuffle_epi8(words,
                               _mm256_setr_epi8(i, z, z, z, i + 4, z, z, z, i + 8, z, z, z, i + 12, z, z, z,
                                                i, z, z, z, i + 4, z, z, z, i + 8, z, z, z, i + 12, z, z, z));
}

// Integers 0..255 over 255, as UnpackArgb divides them.
[[gnu::target("avx2")]] inline TQuadPair OverMaximum(__m256i bytes)
{
    return _mm256_mul_ps(_mm256_cvtepi32_ps(bytes), _mm256_set1_ps(1.0f / 255.0f));
}

// UnpackArgb on eight lanes.
[[gnu::target("avx2")]] inline TLaneVector<TQuadPair> UnpackArgb(const TWordPair& pair)
{
    return {OverMaximum(ByteOfWords(pair.v, 2)), OverMaximum(ByteOfWords(pair.v, 1)),
            OverMaximum(_mm256_and_si256(pair.v, _mm256_set1_epi32(0xFF))),
            OverMaximum(_mm256_srli_epi32(pair.v, 24))};
}

// A sampled texel whose channels are bytes over 255, with those bytes: a model whose colour is
// such a texel unchanged is stored as the words, or blended in integers to the same bytes.
template <class L> struct TTexel : TLaneVector<L>
{
    typename TLaneWords<L>::Type words;
};
