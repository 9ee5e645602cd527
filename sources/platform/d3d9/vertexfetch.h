#pragma once
// Vertex fetch: one element of a vertex, of any declaration type, as four floats; components
// a type lacks read as (0, 0, 0, 1).
#include "platform/d3d9/d3d9types.h"

#include <cstdint>
#include <cstring>
#include <emmintrin.h>

void FetchVertexElement(BYTE type, const std::uint8_t* data, float out[4]);

// A D3DCOLOR element (B, G, R, A bytes) as (r, g, b, a) in [0, 1]: the four divisions at
// once, each rounded as alone.
inline void FetchColour(const std::uint8_t* data, float out[4])
{
    std::int32_t word;
    std::memcpy(&word, data, 4);
    const __m128i zero = _mm_setzero_si128();
    const __m128i bgra = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero), zero);
    const __m128i rgba = _mm_shuffle_epi32(bgra, _MM_SHUFFLE(3, 0, 1, 2));
    _mm_storeu_ps(out, _mm_div_ps(_mm_cvtepi32_ps(rgba), _mm_set1_ps(255.0f)));
}
