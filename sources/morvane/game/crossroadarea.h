#pragma once
// TCrossroadArea (stored type 160, 152 bytes): a circle on the apron roads that AI units pass
// one at a time, the queue's head first. Each frame, after the units' driving, free units whose
// front point enters the circle join the queue (held unless alone); the head leaves once it is
// out of the circle, working, waiting for its start, or after 240 s, and the next is released.
// A full queue refuses further units with an error line: they wait outside until a place frees.
#include "core/system/templates/darray.h"
#include "core/system/templates/sarray.h"

#include <cstddef>

class TAICommonUnit;

constexpr u32 CROSSROAD_QUEUE_CAPACITY = 32;
// Seconds a head may wait before it is dropped from the queue.
constexpr f32 CROSSROAD_GIVE_UP = 240.0f;

struct TCrossroadArea
{
    // The frame: units of the list join, the head leaves.
    void Update(const DArray<TAICommonUnit*>& units, f32 dt);
    bool IsQueued(const TAICommonUnit* unit) const;

    f32 fX, fY, fZ, fW;
    f32 fRadius;
    SArray<TAICommonUnit*, CROSSROAD_QUEUE_CAPACITY, 0> aAIUnit;
};

static_assert(sizeof(TCrossroadArea) == 152);
static_assert(offsetof(TCrossroadArea, fRadius) == 16);
static_assert(offsetof(TCrossroadArea, aAIUnit) == 20);
