#include "engine/system/animationmanager.h"

#include "core/cluster/cluster.h"
#include "core/system/timer.h"
#include "engine/system/animation.h"
#include "engine/system/animationdata.h"
#include "engine/system/managermanager.h"
#include "engine/system/scenetypes.h"
#include "engine/system/storedword.h"

#include <cstring>

TAnimationManager* g_pAnimationManager = nullptr;

namespace
{
TAnimationManager s_AnimationManager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Animation", "Animation", &g_pAnimationManager, &s_AnimationManager);
} // namespace

TAnimationManager::TAnimationManager()
{
    // The advance is fixed-rate work: update worker list 1 (inline without workers).
    m_nWorker = 1;
    if (!g_pCluster)
        return;
    RegisterArray(&AnimationDataDecl(), &m_aAnimationData);
    RegisterArray(&AnimationDecl(), &m_aAnimation);
}

TAnimation* TAnimationManager::FindAnimation(u32 nameId) const
{
    for (i32 i = 0; i < m_aAnimation.GetCount(); ++i)
    {
        TAnimation* animation = m_aAnimation[i];
        if (animation->pAnimationData && animation->pAnimationData->m_Name.GetId() == nameId)
            return animation;
    }
    return nullptr;
}

i32 TAnimationManager::SetArray(u32 typeId, void*, i32 count)
{
    // Loaded records carry the writer's run-time words: keys and weights are found again.
    if (typeId == AnimationDataDecl().GetTypeId())
    {
        for (i32 i = 0; i < count; ++i)
            std::memset(&StoredWord<u8>(m_aAnimationData[i], ANIMATION_DATA_KEYS_OFFSET), 0,
                        sizeof(DArray<TAnimationKey>));
        return 0;
    }
    if (typeId == AnimationDecl().GetTypeId())
    {
        for (i32 i = 0; i < count; ++i)
            m_aAnimation[i]->ForgetRunTimeLinks();
        return 0;
    }
    return 1;
}

void TAnimationManager::ThreadUpdateManager(f32 step)
{
    const f32 realStep = g_pTimer ? g_pTimer->GetRealTimeStep() : step;
    for (i32 i = 0; i < m_aAnimation.GetCount(); ++i)
    {
        TAnimation* animation = m_aAnimation[i];
        animation->Update((animation->m_nFlags & ANIMATION_REAL_TIME) ? realStep : step);
    }
}

void TAnimationManager::UpdateManager(f32)
{
    for (i32 i = 0; i < m_aAnimation.GetCount(); ++i)
    {
        TAnimation* animation = m_aAnimation[i];
        if (animation->pAnimationData)
            animation->pAnimationData->Require();
        animation->FireEvents();
    }
}
