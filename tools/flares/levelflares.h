#pragma once
// The level's lens flares: a row of runway edge lights along the apron's far edge, facing the
// tower's side (occlusion squares of 0.3, fading out beyond 60 degrees of their axis), and one
// light behind the terminal that the building hides.
#include "core/system/types.h"

class TClusterManager;
class TNode;
class TRepositoryWriter;

// The names the game and its tests find them by.
constexpr const char* LEVEL_RUNWAY_LIGHT = "runway_edge_light_%u";
constexpr const char* LEVEL_HIDDEN_LIGHT = "terminal_roof_light";
constexpr u32 LEVEL_RUNWAY_LIGHTS = 6;

// Adds the records to the level and the flare manager; answers the new count.
i32 AddLevelFlares(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count);
