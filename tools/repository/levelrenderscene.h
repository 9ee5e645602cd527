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
struct TRenderQueue;
class TRepositoryWriter;
struct TMatrix;
struct TVector;

// The font's name and the camera's node name, which the game and its tests look up.
inline constexpr const char* LEVEL_FONT_NAME = "Font_level";
inline constexpr const char* LEVEL_CAMERA_NODE = "level_camera";

// Builds the render scene on the level (its records held until the next call) and appends the
// managers whose records these are; answers the new count (a TLevelRecords of the writer).
i32 AddLevelRenderScene(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count);

// The pieces every level's render scene shares, for a level of its own between the two calls:
// Begin makes the camera on the node "level_camera" placed at the eye (clip planes given), the
// viewport set showing it, the render scene "level" with its queue "Normal", the box material
// and the font (records held until the next Begin); End adds the canvas's, the UI toolkit's
// and the UX records and appends the managers of all of them; answers the new count.
void BeginLevelRenderScene(TRepositoryWriter& writer, TNode* level, const TMatrix& eye, f32 nearClip, f32 farClip);
i32 EndLevelRenderScene(TRepositoryWriter& writer, TClusterManager** managers, i32 count);
// The scene's queue "Normal" (after Begin).
TRenderQueue* GetLevelNormalQueue();

// A box of the given half-sizes on the node, drawn with the level box's material in the scene's
// "Normal" queue (after AddLevelRenderScene).
TMesh* AddLevelBoxMesh(TRepositoryWriter& writer, TNode* node, const char* name, const TVector& half);
