#pragma once

#include "core/math/matrix.h"

// The identity moved to (x, y, z).
inline TMatrix Translation(f32 x, f32 y, f32 z)
{
    TMatrix m(1.0f);
    m.aRow[3] = TVector(x, y, z, 1.0f);
    return m;
}
