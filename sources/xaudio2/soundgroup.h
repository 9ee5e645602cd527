#pragma once
// TSoundGroup (stored type 69): a node of the group tree that scales the volume of every sound
// playing in it ("/master", "/master/game/effects" ...). Its parent is the first resource it
// uses.
#include "engine/system/resource.h"

class TSoundGroup : public TResource
{
public:
    // A time of exactly 0 applies the volume at once; a positive time fades to it over that
    // many seconds from full scale; a negative one keeps the previous rate.
    virtual void SetVolume(f32 volume, f32 time) = 0;
    virtual void SetVolumeNow(f32 volume) = 0;
    // The on/off switch x the effective volume x the base gain.
    virtual f32 GetVolume() = 0;
};
