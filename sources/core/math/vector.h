#pragma once

#include "core/system/types.h"

// Four floats {x, y, z, w}. Points carry w = 1, and the operations that produce a point or a
// direction set w to 1 unless they say otherwise. Stored records embed vectors at 4-byte
// alignment, so the type must never be over-aligned.
struct TVector
{
    float x;
    float y;
    float z;
    float w;

    TVector() = default;
    constexpr TVector(float x, float y, float z, float w) : x(x), y(y), z(z), w(w) {}

    void Copy(const TVector& source);

    static TVector Add(const TVector& a, const TVector& b);
    static TVector Subtract(const TVector& a, const TVector& b);
    static TVector Cross(const TVector& a, const TVector& b);

    // x, y and z multiplied in place; w untouched.
    void Scale(float factor);
    // The vector times a factor, w copied.
    TVector Scaled(float factor) const;
    TVector Negated() const;

    float Dot(const TVector& other) const;
    float Length() const;

    // Scaled to length 1 with w kept; a vector shorter than 1e-30 comes back unchanged.
    TVector Normalized() const;
    // Scaled in place to the given length; a vector shorter than 1e-30 is left unchanged.
    void SetLength(float length);
};
static_assert(sizeof(TVector) == 16);

// A direction's angles in degrees: pitch asin(y / length), heading from x and z; w 1.
TVector VectorToEulerDegrees(const TVector& direction);
static_assert(alignof(TVector) == 4);

// Below this length a vector has no direction to keep.
inline constexpr float VectorMinimumLength = 1e-30f;

// Copies min(count, capacity) four-float records, `stride` bytes apart in the source, into a
// packed array.
void CopyVector4Array(TVector* destination, const void* source, u32 stride, u32 count, u32 capacity);
