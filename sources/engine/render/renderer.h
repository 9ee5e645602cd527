#pragma once
// TRenderer: base of the renderers. Until the render pipeline is built only the support check
// exists, which the device manager runs once on the device's capabilities.
#include "core/system/types.h"

// What the device offers the renderers.
struct TRendererCaps
{
    u32 nMaxRenderTargets;
    // Major x 1000 + minor.
    u32 nPixelShaderVersion;
    // 1 when A8R8G8B8 and A16B16G16R16F textures filter, R32F render-target textures and D24X8
    // depth-stencil surfaces exist.
    u32 nFloatTargets;
};

static_assert(sizeof(TRendererCaps) == 12);

class TRenderer
{
public:
    virtual ~TRenderer() = default;
    // Sets the supported flag from the capabilities.
    virtual void CheckSupport(const TRendererCaps& caps) = 0;

    // 1 supported, 0 not.
    u32 m_nSupported = 0;
};
