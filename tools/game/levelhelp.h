#pragma once
// The in-game help of the game's level: four categories (the aerodrome, the task list, the
// management screen, the cameras) of two to four pages, each a text and a key text of the
// language files and, beside all but the first page, a picture of the UI data ("Help Image <n>").
#include "core/system/types.h"

class TClusterManager;

// Adds the categories to the UI game manager's array and lists the manager after count when it
// is not listed yet; returns the new count.
i32 AddLevelHelp(TClusterManager** managers, i32 count);
