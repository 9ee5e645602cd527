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

f32 RandomRange(f32 base, f32 range)
{
    if (range == 0.0f)
        return base;
    return base + range * static_cast<f32>(TRandom::Shared().Next() / 4294967296.0);
}
