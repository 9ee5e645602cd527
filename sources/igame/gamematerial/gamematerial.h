#pragma once
// TGameMaterial (stored type 101, 52 bytes): how a surface answers a projectile: whether and how
// it ricochets, and the effects and sounds of a ricochet and of an impact. Its first word is the
// material's name id, the key the manager finds it by.
#include "core/system/types.h"

#include <cstddef>

class TClusterTypeDecl;
class TParticleEmitterData;
class TSoundData;

constexpr u16 GAME_MATERIAL_TYPE_ID = 101;

struct TGameMaterial
{
    u32 nName;
    u32 aHeader[2];
    // A ricochet only while |cos(direction, normal)| is below this.
    f32 ricochetMaxCos;
    f32 ricochetProbability;
    // Half-width per axis of the random vector added to the reflected direction.
    f32 ricochetScatter;
    // Share of the range a ricochet takes away (at most, for a head-on bounce).
    f32 ricochetEnergyLoss;
    TParticleEmitterData* pRicocheEffect;
    f32 ricochetEffectProbability;
    TSoundData* pRicocheSoundData;
    TParticleEmitterData* pImpactEffect;
    f32 impactEffectProbability;
    TSoundData* pImpactSoundData;
};

static_assert(sizeof(TGameMaterial) == 52);
static_assert(offsetof(TGameMaterial, ricochetMaxCos) == 12);
static_assert(offsetof(TGameMaterial, ricochetEnergyLoss) == 24);
static_assert(offsetof(TGameMaterial, pRicocheEffect) == 28);
static_assert(offsetof(TGameMaterial, ricochetEffectProbability) == 32);
static_assert(offsetof(TGameMaterial, pRicocheSoundData) == 36);
static_assert(offsetof(TGameMaterial, pImpactEffect) == 40);
static_assert(offsetof(TGameMaterial, impactEffectProbability) == 44);
static_assert(offsetof(TGameMaterial, pImpactSoundData) == 48);

const TClusterTypeDecl& GameMaterialDecl();
