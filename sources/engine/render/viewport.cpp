#include "engine/render/viewport.h"

#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"

TViewport::TViewport()
    : m_nFlags(VIEWPORT_FLAGS_DEFAULT), m_nReserved12(0), pCamera(nullptr), m_fLeft(0.0f), m_fTop(0.0f),
      m_fRight(0.0f), m_fBottom(0.0f), pRenderer(nullptr), m_nColor(0), aRenderScene{},
      m_Record{0, 0, 256, 256, 0.0f, 1.0f}
{
}

u32 TViewport::ListsScenes() const
{
    for (void* scene : aRenderScene)
        if (scene)
            return 1;
    return 0;
}

u32 TViewport::RenderScenes(TRenderContext* context)
{
    if (!(m_nFlags & RENDER_PASS_SCENES))
        return 0;
    if (!ListsScenes())
    {
        g_pRenderSceneManager->RenderAllScenes(context);
        return 1;
    }
    for (void* scene : aRenderScene)
        if (scene)
            static_cast<TRenderScene*>(scene)->DrawBlended(context);
    return 1;
}
