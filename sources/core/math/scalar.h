#pragma once

// Float helpers shared by the maths and the engine.

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
