#pragma once
// The repositories of the game: a main repository ("main.data", loaded in full, compressed)
// that depends on one repository of each kind: one loaded in full ("common.data"), one
// memory-mapped ("mapped.data") and one streamed ("streamed.data"). The level holds a node tree,
// resources, an animated two-bone skeleton with its skin record, a trigger and an automat.
#include "core/system/types.h"

constexpr u32 MAIN_REPOSITORY_ID = 1;
constexpr u32 COMMON_REPOSITORY_ID = 2;
constexpr u32 MAPPED_REPOSITORY_ID = 3;
constexpr u32 STREAMED_REPOSITORY_ID = 4;

// Writes the four files into the folder; false when one cannot be written. The engine's
// cluster is cleared before and after.
bool WriteSceneRepositories(const char* folder);
