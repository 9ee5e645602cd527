#pragma once
// TRenderer: base of the renderers. Least form until the render pipeline is built: the support
// check the device manager runs once on the device's capabilities, and the queue drawing the
// viewport manager asks for.
#include "core/math/matrix.h"
#include "core/system/types.h"

class TRenderObject;
class TShader;
class TViewport;

// Non-zero when the object lies in the light's volume (the argument); the least form answers
// "inside" for every object.
u32 ObjectInLightVolume(TRenderObject* object, const TMatrix* camera, void* light);

// Set by the renderer: called with the imposter shader and the pass word before the imposter
// vertices are drawn.
extern void (*g_pImposterDrawCallback)(TShader* shader, u32 pass);

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
    // Draws the render queues, for the given viewports (none outside overlay mode 10).
    virtual void RenderQueues(TViewport** viewports, u32 count) {}

    // 1 supported, 0 not.
    u32 m_nSupported = 0;
};
