#pragma once
// Texels as the sampler answers them where it samples to 8-bit channels: one A8R8G8B8 word per
// lane, and the same as channels over 255.
#include "platform/d3d9/quadpair.h"

#include <emmintrin.h>

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

// UnpackArgb on eight lanes, in the compiler's generic vector arithmetic (see quadpair.h).
[[gnu::always_inline]] inline TLaneVector<TQuadPair> UnpackArgb(const TWordPair& pair)
{
    typedef int TInts __attribute__((vector_size(32)));
    const TInts words = TInts(pair.v);
    auto channel = [&](int shift) {
        return TQuadPair(__builtin_convertvector((words >> shift) & 0xFF, __m256) * (1.0f / 255.0f));
    };
    return {channel(16), channel(8), channel(0), channel(24)};
}

// A sampled texel whose channels are bytes over 255, with those bytes: a model whose colour is
// such a texel unchanged is stored as the words, or blended in integers to the same bytes.
template <class L> struct TTexel : TLaneVector<L>
{
    typename TLaneWords<L>::Type words;
};
