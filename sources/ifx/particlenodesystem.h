#pragma once
// TParticleNodeSystem (stored type 90, 164 bytes): the render object that places a particle
// effect on a scene node. It lives in the render queue "Alpha blend", spawns its effect and
// starts and stops it as its node and its visibility driver switch, feeds node motion and its
// drivers into the effect, and draws it (also into shadow maps). TIParticleNodeSystem
// implements it.
#include "engine/render/renderobject.h"

class TParticleEmitterData;
class TParticleSystem;
class TTexture;

constexpr u32 PARTICLE_DRIVER_CAPACITY = 4;
// Render flags.
constexpr u32 PARTICLE_NODE_CASTS_SHADOW = 2;

// Driver sources: the node's speed, the data's rate scale, then the emitter's multipliers.
constexpr i32 PARTICLE_DRIVER_NODE_SPEED = 0;
constexpr i32 PARTICLE_DRIVER_RATE_SCALE = 1;
constexpr i32 PARTICLE_DRIVER_FIRST_MULTIPLIER = 2;
constexpr i32 PARTICLE_DRIVER_LAST_MULTIPLIER = 8;

// A value carried from a source to a target, mapped from the input range to the output range
// (clamped at both ends).
struct TParticleDriver
{
    i32 nSource;
    i32 nTarget;
    f32 fInputMinimum;
    f32 fInputMaximum;
    f32 fOutputMinimum;
    f32 fOutputMaximum;

    f32 Map(f32 value) const;
};

static_assert(sizeof(TParticleDriver) == 24);

class TParticleNodeSystem : public TRenderObject
{
public:
    virtual void Activate() = 0;
    virtual void Deactivate() = 0;

    TTexture* pColor;
    TTexture* pNormal;
    TTexture* pMask;
    TParticleEmitterData* pEmitterData;
    f32 m_fValue44;
    u32 m_nRenderFlags;
    TParticleSystem* pParticleSystem;
    u32 m_nActive;
    i32 m_nDriverCount;
    TParticleDriver aDriver[PARTICLE_DRIVER_CAPACITY];
    TNode* pVisibilityDriver;

protected:
    TParticleNodeSystem();
};

static_assert(sizeof(TParticleNodeSystem) == 164);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TParticleNodeSystem, pColor) == 28);
static_assert(offsetof(TParticleNodeSystem, pEmitterData) == 40);
static_assert(offsetof(TParticleNodeSystem, m_fValue44) == 44);
static_assert(offsetof(TParticleNodeSystem, m_nRenderFlags) == 48);
static_assert(offsetof(TParticleNodeSystem, pParticleSystem) == 52);
static_assert(offsetof(TParticleNodeSystem, m_nActive) == 56);
static_assert(offsetof(TParticleNodeSystem, m_nDriverCount) == 60);
static_assert(offsetof(TParticleNodeSystem, aDriver) == 64);
static_assert(offsetof(TParticleNodeSystem, pVisibilityDriver) == 160);
#pragma GCC diagnostic pop
