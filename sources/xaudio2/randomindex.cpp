#include "xaudio2/randomindex.h"

#include "core/math/random.h"

i32 RandomIndex(TRandom& generator, const i32* max)
{
    if (*max < 1)
        return 0;
    const u32 limit = static_cast<u32>(*max);
    u32 mask = limit;
    for (u32 shift = 1; shift < 32; shift <<= 1)
        mask |= mask >> shift;
    u32 value;
    do
        value = generator.Next() & mask;
    while (value > limit);
    return static_cast<i32>(value);
}
