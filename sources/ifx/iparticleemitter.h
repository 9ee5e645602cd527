#pragma once
// TIParticleEmitter: emission (start, pre-simulation, the rate with its interval timer and LOD
// fade, the shapes and cone directions) and the step of a particle through its life (ageing,
// flight, gravity, acceleration, spin, the texture sheet, force areas).
#include "core/math/matrix.h"
#include "ifx/particleemitter.h"

class TCamera;
class TIParticleEmitterData;
struct TParticle;
struct TParticleAreaRecord;

// How long a pre-simulation runs at most (seconds): data asking for more would hold the frame.
constexpr f32 PARTICLE_PRESIMULATION_LIMIT = 60.0f;
// The most particle steps (steps times the system's particles) a pre-simulation takes: a large
// array over a long pre-simulation takes longer steps instead of holding the frame.
constexpr u32 PARTICLE_PRESIMULATION_WORK = 1u << 20;
// The shortest lifetime: a lifetime of 0 would give an endless rate.
constexpr f32 PARTICLE_MIN_LIFETIME = 0.001f;
// Gravity's pull per factor and second.
constexpr f32 PARTICLE_GRAVITY = 18.0f;

// The current camera of the scene, which emission and sorting measure against; null without one.
TCamera* ParticleCamera();

class TIParticleEmitter : public TParticleEmitter
{
public:
    // Stopped, every multiplier 1.0.
    TIParticleEmitter();
    ~TIParticleEmitter() override;

    void SetEmitterData(TParticleEmitterData* data) override { pEmitterData = data; }
    void AssignAnimationData(TParticleEmitterAnimation* animation) override;
    TParticleEmitterData* GetEmitterData() override { return pEmitterData; }
    u32 IsRunning() override { return m_nRunning; }
    void Start() override;
    void Stop() override { m_nRunning = 0; }
    u32 Emit(u32 count) override;
    f32 GetMultiplier(u32 index) override;
    void SetMultiplier(u32 index, f32 value) override;
    void Advance(f32 dt) override;
    // 0 stops, anything else starts.
    void OnEnable(u32 enabled) override;

    // Advances emission and every particle for `seconds` in steps of `step` (nothing for a
    // length that is not above 0; at most PARTICLE_PRESIMULATION_LIMIT, in steps long enough to
    // stay within PARTICLE_PRESIMULATION_WORK).
    void PreSimulate(f32 seconds, f32 step);
    // Steps every particle of the system by dt: the number alive afterwards, and the box of
    // their positions (untouched when none lives).
    i32 StepParticles(f32 dt, f32* minimum, f32* maximum);
    // One particle's step; 1 when it is (or becomes) free.
    u32 StepParticle(TParticle& particle, i32 index, f32 dt);
    // The emission over dt as a count, with the interval timer's part (0 while less than one is
    // due).
    u32 ComputeRate(f32 dt);
    // The LOD fade at a distance from the camera.
    f32 LodFade(f32 distance) const;
    // The emitter's frame: the data's local matrix by the node's world matrix (the local matrix
    // alone for particles in local space).
    TMatrix GetEmitMatrix() const;
    // The world position of the node, which local force areas are centred on.
    TVector GetNodePosition() const;

private:
    struct TStepContext;
    void MakeStepContext(TStepContext& context) const;
    // One particle's whole step: Move, then Bend unless it is free.
    u32 Step(TParticle& particle, i32 index, f32 dt, const TStepContext& context);
    // The step but for the flight's change (ageing, motion, spin, the sheet): 1 when the
    // particle is (or becomes) free.
    u32 Move(TParticle& particle, i32 index, f32 dt, const TStepContext& context);
    // The flight's change: gravity and acceleration, then the emitter's areas and the global
    // ones. BendFour: the same for four particles, four lanes wide.
    void Bend(TParticle& particle, f32 dt, const TStepContext& context);
    void BendFour(TParticle* const four[4], f32 dt, const TStepContext& context);
    // The global areas past the prepared ones.
    void ApplyUnpreparedAreas(TParticle& particle, f32 dt, const TStepContext& context);
    // Position and direction of a new particle from the data's shape and cone.
    void Place(TParticle& particle, const TMatrix& frame);
    TIParticleEmitterData* Data() const { return reinterpret_cast<TIParticleEmitterData*>(pEmitterData); }
};
