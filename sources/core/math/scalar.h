#pragma once

// Float helpers shared by the maths and the engine.
#include "core/system/types.h"

// Degrees to radians, as the rotation builders turn their angles.
inline constexpr float DegreesToRadians = 0.017453292f;

float Abs(float value);
float Sin(float radians);
float Cos(float radians);
float Sqrt(float value);

// The second argument wins a tie, so callers get a predictable choice between equal values.
inline float MinFloat(float a, float b)
{
    return a < b ? a : b;
}
inline float MaxFloat(float a, float b)
{
    return a > b ? a : b;
}

// Double-precision vectors of 2 and 3 components scaled to length 1. The length is computed in
// double precision and rounded to f32 before the division; a zero vector stays as it is.
void NormalizeDouble2(f64 v[2]);
void NormalizeDouble3(f64 v[3]);
