#pragma once
// The level's vehicles: the cart of the test scene becomes a wheeled vehicle (front wheels
// steered, rear wheels driven, all braked); beside it on the same ground a tracked vehicle
// ("crawler", two powered wheels a side) and a joint-steered one ("loader", a rear body with
// the driven wheels and a front body turned by a revolute joint's motor). All three share the
// eight engine sounds.
#include "core/system/types.h"

class TClusterManager;
class TNode;
class TRepositoryWriter;

// The node names of the three vehicles' main bodies, which are also their name ids.
constexpr const char* LEVEL_CART = "cart";
constexpr const char* LEVEL_CRAWLER = "crawler";
constexpr const char* LEVEL_LOADER = "loader";

// Adds the vehicles, their sounds and bodies to the level; the records' managers after count.
// Returns the new count. Needs the level's cart (WriteSceneRepositories makes it first).
i32 AddLevelVehicles(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count);
