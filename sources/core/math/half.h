#pragma once

#include "core/system/types.h"

// IEEE 754 binary16 conversion.

// Truncates the mantissa (no rounding). Values below the smallest half denormal become +0,
// values too large a signed infinity; NaNs stay NaNs.
u16 FloatToHalf(float value);
// Exact: denormals normalised, infinities, NaNs and the sign of zero kept.
float HalfToFloat(u16 half);
