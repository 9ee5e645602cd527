#include "engine/render/viewportrendering.h"

#include "engine/render/camera.h"
#include "engine/render/rendercontext.h"
#include "engine/render/renderer.h"
#include "engine/render/rendermanager.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/render/viewport.h"
#include "engine/render/viewportset.h"

#include <algorithm>

namespace
{
const TName s_aOverlayQueue[] = {TName("Overlay blend", true), TName("Overlay add", true),
                                 TName("Overlay mul", true)};
const TName s_NameOverlays("Overlays", true);

u32 ViewportCount(const TViewportSet* set)
{
    return std::min<u32>(set->m_nViewportCount, VIEWPORT_SET_CAPACITY);
}
} // namespace

void RenderViewportSet(TViewportSet* set, TCamera* defaultCamera)
{
    for (u32 i = 0; i < ViewportCount(set); ++i)
    {
        TViewport* viewport = set->aViewport[i];
        if (!viewport || !(viewport->m_nFlags & VIEWPORT_FLAG_RENDERED))
            continue;
        TCamera* camera = viewport->pCamera ? viewport->pCamera : defaultCamera;
        g_pRenderManager->SetCurrentViewport(viewport);
        g_pRenderManager->SetCurrentCamera(camera);
        if (camera && camera->pNode)
            camera->UpdateView();
        g_pRenderManager->RenderViewport(viewport);
    }
    g_pRenderManager->SetCurrentViewportSet(set->m_nViewportCount ? set : nullptr);
}

u32 RenderOverlays(TRenderContext* context)
{
    if (g_pRenderSceneManager->Scenes().GetCount() == 0)
        return 0;
    const TRenderScene* scene = g_pRenderSceneManager->Scenes()[0];
    u32 drawn = 0;
    for (const TName& name : s_aOverlayQueue)
    {
        TRenderQueue* queue = scene->FindQueue(name);
        if (!queue || !queue->lObject.pFirst)
            continue;
        queue->Render(context, RenderObjectInFrustum, nullptr);
        ++drawn;
    }
    return drawn;
}

void RenderViewports(u32 mode, TViewportSet* set, TCamera* defaultCamera)
{
    if (mode == VIEWPORT_MODE_SET)
    {
        if (set)
            RenderViewportSet(set, defaultCamera);
        return;
    }
    if (mode == VIEWPORT_MODE_OVERLAY)
    {
        g_pRenderManager->BeginPipelinePass(PIPELINE_KEEP_TARGET | PASS_ATTACH_DEPTH);
        TRenderContext context;
        if (RenderOverlays(&context))
            g_pRenderManager->RecordPipelineStep(s_NameOverlays, nullptr);
        return;
    }
    TRenderer* renderer = g_pRenderManager->GetActiveRenderer();
    if (!renderer)
        return;
    if (mode != VIEWPORT_MODE_RENDERER)
        renderer->RenderQueue(nullptr, mode);
    else
        renderer->RenderQueue(set && ViewportCount(set) > 0 ? set->aViewport[0] : nullptr, mode);
}
