#include "engine/system/manager.h"

#include "core/system/log.h"
#include "engine/system/managermanager.h"

namespace
{
TRenderStats s_aStatistics[MANAGER_STATISTICS_COUNT];
u8 s_aStatisticsTaken[MANAGER_STATISTICS_COUNT];
} // namespace

TManager::TManager()
    : m_fClockRemainder(0.0f), m_nChannel(2), m_nWorker(0), m_nWorkerIndex(0),
      m_nUpdateFlags(MANAGER_UPDATE_SKIP_ZERO), m_nRenderCalls(0), m_nUpdateCalls(0), m_fInitializeTime(0.0f),
      m_fRenderTime(0.0f), m_fUpdateTime(0.0f), m_fThreadUpdateTime(0.0f), m_fTotalRenderTime(0.0f),
      m_fTotalUpdateTime(0.0f), m_fTotalThreadUpdateTime(0.0f), m_nStepIndex(0), m_nStepCount(0),
      m_nStepWord(0), m_pStatistics(_AllocStatistics())
{
}

TManager::~TManager()
{
    if (m_pStatistics)
        s_aStatisticsTaken[m_pStatistics - s_aStatistics] = 0;
}

const TName* TManager::GetName()
{
    return &m_Name;
}

i32 TManager::InitializeManager()
{
    return 0;
}

void TManager::FinalizeManager() {}

void TManager::BeginManager() {}

void TManager::EndManager() {}

void TManager::RenderManager()
{
    TLog::Print(g_pSystemLog, LOG_WARNING,
                "TManager::RenderManager(): warning: ", "manager '%s' removed from render queue",
                GetNameText());
    g_ManagerManager._RemoveManager(MANAGER_LIST_RENDER, this);
}

void TManager::ThreadUpdateManager(f32) {}

void TManager::UpdateManager(f32)
{
    TLog::Print(g_pSystemLog, LOG_WARNING,
                "TManager::UpdateManager(): warning: ", "manager '%s' removed from update queue",
                GetNameText());
    g_ManagerManager._RemoveManager(MANAGER_LIST_UPDATE, this);
}

TRenderStats* TManager::_AllocStatistics()
{
    // Managers are built on the main thread; those beyond the pool keep no statistics.
    for (u32 i = 0; i < MANAGER_STATISTICS_COUNT; ++i)
        if (!s_aStatisticsTaken[i])
        {
            s_aStatisticsTaken[i] = 1;
            s_aStatistics[i].Clear();
            return &s_aStatistics[i];
        }
    return nullptr;
}
