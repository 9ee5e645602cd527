#pragma once
// The level's particle effects: a tug driven round the apron by a looping animation of its
// route, its exhaust smoke a node system (rising puffs from a 4 x 4 sheet, 20 a second, three
// seconds each) switched by the engine node as its visibility driver; a wind area stirring every
// particle over the apron; and the spark effect (a burst with a smoke sub-effect) that impacts
// spawn.
#include "core/system/types.h"

class TClusterManager;
class TNode;
class TRepositoryWriter;

// The names the game and its tests find them by.
constexpr const char* LEVEL_TUG = "apron_tug";
constexpr const char* LEVEL_TUG_ENGINE = "apron_tug_engine";
constexpr const char* LEVEL_TUG_SMOKE = "tug_smoke";
constexpr const char* LEVEL_WIND = "apron_wind";
constexpr const char* LEVEL_SPARKS = "impact_sparks";

// Adds the records to the level (after the level's render scene: its "Alpha blend" queue is made
// here when the scene has none; the route's skeleton and animation join the scene's managers) and
// the particle manager; answers the new count.
i32 AddLevelParticles(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count);
