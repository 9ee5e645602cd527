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
    // Estrin's scheme: the pairs are independent, so the polynomial takes three steps of
    // latency instead of seven.
    const float x2 = x * x;
    const float p01 = 1.5707963050f - 0.2145988016f * x;
    const float p23 = 0.0889789874f - 0.0501743046f * x;
    const float p45 = 0.0308918810f - 0.0170881256f * x;
    const float p67 = 0.0066700901f - 0.0012624911f * x;
    return rootOfOneLess * ((p01 + p23 * x2) + (p45 + p67 * x2) * (x2 * x2));
}

// The sines of four angles within [0, pi/2] by the Taylor series to x^11 (error below 6e-8,
// float rounding here), in Estrin's scheme: a slerp's two sines at once instead of a library
// call each.
__m128 SineOfArcs(__m128 x)
{
    const __m128 y = _mm_mul_ps(x, x);
    const __m128 y2 = _mm_mul_ps(y, y);
    const __m128 q0 = _mm_add_ps(_mm_set1_ps(-1.6666667e-1f), _mm_mul_ps(_mm_set1_ps(8.3333333e-3f), y));
    const __m128 q1 = _mm_add_ps(_mm_set1_ps(-1.9841270e-4f), _mm_mul_ps(_mm_set1_ps(2.7557319e-6f), y));
    const __m128 q2 = _mm_add_ps(q1, _mm_mul_ps(_mm_set1_ps(-2.5052108e-8f), y2));
    const __m128 q = _mm_add_ps(q0, _mm_mul_ps(q2, y2));
    return _mm_add_ps(x, _mm_mul_ps(_mm_mul_ps(x, y), q));
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
        const __m128 roots = _mm_sqrt_ps(_mm_set_ps(0.0f, 0.0f, (1.0f - d) * (1.0f + d), 1.0f - d));
        const float theta = ArcCosine(d, _mm_cvtss_f32(roots));
        const float inverseSinTheta = 1.0f / _mm_cvtss_f32(_mm_shuffle_ps(roots, roots, 1));
        if (t >= 0.0f && t <= 1.0f)
        {
            const __m128 weights = _mm_mul_ps(SineOfArcs(_mm_set_ps(0.0f, 0.0f, t * theta, (1.0f - t) * theta)),
                                              _mm_set1_ps(inverseSinTheta));
            weightA = _mm_cvtss_f32(weights);
            weightB = _mm_cvtss_f32(_mm_shuffle_ps(weights, weights, 1));
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
