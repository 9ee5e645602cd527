#pragma once
// TDeferredRendering: the preferred renderer (registry index 1), drawing through the pipeline
// colour targets. For now its support check, and a renderer that stays registered disabled, so
// that the render manager's choice falls back to the forward renderer; its passes come with
// the G-buffer.
#include "engine/render/renderer.h"

constexpr u32 DEFERRED_MIN_RENDER_TARGETS = 4;
// Pixel shader 3.0.
constexpr u32 DEFERRED_MIN_PIXEL_SHADER = 3000;
// Draws through the pipeline targets (flag 2) and their ping-pong pair (1).
constexpr u32 DEFERRED_FLAGS = 3;

class TDeferredRendering : public TRenderer
{
public:
    TDeferredRendering();
    // Logs each refusal.
    void CheckSupport(const TRendererCaps& caps) override;
    i32 Initialize() override { return 0; }
    void ReleaseRenderTargets() override {}
    void CreateRenderTargets() override {}
    void PublishTargets() override {}
    void BeginFrame(u32, u32) override {}
    void RenderQueue(TRenderPass*, u32) override {}
};

extern TDeferredRendering* g_pDeferredRendering;
