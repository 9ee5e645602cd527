#pragma once
// TSoundFade: a value moving towards its target at a rate per second (volumes and pitches of
// sounds and groups). Stored inside sound and group records.
#include "core/system/types.h"

struct TSoundFade
{
    f32 fCurrent;
    f32 fTarget;
    f32 fRate;
    u32 nChanged;

    // Moves the current value towards the target by rate x t without passing it; answers (and
    // keeps in nChanged) whether it moved.
    u32 Step(f32 t);
};

static_assert(sizeof(TSoundFade) == 16);
