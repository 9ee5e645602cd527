#include "engine/render/deferredrendering.h"

#include "core/system/log.h"

namespace
{
TDeferredRendering s_DeferredRendering;

constexpr const char* kPrefix = "TDeferredRendering::CheckSupport(): ";
} // namespace

TDeferredRendering* g_pDeferredRendering = &s_DeferredRendering;

TDeferredRendering::TDeferredRendering() : TRenderer("TDeferredRendering", DEFERRED_FLAGS, RENDERER_PREFERRED)
{
    // Until its G-buffer passes exist it never draws.
    m_nEnabled = 0;
}

void TDeferredRendering::CheckSupport(const TRendererCaps& caps)
{
    m_nSupported = 1;
    if (caps.nMaxRenderTargets < DEFERRED_MIN_RENDER_TARGETS)
    {
        TLog::Print(g_pSystemLog, LOG_INFO, kPrefix, "disabled (device does not support 4 MRT)");
        m_nSupported = 0;
    }
    if (caps.nPixelShaderVersion < DEFERRED_MIN_PIXEL_SHADER)
    {
        TLog::Print(g_pSystemLog, LOG_INFO, kPrefix, "disabled (device does not support pixel shader 3)");
        m_nSupported = 0;
    }
    if (caps.nFloatTargets != 1)
    {
        TLog::Print(g_pSystemLog, LOG_INFO, kPrefix,
                    "disabled (device floating point RT capabilities are inadequate)");
        m_nSupported = 0;
    }
}
