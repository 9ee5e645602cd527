#pragma once
// Force areas: a field around a centre that bends the flight of the particles inside its
// radius: a pull towards the centre, or a noise field. Emitter data carry up to four local ones
// (centred on the emitter's node); global areas (TParticleGlobalArea) act on every particle.
#include "core/math/vector.h"

struct TParticle;

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

// Bends the particle's flight by the area centred at `centre` over dt seconds. A flight whose
// new velocity is (nearly) zero keeps its direction.
void ApplyParticleArea(const TParticleAreaRecord& area, const TVector& centre, TParticle& particle, f32 dt);
// direction := v / |v| and speed := |v|; the direction stays below a length of 1e-30.
void SetParticleVelocity(TParticle& particle, f32 vx, f32 vy, f32 vz);
