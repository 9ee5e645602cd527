#pragma once
// The group tree the game's data define, parents first: "/master", its buses "/master/game",
// "/master/menu" and "/master/common", the game's ambience, and effects, music and speech under
// each bus. Registered with their texts, so that listings and completions print them.
#include "core/system/name.h"

constexpr u32 SOUND_GROUP_TREE_SIZE = 14;

const TName* SoundGroupTree();
