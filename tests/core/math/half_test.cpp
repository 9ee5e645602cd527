#include "core/math/half.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace
{
uint32_t Bits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}
} // namespace

TEST(Half, EdgeValues)
{
    EXPECT_EQ(0x3C00, FloatToHalf(1.0f));
    EXPECT_EQ(0xC000, FloatToHalf(-2.0f));
    EXPECT_EQ(0x7BFF, FloatToHalf(65520.0f)); // the mantissa is truncated, not rounded up
    EXPECT_EQ(0x7C00, FloatToHalf(65536.0f));
    EXPECT_EQ(0xFC00, FloatToHalf(-1e30f));
    EXPECT_EQ(0x7C00, FloatToHalf(std::numeric_limits<float>::infinity()));
    EXPECT_EQ(0xFC00, FloatToHalf(-std::numeric_limits<float>::infinity()));
    EXPECT_EQ(0x3C00, FloatToHalf(1.0f + 1.0f / 4096.0f)); // below half a step: truncated

    // Denormals come from the implicit bit; below the smallest one the sign is dropped.
    EXPECT_EQ(0x0001, FloatToHalf(std::ldexp(1.0f, -24)));
    EXPECT_EQ(0x8200, FloatToHalf(-std::ldexp(1.0f, -15)));
    EXPECT_EQ(0x03FF, FloatToHalf(std::ldexp(1023.0f, -24)));
    EXPECT_EQ(0x0000, FloatToHalf(std::ldexp(1.0f, -25)));
    EXPECT_EQ(0x0000, FloatToHalf(-1e-10f));
    EXPECT_EQ(0x0000, FloatToHalf(-0.0f));
    EXPECT_EQ(0x0400, FloatToHalf(std::ldexp(1.0f, -14))); // the smallest normal
}

TEST(Half, NaNStaysNaN)
{
    EXPECT_TRUE(std::isnan(HalfToFloat(FloatToHalf(std::numeric_limits<float>::quiet_NaN()))));
    // A payload only in the low bits that the conversion cuts off must not become infinity.
    uint32_t lowPayload = 0x7F800001;
    float nan;
    std::memcpy(&nan, &lowPayload, sizeof(nan));
    const uint16_t half = FloatToHalf(nan);
    EXPECT_EQ(0x7C00, half & 0x7C00);
    EXPECT_NE(0, half & 0x03FF);
}

TEST(Half, HalfToFloatIsExact)
{
    EXPECT_EQ(1.0f, HalfToFloat(0x3C00));
    EXPECT_EQ(65504.0f, HalfToFloat(0x7BFF));
    EXPECT_EQ(std::ldexp(1.0f, -24), HalfToFloat(0x0001));
    EXPECT_EQ(std::ldexp(1023.0f, -24), HalfToFloat(0x03FF));
    EXPECT_EQ(Bits(-0.0f), Bits(HalfToFloat(0x8000)));
    EXPECT_EQ(-std::numeric_limits<float>::infinity(), HalfToFloat(0xFC00));
}

TEST(Half, EveryHalfRoundTrips)
{
    for (uint32_t h = 0; h <= 0xFFFF; ++h)
    {
        const auto half = static_cast<uint16_t>(h);
        if (half == 0x8000)
            continue; // -0 converts back to +0 like every value below the smallest denormal
        const uint16_t back = FloatToHalf(HalfToFloat(half));
        if ((half & 0x7C00) == 0x7C00 && (half & 0x03FF) != 0)
        {
            // A float returned on i386 passes the x87 stack, which sets the quiet bit of a
            // signalling NaN; the NaN and the rest of its payload survive.
            ASSERT_EQ(half | 0x0200, back | 0x0200) << std::hex << h;
            continue;
        }
        ASSERT_EQ(half, back) << std::hex << h;
    }
    EXPECT_EQ(0x0000, FloatToHalf(HalfToFloat(0x8000)));
}
