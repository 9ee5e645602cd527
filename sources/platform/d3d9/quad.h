#pragma once
// Four pixels of one 2x2 quad, shaded together with SSE: lane 0 is (x, y), lane 1 (x + 1, y),
// lane 2 (x, y + 1), lane 3 (x + 1, y + 1). Pixel models compute with these.
#include <emmintrin.h>

struct TQuad
{
    __m128 v;

    TQuad() = default; // uninitialised, as __m128: quads are made by the millions
    TQuad(__m128 value) : v(value) {}
    TQuad(float value) : v(_mm_set1_ps(value)) {}
    static TQuad Lanes(float a, float b, float c, float d) { return _mm_setr_ps(a, b, c, d); }
    float operator[](int lane) const
    {
        alignas(16) float lanes[4];
        _mm_store_ps(lanes, v);
        return lanes[lane];
    }
};

inline TQuad operator+(TQuad a, TQuad b)
{
    return _mm_add_ps(a.v, b.v);
}
inline TQuad operator-(TQuad a, TQuad b)
{
    return _mm_sub_ps(a.v, b.v);
}
inline TQuad operator*(TQuad a, TQuad b)
{
    return _mm_mul_ps(a.v, b.v);
}
inline TQuad operator/(TQuad a, TQuad b)
{
    return _mm_div_ps(a.v, b.v);
}
inline TQuad operator-(TQuad a)
{
    return _mm_sub_ps(_mm_setzero_ps(), a.v);
}
inline TQuad Min(TQuad a, TQuad b)
{
    return _mm_min_ps(a.v, b.v);
}
inline TQuad Max(TQuad a, TQuad b)
{
    return _mm_max_ps(a.v, b.v);
}
inline TQuad Saturate(TQuad a)
{
    return Min(Max(a, 0.0f), 1.0f);
}
inline TQuad Sqrt(TQuad a)
{
    return _mm_sqrt_ps(a.v);
}
inline TQuad Lerp(TQuad a, TQuad b, TQuad t)
{
    return a + (b - a) * t;
}
// 1 where x >= edge, else 0.
inline TQuad Step(TQuad edge, TQuad x)
{
    return _mm_and_ps(_mm_cmpge_ps(x.v, edge.v), _mm_set1_ps(1.0f));
}
inline TQuad Abs(TQuad a)
{
    return _mm_andnot_ps(_mm_set1_ps(-0.0f), a.v);
}

// Four channels (x, y, z, w: red, green, blue, alpha for colours) of lanes L: a quad's four
// pixels (TQuad), or two quads' eight (TQuadPair, quadpair.h). Shading models are written once
// for any lanes.
template <class L> struct TLaneVector
{
    L x, y, z, w;

    friend TLaneVector operator*(const TLaneVector& a, const TLaneVector& b)
    {
        return {a.x * b.x, a.y * b.y, a.z * b.z, a.w * b.w};
    }
    friend TLaneVector operator+(const TLaneVector& a, const TLaneVector& b)
    {
        return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
    }
    friend TLaneVector operator*(const TLaneVector& a, const L& s) { return {a.x * s, a.y * s, a.z * s, a.w * s}; }
};

typedef TLaneVector<TQuad> TQuadVector;

// What a model drawing into N targets at once answers for its lanes: target i's colour.
template <class L, int N> struct TTargetColours
{
    TLaneVector<L> colour[N];
};

template <class L> inline L Dot3(const TLaneVector<L>& a, const TLaneVector<L>& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
