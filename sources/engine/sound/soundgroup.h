#pragma once
// TSoundGroup (stored type 69, 128 bytes, kind 13): a node of the group tree that scales the
// volume and pitch of every sound playing in it ("/master", "/master/game/effects" ...). Its
// parent is the first resource it uses.
#include "engine/system/resource.h"

#include <cstddef>

class TSoundGroup : public TResource
{
public:
    // A time of exactly 0 applies the volume at once; a positive time fades to it at 1 / time
    // of full scale a second; a negative one keeps the previous rate.
    virtual void SetVolume(f32 volume, f32 time) = 0;
    virtual void SetVolumeNow(f32 volume) = 0;
    // As SetVolume; a time of 0 also resets the rate to 1.0.
    virtual void SetPitch(f32 pitch, f32 time) = 0;
    virtual void SetPitchNow(f32 pitch) = 0;
    // The on/off switch x the effective volume x the base gain.
    virtual f32 GetVolume() = 0;
    virtual void SetEnabled(u32 enabled) { m_nEnabled = enabled; }
    // Pauses (or resumes) the playing sounds of this group, not of its children.
    virtual void Pause(u32 pause) = 0;
    // Stops the playing sounds of this group through their fade-outs.
    virtual void StopAll() = 0;

    // The on/off switch: 0 silences the group and its children.
    u32 m_nEnabled = 1;
};

static_assert(sizeof(TSoundGroup) == 72);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TSoundGroup, m_nEnabled) == 68);
#pragma GCC diagnostic pop
