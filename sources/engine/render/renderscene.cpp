#include "engine/render/renderscene.h"

#include "engine/render/lightset.h"
#include "engine/render/renderer.h"
#include "engine/render/renderqueue.h"

#include <algorithm>

u32 TRenderScene::GetQueueCount() const
{
    return static_cast<u32>(std::clamp<i32>(m_nQueueCount, 0, RENDER_SCENE_QUEUE_CAPACITY));
}

TRenderQueue* TRenderScene::FindQueue(const TName& name) const
{
    for (u32 i = 0; i < GetQueueCount(); ++i)
        if (aRenderQueue[i] && aRenderQueue[i]->m_Name.GetId() == name.GetId())
            return aRenderQueue[i];
    return nullptr;
}

void TRenderScene::Draw(TRenderContext* context, void* argument)
{
    if (pLightSet)
        pLightSet->Enable();
    for (u32 i = 0; i < GetQueueCount(); ++i)
        if (aRenderQueue[i] && (aRenderQueue[i]->m_nFlags & RENDER_QUEUE_ENABLED))
            aRenderQueue[i]->Render(context, ObjectInLightVolume, argument);
}

void TRenderScene::DrawBlended(TRenderContext* context)
{
    if (pLightSet)
        pLightSet->Enable();
    for (u32 i = 0; i < GetQueueCount(); ++i)
        if (aRenderQueue[i] && (aRenderQueue[i]->m_nFlags & RENDER_QUEUE_ENABLED))
            aRenderQueue[i]->RenderFeatherBlend(context);
}
