#include "core/math/quaternion.h"

#include "core/math/scalar.h"

#include <cmath>
#include <xmmintrin.h>

namespace
{
// The arc cosine of 0 <= x < 1 as a polynomial (Abramowitz and Stegun 4.4.46, error below 2e-8
// radians) times sqrt(1 - x), which the caller gives: the library's float arc cosine is slow
// on this target, and skeletons slerp every bone of every frame.
float ArcCosine(float x, float rootOfOneLess)
{
    const float p = ((((((-0.0012624911f * x + 0.0066700901f) * x - 0.0170881256f) * x + 0.0308918810f) * x -
                       0.0501743046f) *
                          x +
                      0.0889789874f) *
                         x -
                     0.2145988016f) *
                        x +
                    1.5707963050f;
    return rootOfOneLess * p;
}

// The sines of four angles within [0, pi/2] by the Taylor series to x^11 (error below 6e-8,
// float rounding here): a slerp's two sines at once instead of a library call each.
__m128 SineOfArcs(__m128 x)
{
    const __m128 x2 = _mm_mul_ps(x, x);
    __m128 p = _mm_set1_ps(-2.5052108e-8f);
    p = _mm_add_ps(_mm_mul_ps(p, x2), _mm_set1_ps(2.7557319e-6f));
    p = _mm_sub_ps(_mm_mul_ps(p, x2), _mm_set1_ps(1.9841270e-4f));
    p = _mm_add_ps(_mm_mul_ps(p, x2), _mm_set1_ps(8.3333333e-3f));
    p = _mm_sub_ps(_mm_mul_ps(p, x2), _mm_set1_ps(1.6666667e-1f));
    return _mm_add_ps(x, _mm_mul_ps(x, _mm_mul_ps(p, x2)));
}
} // namespace

TMatrix TQuaternion::ToMatrix() const
{
    TMatrix m;
    m.aRow[0] = TVector(x * x + w * w - y * y - z * z, 2.0f * (x * y + z * w), 2.0f * (x * z - y * w), 0.0f);
    m.aRow[1] = TVector(2.0f * (x * y - z * w), w * w - x * x + y * y - z * z, 2.0f * (y * z + x * w), 0.0f);
    m.aRow[2] = TVector(2.0f * (x * z + y * w), 2.0f * (y * z - x * w), w * w - x * x - y * y + z * z, 0.0f);
    m.aRow[3] = TVector(0.0f, 0.0f, 0.0f, 1.0f);
    return m;
}

TQuaternion TQuaternion::Slerp(const TQuaternion& a, const TQuaternion& b, float t)
{
    __m128 from = _mm_loadu_ps(&a.x);
    float d = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    if (d < 0.0f)
    {
        from = _mm_xor_ps(from, _mm_set1_ps(-0.0f));
        d = -d;
    }

    // Nearly equal rotations: the sine ratio degenerates, and linear weights are as good.
    float weightA = 1.0f - t;
    float weightB = t;
    if (1.0f - d > 1e-10f)
    {
        // Both roots in one instruction: sqrt(1 - d) for the arc cosine, sqrt(1 - d^2) = sin(theta),
        // its factors kept apart so that nearly equal rotations lose no digits.
        alignas(16) float roots[4];
        _mm_store_ps(roots, _mm_sqrt_ps(_mm_set_ps(0.0f, 0.0f, (1.0f - d) * (1.0f + d), 1.0f - d)));
        const float theta = ArcCosine(d, roots[0]);
        const float inverseSinTheta = 1.0f / roots[1];
        if (t >= 0.0f && t <= 1.0f)
        {
            alignas(16) float sines[4];
            _mm_store_ps(sines, SineOfArcs(_mm_set_ps(0.0f, 0.0f, t * theta, (1.0f - t) * theta)));
            weightA = sines[0] * inverseSinTheta;
            weightB = sines[1] * inverseSinTheta;
        }
        else
        {
            weightA = Sin((1.0f - t) * theta) * inverseSinTheta;
            weightB = Sin(t * theta) * inverseSinTheta;
        }
    }
    TQuaternion result;
    _mm_storeu_ps(&result.x, _mm_add_ps(_mm_mul_ps(from, _mm_set1_ps(weightA)),
                                        _mm_mul_ps(_mm_loadu_ps(&b.x), _mm_set1_ps(weightB))));
    return result;
}
