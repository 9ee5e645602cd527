#include "core/math/color.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Color, PacksComponentsAsAlphaRedGreenBlue)
{
    EXPECT_EQ((TColor{1.0f, 0.0f, 0.0f, 1.0f}.ToARGB()), 0xFFFF0000u);
    EXPECT_EQ((TColor{0.0f, 1.0f, 0.0f, 0.0f}.ToARGB()), 0x0000FF00u);
    EXPECT_EQ((TColor{0.0f, 0.0f, 1.0f, 0.5f}.ToARGB()), 0x7F0000FFu);
    // Truncated toward zero: 0.999 × 255 = 254.7 gives 254.
    EXPECT_EQ((TColor{0.999f, 0.5f, 0.25f, 1.0f}.ToARGB()), 0xFFFE7F3Fu);
    // A stored colour beyond what an int holds, or no number, packs its channel as 0.
    EXPECT_EQ((TColor{1.0e8f, -1.0e8f, std::nanf(""), 1.0f}.ToARGB()), 0xFF000000u);
    // The last value an int holds (2^31 - 128) keeps its low byte; the next float above does not.
    EXPECT_EQ((TColor{8421504.0f, 0.0f, 0.0f, 0.0f}.ToARGB()), 0x00800000u);
    EXPECT_EQ((TColor{8421505.0f, 0.0f, 0.0f, 0.0f}.ToARGB()), 0x00000000u);
}
