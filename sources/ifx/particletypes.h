#pragma once
// The particle module's stored types (repository type ids) and their descriptors.
#include "core/system/types.h"

class TClusterTypeDecl;

constexpr u16 PARTICLE_EMITTER_DATA_TYPE_ID = 85;
constexpr u16 PARTICLE_EMITTER_ANIMATION_TYPE_ID = 86;
constexpr u16 PARTICLE_EMITTER_TYPE_ID = 87;
constexpr u16 PARTICLE_GLOBAL_AREA_TYPE_ID = 88;
constexpr u16 PARTICLE_SYSTEM_TYPE_ID = 89;
constexpr u16 PARTICLE_NODE_SYSTEM_TYPE_ID = 90;

const TClusterTypeDecl& ParticleEmitterDataDecl();
const TClusterTypeDecl& ParticleEmitterAnimationDecl();
const TClusterTypeDecl& ParticleEmitterDecl();
const TClusterTypeDecl& ParticleGlobalAreaDecl();
const TClusterTypeDecl& ParticleSystemDecl();
const TClusterTypeDecl& ParticleNodeSystemDecl();
