#include "core/math/random.h"

#include <atomic>
#include <cmath>
#include <ctime>

namespace
{
constexpr int Shift = 397;
constexpr u32 MatrixA = 0x9908B0DF;
constexpr u32 UpperMask = 0x80000000;
constexpr u32 LowerMask = 0x7FFFFFFF;

u32 Twist(u32 upper, u32 lower, u32 shifted)
{
    const u32 y = (upper & UpperMask) | (lower & LowerMask);
    return shifted ^ (y >> 1) ^ ((y & 1) != 0 ? MatrixA : 0);
}

// h = h x 257 + byte over the bytes in memory order (least significant first).
template <typename T> u32 FoldBytes(T value)
{
    u32 h = 0;
    for (unsigned i = 0; i < sizeof(T); ++i)
        h = h * 257 + static_cast<u8>(static_cast<u64>(value) >> (8 * i));
    return h;
}

// Takes the shared generator's clock seed at start-up.
[[maybe_unused]] const TRandom& sharedAtStart = TRandom::Shared();
} // namespace

TRandom::TRandom(u32 seed)
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
    // Seeded on first use, so that static initialisers elsewhere that draw get a seeded generator.
    static TRandom shared(MakeSeed());
    return shared;
}

void TRandom::Seed(u32 seed)
{
    aState[0] = seed;
    for (u32 i = 1; i < StateSize; ++i)
        aState[i] = 1812433253u * (aState[i - 1] ^ (aState[i - 1] >> 30)) + i;
    Regenerate();
}

u32 TRandom::MakeSeed()
{
    static std::atomic<u32> counter{0};
    const auto calendar = static_cast<i64>(std::time(nullptr));
    const auto processor = static_cast<u32>(std::clock());
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

u32 TRandom::Next()
{
    if (left == 0)
        Regenerate();
    --left;
    u32 y = *pNext++;
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680;
    y ^= (y << 15) & 0xEFC60000;
    y ^= y >> 18;
    return y;
}

f64 TRandom::NextUnit()
{
    return Next() * (1.0 / 4294967296.0);
}

f32 TRandom::WordToFloat(u32 word, f32 max)
{
    const f32 value = static_cast<f32>(word * (1.0 / 4294967296.0) * max);
    if (max > 0.0f && value >= max)
        return std::nextafter(max, 0.0f);
    return value;
}

f32 TRandom::GetFloat(const f32* max)
{
    return WordToFloat(Next(), *max);
}

TVector TRandom::NextVector(f32 scale, u32 axisMask)
{
    auto draw = [&]() {
        const f32 value = static_cast<f32>((Next() * (1.0 / 2147483648.0) - 1.0) * scale);
        return scale > 0.0f && value >= scale ? std::nextafter(scale, 0.0f) : value;
    };
    TVector v(0.0f, 0.0f, 0.0f, 1.0f);
    if (axisMask & 4)
        v.z = draw();
    if (axisMask & 2)
        v.y = draw();
    if (axisMask & 1)
        v.x = draw();
    return v;
}
