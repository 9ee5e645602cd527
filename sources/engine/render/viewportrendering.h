#pragma once
// What the viewport manager draws for each of its render-list entries, by the entry's word: 0
// the current viewport set (each rendered viewport with its camera, drawn by its renderer as
// queue 0), 2 the full-screen overlay queues in a pipeline pass that keeps the current target,
// 10 the active renderer's queue 10 with the set's first viewport, any other word the active
// renderer's queue of that id without a viewport.
#include "core/system/types.h"

class TCamera;
class TRenderContext;
struct TViewportSet;

constexpr u32 VIEWPORT_MODE_SET = 0;
constexpr u32 VIEWPORT_MODE_OVERLAY = 2;
constexpr u32 VIEWPORT_MODE_RENDERER = 10;
// Viewport flag bits.
constexpr u32 VIEWPORT_FLAG_FOLLOWS_BACK_BUFFER = 4;
constexpr u32 VIEWPORT_FLAG_RENDERED = 64;

// Each rendered viewport becomes current with its camera (the default camera when it has
// none), which is updated before its scenes are drawn; the set is current afterwards.
void RenderViewportSet(TViewportSet* set, TCamera* defaultCamera);
// "Overlay blend", "Overlay add" and "Overlay mul" of the first scene, those that hold objects;
// the number drawn.
u32 RenderOverlays(TRenderContext* context);
void RenderViewports(u32 mode, TViewportSet* set, TCamera* defaultCamera);
