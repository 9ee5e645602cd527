#pragma once
// The repositories of the game: a main repository ("main.data", loaded in full, compressed)
// that depends on one repository of each kind: one loaded in full ("common.data"), one
// memory-mapped ("mapped.data") and one streamed ("streamed.data"). The level holds a node tree,
// resources, an animated two-bone skeleton with its skin record, a trigger and an automat; the
// cooked collision meshes of its ground and terminal are appended to "streamed.data". It also
// depends on the shader repository ("shaders.data").
#include "core/system/types.h"
#include "engine/system/repository.h"

constexpr u32 MAIN_REPOSITORY_ID = 1;
constexpr u32 COMMON_REPOSITORY_ID = 2;
constexpr u32 MAPPED_REPOSITORY_ID = 3;
constexpr u32 STREAMED_REPOSITORY_ID = 4;
// The shaders (tools/shaders): optional, so that programs without the Direct3D side load the
// level without them.
constexpr u32 SHADER_REPOSITORY_ID = REPOSITORY_OPTIONAL_ID + 1;
// The canvas's unit rectangle and the console's textures (tools/canvas), for levels without
// textures or mesh data of their own.
constexpr u32 CANVAS_REPOSITORY_ID = REPOSITORY_OPTIONAL_ID + 2;

class TClusterManager;
class TNode;
class TRepositoryWriter;

// Adds records to the level before it is saved, their managers after the count given; answers
// the new count.
typedef i32 (*TLevelRecords)(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count);

// Writes the four files into the folder; false when one cannot be written. The engine's
// cluster is cleared before and after. With extra records the shader repository of the folder
// ("shaders.data", when there) is loaded before the level is built, so that the records may
// name its shaders.
bool WriteSceneRepositories(const char* folder, TLevelRecords extra = nullptr);
