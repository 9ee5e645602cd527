#pragma once
// The game's own clips in the level: every sound the game's sound player names (vehicle and
// aircraft engines, wind and rain as endless loops, the interface, the announcements as tone
// sequences, the music track), in the group tree, with the pool of sound records and a game
// sound that a node of the level plays while it is enabled.
#include "core/system/types.h"

class TClusterManager;
class TNode;
class TRepositoryWriter;

// The node whose game sound node plays the apron's traffic.
constexpr const char* LEVEL_TRAFFIC_SOUND_NODE = "apron_traffic_sound";

// Adds the records before the level is saved, their managers after the count given; answers the
// new count.
i32 AddLevelSounds(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count);
// The game's clips alone, among the records of the repository being written.
void AddGameClips(TRepositoryWriter& writer);
