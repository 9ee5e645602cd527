#pragma once

#include "core/math/vector.h"

// A ray: origin, unit direction and length. The length sits where the direction's w would be,
// and every ray cast uses it as the maximum distance.
struct TRay
{
    TVector origin;
    float direction[3];
    float length;

    TRay() = default;
    // The ray from a to b.
    TRay(const TVector& a, const TVector& b);

    void Set(const TVector& a, const TVector& b);
};
static_assert(sizeof(TRay) == 32);
