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

// The push of an area on a particle inside it, at distance d (the offset to the centre), |d|^2
// given.
inline void PushParticle(const TParticleAreaRecord& area, TParticle& particle, f32 dx, f32 dy, f32 dz,
                         f32 square, f32 dt);
// The noise field's push direction at the particle.
TVector ParticleNoise(const TParticleAreaRecord& area, const TParticle& particle);
// SetParticleVelocity for squares too small for floats.
void SetSlowParticleVelocity(TParticle& particle, f32 vx, f32 vy, f32 vz);

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

inline void ApplyParticleArea(const TParticleAreaRecord& area, const TVector& centre, TParticle& particle,
                              f32 dt)
{
    const f32 dx = centre.x - particle.aPosition[0], dy = centre.y - particle.aPosition[1],
              dz = centre.z - particle.aPosition[2];
    // Outside the radius (|d| >= R) nothing happens; most particles of most areas are.
    const f32 radius = area.fRadius;
    const f32 square = dx * dx + dy * dy + dz * dz;
    if (!(radius > 0.0f) || square >= radius * radius || area.nMode == PARTICLE_AREA_NONE)
        return;
    PushParticle(area, particle, dx, dy, dz, square, dt);
}

inline void PushParticle(const TParticleAreaRecord& area, TParticle& particle, f32 dx, f32 dy, f32 dz,
                         f32 square, f32 dt)
{
    f32 d[3] = {dx, dy, dz};
    const f32 k = area.fStrength / area.fRadius * std::sqrt(square) * dt;
    if (area.nMode == PARTICLE_AREA_NOISE)
    {
        const TVector noise = ParticleNoise(area, particle);
        d[0] = noise.x;
        d[1] = noise.y;
        d[2] = noise.z;
    }
    else if (area.nMode != PARTICLE_AREA_PULL)
        return;
    for (u32 axis = 0; axis < 3; ++axis)
        if (area.nAxisMask & (1u << axis))
            d[axis] = 0.0f;
    const f32* v = particle.aDirection;
    const f32 speed = particle.fSpeed;
    SetParticleVelocity(particle, v[0] * speed + k * d[0], v[1] * speed + k * d[1], v[2] * speed + k * d[2]);
}
