#include "engine/render/rendermanager.h"

#include "engine/render/device.h"
#include "engine/render/forwardrendering.h"
#include "engine/render/rendercontext.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/render/viewport.h"
#include "engine/system/managermanager.h"

namespace
{
TRenderManager s_RenderManager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Render", "Render", &g_pRenderManager, &s_RenderManager);
} // namespace

TRenderManager* g_pRenderManager = nullptr;

TRenderManager::TRenderManager()
    : m_nInRender(0), m_pCurrentViewport(nullptr), m_pCurrentCamera(nullptr), m_pCurrentViewportSet(nullptr)
{
}

void TRenderManager::RenderManager()
{
    if (m_nStepWord == RENDER_STEP_FRAME_END)
    {
        if (m_nInRender)
            g_pDeviceManager->EndScene();
        m_nInRender = 0;
        return;
    }
    if (m_nStepWord != RENDER_STEP_FRAME_BEGIN || !g_pDeviceManager || !g_pDeviceManager->IsDeviceReady())
        return;
    m_nInRender = 1;
    g_pDeviceManager->BeginScene();
    g_pDeviceManager->SetBackBufferTarget(1);
    g_pDeviceManager->Clear(DEVICE_CLEAR_TARGET | DEVICE_CLEAR_DEPTH | DEVICE_CLEAR_STENCIL,
                            RENDER_CLEAR_COLOUR, 1.0f, 0);
}

void TRenderManager::RenderViewport(TViewport* viewport)
{
    viewport->Apply();
    TRenderContext context;
    u32 listed = 0;
    for (void* scene : viewport->aRenderScene)
        if (scene)
        {
            static_cast<TRenderScene*>(scene)->DrawBlended(&context);
            listed = 1;
        }
    if (!listed)
        g_pRenderSceneManager->RenderAllScenes(&context);
}

TRenderer* TRenderManager::GetRenderer() const
{
    return g_pForwardRendering;
}
