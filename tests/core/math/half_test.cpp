#include "core/math/half.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

TEST(Half, FloatsConvertByTruncationWithEdgesAndDenormalsAndEveryHalfRoundTrips)
{
    const float inf = std::numeric_limits<float>::infinity();
    const struct
    {
        float value;
        uint16_t half;
    } cases[] = {
        {1.0f, 0x3C00}, {-2.0f, 0xC000},
        {65520.0f, 0x7BFF}, // the mantissa is truncated, not rounded up
        {65536.0f, 0x7C00}, {98304.0f, 0x7C00}, {-1e30f, 0xFC00}, {inf, 0x7C00}, {-inf, 0xFC00},
        {1.0f + 1.0f / 4096.0f, 0x3C00},
        // Denormals come from the implicit bit; below the smallest one the sign is dropped.
        {std::ldexp(1.0f, -24), 0x0001}, {-std::ldexp(1.0f, -15), 0x8200}, {std::ldexp(1023.0f, -24), 0x03FF},
        {std::ldexp(1.0f, -25), 0x0000}, {-1e-10f, 0x0000}, {-0.0f, 0x0000}, {std::ldexp(1.0f, -14), 0x0400},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.half, FloatToHalf(c.value)) << c.value;
    EXPECT_TRUE(std::isnan(HalfToFloat(FloatToHalf(std::numeric_limits<float>::quiet_NaN()))));
    // A payload only in the low bits that the conversion cuts off must not become infinity.
    const uint32_t lowPayload = 0x7F800001;
    float nan;
    std::memcpy(&nan, &lowPayload, sizeof(nan));
    EXPECT_EQ(0x7C00, FloatToHalf(nan) & 0x7C00);
    EXPECT_NE(0, FloatToHalf(nan) & 0x03FF);
    EXPECT_EQ(65504.0f, HalfToFloat(0x7BFF));
    EXPECT_EQ(std::ldexp(1023.0f, -24), HalfToFloat(0x03FF));
    EXPECT_TRUE(std::signbit(HalfToFloat(0x8000)));
    EXPECT_EQ(-std::numeric_limits<float>::infinity(), HalfToFloat(0xFC00));
    for (uint32_t h = 0; h <= 0xFFFF; ++h)
    {
        const auto half = static_cast<uint16_t>(h);
        const uint16_t back = FloatToHalf(HalfToFloat(half));
        if (half == 0x8000)
            EXPECT_EQ(0x0000, back); // -0 converts back to +0 like every value below the smallest denormal
        // A float returned on i386 passes the x87 stack, which sets the quiet bit of a
        // signalling NaN; the NaN and the rest of its payload survive.
        else if ((half & 0x7C00) == 0x7C00 && (half & 0x03FF) != 0)
            ASSERT_EQ(half | 0x0200, back | 0x0200) << std::hex << h;
        else
            ASSERT_EQ(half, back) << std::hex << h;
    }
}
