#pragma once
// RandomIndex: a uniform whole number in [0, max] from a 32-bit generator: each draw is masked
// with the smallest all-ones mask covering max and drawn again while it lies above max. A max
// below 1 gives 0.
#include "core/system/types.h"

class TRandom;

i32 RandomIndex(TRandom& generator, const i32* max);
