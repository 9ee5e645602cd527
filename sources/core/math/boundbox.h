#pragma once

#include "core/math/vector.h"

#include <cstddef>

// An axis-aligned bounding box with its bounding sphere. The corners are the data; centre,
// radius, size and diagonal are derived from them by Update. The minimum corner's w marks an
// empty box (1 for a box that holds points).
struct TBoundBox
{
    float centre[3];
    float radius;
    float size[3];
    float diagonal;
    TVector minimum;
    TVector maximum;

    // Copies the corners of another box and recomputes the rest.
    void Copy(const TBoundBox& source);
    // Centre at the mid-point of the corners, size and diagonal from their difference, radius
    // half the diagonal.
    void Update();
};
static_assert(sizeof(TBoundBox) == 64);
static_assert(offsetof(TBoundBox, minimum) == 32);
static_assert(offsetof(TBoundBox, maximum) == 48);
