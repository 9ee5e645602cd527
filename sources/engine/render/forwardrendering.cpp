#include "engine/render/forwardrendering.h"

#include "engine/render/rendercontext.h"
#include "engine/render/renderscenemanager.h"

namespace
{
TForwardRendering s_ForwardRendering;
}

TForwardRendering* g_pForwardRendering = &s_ForwardRendering;

void TForwardRendering::CheckSupport(const TRendererCaps& caps)
{
    m_nSupported = caps.nPixelShaderVersion >= FORWARD_MIN_PIXEL_SHADER ? 1 : 0;
}

void TForwardRendering::RenderQueues(TViewport**, u32)
{
    if (!g_pRenderSceneManager)
        return;
    TRenderContext context;
    g_pRenderSceneManager->RenderAllScenes(&context);
}
