#pragma once
// The level's radar antenna at the apron's south-west corner, behind the cameras of its views: a mast with a dish that a one-bone skeleton turns
// round and round, and on the dish a motion-blur object with a fixed spin, so that the object
// half of the motion blur smears the turning dish.
#include "core/system/types.h"

class TClusterManager;
class TNode;
class TRepositoryWriter;

constexpr const char* LEVEL_RADAR_DISH = "radar_dish";
// Where the antenna stands under the level node.
constexpr f32 LEVEL_RADAR_X = -10.0f;
constexpr f32 LEVEL_RADAR_Z = -95.0f;
// Degrees the dish's blur reaches back a frame.
constexpr f32 LEVEL_RADAR_SPIN = 25.0f;

// Adds the antenna under the level node; answers the count of managers unchanged (its records
// are the mesh, skeleton, animation and effects managers', which the level lists already).
i32 AddLevelMotionBlur(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count);
