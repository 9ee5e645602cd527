#include "core/math/random.h"

#include <atomic>
#include <ctime>

namespace
{
constexpr int Shift = 397;
constexpr uint32_t MatrixA = 0x9908B0DF;
constexpr uint32_t UpperMask = 0x80000000;
constexpr uint32_t LowerMask = 0x7FFFFFFF;

uint32_t Twist(uint32_t upper, uint32_t lower, uint32_t shifted)
{
    const uint32_t y = (upper & UpperMask) | (lower & LowerMask);
    return shifted ^ (y >> 1) ^ ((y & 1) != 0 ? MatrixA : 0);
}

// h = h x 257 + byte over the bytes in memory order (least significant first).
template <typename T> uint32_t FoldBytes(T value)
{
    uint32_t h = 0;
    for (unsigned i = 0; i < sizeof(T); ++i)
        h = h * 257 + static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
    return h;
}
} // namespace

TRandom::TRandom(uint32_t seed)
{
    Seed(seed);
}

TRandom::TRandom(const TRandom& other)
{
    *this = other;
}

TRandom& TRandom::operator=(const TRandom& other)
{
    for (int i = 0; i < StateSize; ++i)
        aState[i] = other.aState[i];
    pNext = aState + (other.pNext - other.aState);
    left = other.left;
    return *this;
}

TRandom& TRandom::Shared()
{
    // Seeded from the clock on first use, so static initialisers that draw get a seeded generator.
    static TRandom shared(MakeSeed());
    return shared;
}

void TRandom::Seed(uint32_t seed)
{
    aState[0] = seed;
    for (uint32_t i = 1; i < StateSize; ++i)
        aState[i] = 1812433253u * (aState[i - 1] ^ (aState[i - 1] >> 30)) + i;
    Regenerate();
}

uint32_t TRandom::MakeSeed()
{
    static std::atomic<uint32_t> counter{0};
    const auto calendar = static_cast<int64_t>(std::time(nullptr));
    const auto processor = static_cast<uint32_t>(std::clock());
    return (FoldBytes(calendar) + counter++) ^ FoldBytes(processor);
}

void TRandom::Reseed()
{
    Seed(MakeSeed());
}

void TRandom::Regenerate()
{
    int i = 0;
    for (; i < StateSize - Shift; ++i)
        aState[i] = Twist(aState[i], aState[i + 1], aState[i + Shift]);
    for (; i < StateSize - 1; ++i)
        aState[i] = Twist(aState[i], aState[i + 1], aState[i + Shift - StateSize]);
    aState[StateSize - 1] = Twist(aState[StateSize - 1], aState[0], aState[Shift - 1]);
    pNext = aState;
    left = StateSize;
}

uint32_t TRandom::Next()
{
    if (left == 0)
        Regenerate();
    --left;
    uint32_t y = *pNext++;
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680;
    y ^= (y << 15) & 0xEFC60000;
    y ^= y >> 18;
    return y;
}
