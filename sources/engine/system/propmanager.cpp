#include "engine/system/propmanager.h"

#include "core/cluster/cluster.h"
#include "engine/render/camera.h"
#include "engine/render/impostermanager.h"
#include "engine/render/mesh.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/prop.h"
#include "engine/system/propdata.h"
#include "engine/system/propdatapool.h"
#include "engine/system/propproxy.h"
#include "engine/system/scenetypes.h"

TPropManager* g_pPropManager = nullptr;

namespace
{
TPropManager s_PropManager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Prop", "Prop", &g_pPropManager, &s_PropManager);
} // namespace

TPropManager::TPropManager()
    : m_LastCamera(0.0f, 0.0f, 0.0f, 1.0f), m_nNextRanked(0), m_nFullRanking(0), m_nScatter(0)
{
    // The ranking is fixed-rate work: update worker list 1.
    m_nWorker = 1;
    if (!g_pCluster)
        return;
    RegisterArray(&PropDataDecl(), &m_aPropData);
    RegisterArray(&PropDataPoolDecl(), &m_aPool);
    RegisterArray(&PropDecl(), &m_aProp);
    g_pCluster->AddListener(this);
}

void TPropManager::ThreadUpdateManager(f32)
{
    TPropLock lock;
    TCamera* camera = g_pFindMainCamera ? g_pFindMainCamera() : nullptr;
    const TVector* position = camera ? &camera->GetMatrix()->aRow[3] : nullptr;
    const TMatrix* viewProjection = camera ? &camera->m_ViewProjection : nullptr;

    u32 full = 1;
    if (position)
    {
        const f32 dx = position->x - m_LastCamera.x;
        const f32 dy = position->y - m_LastCamera.y;
        const f32 dz = position->z - m_LastCamera.z;
        full = dx * dx + dy * dy + dz * dz > PROP_FULL_RANKING_MOVE * PROP_FULL_RANKING_MOVE ? 1 : 0;
        m_LastCamera = *position;
    }

    const i32 count = m_aProp.GetCount();
    if (full)
    {
        for (i32 i = 0; i < count; ++i)
            if (m_aProp[i]->GetNode()->IsEnabled())
                m_aProp[i]->Rank(position, viewProjection);
        m_nNextRanked = 0;
    }
    else
    {
        for (i32 n = 0; n < PROP_RANKING_BATCH && n < count; ++n)
        {
            if (m_nNextRanked >= count)
                m_nNextRanked = 0;
            TProp* prop = m_aProp[m_nNextRanked++];
            if (prop->GetNode()->IsEnabled())
                prop->Rank(position, viewProjection);
        }
    }
    m_nFullRanking = full;
    for (i32 i = 0; i < m_aPool.GetCount(); ++i)
        SortPropPool(m_aPool[i]);
}

void TPropManager::UpdateManager(f32 time)
{
    TPropLock lock;
    const f32* distance = ImposterDistance();
    for (i32 i = 0; i < m_aPool.GetCount(); ++i)
    {
        TPropDataPool* pool = m_aPool[i];
        TProp* first = pool->lPropUpdate.pFirst;
        if (!first)
            continue;
        const f32 threshold = pool->lProp.pLast ? pool->lProp.pLast->m_fPriority : PROP_NO_HOLDER_THRESHOLD;
        const u32 starved = !pool->pImposterData && pool->m_nFreeCount <= 0;
        if (starved && first->m_fPriority >= threshold)
            continue;
        const f32 limit = m_nFullRanking ? PROP_FULL_RANKING_LIMIT : distance[1] + distance[2];

        TProp* prop = first;
        while (prop)
        {
            // The visit may take the prop off the list.
            TProp* next = prop->pNext2;
            if (pool->pImposterData && prop->m_fDistance > limit + PROP_LIMIT_MARGIN)
                break;
            if (starved && prop->m_fPriority > threshold)
                break;
            if (prop->pProxy)
                prop->pProxy->OnFrameTime(time);
            const u32 wanted =
                (prop->m_nFlags & PROP_UPDATE_REQUEST) || (prop->pImposter && !(prop->m_nFlags & PROP_NO_IMPOSTER));
            if (wanted && !(prop->UseImposter(0) && !(prop->m_nFlags & PROP_FORCED)))
            {
                if (prop->Activate() && !prop->UseImposter(0))
                    prop->QueueUpdate();
            }
            prop = next;
        }
    }
}

void TPropManager::OnClusterUnload()
{
    TPropLock lock;
    for (i32 i = 0; i < m_aPool.GetCount(); ++i)
    {
        m_aPool[i]->lProp = {nullptr, nullptr};
        m_aPool[i]->lPropUpdate = {nullptr, nullptr};
    }
}

void TPropManager::ResetUpdates()
{
    TPropLock lock;
    for (i32 i = 0; i < m_aProp.GetCount(); ++i)
    {
        m_aProp[i]->RemoveFromUpdate();
        m_aProp[i]->m_nFlags &= ~(PROP_UPDATE_REQUEST | PROP_FORCED);
    }
}
