#include "core/math/scalar.h"

#include <cmath>

float Abs(float value)
{
    return std::fabs(value);
}

float Sin(float radians)
{
    return std::sin(radians);
}

float Cos(float radians)
{
    return std::cos(radians);
}

float Sqrt(float value)
{
    return std::sqrt(value);
}

namespace
{
void DivideByLength(f64* v, i32 count, f64 squared)
{
    const f32 length = static_cast<f32>(std::sqrt(squared));
    if (length == 0.0f)
        return;
    for (i32 i = 0; i < count; ++i)
        v[i] /= length;
}
} // namespace

void NormalizeDouble2(f64 v[2])
{
    DivideByLength(v, 2, v[0] * v[0] + v[1] * v[1]);
}

void NormalizeDouble3(f64 v[3])
{
    DivideByLength(v, 3, v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}
