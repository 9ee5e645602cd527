#pragma once
// The debug drawings put into the scene and onto the screen by the debug manager's frame: the
// ground grid with its axes, and the thumbnails of the pipeline's and the shadows' targets; and
// the two switches that act when set: wire-frame drawing and the pipeline step recorder.
#include "core/system/types.h"

// The grid: lines every 10 units from -30 to 30, axes 10 units long.
constexpr f32 DEBUG_GRID_EXTENT = 30.0f;
constexpr f32 DEBUG_GRID_STEP = 10.0f;
constexpr f32 DEBUG_AXIS_LENGTH = 10.0f;
// The pipeline targets 1 to 6 along the bottom tenth, a tenth of the width each.
constexpr u32 DEBUG_PIPELINE_THUMBNAILS = 6;
// The frame clears colour, depth and stencil once wire frames leave gaps.
constexpr u32 DEBUG_WIREFRAME_CLEAR_FLAGS = 7;

void DrawDebugGrid();
// skeleton_debug: every enabled skeleton's bones in blue with their axes; mode 2 adds the
// bones' numbers for skeletons within DEBUG_SKELETON_NEAR of the main camera.
constexpr f32 DEBUG_SKELETON_NEAR = 20.0f;
constexpr f32 DEBUG_BONE_AXIS_LENGTH = 0.5f;
void DrawSkeletons(i32 mode);
// lights_debug: one line per light of the light manager, and the shapes of those that are on.
constexpr f32 DEBUG_LIGHT_LIST_Y = 200.0f;
constexpr f32 DEBUG_LIGHT_LIST_STEP = 20.0f;
// The list starts this far left of the aperture's right edge.
constexpr f32 DEBUG_LIGHT_LIST_INSET = 1000.0f;
// A spot ring: a closed polyline of 3D lines every 5 degrees from 0 to 365.
constexpr u32 DEBUG_RING_POINTS = 74;
void DrawLights();
// The list's colour word of a light colour: 0xAABBGGRR.
u32 DebugPackedColor(const f32 color[4]);
// "ambient" .. "volume"; "?" for a type outside them.
const char* DebugLightTypeName(i32 type);

// W x H: the back buffer's size.
void DrawPipelineThumbnails(f32 width, f32 height);
// Only with shadows on and their targets made.
void DrawShadowThumbnails(f32 width, f32 height);

// render_wireframe's change: the define "Wireframe" on the G-buffer and forward directional
// shaders (and the full clear), or off again.
void SetWireframe(i32 on);
// renderpipeline_debug's change: the recording switch; off lets the recorded texture go.
void SetPipelineDebug(i32 on);
