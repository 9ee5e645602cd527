#pragma once
// TParticle: one slot of a system's particle array (112 bytes). A free slot has age -1 and is
// linked into the free list by index; a live one has every bit of its link set.
#include "core/system/types.h"

constexpr f32 PARTICLE_FREE = -1.0f;
constexpr i32 PARTICLE_LIST_END = -1;
constexpr i32 PARTICLE_ALIVE = -1; // the link word of a live particle: all bits set
constexpr u32 PARTICLE_LOD_RANKS = 16;

struct TParticle
{
    // Age units per second (1 / lifetime).
    f32 fRate;
    // 0 at birth, 1 at the end of life; PARTICLE_FREE for a free slot.
    f32 fAge;
    f32 aPosition[3];
    // A unit vector.
    f32 aDirection[3];
    f32 fSpeed;
    f32 fAcceleration;
    // Degrees; the first turns the quad.
    f32 aAngle[3];
    f32 aAngularSpeed[3];
    // The first multiplies the quad's size.
    f32 aScale[3];
    f32 fMiddleAge;
    // At age 0, at the middle key, at age 1.
    f32 aSize[3];
    f32 fFrameRate;
    f32 fFrame;
    // Written only by depth sorting.
    f32 fCameraDistance;
    // 0 to 15 in the low byte.
    u32 nLodRank;
    // The next free particle, or PARTICLE_ALIVE.
    i32 nLink;

    bool IsFree() const { return fAge == PARTICLE_FREE; }
};

static_assert(sizeof(TParticle) == 112);
