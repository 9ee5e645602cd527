#pragma once
// The level's render scene: a camera on its node, a viewport set of one viewport that follows
// the back buffer, a render scene whose queue "Normal" holds a textured box with a coarser
// version (a two-LOD mesh drawn with "Shader_mesh" of the shader repository), and a texture
// font whose glyphs lie on one page texture. The shaders must be loaded (their array is the
// one the game's load rebuilds from "shaders.data") for the material to name its shader.
#include "core/system/types.h"

class TClusterManager;
class TMesh;
class TNode;
class TRepositoryWriter;
struct TVector;

// The font's name and the camera's node name, which the game and its tests look up.
inline constexpr const char* LEVEL_FONT_NAME = "Font_level";
inline constexpr const char* LEVEL_CAMERA_NODE = "level_camera";

// Builds the render scene on the level (its records held until the next call) and appends the
// managers whose records these are; answers the new count (a TLevelRecords of the writer).
i32 AddLevelRenderScene(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count);

// A box of the given half-sizes on the node, drawn with the level box's material in the scene's
// "Normal" queue (after AddLevelRenderScene).
TMesh* AddLevelBoxMesh(TRepositoryWriter& writer, TNode* node, const char* name, const TVector& half);
