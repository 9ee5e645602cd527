#pragma once
// The random draws of the game sounds and of game code: RandomIndex, a uniform whole number in
// [0, max] from a 32-bit generator (each draw masked with the smallest all-ones mask covering
// max and drawn again while above max; a max below 1 gives 0), and RandomRange, a value in
// [base, base + range) from the engine's shared generator (exactly base, without a draw, when
// the range is 0).
#include "core/system/types.h"

class TRandom;

i32 RandomIndex(TRandom& generator, const i32* max);
f32 RandomRange(f32 base, f32 range);
