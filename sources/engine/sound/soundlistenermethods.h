#pragma once
// TSoundListenerMethods: where the listener of 3D sound stands (TSoundManager::SetListener);
// the sound manager asks it once per update with the time step.
#include "core/math/vector.h"
#include "core/system/types.h"

struct TSoundListenerFrame
{
    TVector Position;
    TVector Front;
    TVector Top;
    TVector Velocity;
};

static_assert(sizeof(TSoundListenerFrame) == 64);

class TSoundListenerMethods
{
public:
    virtual ~TSoundListenerMethods() = default;
    // Fills the frame for a step of t seconds; what it leaves alone keeps its last value.
    virtual void GetFrame(f32 t, TSoundListenerFrame& frame) = 0;
};
