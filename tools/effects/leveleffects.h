#pragma once
// The level's effect settings: "Effects", the clear look with a light distance haze, and
// "Effects_Rain", thicker and greyer haze, clouds and rain, which the game moves to over its
// transition time and back.
#include "core/system/types.h"

class TClusterManager;
class TNode;
class TRepositoryWriter;

constexpr const char* LEVEL_EFFECTS = "Effects";
constexpr const char* LEVEL_EFFECTS_RAIN = "Effects_Rain";
constexpr const char* LEVEL_HAZE_TEXTURE = "haze_texture";
constexpr const char* LEVEL_RAIN_HAZE_TEXTURE = "haze_rain_texture";

// Adds the records to the effects manager; answers the new count of managers.
i32 AddLevelEffects(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count);
