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
