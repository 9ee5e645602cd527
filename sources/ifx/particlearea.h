#pragma once
// Force areas: a field around a centre that bends the flight of the particles inside its
// radius: a pull towards the centre, or a noise field. Emitter data carry up to four local ones
// (centred on the emitter's node); global areas (TParticleGlobalArea) act on every particle.
#include "core/math/vector.h"
#include "ifx/particle.h"

#include <cfloat>
#include <cmath>

constexpr u32 PARTICLE_AREA_PULL = 0;
constexpr u32 PARTICLE_AREA_NONE = 1;
constexpr u32 PARTICLE_AREA_NOISE = 2;

// Axis mask bits: the masked components of the push are 0.
constexpr u32 PARTICLE_AREA_AXIS_X = 1;
constexpr u32 PARTICLE_AREA_AXIS_Y = 2;
constexpr u32 PARTICLE_AREA_AXIS_Z = 4;

struct TParticleAreaRecord
{
    u32 nId;
    u32 nMode;
    // x, y, z from the node; w.
    f32 aOffset[4];
    f32 fRadius;
    f32 fStrength;
    f32 fNoiseScale;
    u32 nAxisMask;
};

static_assert(sizeof(TParticleAreaRecord) == 40);

// The force-area part of a global area: its interface-table word, then the record.
struct TParticleArea
{
    u32 m_nTable;
    TParticleAreaRecord Area;
};

static_assert(sizeof(TParticleArea) == 44);

// direction := v / |v| and speed := |v|; the direction stays below a length of 1e-30. Inline: the
// step of every particle calls it.
inline void SetParticleVelocity(TParticle& particle, f32 vx, f32 vy, f32 vz);
// Bends the particle's flight by the area centred at `centre` over dt seconds, when the particle
// lies inside its radius.
inline void ApplyParticleArea(const TParticleAreaRecord& area, const TVector& centre, TParticle& particle,
                              f32 dt);
// The noise field's push direction at the particle.
TVector ParticleNoise(const TParticleAreaRecord& area, const TParticle& particle);
// SetParticleVelocity for squares too small for floats.
void SetSlowParticleVelocity(TParticle& particle, f32 vx, f32 vy, f32 vz);
// The step's change of a flight before the areas: gravity (pull per second, 0 for none) bends
// it, then the particle's acceleration changes its speed (a braking one stops at 0).
inline void AccelerateParticle(TParticle& particle, f32 gravity, f32 dt);

// An area made ready for a step over many particles: what the step of each would otherwise work
// out again (the square of the radius, strength / radius, the mode) is found once.
struct TParticleAreaStep
{
    const TParticleAreaRecord* pArea;
    f32 aCentre[3];
    f32 fRadiusSquare;
    // strength / radius
    f32 fPull;
    u32 nMode;
    u32 nAxisMask;

    // False for an area that moves no particle (no radius, or a mode that pushes nothing): the
    // step leaves it out.
    inline bool Prepare(const TParticleAreaRecord& area, const TVector& centre);
    inline void Apply(TParticle& particle, f32 dt) const;
};

// AccelerateParticle, then each area's Apply, on four particles at once: the same operations in
// the same order, four lanes wide (the roots and divisions are the step's dearest part).
void BendFourParticles(TParticle* const particles[4], f32 gravity, f32 dt, const TParticleAreaStep* areas,
                       u32 areaCount);

inline void SetParticleVelocity(TParticle& particle, f32 vx, f32 vy, f32 vz)
{
    const f32 square = vx * vx + vy * vy + vz * vz;
    if (square < FLT_MIN)
    {
        SetSlowParticleVelocity(particle, vx, vy, vz);
        return;
    }
    const f32 length = std::sqrt(square);
    const f32 inverse = 1.0f / length;
    particle.fSpeed = length;
    particle.aDirection[0] = vx * inverse;
    particle.aDirection[1] = vy * inverse;
    particle.aDirection[2] = vz * inverse;
}

inline void AccelerateParticle(TParticle& p, f32 gravity, f32 dt)
{
    if (gravity != 0.0f)
        SetParticleVelocity(p, p.aDirection[0] * p.fSpeed, p.aDirection[1] * p.fSpeed - gravity * dt,
                            p.aDirection[2] * p.fSpeed);
    if (p.fAcceleration != 0.0f)
    {
        p.fSpeed += p.fAcceleration * dt;
        if (p.fAcceleration < 0.0f && p.fSpeed < 0.0f)
            p.fSpeed = 0.0f;
    }
}

inline bool TParticleAreaStep::Prepare(const TParticleAreaRecord& area, const TVector& centre)
{
    if (!(area.fRadius > 0.0f) || (area.nMode != PARTICLE_AREA_PULL && area.nMode != PARTICLE_AREA_NOISE))
        return false;
    pArea = &area;
    aCentre[0] = centre.x;
    aCentre[1] = centre.y;
    aCentre[2] = centre.z;
    fRadiusSquare = area.fRadius * area.fRadius;
    fPull = area.fStrength / area.fRadius;
    nMode = area.nMode;
    nAxisMask = area.nAxisMask;
    return true;
}

inline void TParticleAreaStep::Apply(TParticle& particle, f32 dt) const
{
    f32 d[3] = {aCentre[0] - particle.aPosition[0], aCentre[1] - particle.aPosition[1],
                aCentre[2] - particle.aPosition[2]};
    const f32 square = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    // Outside the radius (|d| >= R) nothing happens; most particles of most areas are.
    if (square >= fRadiusSquare)
        return;
    const f32 k = fPull * std::sqrt(square) * dt;
    if (nMode == PARTICLE_AREA_NOISE)
    {
        const TVector noise = ParticleNoise(*pArea, particle);
        d[0] = noise.x;
        d[1] = noise.y;
        d[2] = noise.z;
    }
    if (nAxisMask)
        for (u32 axis = 0; axis < 3; ++axis)
            if (nAxisMask & (1u << axis))
                d[axis] = 0.0f;
    const f32* v = particle.aDirection;
    const f32 speed = particle.fSpeed;
    SetParticleVelocity(particle, v[0] * speed + k * d[0], v[1] * speed + k * d[1], v[2] * speed + k * d[2]);
}

inline void ApplyParticleArea(const TParticleAreaRecord& area, const TVector& centre, TParticle& particle,
                              f32 dt)
{
    TParticleAreaStep step;
    if (step.Prepare(area, centre))
        step.Apply(particle, dt);
}
