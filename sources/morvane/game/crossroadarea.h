#pragma once
// TCrossroadArea (stored type 160, 152 bytes): a circle on the apron roads that AI units pass
// one at a time, the queue's head first.
#include "core/system/templates/sarray.h"

#include <cstddef>

class TAICommonUnit;

constexpr u32 CROSSROAD_QUEUE_CAPACITY = 32;

struct TCrossroadArea
{
    f32 fX, fY, fZ, fW;
    f32 fRadius;
    SArray<TAICommonUnit*, CROSSROAD_QUEUE_CAPACITY, 0> aAIUnit;
};

static_assert(sizeof(TCrossroadArea) == 152);
static_assert(offsetof(TCrossroadArea, fRadius) == 16);
static_assert(offsetof(TCrossroadArea, aAIUnit) == 20);
