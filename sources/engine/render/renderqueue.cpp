#include "engine/render/renderqueue.h"

#include "engine/render/camera.h"
#include "engine/render/rendercontext.h"
#include "engine/render/renderer.h"
#include "engine/render/rendermanager.h"
#include "engine/render/renderobject.h"
#include "engine/render/renderscenemanager.h"

#include <algorithm>

void (*g_pFlushMeshInstances)() = nullptr;

namespace
{
const TName s_NameFeatherBlend("Feather blend", true);
const TName s_NameDFeatherBlend("DFeatherBlend", true);
const TName s_NameDAlphaBlend("DAlphaBlend", true);
const TName s_NameOne("1", true);

struct TSortEntry
{
    TRenderObject* pObject;
    f32 fDistance;
};

// One table for every sorted pass: no allocation while drawing.
TSortEntry s_aSort[RENDER_QUEUE_SORT_CAPACITY];

const TMatrix& IdentityMatrix()
{
    static const TMatrix s_Identity(1.0f);
    return s_Identity;
}

void NotifyListeners(TRenderQueue* queue, u32 after)
{
    if (!g_pRenderSceneManager)
        return;
    for (u32 i = 0; i < g_pRenderSceneManager->GetListenerCount(); ++i)
    {
        TRenderSceneMethods* listener = g_pRenderSceneManager->GetListener(i);
        if (after)
            listener->AfterQueue(queue);
        else
            listener->BeforeQueue(queue);
    }
}
} // namespace

u32 RenderObjectInFrustum(TRenderObject* object, const TMatrix* camera, void*)
{
    return IsBoxInFrustum(*object->GetBoundBox(), *object->GetMatrix(), *camera) ? 1 : 0;
}

void TRenderQueue::Render(TRenderContext* context, TRenderObjectTest test, void* argument)
{
    if (m_nFlags & RENDER_QUEUE_NOTIFY)
        NotifyListeners(this, 0);
    if (m_nFlags & RENDER_QUEUE_DEFINE)
        context->AddDefine(m_Define, s_NameOne);

    TCamera* camera = g_pRenderManager ? g_pRenderManager->GetCurrentCamera() : nullptr;
    const TMatrix& viewProjection = camera ? camera->m_ViewProjection : IdentityMatrix();
    if (m_nFlags & RENDER_QUEUE_SORTED)
    {
        const TVector eye = camera ? camera->m_Placement.Translation() : TVector(0, 0, 0, 1);
        u32 count = 0;
        for (TRenderObject* object = lObject.pFirst; object && count < RENDER_QUEUE_SORT_CAPACITY;
             object = object->pNext)
        {
            if (!test(object, &viewProjection, argument))
                continue;
            const TVector& at = object->GetMatrix()->Translation();
            const f32 dx = at.x - eye.x, dy = at.y - eye.y, dz = at.z - eye.z;
            s_aSort[count++] = TSortEntry{object, dx * dx + dy * dy + dz * dz};
        }
        std::sort(s_aSort, s_aSort + count,
                  [](const TSortEntry& a, const TSortEntry& b) { return a.fDistance < b.fDistance; });
        for (u32 i = 0; i < count; ++i)
            s_aSort[i].pObject->Draw(context);
    }
    else
    {
        for (TRenderObject* object = lObject.pFirst; object; object = object->pNext)
            if (test(object, &viewProjection, argument))
                object->Draw(context);
    }
    if (g_pFlushMeshInstances)
        g_pFlushMeshInstances();

    if (m_nFlags & RENDER_QUEUE_DEFINE)
        context->RemoveDefine(m_Define);
    if (m_nFlags & RENDER_QUEUE_NOTIFY)
        NotifyListeners(this, 1);
}

void TRenderQueue::RenderFeatherBlend(TRenderContext* context)
{
    Render(context, RenderObjectInFrustum, nullptr);
    if (m_Name.GetId() != s_NameFeatherBlend.GetId())
        return;
    context->AddDefine(s_NameDFeatherBlend, s_NameOne);
    context->AddDefine(s_NameDAlphaBlend, s_NameOne);
    Render(context, RenderObjectInFrustum, nullptr);
    context->RemoveDefine(s_NameDFeatherBlend);
    context->RemoveDefine(s_NameDAlphaBlend);
}
