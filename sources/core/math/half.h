#pragma once

#include <cstdint>

// IEEE 754 binary16 conversion.

// Truncates the mantissa (no rounding). Values below the smallest half denormal become +0,
// values too large a signed infinity; NaNs stay NaNs.
uint16_t FloatToHalf(float value);
// Exact: denormals normalised, infinities, NaNs and the sign of zero kept.
float HalfToFloat(uint16_t half);
