#include "core/math/half.h"

#include <cstring>

namespace
{
constexpr u32 HalfExponentRebase = 112; // float bias 127 - half bias 15
constexpr u16 HalfInfinity = 0x7C00;
constexpr int MantissaShift = 13; // 23 float mantissa bits - 10 half mantissa bits

u32 Bits(float value)
{
    u32 bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

float FromBits(u32 bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}
} // namespace

u16 FloatToHalf(float value)
{
    const u32 bits = Bits(value);
    const auto sign = static_cast<u16>((bits >> 16) & 0x8000);
    const auto exponent = static_cast<i32>((bits >> 23) & 0xFF);
    const u32 mantissa = bits & 0x7FFFFF;

    if (exponent == 0xFF)
    {
        if (mantissa == 0)
            return sign | HalfInfinity;
        // Keep a NaN a NaN even when its payload lies in the bits that are cut off.
        const auto payload = static_cast<u16>(mantissa >> MantissaShift);
        return sign | HalfInfinity | (payload != 0 ? payload : 1);
    }

    const i32 rebased = exponent - static_cast<i32>(HalfExponentRebase);
    if (rebased >= 31)
        return sign | HalfInfinity;
    if (rebased <= 0)
    {
        // A half denormal: the implicit bit joins the mantissa, shifted by the missing exponent.
        if (rebased < -10)
            return 0;
        const u32 denormal = (mantissa | 0x800000) >> (MantissaShift + 1 - rebased);
        if (denormal == 0)
            return 0;
        return sign | static_cast<u16>(denormal);
    }
    return sign | static_cast<u16>(rebased << 10) | static_cast<u16>(mantissa >> MantissaShift);
}

float HalfToFloat(u16 half)
{
    const u32 sign = static_cast<u32>(half & 0x8000) << 16;
    i32 exponent = (half >> 10) & 0x1F;
    u32 mantissa = half & 0x3FF;

    if (exponent == 0x1F)
        return FromBits(sign | 0x7F800000 | (mantissa << MantissaShift));
    if (exponent == 0)
    {
        if (mantissa == 0)
            return FromBits(sign);
        // Normalise the denormal: shift until the implicit bit appears.
        exponent = 1;
        while ((mantissa & 0x400) == 0)
        {
            mantissa <<= 1;
            --exponent;
        }
        mantissa &= 0x3FF;
    }
    const auto biased = static_cast<u32>(exponent + static_cast<i32>(HalfExponentRebase));
    return FromBits(sign | (biased << 23) | (mantissa << MantissaShift));
}
