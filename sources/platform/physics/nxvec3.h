#pragma once
// A 3-vector of the physics SDK layer.
#include <cmath>
#include "platform/physics/nxtypes.h"

class NxVec3
{
public:
    NxReal x = 0, y = 0, z = 0;

    constexpr NxVec3() = default;
    constexpr NxVec3(NxReal ax, NxReal ay, NxReal az) : x(ax), y(ay), z(az) {}
    constexpr explicit NxVec3(NxReal a) : x(a), y(a), z(a) {}

    void set(NxReal ax, NxReal ay, NxReal az) { x = ax; y = ay; z = az; }
    void zero() { x = y = z = 0; }
    bool isZero() const { return x == 0 && y == 0 && z == 0; }
    NxReal& operator[](int i) { return (&x)[i]; }
    NxReal operator[](int i) const { return (&x)[i]; }

    NxVec3 operator+(const NxVec3& v) const { return {x + v.x, y + v.y, z + v.z}; }
    NxVec3 operator-(const NxVec3& v) const { return {x - v.x, y - v.y, z - v.z}; }
    NxVec3 operator-() const { return {-x, -y, -z}; }
    NxVec3 operator*(NxReal s) const { return {x * s, y * s, z * s}; }
    NxVec3& operator+=(const NxVec3& v) { x += v.x; y += v.y; z += v.z; return *this; }
    NxVec3& operator-=(const NxVec3& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
    NxVec3& operator*=(NxReal s) { x *= s; y *= s; z *= s; return *this; }
    bool operator==(const NxVec3& v) const { return x == v.x && y == v.y && z == v.z; }
    bool operator!=(const NxVec3& v) const { return !(*this == v); }

    NxReal dot(const NxVec3& v) const { return x * v.x + y * v.y + z * v.z; }
    NxVec3 cross(const NxVec3& v) const { return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x}; }
    NxReal magnitudeSquared() const { return dot(*this); }
    NxReal magnitude() const { return std::sqrt(magnitudeSquared()); }
    // Normalises in place and returns the former length; a zero vector stays zero.
    NxReal normalize()
    {
        const NxReal length = magnitude();
        if (length > 0)
            *this *= 1.0f / length;
        return length;
    }
};
