#pragma once

#include "core/math/vector.h"
#include "core/system/types.h"

// The Mersenne Twister MT19937 as published by Matsumoto and Nishimura. The engine keeps one
// process-wide generator (Shared), seeded from the clock before the program proper starts;
// it has no lock, so code that draws on another thread keeps its own instance.
class TRandom
{
public:
    static constexpr int StateSize = 624;
    // The published generator's seed when none is given.
    static constexpr u32 DefaultSeed = 5489;

    explicit TRandom(u32 seed = DefaultSeed);
    // The next-word pointer must follow the copied state, not the source's.
    TRandom(const TRandom& other);
    TRandom& operator=(const TRandom& other);

    static TRandom& Shared();

    // The published initialisation from a seed, then a regeneration.
    void Seed(u32 seed);
    // A seed that differs on every call, even within one clock tick.
    static u32 MakeSeed();
    void Reseed();
    // The twist of all 624 words; the next draw starts at word 0 again.
    void Regenerate();
    // The next word, tempered.
    u32 Next();
    // Draws mapped to ranges: [0, 1), [0, max), and per axis of the mask (1 x, 2 y, 4 z; drawn
    // z first) [-scale, scale) with the other axes 0 and w = 1.
    f64 NextUnit();
    f32 GetFloat(const f32* max);
    TVector NextVector(f32 scale, u32 axisMask);
    // A word as a float in [0, max): the product rounded to float could reach max itself, so
    // such a value becomes the largest float below it.
    static f32 WordToFloat(u32 word, f32 max);

private:
    u32 aState[StateSize];
    u32* pNext;
    i32 left;
};
static_assert(sizeof(TRandom) == 2504);
