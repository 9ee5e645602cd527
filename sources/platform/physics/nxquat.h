#pragma once
// A rotation quaternion (x, y, z, w) of the physics SDK layer.
#include "platform/physics/nxvec3.h"

class NxQuat
{
public:
    NxReal x = 0, y = 0, z = 0, w = 1;

    constexpr NxQuat() = default;
    constexpr NxQuat(NxReal ax, NxReal ay, NxReal az, NxReal aw) : x(ax), y(ay), z(az), w(aw) {}
    // The rotation by an angle in degrees about an axis.
    NxQuat(NxReal angleDegrees, const NxVec3& axis) { fromAngleAxis(angleDegrees, axis); }

    void id() { x = y = z = 0; w = 1; }
    void fromAngleAxis(NxReal angleDegrees, const NxVec3& axis)
    {
        NxVec3 a = axis;
        a.normalize();
        const NxReal half = angleDegrees * 0.008726646f;
        const NxReal s = std::sin(half);
        x = a.x * s; y = a.y * s; z = a.z * s; w = std::cos(half);
    }
    void fromAngleAxisFast(NxReal angleRadians, const NxVec3& unitAxis)
    {
        const NxReal s = std::sin(angleRadians * 0.5f);
        x = unitAxis.x * s; y = unitAxis.y * s; z = unitAxis.z * s; w = std::cos(angleRadians * 0.5f);
    }
    NxReal magnitude() const { return std::sqrt(x * x + y * y + z * z + w * w); }
    void normalize()
    {
        const NxReal m = magnitude();
        if (m > 0) { x /= m; y /= m; z /= m; w /= m; }
    }
    NxQuat operator*(const NxQuat& q) const
    {
        return {w * q.x + x * q.w + y * q.z - z * q.y, w * q.y + y * q.w + z * q.x - x * q.z,
                w * q.z + z * q.w + x * q.y - y * q.x, w * q.w - x * q.x - y * q.y - z * q.z};
    }
    NxQuat conjugate() const { return {-x, -y, -z, w}; }
    NxVec3 rot(const NxVec3& v) const
    {
        const NxVec3 u(x, y, z);
        const NxVec3 t = u.cross(v) * 2.0f;
        return v + t * w + u.cross(t);
    }
};
