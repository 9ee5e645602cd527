#pragma once
// TTaskArea (stored type 159, 84 bytes): the place where a gate task's vehicle works, a circle
// of the radius around the position.
#include "core/math/matrix.h"

#include <cstddef>

struct TTaskArea
{
    TVector Position;
    TMatrix Transform;
    f32 fRadius;
};

static_assert(sizeof(TTaskArea) == 84);
static_assert(offsetof(TTaskArea, Transform) == 16);
static_assert(offsetof(TTaskArea, fRadius) == 80);
