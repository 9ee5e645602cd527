#pragma once
// The stored sound types: their ids, which are repository format, and their descriptors. The
// prototypes are the XAudio2 classes and the game sound records.
#include "core/cluster/clustertypedecl.h"

constexpr u16 SOUND_GROUP_TYPE_ID = 69;
constexpr u16 SOUND_DATA_LIBRARY_TYPE_ID = 70;
constexpr u16 SOUND_DATA_TYPE_ID = 71;
constexpr u16 SOUND_PARAMETER_TYPE_ID = 72;
constexpr u16 SOUND_TYPE_ID = 73;
constexpr u16 SOUND_GEOMETRY_DATA_TYPE_ID = 74;
constexpr u16 SOUND_GEOMETRY_TYPE_ID = 75;
constexpr u16 SOUND_REVERB_TYPE_ID = 76;
constexpr u16 GAME_SOUND_TYPE_ID = 111;
constexpr u16 GAME_SOUND_NODE_TYPE_ID = 129;

// Resource kinds the constructors put into the resource head.
constexpr u32 SOUND_KIND_DATA = 12;
constexpr u32 SOUND_KIND_GROUP = 13;
constexpr u32 SOUND_KIND_GEOMETRY_DATA = 14;
constexpr u32 SOUND_KIND_LIBRARY = 16;

const TClusterTypeDecl& SoundGroupDecl();
const TClusterTypeDecl& SoundDataLibraryDecl();
const TClusterTypeDecl& SoundDataDecl();
const TClusterTypeDecl& SoundParameterDecl();
const TClusterTypeDecl& SoundDecl();
const TClusterTypeDecl& SoundGeometryDecl();
const TClusterTypeDecl& SoundReverbDecl();
const TClusterTypeDecl& GameSoundDecl();
const TClusterTypeDecl& GameSoundNodeDecl();
