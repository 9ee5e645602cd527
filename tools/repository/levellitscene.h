#pragma once
// The level's lit apron at dusk, added to its render scene: a ground of 4 x 4 patches, the
// terminal (where its collision block stands), a hangar and a control tower with normals, a sun
// in the scene's light set with two floodlights and a lamp, a global environment and a local
// one before the terminal with their reflection textures, and the terrain settings block.
#include "core/system/types.h"

class TClusterManager;
class TNode;
class TRepositoryWriter;

// The level's background at dusk (ARGB), as the start-up script sets rendermanager_backgroundcolor.
inline constexpr u32 LEVEL_SKY_COLOUR = 0x5A7090;

// Builds the records on the level (held until the next call), into the level scene's queue
// "Normal", and appends the light, environment and terrain managers; answers the new count.
i32 AddLevelLitScene(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count);
