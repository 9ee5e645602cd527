#pragma once
// The game's records of the writer's level: the tower's orbit camera and its seven actions,
// gate 1 with a maintenance task for the player, the level's cart as the follow-me car
// ("FollowMe_plr_pData": its unit, prop, orbit camera and drive node) with the follow-me task
// last, and the task-area locators. The game's sounds come from the clip writer (tools/sound).
#include "core/system/types.h"

#include <deque>
#include <initializer_list>

class TClusterManager;
class TNode;
class TOrbitCamera;
class TRepositoryWriter;

// The orbit cameras' actions, in the order of their references.
constexpr u32 LEVEL_ORBIT_ACTIONS = 7;
extern const char* const g_aLevelOrbitAction[LEVEL_ORBIT_ACTIONS];

// Adds the records; the managers not listed yet after count (the scene's own records bring the
// props). Needs the level's vehicles (AddLevelVehicles) first. Returns the new count.
i32 AddLevelGame(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count);

// An orbit camera of the name on the pivot node, kept in the store and listed with the orbit
// camera manager: its camera (far clip given) on a new arm node behind the pivot at the first
// zoom level, the seven orbit actions, the pitch (positive looks down) and the zoom levels as
// arm lengths.
TOrbitCamera& MakeLevelOrbitCamera(std::deque<TOrbitCamera>& store, const char* name, TNode* pivot, const char* arm,
                                   f32 pitch, std::initializer_list<f32> levels, f32 farClip);
