#include "core/math/noise.h"
#include "core/system/name.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Noise, VanishesOnTheLatticeAndStaysInRange)
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
}

TEST(Noise, OctaveSumsAddScaledOctaves)
{
    const float x = 0.37f;
    EXPECT_FLOAT_EQ(Noise1(x) + Noise1(2.0f * x) / 2.0f + Noise1(4.0f * x) / 4.0f,
                    NoiseOctaves1(x, 2.0f, 2.0f, 3));
    EXPECT_FLOAT_EQ(Noise1(x) + Noise1(3.0f * x) / 5.0f, NoiseOctaves1(x, 5.0f, 3.0f, 2));
    EXPECT_EQ(0.0f, NoiseOctaves1(x, 2.0f, 2.0f, 0));
}

TEST(Noise, VectorsScaleThreeOctaveSums)
{
    const TVector v = NoiseVector1D(1.3f, 4.0f);
    EXPECT_FLOAT_EQ(NoiseOctaves1(1.3f, 2.0f, 2.0f, 3) * 4.0f, v.x);
    EXPECT_FLOAT_EQ(NoiseOctaves1(1.3f + 0.15f, 2.0f, 2.0f, 3) * 4.0f, v.y);
    EXPECT_FLOAT_EQ(NoiseOctaves1(1.3f + 0.3f, 2.0f, 2.0f, 3) * 4.0f, v.z);
    EXPECT_EQ(1.0f, v.w);

    const TVector p = NoiseVector3D(TVector(0.2f, -5.7f, 9.1f, 0.0f), 0.5f);
    EXPECT_FLOAT_EQ(NoiseOctaves1(0.2f, 2.0f, 2.0f, 3) * 0.5f, p.x);
    EXPECT_FLOAT_EQ(NoiseOctaves1(-5.7f, 2.0f, 2.0f, 3) * 0.5f, p.y);
    EXPECT_FLOAT_EQ(NoiseOctaves1(9.1f, 2.0f, 2.0f, 3) * 0.5f, p.z);
    EXPECT_EQ(1.0f, p.w);
}

TEST(Noise, OutOfRangeInputGivesZero)
{
    EXPECT_EQ(0.0f, Noise1(1e12f));
    EXPECT_EQ(0.0f, Noise1(-1e12f));
    EXPECT_EQ(0.0f, Noise1(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_EQ(0.0f, Noise1(std::numeric_limits<float>::infinity()));
}
