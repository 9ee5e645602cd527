#pragma once
// The level generator: the game's aerodrome written through the engine's own records and
// cluster save into "morvane.data" (compressed) with its dependency "morvane.cooked.data" (the
// cooked collision meshes, streamed); the shaders ("shaders.data", optional id 100001) are the
// shader writer's. Every record is made in a fixed order from the plan, so two runs write the
// same bytes. Files are written beside their names and renamed into place only when all are
// whole: a failed run leaves nothing behind.
#include "core/system/types.h"

#include <string>
#include <vector>

constexpr u32 MORVANE_REPOSITORY_ID = 10;
constexpr u32 MORVANE_COOKED_REPOSITORY_ID = 11;
inline constexpr const char* MORVANE_REPOSITORY = "morvane.data";
inline constexpr const char* MORVANE_COOKED_REPOSITORY = "morvane.cooked.data";
// The crossroads' queues hold this many units.
constexpr u32 AERODROME_CROSSROAD_CAPACITY = 32;

struct TAerodromeReport
{
    // Empty when written; else what went wrong, one line each.
    std::vector<std::string> aError;
    // The files' sizes in bytes.
    u64 nLevelBytes = 0;
    u64 nCookedBytes = 0;
    u32 nUnits = 0;
    u32 nCurves = 0;
};

// Writes the two files into the folder. The engine's cluster is cleared before and after.
TAerodromeReport WriteAerodrome(const char* folder);
