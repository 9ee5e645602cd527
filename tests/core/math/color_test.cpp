#include "core/math/color.h"

#include <gtest/gtest.h>

TEST(Color, PacksComponentsAsAlphaRedGreenBlue)
{
    EXPECT_EQ((TColor{1.0f, 0.0f, 0.0f, 1.0f}.ToARGB()), 0xFFFF0000u);
    EXPECT_EQ((TColor{0.0f, 1.0f, 0.0f, 0.0f}.ToARGB()), 0x0000FF00u);
    EXPECT_EQ((TColor{0.0f, 0.0f, 1.0f, 0.5f}.ToARGB()), 0x7F0000FFu);
    // Truncated toward zero: 0.999 × 255 = 254.7 gives 254.
    EXPECT_EQ((TColor{0.999f, 0.5f, 0.25f, 1.0f}.ToARGB()), 0xFFFE7F3Fu);
}
