#include "engine/render/renderscenemanager.h"

#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "engine/render/renderscene.h"
#include "engine/system/managermanager.h"
#include "engine/system/scenetypes.h"

TRenderSceneManager* g_pRenderSceneManager = nullptr;

namespace
{
TRenderSceneManager s_RenderSceneManager;
const i32 s_nRegistered = TManagerManager::RegisterManager("RenderScene", "RenderScene", &g_pRenderSceneManager,
                                                           &s_RenderSceneManager);
} // namespace

TRenderSceneManager::TRenderSceneManager()
{
    if (!g_pCluster)
        return;
    RegisterArray(&RenderQueueDecl(), &m_aQueue);
    RegisterArray(&RenderSceneDecl(), &m_aScene);
}

u32 TRenderSceneManager::AddListener(TRenderSceneMethods* listener)
{
    if (m_aListener.GetCount() == m_aListener.GetCapacity())
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TRenderSceneManager::AddListener(): error: ",
                    "too many listeners (%u)", m_aListener.GetCapacity());
        return 1;
    }
    m_aListener.Add(listener);
    return 0;
}

void TRenderSceneManager::RemoveListener(TRenderSceneMethods* listener)
{
    for (u32 i = 0; i < m_aListener.GetCount(); ++i)
        if (m_aListener[i] == listener)
        {
            for (u32 j = i + 1; j < m_aListener.GetCount(); ++j)
                m_aListener[j - 1] = m_aListener[j];
            m_aListener.SetCount(m_aListener.GetCount() - 1);
            return;
        }
}

void TRenderSceneManager::RenderAllScenes(TRenderContext* context)
{
    for (i32 i = 0; i < m_aScene.GetCount(); ++i)
        m_aScene[i]->DrawBlended(context);
}

i32 TRenderSceneManager::SetArray(u32 typeId, void*, i32)
{
    if (typeId == RenderSceneDecl().GetTypeId())
        m_pCurrentScene = nullptr;
    return 0;
}

void TRenderSceneManager::FinalizeManager()
{
    m_aListener.SetCount(0);
    TManager::FinalizeManager();
}
