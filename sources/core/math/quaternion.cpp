#include "core/math/quaternion.h"

#include "core/math/scalar.h"

#include <cmath>

namespace
{
// The arc cosine of 0 <= x < 1 as a polynomial (Abramowitz and Stegun 4.4.46, error below 2e-8
// radians): the library's float arc cosine is slow on this target, and skeletons slerp every
// bone of every frame.
float ArcCosine(float x)
{
    const float p = ((((((-0.0012624911f * x + 0.0066700901f) * x - 0.0170881256f) * x + 0.0308918810f) * x -
                       0.0501743046f) *
                          x +
                      0.0889789874f) *
                         x -
                     0.2145988016f) *
                        x +
                    1.5707963050f;
    return std::sqrt(1.0f - x) * p;
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
    TQuaternion from = a;
    float d = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    if (d < 0.0f)
    {
        from = TQuaternion(-a.x, -a.y, -a.z, -a.w);
        d = -d;
    }

    // Nearly equal rotations: the sine ratio degenerates, and linear weights are as good.
    float weightA = 1.0f - t;
    float weightB = t;
    if (1.0f - d > 1e-10f)
    {
        const float theta = ArcCosine(d);
        const float sinTheta = std::sqrt(1.0f - d * d);
        weightA = Sin((1.0f - t) * theta) / sinTheta;
        weightB = Sin(t * theta) / sinTheta;
    }
    return TQuaternion(from.x * weightA + b.x * weightB, from.y * weightA + b.y * weightB,
                       from.z * weightA + b.z * weightB, from.w * weightA + b.w * weightB);
}
