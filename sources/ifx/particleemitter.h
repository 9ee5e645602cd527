#pragma once
// TParticleEmitter (stored type 87, 156 bytes): the node object that turns an emitter data into
// particles: when and how many are born, where they start and where they fly, and the step of
// every particle of its system through its life. TIParticleEmitter implements it.
#include "engine/system/nodeobject.h"

class TParticleEmitterAnimation;
class TParticleEmitterData;
class TParticleSystem;

constexpr u32 PARTICLE_MULTIPLIER_COUNT = 27;
// The multipliers the module reads (26 is the node-system drivers' own).
constexpr u32 PARTICLE_MULTIPLIER_SPEED = 20;
constexpr u32 PARTICLE_MULTIPLIER_ACCELERATION = 21;
constexpr u32 PARTICLE_MULTIPLIER_GRAVITY = 22;
constexpr u32 PARTICLE_MULTIPLIER_SPIN = 23;
constexpr u32 PARTICLE_MULTIPLIER_CONE = 24;
constexpr u32 PARTICLE_MULTIPLIER_SIZE = 25;
constexpr u32 PARTICLE_MULTIPLIER_DRIVER = 26;

class TParticleEmitter : public TNodeObject
{
public:
    virtual void SetEmitterData(TParticleEmitterData* data) = 0;
    // Ends the program ("unimplemented").
    virtual void AssignAnimationData(TParticleEmitterAnimation* animation) = 0;
    virtual TParticleEmitterData* GetEmitterData() = 0;
    virtual u32 IsRunning() = 0;
    virtual void Start() = 0;
    virtual void Stop() = 0;
    // Returns how many were emitted.
    virtual u32 Emit(u32 count) = 0;
    virtual f32 GetMultiplier(u32 index) = 0;
    virtual void SetMultiplier(u32 index, f32 value) = 0;
    // dt is already scaled by the emitter's time scale.
    virtual void Advance(f32 dt) = 0;

    // Back to the state of a new emitter (stopped, every multiplier 1.0), still on its node.
    void ResetState();

    TParticleEmitterAnimation* pAnimation;
    f32 m_fElapsed;
    f32 m_fStartDelay;
    // Waits for the next particle while less than one is due per frame.
    f32 m_fIntervalTimer;
    f32 m_fIntervalAccumulator;
    f32 m_fTimeScale;
    u32 m_nRunning;
    TParticleEmitterData* pEmitterData;
    TParticleSystem* pSystem;
    f32 aMultiplier[PARTICLE_MULTIPLIER_COUNT];

protected:
    TParticleEmitter();
};

static_assert(sizeof(TParticleEmitter) == 156);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TParticleEmitter, pAnimation) == 12);
static_assert(offsetof(TParticleEmitter, m_nRunning) == 36);
static_assert(offsetof(TParticleEmitter, pEmitterData) == 40);
static_assert(offsetof(TParticleEmitter, pSystem) == 44);
static_assert(offsetof(TParticleEmitter, aMultiplier) == 48);
#pragma GCC diagnostic pop
