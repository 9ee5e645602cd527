#pragma once
// The level's game materials ("Default", the fallback every hit asks for, then concrete, metal
// and grass) with their ricochet values and the level's clips as ricochet and impact sounds, and
// "TrailTexture", the projectiles' trail: white, fading towards its tail.
#include "core/system/types.h"

class TClusterManager;
class TRepositoryWriter;

constexpr const char* LEVEL_TRAIL_TEXTURE = "TrailTexture";

// Adds the records after the level's sounds; answers the new manager count.
i32 AddLevelBallistics(TRepositoryWriter& writer, TClusterManager** managers, i32 count);
