#pragma once

#include "core/math/matrix.h"

#include <gtest/gtest.h>

// Component-wise comparisons within a tolerance, reporting which component differs.
inline void ExpectVectorNear(const TVector& expected, const TVector& actual, float tolerance = 1e-5f)
{
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
    EXPECT_NEAR(expected.w, actual.w, tolerance);
}

inline void ExpectMatrixNear(const TMatrix& expected, const TMatrix& actual, float tolerance = 1e-5f)
{
    for (int row = 0; row < 4; ++row)
    {
        SCOPED_TRACE(row);
        ExpectVectorNear(expected.aRow[row], actual.aRow[row], tolerance);
    }
}
