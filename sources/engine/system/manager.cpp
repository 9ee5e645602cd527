#include "engine/system/manager.h"

#include "core/system/log.h"
#include "engine/system/managermanager.h"

#include <atomic>

namespace
{
TRenderStats s_aStatistics[MANAGER_STATISTICS_COUNT];
std::atomic<u32> s_nStatisticsUsed{0};
} // namespace

TManager::TManager()
    : m_fClockRemainder(0.0f), m_nChannel(2), m_nWorker(0), m_nWorkerIndex(0),
      m_nUpdateFlags(MANAGER_UPDATE_SKIP_ZERO), m_nRenderCalls(0), m_nUpdateCalls(0), m_fInitializeTime(0.0f),
      m_fRenderTime(0.0f), m_fUpdateTime(0.0f), m_fThreadUpdateTime(0.0f), m_fTotalRenderTime(0.0f),
      m_fTotalUpdateTime(0.0f), m_fTotalThreadUpdateTime(0.0f), m_nStepIndex(0), m_nStepCount(0),
      m_nStepWord(0), m_pStatistics(_AllocStatistics())
{
}

TManager::~TManager() = default;

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
    // Managers beyond the pool keep no statistics (tests construct many short-lived ones).
    const u32 index = s_nStatisticsUsed.fetch_add(1);
    if (index >= MANAGER_STATISTICS_COUNT)
        return nullptr;
    s_aStatistics[index].Clear();
    return &s_aStatistics[index];
}
