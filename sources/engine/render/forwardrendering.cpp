#include "engine/render/forwardrendering.h"

namespace
{
TForwardRendering s_ForwardRendering;
}

TForwardRendering* g_pForwardRendering = &s_ForwardRendering;

void TForwardRendering::CheckSupport(const TRendererCaps& caps)
{
    m_nSupported = caps.nPixelShaderVersion >= FORWARD_MIN_PIXEL_SHADER ? 1 : 0;
}
