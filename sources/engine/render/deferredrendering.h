#pragma once
// TDeferredRendering: the deferred renderer; for now only its support check.
#include "engine/render/renderer.h"

constexpr u32 DEFERRED_MIN_RENDER_TARGETS = 4;
// Pixel shader 3.0.
constexpr u32 DEFERRED_MIN_PIXEL_SHADER = 3000;

class TDeferredRendering : public TRenderer
{
public:
    // Logs each refusal.
    void CheckSupport(const TRendererCaps& caps) override;
};

extern TDeferredRendering* g_pDeferredRendering;
