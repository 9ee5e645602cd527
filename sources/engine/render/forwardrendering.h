#pragma once
// TForwardRendering: the forward renderer. Least form: its support check, and queue drawing
// that draws every render scene's enabled queues.
#include "engine/render/renderer.h"

// Pixel shader 2.0.
constexpr u32 FORWARD_MIN_PIXEL_SHADER = 2000;

class TForwardRendering : public TRenderer
{
public:
    void CheckSupport(const TRendererCaps& caps) override;
    void RenderQueues(TViewport** viewports, u32 count) override;
};

extern TForwardRendering* g_pForwardRendering;
