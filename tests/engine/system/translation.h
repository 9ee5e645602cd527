#pragma once

#include "core/math/matrix.h"

#include <gtest/gtest.h>

// The identity moved to (x, y, z).
inline TMatrix Translation(f32 x, f32 y, f32 z)
{
    TMatrix m(1.0f);
    m.aRow[3] = TVector(x, y, z, 1.0f);
    return m;
}

// The first three values of a matrix row.
inline void ExpectRow(const TVector& row, f32 x, f32 y, f32 z, const char* what = "")
{
    EXPECT_NEAR(x, row.x, 1e-4f) << what;
    EXPECT_NEAR(y, row.y, 1e-4f) << what;
    EXPECT_NEAR(z, row.z, 1e-4f) << what;
}
