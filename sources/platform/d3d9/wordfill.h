#pragma once
// Whole-row word loops of clears and presents, 16 bytes at a time: a frame's buffers are
// megabytes, and the compiler leaves these loops a word at a time.
#include <cstddef>
#include <cstdint>
#include <emmintrin.h>

// count words of value from words on.
inline void FillWords(std::uint32_t* words, std::size_t count, std::uint32_t value)
{
    for (; count > 0 && (reinterpret_cast<std::uintptr_t>(words) & 15) != 0; --count)
        *words++ = value;
    const __m128i quad = _mm_set1_epi32(static_cast<int>(value));
    for (; count >= 16; count -= 16, words += 16)
    {
        _mm_store_si128(reinterpret_cast<__m128i*>(words), quad);
        _mm_store_si128(reinterpret_cast<__m128i*>(words + 4), quad);
        _mm_store_si128(reinterpret_cast<__m128i*>(words + 8), quad);
        _mm_store_si128(reinterpret_cast<__m128i*>(words + 12), quad);
    }
    for (; count >= 4; count -= 4, words += 4)
        _mm_store_si128(reinterpret_cast<__m128i*>(words), quad);
    while (count-- > 0)
        *words++ = value;
}

// count 8-byte texels of value from texels on, two to a 16-byte store (aligned where the texels
// start 8-byte aligned).
inline void FillTexels64(std::uint8_t* texels, std::size_t count, const std::uint8_t* value)
{
    const __m128i single = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(value));
    if (count > 0 && (reinterpret_cast<std::uintptr_t>(texels) & 15) != 0)
    {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(texels), single);
        texels += 8;
        --count;
    }
    const __m128i pair = _mm_unpacklo_epi64(single, single);
    for (; count >= 8; count -= 8, texels += 64)
    {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(texels), pair);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(texels + 16), pair);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(texels + 32), pair);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(texels + 48), pair);
    }
    for (; count >= 2; count -= 2, texels += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(texels), pair);
    if (count > 0)
        _mm_storel_epi64(reinterpret_cast<__m128i*>(texels), single);
}

// count X8R8G8B8 (or A8R8G8B8) words copied with their top byte set: pixels as shown.
inline void CopyOpaque(const std::uint8_t* source, std::uint32_t* target, std::size_t count)
{
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    for (; count >= 8; count -= 8, source += 32, target += 8)
    {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target), _mm_or_si128(low, alpha));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + 4), _mm_or_si128(high, alpha));
    }
    for (; count > 0; --count, source += 4)
    {
        std::uint32_t pixel;
        __builtin_memcpy(&pixel, source, 4);
        *target++ = pixel | 0xFF000000u;
    }
}
