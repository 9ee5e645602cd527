#pragma once
// The aerodrome's ground: the physics settings (gravity (0, -9.8, 0), 120 steps a second, at
// most 8 sub-steps), the grass cooked as one triangle mesh under everything (groups 1 and 2,
// never the obstacle rays' 0x800), the pavements drawn over it (runway, taxiways, apron, service
// roads, yards, the public road), the buildings on convex collision blocks (1, 2 and 0x800:
// terminal, control tower, garage, luggage hall, cargo storage, fuel farm) and the daylight (a
// sun in the scene's light set, a global environment, the terrain shaders' settings).
#include "core/system/types.h"

class TAerodromeBuilder;
class TClusterManager;

// Adds the records; the managers whose records these are after count. Answers the new count.
i32 AddAerodromeGround(TAerodromeBuilder& builder, TClusterManager** managers, i32 count);
