#include "core/math/quaternion.h"
#include "core/math/ray.h"
#include "core/math/scalar.h"
#include "expectvector.h"

#include <algorithm>
#include <cmath>

namespace
{
TQuaternion AxisAngle(float x, float y, float z, float degrees)
{
    const float half = degrees * DegreesToRadians * 0.5f;
    return TQuaternion(x * std::sin(half), y * std::sin(half), z * std::sin(half), std::cos(half));
}

TVector Components(const TQuaternion& q)
{
    return TVector(q.x, q.y, q.z, q.w);
}
} // namespace

// Against the textbook formula in double precision over the whole range of angles, from
// nearly equal rotations to opposite ones, and weights beyond the two ends.
TEST(Quaternion, SlerpAgreesWithTheDoublePrecisionFormula)
{
    const TQuaternion from = AxisAngle(0.0f, 0.6f, 0.8f, 20.0f);
    for (float degrees : {0.01f, 1.0f, 30.0f, 90.0f, 179.0f, 250.0f, 359.0f})
    {
        const TQuaternion to = AxisAngle(0.48f, 0.6f, 0.64f, 20.0f + degrees);
        double a[4] = {from.x, from.y, from.z, from.w};
        const double b[4] = {to.x, to.y, to.z, to.w};
        double d = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
        // The shorter arc: the start turns to the other sign.
        if (d < 0.0)
        {
            for (double& c : a)
                c = -c;
            d = -d;
        }
        const double theta = std::acos(std::min(d, 1.0));
        for (float t : {0.0f, 0.1f, 0.25f, 0.5f, 0.8f, 1.0f, -0.5f, 1.5f})
        {
            const double wa = theta > 1e-6 ? std::sin((1.0 - t) * theta) / std::sin(theta) : 1.0 - t;
            const double wb = theta > 1e-6 ? std::sin(t * theta) / std::sin(theta) : t;
            const TQuaternion expected(
                static_cast<float>(wa * a[0] + wb * b[0]), static_cast<float>(wa * a[1] + wb * b[1]),
                static_cast<float>(wa * a[2] + wb * b[2]), static_cast<float>(wa * a[3] + wb * b[3]));
            SCOPED_TRACE(testing::Message() << degrees << " degrees, t " << t);
            ExpectVectorNear(Components(expected), Components(TQuaternion::Slerp(from, to, t)), 1e-6f);
        }
    }
}

TEST(Ray, SetGivesUnitDirectionAndLengthAndNoNumberlessDirectionForNoLength)
{
    const TRay ray(TVector(1.0f, 2.0f, 3.0f, 1.0f), TVector(4.0f, 6.0f, 3.0f, 1.0f));
    ExpectVectorNear(TVector(1.0f, 2.0f, 3.0f, 1.0f), ray.origin);
    ExpectVectorNear(TVector(0.6f, 0.8f, 0.0f, 5.0f), TVector(ray.direction[0], ray.direction[1], ray.direction[2], ray.length));
    TRay empty;
    empty.Set(TVector(1.0f, 1.0f, 1.0f, 1.0f), TVector(1.0f, 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(0.0f, empty.length);
    EXPECT_EQ(0.0f, empty.direction[0]);
}
