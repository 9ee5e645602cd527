#include "core/math/noise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Noise, VanishesOnTheLatticeStaysInRangeAndIsZeroOutOfRange)
{
    for (int i = -20; i <= 20; ++i)
        EXPECT_EQ(0.0f, Noise1(static_cast<float>(i)));
    bool varies = false;
    for (int i = 0; i < 2000; ++i)
    {
        const float value = Noise1(i * 0.0137f - 10.0f);
        ASSERT_LE(std::fabs(value), 1.0f);
        varies = varies || std::fabs(value) > 1e-3f;
    }
    EXPECT_TRUE(varies);
    // Input beyond the lattice's reach gives 0.
    EXPECT_EQ(0.0f, Noise1(1e12f));
    EXPECT_EQ(0.0f, Noise1(-1e12f));
    EXPECT_EQ(0.0f, Noise1(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_EQ(0.0f, Noise1(std::numeric_limits<float>::infinity()));
}
