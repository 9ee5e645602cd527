#pragma once
// The level's small pond on the apron before the terminal: a quad in the render queue "Water" (drawn by the post
// effects' water step, not by the scene's walk), its material textured with the stored texture
// animation "water_nm", which loops the four frames of the rippling normal map ("water_nm_0" to
// "water_nm_3").
#include "core/system/types.h"

class TClusterManager;
class TNode;
class TRepositoryWriter;

constexpr const char* LEVEL_WATER_QUEUE = "Water";
constexpr const char* LEVEL_WATER_NORMALS = "water_nm";
constexpr u32 LEVEL_WATER_FRAMES = 4;

// Adds the pond under the level node; answers the count of managers unchanged (its records are
// the render scene's, the material and mesh managers').
i32 AddLevelWater(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count);
