#pragma once
// Two quads side by side on eight lanes: lanes 0-3 are the first quad's (as TQuad's), 4-7 the
// second's. Every operation is TQuad's, lane by lane, so a model computes the same bits on
// either. The operations are the compiler's generic vector arithmetic, or functions compiled for
// AVX2 taking their operands by reference (never a vector by value, which would pass differently
// from code for any processor), so that a model's Shade, written for any processor, compiles to
// AVX2 instructions inside the tile loops compiled for AVX2, which take everything they call in
// (gnu::flatten).
#include "platform/d3d9/quad.h"

#include <immintrin.h>

struct TQuadPair
{
    __m256 v;

    TQuadPair() = default;
    [[gnu::always_inline]] TQuadPair(__m256 value) : v(value) {}
    [[gnu::always_inline]] TQuadPair(float value) : v(__m256{value, value, value, value, value, value, value, value})
    {
    }
    // The first quad's lanes, then the second's.
    [[gnu::always_inline]] TQuadPair(const TQuad& first, const TQuad& second)
        : v(__builtin_shufflevector(first.v, second.v, 0, 1, 2, 3, 4, 5, 6, 7))
    {
    }
    // Two quads that lie one after the other in memory.
    [[gnu::always_inline]] static TQuadPair Adjacent(const TQuad* two)
    {
        TQuadPair pair;
        __builtin_memcpy(&pair.v, two, sizeof pair.v);
        return pair;
    }
};

[[gnu::always_inline]] inline TQuadPair operator+(const TQuadPair& a, const TQuadPair& b)
{
    return a.v + b.v;
}
[[gnu::always_inline]] inline TQuadPair operator-(const TQuadPair& a, const TQuadPair& b)
{
    return a.v - b.v;
}
[[gnu::always_inline]] inline TQuadPair operator*(const TQuadPair& a, const TQuadPair& b)
{
    return a.v * b.v;
}
[[gnu::always_inline]] inline TQuadPair operator/(const TQuadPair& a, const TQuadPair& b)
{
    return a.v / b.v;
}
[[gnu::always_inline]] inline TQuadPair operator-(const TQuadPair& a)
{
    return TQuadPair(0.0f).v - a.v;
}
// minps and maxps themselves: the compiler's generic form of them takes two instructions.
[[gnu::target("avx2")]] inline TQuadPair Min(const TQuadPair& a, const TQuadPair& b)
{
    return _mm256_min_ps(a.v, b.v);
}
[[gnu::target("avx2")]] inline TQuadPair Max(const TQuadPair& a, const TQuadPair& b)
{
    return _mm256_max_ps(a.v, b.v);
}
[[gnu::target("avx2")]] inline TQuadPair Saturate(const TQuadPair& a)
{
    return Min(Max(a, 0.0f), 1.0f);
}
[[gnu::target("avx2")]] inline TQuadPair Step(const TQuadPair& edge, const TQuadPair& x)
{
    return _mm256_and_ps(_mm256_cmp_ps(x.v, edge.v, _CMP_GE_OQ), _mm256_set1_ps(1.0f));
}
[[gnu::target("avx2")]] inline TQuadPair Abs(const TQuadPair& a)
{
    return _mm256_andnot_ps(_mm256_set1_ps(-0.0f), a.v);
}
// Each quad of the pair.
[[gnu::always_inline]] inline TQuad FirstQuad(const TQuadPair& a)
{
    return __builtin_shufflevector(a.v, a.v, 0, 1, 2, 3);
}
[[gnu::always_inline]] inline TQuad SecondQuad(const TQuadPair& a)
{
    return __builtin_shufflevector(a.v, a.v, 4, 5, 6, 7);
}
// Quad by quad: generic vectors have no square root.
[[gnu::always_inline]] inline TQuadPair Sqrt(const TQuadPair& a)
{
    return TQuadPair(Sqrt(FirstQuad(a)), Sqrt(SecondQuad(a)));
}
[[gnu::always_inline]] inline TQuadPair Lerp(const TQuadPair& a, const TQuadPair& b, const TQuadPair& t)
{
    return a + (b - a) * t;
}
