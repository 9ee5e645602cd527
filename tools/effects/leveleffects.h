#pragma once
// The level's effect settings: "Effects", the clear look with a light distance haze, in which the
// level starts (the effects manager's data block), and "Effects_Rain", thicker and greyer haze,
// clouds and rain, which the game moves to over its transition time and back; and, in the test
// level, an effect area in the hangar, whose settings have no haze.
#include "core/system/types.h"

class TClusterManager;
class TNode;
class TRepositoryWriter;
struct TVector;

constexpr const char* LEVEL_EFFECTS = "Effects";
constexpr const char* LEVEL_EFFECTS_RAIN = "Effects_Rain";
constexpr const char* LEVEL_HAZE_TEXTURE = "haze_texture";
constexpr const char* LEVEL_RAIN_HAZE_TEXTURE = "haze_rain_texture";
constexpr const char* LEVEL_EFFECT_AREA = "hangar_effects";
constexpr const char* LEVEL_EFFECTS_HANGAR = "Effects_Hangar";
// Where the test level's hangar stands.
constexpr f32 LEVEL_HANGAR_X = 14.0f;
constexpr f32 LEVEL_HANGAR_Z = -42.0f;
constexpr const char* LEVEL_HANGAR_ROOF = "hangar_roof";

// Adds the records to the effects manager; answers the new count of managers.
i32 AddLevelEffects(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count);
// After AddLevelEffects: the hangar's effect area and the weather occlusion box under its roof;
// answers the new count.
i32 AddLevelEffectArea(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count);
// After AddLevelEffects: an effect area on node whose settings ("Effects_Hangar") are the clear
// look without haze, for the inside of a hangar. Held until the level is written.
void AddHangarEffectArea(TNode* node);
// A weather occlusion box of half extents half on node (placed at the box's centre), listed with
// the dynamic weather, which holds the level's boxes; appends that manager to managers the first
// time; answers the new count. Held until the level is written.
i32 AddWeatherOcclusionBox(TNode* node, const TVector& half, TClusterManager** managers, i32 count);
