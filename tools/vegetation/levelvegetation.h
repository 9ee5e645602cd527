#pragma once
// The level's vegetation: 25 grass areas (range 40 over cells of 20: a 5 x 5 grid placed around
// the camera), patches of grass instances in a strip beside the runway, each drawn by a proxy in
// the scene's "Normal" queue, and two plant kinds (grass tufts and flowering tufts).
#include "core/system/types.h"

class TClusterManager;
class TNode;
class TRepositoryWriter;

// The names the game and its tests find them by.
constexpr const char* LEVEL_VEGETATION_AREA = "vegetation_area_%u";
constexpr const char* LEVEL_VEGETATION_PATCH = "vegetation_patch_%u";
constexpr u32 LEVEL_VEGETATION_AREAS = 25;
constexpr u32 LEVEL_VEGETATION_PATCHES = 3;

// The strip the patches fill: from x0 to x1 along x, centred on z, depth across.
struct TVegetationStrip
{
    f32 x0, x1, z, depth;
};

// Adds the records along the test scene's near edge; answers the new manager count.
i32 AddLevelVegetation(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count);
// The same beside the aerodrome's runway.
i32 AddAerodromeVegetation(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count);
