#pragma once
// The level's decals: oil stains baked at the stands (a static pool), and tyre tracks laid behind
// the tug's rear wheels (two track decals), all from one decal data whose atlas has a stain
// entry and a track entry with an asphalt and a grass column.
#include "core/system/types.h"

class TClusterManager;
class TNode;
class TRepositoryWriter;

// The names the game and its tests find them by.
constexpr const char* LEVEL_DECAL_DATA = "apron_decals";
constexpr const char* LEVEL_STAINS = "apron_stains";
constexpr const char* LEVEL_TRACK_LEFT = "apron_tug_track_left";
constexpr const char* LEVEL_TRACK_RIGHT = "apron_tug_track_right";
// The ground's material numbers in the track entry's list: the first column asphalt, the
// second grass.
constexpr f32 LEVEL_ASPHALT_MATERIAL = 1.0f;
constexpr f32 LEVEL_GRASS_MATERIAL = 2.0f;

// Adds the records to the level and the decal manager (after the particles: the tracks hang
// under the tug); answers the new count.
i32 AddLevelDecals(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count);
