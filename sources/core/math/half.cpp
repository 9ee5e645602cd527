#include "core/math/half.h"

#include <cstring>

namespace
{
constexpr uint32_t HalfExponentRebase = 112; // float bias 127 - half bias 15
constexpr uint16_t HalfInfinity = 0x7C00;
constexpr int MantissaShift = 13; // 23 float mantissa bits - 10 half mantissa bits

uint32_t Bits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

float FromBits(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}
} // namespace

uint16_t FloatToHalf(float value)
{
    const uint32_t bits = Bits(value);
    const auto sign = static_cast<uint16_t>((bits >> 16) & 0x8000);
    const auto exponent = static_cast<int32_t>((bits >> 23) & 0xFF);
    const uint32_t mantissa = bits & 0x7FFFFF;

    if (exponent == 0xFF)
    {
        if (mantissa == 0)
            return sign | HalfInfinity;
        // Keep a NaN a NaN even when its payload lies in the bits that are cut off.
        const auto payload = static_cast<uint16_t>(mantissa >> MantissaShift);
        return sign | HalfInfinity | (payload != 0 ? payload : 1);
    }

    const int32_t rebased = exponent - static_cast<int32_t>(HalfExponentRebase);
    if (rebased >= 31)
        return sign | HalfInfinity;
    if (rebased <= 0)
    {
        // A half denormal: the implicit bit joins the mantissa, shifted by the missing exponent.
        if (rebased < -10)
            return 0;
        const uint32_t denormal = (mantissa | 0x800000) >> (MantissaShift + 1 - rebased);
        if (denormal == 0)
            return 0;
        return sign | static_cast<uint16_t>(denormal);
    }
    return sign | static_cast<uint16_t>(rebased << 10) | static_cast<uint16_t>(mantissa >> MantissaShift);
}

float HalfToFloat(uint16_t half)
{
    const uint32_t sign = static_cast<uint32_t>(half & 0x8000) << 16;
    int32_t exponent = (half >> 10) & 0x1F;
    uint32_t mantissa = half & 0x3FF;

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
    const auto biased = static_cast<uint32_t>(exponent + static_cast<int32_t>(HalfExponentRebase));
    return FromBits(sign | (biased << 23) | (mantissa << MantissaShift));
}
