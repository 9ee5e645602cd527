#include "core/math/vector.h"

#include "core/math/scalar.h"

#include <cmath>
#include <cstring>

void TVector::Copy(const TVector& source)
{
    *this = source;
}

TVector TVector::Add(const TVector& a, const TVector& b)
{
    return TVector(a.x + b.x, a.y + b.y, a.z + b.z, 1.0f);
}

TVector TVector::Subtract(const TVector& a, const TVector& b)
{
    return TVector(a.x - b.x, a.y - b.y, a.z - b.z, 1.0f);
}

TVector TVector::Cross(const TVector& a, const TVector& b)
{
    return TVector(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x, 1.0f);
}

void TVector::Scale(float factor)
{
    x *= factor;
    y *= factor;
    z *= factor;
}

TVector TVector::Scaled(float factor) const
{
    return TVector(x * factor, y * factor, z * factor, w);
}

TVector TVector::Negated() const
{
    return TVector(-x, -y, -z, 1.0f);
}

float TVector::Dot(const TVector& other) const
{
    return x * other.x + y * other.y + z * other.z;
}

float TVector::Length() const
{
    return Sqrt(Dot(*this));
}

TVector TVector::Normalized() const
{
    TVector result = *this;
    result.SetLength(1.0f);
    return result;
}

void TVector::SetLength(float length)
{
    const float current = Length();
    if (current < VectorMinimumLength)
        return;
    Scale(length / current);
}

void CopyVector4Array(TVector* destination, const void* source, u32 stride, u32 count, u32 capacity)
{
    const auto* bytes = static_cast<const unsigned char*>(source);
    const u32 copied = count < capacity ? count : capacity;
    for (u32 i = 0; i < copied; ++i)
        std::memcpy(&destination[i], bytes + i * stride, sizeof(TVector));
}

TVector VectorToEulerDegrees(const TVector& direction)
{
    constexpr float DEGREES = 57.29578f;
    const float length = direction.Length();
    const float ratio = length > 0.0f ? direction.y / length : 0.0f;
    const float pitch = std::asin(ratio < -1.0f ? -1.0f : (ratio > 1.0f ? 1.0f : ratio)) * DEGREES;
    return TVector(pitch, std::atan2(direction.x, direction.z) * DEGREES, 0.0f, 1.0f);
}
