#pragma once

#include <cstdint>

// The Mersenne Twister MT19937 as published by Matsumoto and Nishimura. The engine keeps one
// process-wide generator (Shared), seeded from the clock before the program proper starts;
// it has no lock, so code that draws on another thread keeps its own instance.
class TRandom
{
public:
    static constexpr int StateSize = 624;
    // The published generator's seed when none is given.
    static constexpr uint32_t DefaultSeed = 5489;

    explicit TRandom(uint32_t seed = DefaultSeed);
    // The next-word pointer must follow the copied state, not the source's.
    TRandom(const TRandom& other);
    TRandom& operator=(const TRandom& other);

    static TRandom& Shared();

    // The published initialisation from a seed, then a regeneration.
    void Seed(uint32_t seed);
    // A seed that differs on every call, even within one clock tick.
    static uint32_t MakeSeed();
    void Reseed();
    // The twist of all 624 words; the next draw starts at word 0 again.
    void Regenerate();
    // The next word, tempered.
    uint32_t Next();

private:
    uint32_t aState[StateSize];
    uint32_t* pNext;
    int32_t left;
};
static_assert(sizeof(TRandom) == 2504);
