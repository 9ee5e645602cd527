#pragma once
// The aerodrome's effects, placed from the effect records the test level has too: the apron tug
// driving its round between gates 4 and 5 with its exhaust smoke and a wind over the apron, oil
// stains about its round and tyre tracks behind its rear wheels, and a row of edge lights with
// lens flares along the runway's north edge, facing the tower's side (the row's extra light
// stands on a mast over the runway); the test level's radar antenna with its motion-blur object
// east of the tower, behind the tower's camera; in the garage the hangar's effect area, and a
// weather occlusion box filling it, so that no rain falls under its roof.
#include "core/system/types.h"

class TAerodromeBuilder;
class TClusterManager;

// Where the effects' frames stand: the tug's round centres 36 east and 58 south of the apron
// frame; the runway frame is turned round, its lights 26 to 46 west and 46 north of it.
constexpr f32 AERODROME_APRON_EFFECTS_X = 14.0f;
constexpr f32 AERODROME_APRON_EFFECTS_Z = 18.0f;
constexpr f32 AERODROME_RUNWAY_LIGHTS_X = 700.0f;
constexpr f32 AERODROME_RUNWAY_LIGHTS_Z = -253.5f;
constexpr const char* AERODROME_GARAGE_ROOF = "garage_roof";
constexpr const char* AERODROME_GARAGE_EFFECTS = "garage_effects";
constexpr f32 AERODROME_RADAR_X = 435.0f;
constexpr f32 AERODROME_RADAR_Z = 62.0f;

// Adds the records and their managers after count; answers the new count.
i32 AddAerodromeEffects(TAerodromeBuilder& builder, TClusterManager** managers, i32 count);
