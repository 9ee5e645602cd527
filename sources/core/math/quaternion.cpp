#include "core/math/quaternion.h"

#include "core/math/scalar.h"

#include <cmath>

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
        const float theta = std::acos(d);
        const float sinTheta = Sin(theta);
        weightA = Sin((1.0f - t) * theta) / sinTheta;
        weightB = Sin(t * theta) / sinTheta;
    }
    return TQuaternion(from.x * weightA + b.x * weightB, from.y * weightA + b.y * weightB,
                       from.z * weightA + b.z * weightB, from.w * weightA + b.w * weightB);
}
