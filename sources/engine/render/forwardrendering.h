#pragma once
// TForwardRendering: the forward renderer; for now only its support check.
#include "engine/render/renderer.h"

// Pixel shader 2.0.
constexpr u32 FORWARD_MIN_PIXEL_SHADER = 2000;

class TForwardRendering : public TRenderer
{
public:
    void CheckSupport(const TRendererCaps& caps) override;
};

extern TForwardRendering* g_pForwardRendering;
