#pragma once

#include "core/math/matrix.h"

// A rotation quaternion {x, y, z, w}.
struct TQuaternion
{
    float x;
    float y;
    float z;
    float w;

    TQuaternion() = default;
    constexpr TQuaternion(float x, float y, float z, float w) : x(x), y(y), z(z), w(w) {}

    // The rotation as a matrix, translation 0.
    TMatrix ToMatrix() const;

    // Spherical interpolation along the shorter arc; the result is not renormalised.
    static TQuaternion Slerp(const TQuaternion& a, const TQuaternion& b, float t);
};
static_assert(sizeof(TQuaternion) == 16);
