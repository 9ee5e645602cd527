#include "engine/system/prop.h"

#include "core/math/random.h"
#include "core/system/criticalsection.h"
#include "core/system/log.h"
#include "core/system/timer.h"
#include "engine/render/camera.h"
#include "engine/render/imposter.h"
#include "engine/render/impostermanager.h"
#include "engine/render/mesh.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/propdata.h"
#include "engine/system/propdatapool.h"
#include "engine/system/propmanager.h"
#include "engine/system/propmethods.h"
#include "engine/system/propproxy.h"
#include "engine/system/script.h"
#include "engine/system/scriptargument.h"

#include <cmath>

namespace
{
TCriticalSection s_PropLock;

// The two intrusive lists of a pool, ascending by priority.
template <TProp* TProp::*Next, TProp* TProp::*Prev> struct TPropList
{
    static void Unlink(TLinkedList<TProp>& list, TProp* prop)
    {
        (prop->*Prev ? prop->*Prev->*Next : list.pFirst) = prop->*Next;
        (prop->*Next ? prop->*Next->*Prev : list.pLast) = prop->*Prev;
        prop->*Next = nullptr;
        prop->*Prev = nullptr;
    }

    static void InsertBefore(TLinkedList<TProp>& list, TProp* prop, TProp* next)
    {
        prop->*Next = next;
        prop->*Prev = next ? next->*Prev : list.pLast;
        (prop->*Prev ? prop->*Prev->*Next : list.pFirst) = prop;
        (next ? next->*Prev : list.pLast) = prop;
    }

    // After the props of equal priority, so that holders keep their order.
    static void Insert(TLinkedList<TProp>& list, TProp* prop)
    {
        TProp* next = list.pFirst;
        while (next && next->m_fPriority <= prop->m_fPriority)
            next = next->*Next;
        InsertBefore(list, prop, next);
    }

    // Insertion by neighbour moves: one pass over a list that the ranking barely disturbs.
    static void Sort(TLinkedList<TProp>& list)
    {
        TProp* prop = list.pFirst ? list.pFirst->*Next : nullptr;
        while (prop)
        {
            TProp* following = prop->*Next;
            TProp* before = prop->*Prev;
            if (before->m_fPriority > prop->m_fPriority)
            {
                while (before && before->m_fPriority > prop->m_fPriority)
                    before = before->*Prev;
                Unlink(list, prop);
                InsertBefore(list, prop, before ? before->*Next : list.pFirst);
            }
            prop = following;
        }
    }
};

using THolders = TPropList<&TProp::pNext, &TProp::pPrev>;
using TUpdates = TPropList<&TProp::pNext2, &TProp::pPrev2>;

TCamera* MainCamera()
{
    return g_pFindMainCamera ? g_pFindMainCamera() : nullptr;
}

void RunScript(TScript* script, TProp* prop)
{
    if (!script)
        return;
    script->SetArgument(0, ScriptObjectArgument(prop));
    script->Run(nullptr);
}

// Parked forms lie at the origin, or scattered within the manager's range of it.
TMatrix ParkedMatrix()
{
    TMatrix matrix(1.0f);
    if (g_pPropManager && g_pPropManager->GetScatter())
    {
        TRandom& random = TRandom::Shared();
        f32* at = &matrix.aRow[3].x;
        for (u32 i = 0; i < 3; ++i)
            at[i] = (static_cast<f32>(random.Next()) * (1.0f / 2147483648.0f) - 1.0f) * PROP_SCATTER_RANGE;
    }
    return matrix;
}
} // namespace

void PropLockEnter()
{
    s_PropLock.Enter();
}

void PropLockLeave()
{
    s_PropLock.Leave();
}

void TProp::OnEnable(u32 enabled)
{
    TPropLock lock;
    if (!enabled)
    {
        if (!(m_nFlags & PROP_KEEP))
            SetActive(0);
        return;
    }
    if (!(m_nFlags & PROP_IMPOSTER_SWITCH))
    {
        QueueUpdate();
        m_nFlags |= PROP_UPDATE_REQUEST;
        return;
    }
    if (UseImposter(0) && !(m_nFlags & PROP_FORCED))
        return;
    if (Activate() && !UseImposter(0))
        QueueUpdate();
}

void TProp::SetActive(u32 force)
{
    TPropLock lock;
    if (!pPropData)
    {
        RemoveFromUpdate();
        return;
    }
    const u32 enabled = GetNode()->IsEnabled();
    if (enabled && !(m_nFlags & PROP_QUEUED))
        QueueUpdate();
    if (force)
        m_nFlags |= PROP_FORCED;
    else if (!enabled)
        RemoveFromUpdate();
    Deactivate();
    if (enabled && !(m_nFlags & PROP_NO_IMPOSTER))
        m_nFlags |= PROP_UPDATE_REQUEST;
    if (force)
        UseImposter(1);
}

i32 TProp::Update(u32 mode)
{
    TPropLock lock;
    if (!GetNode()->IsEnabled() && mode == 0)
        return 0;
    if (!(m_nFlags & PROP_IMPOSTER_SWITCH) && mode == 0)
    {
        QueueUpdate();
        m_nFlags |= PROP_UPDATE_REQUEST;
        return 1;
    }
    if (UseImposter(0) && !(m_nFlags & PROP_FORCED))
        return 0;
    if (mode == 2)
        m_fPriority = -1.0f;
    const u32 activated = Activate();
    if (mode == 2)
        m_fPriority = 0.0f;
    if (!activated)
        return 0;
    if (UseImposter(0))
        return 2;
    QueueUpdate();
    return 1;
}

u32 TProp::Activate()
{
    TPropLock lock;
    if (pPropData)
        return 1;
    TPropDataPool* pool = pPropDataPool;
    if (!pool)
        return 0;
    m_nFlags |= PROP_FORCED;
    if (pool->m_nFreeCount <= 0)
    {
        TProp* worst = pool->lProp.pLast;
        while (worst && (worst->m_nFlags & PROP_KEEP))
            worst = worst->pPrev;
        if (!worst || !(worst->m_fPriority > m_fPriority))
            return 0;
        worst->Deactivate();
        if (pool->m_nFreeCount <= 0)
            return 0;
    }
    TPropData* data = pool->aFree[--pool->m_nFreeCount];
    pPropData = data;
    THolders::Insert(pool->lProp, this);
    m_nFlags &= ~(PROP_UPDATE_REQUEST | PROP_FORCED);

    if (data->pNode)
        GetNode()->AddChild(data->pNode);
    data->m_nActivationFrame = g_pTimer ? g_pTimer->GetFrameCount() : 0;
    data->pProp = this;
    if (data->pNode)
        data->pNode->Enable(1, 0);
    if (pProxy)
        pProxy->OnActivate(data);

    RunScript(data->pScriptActivate, this);

    if (pImposter)
        pImposter->CollectMeshes(data->pNode);
    else
        RemoveFromUpdate();

    if (m_nFlags & PROP_NOTIFY)
    {
        if (g_pPropManager)
            for (i32 i = 0; i < g_pPropManager->Listeners().GetCount(); ++i)
                g_pPropManager->Listeners()[i]->OnPropActivate(data, this);
        if (pMethods)
            pMethods->OnPropActivate(data, this);
    }
    return 1;
}

void TProp::Deactivate()
{
    TPropLock lock;
    TPropData* data = pPropData;
    if (!data)
        return;
    if (m_nFlags & PROP_NOTIFY)
    {
        if (g_pPropManager)
            for (i32 i = 0; i < g_pPropManager->Listeners().GetCount(); ++i)
                g_pPropManager->Listeners()[i]->OnPropDeactivate(this, data);
        if (pMethods)
            pMethods->OnPropDeactivate(this, data);
    }
    if (pProxy)
        pProxy->OnDeactivate(data);

    if (data->pNode && g_pNodeManager && g_pNodeManager->GetRoot())
        g_pNodeManager->GetRoot()->AddChild(data->pNode);

    RunScript(data->pScriptDeactivate, this);

    TPropDataPool* pool = pPropDataPool;
    THolders::Unlink(pool->lProp, this);
    if (pool->m_nFreeCount < PROP_POOL_CAPACITY)
        pool->aFree[pool->m_nFreeCount++] = data;
    else
        TLog::Print(g_pSystemLog, LOG_ERROR, "TProp::Deactivate(): error: ",
                    "the free stack of the pool holds %d full forms already: one is dropped",
                    PROP_POOL_CAPACITY);
    data->pProp = nullptr;
    pPropData = nullptr;

    if (data->pNode)
    {
        data->pNode->Enable(0, 0);
        // Moves (and tells the tree) only when the placement changes.
        data->pNode->SetLocalMatrix(ParkedMatrix(), TNode::OrdinaryCause());
    }

    if (m_nFlags & PROP_IN_FRUSTUM)
    {
        m_nFlags &= ~PROP_IN_FRUSTUM;
        --pool->m_nInsideFrustum;
    }
}

u32 TProp::UseImposter(u32 apply)
{
    TPropLock lock;
    if (!pImposter || (m_nFlags & PROP_NO_IMPOSTER) || !MainCamera())
        return 0;
    const f32* distance = ImposterDistance();
    const f32 nearDistance = distance[0];
    const f32 farDistance = distance[2];
    const f32 length = farDistance - nearDistance;
    const f32 lag = 0.48f * length;
    const f32 d = m_fDistance;

    f32 alpha = d < nearDistance ? 0.0f : d > farDistance ? 1.0f : (d - nearDistance) / length;
    f32 fade = d < nearDistance + lag   ? 1.0f
               : d > farDistance + lag ? 0.0f
                                       : 1.0f - (d - nearDistance - lag) / length;
    if (apply || (m_nFlags & PROP_FORCED))
    {
        alpha = 1.0f;
        fade = 0.0f;
    }
    const f32 shown = alpha > 0.0f ? alpha : 0.0f;
    pImposter->SetFade(shown, shown);
    if (fade != 0.0f)
    {
        if (!pPropData)
            Activate();
        if (pPropData)
            pImposter->FadeMeshes(fade);
    }
    else if (pPropData)
        SetActive(0);
    QueueUpdate();
    return pImposter->m_nVisible;
}

void TProp::QueueUpdate()
{
    TPropLock lock;
    if ((m_nFlags & PROP_QUEUED) || !pPropDataPool)
        return;
    m_nFlags |= PROP_QUEUED;
    TUpdates::Insert(pPropDataPool->lPropUpdate, this);
}

void TProp::RemoveFromUpdate()
{
    TPropLock lock;
    if (!(m_nFlags & PROP_QUEUED))
        return;
    m_nFlags &= ~(PROP_QUEUED | PROP_UPDATE_REQUEST | PROP_UPDATE_REQUEST2);
    TUpdates::Unlink(pPropDataPool->lPropUpdate, this);
}

void TProp::Rank(const TVector* cameraPosition, const TMatrix* viewProjection)
{
    TPropLock lock;
    TMatrix world;
    if ((m_nFlags & PROP_PHYSICS) && pProxy)
        pProxy->GetPosition(&world);
    else
        world = *GetMatrix();

    f32 d = 0.0f;
    if (cameraPosition)
    {
        const f32 dx = world.aRow[3].x - cameraPosition->x;
        const f32 dy = world.aRow[3].y - cameraPosition->y;
        const f32 dz = world.aRow[3].z - cameraPosition->z;
        d = std::sqrt(dx * dx + dy * dy + dz * dz);
    }
    m_fDistance = d;

    TPropDataPool* pool = pPropDataPool;
    const u32 inside =
        !viewProjection || !pool || IsBoxInFrustum(pool->m_BoundBox, world, *viewProjection) != FRUSTUM_OUTSIDE;

    const f32 farDistance = ImposterDistance()[2];
    if (pImposter && pPropData && d > farDistance)
        d = farDistance + 0.1f;

    m_fPriority = static_cast<f32>(m_nPriorityClass) * PROP_CLASS_PRIORITY + d;
    if (!inside)
        m_fPriority += PROP_OUTSIDE_PRIORITY;
    if (inside && !(m_nFlags & PROP_IN_FRUSTUM))
    {
        m_nFlags |= PROP_IN_FRUSTUM;
        if (pool)
            ++pool->m_nInsideFrustum;
    }
    else if (!inside && (m_nFlags & PROP_IN_FRUSTUM))
    {
        m_nFlags &= ~PROP_IN_FRUSTUM;
        if (pool)
            --pool->m_nInsideFrustum;
    }
}

void SortPropPool(TPropDataPool* pool)
{
    TPropLock lock;
    THolders::Sort(pool->lProp);
    TUpdates::Sort(pool->lPropUpdate);
}
