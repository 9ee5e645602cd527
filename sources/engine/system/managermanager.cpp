#include "engine/system/managermanager.h"

#include "core/cluster/cluster.h"
#include "core/system/cputimer.h"
#include "core/system/log.h"
#include "core/system/timer.h"

#include <cmath>

__attribute__((init_priority(1100))) TManagerManager g_ManagerManager;

namespace
{
// Fixed-rate channels: steps per second of game time (channel 0 runs once per frame).
constexpr f32 kChannelRate[MANAGER_CHANNEL_COUNT] = {0.0f, 5.0f, 20.0f, 50.0f, 100.0f};

// Set when a manager leaves a list of the active system; the loops over the lists visit the
// same index again.
u32 s_nListChanged = 0;

// The step of managers that keep their own clock: the frame timer's overall time scale over
// the rate.
f32 OwnClockStep(f32 rate)
{
    return rate > 0.0f ? g_pTimer->GetScale() / rate : 0.0f;
}

const char* const kAddPrefix[MANAGER_LIST_COUNT] = {
    "TManagerManager::AddInitializeManager(): error: ", "TManagerManager::AddFinalizeManager(): error: ",
    "TManagerManager::AddRenderManager(): error: ", "TManagerManager::AddUpdateManager(): error: "};
} // namespace

TManagerManager::TManagerManager()
    : m_pActiveSystem(nullptr), m_pStartedSystem(nullptr), m_nLockState(MANAGER_LOCK_LOCKED), m_nReleased(0),
      m_nTrackActivity(0), m_nTrackStep(0), m_nWorkerCount(1), m_aStepTime(), m_aAccumulatedTime(),
      m_aStepCount(), m_fThreadUpdateTime(0.0f), m_fUpdateTime(0.0f), m_Timing(), m_WorkerSteps(),
      m_nThreadsRunning(0), m_nUpdating(0)
{
    for (u32 c = 0; c < MANAGER_CHANNEL_COUNT; ++c)
        m_aRate[c] = kChannelRate[c];
    m_aThread.SetCount(1);
    m_aThread[0].m_nIndex = 0;
}

TManagerManager::~TManagerManager()
{
    _StopWorkers();
}

i32 TManagerManager::Register(const char* name, const char* typeName, TManager* instance)
{
    TManagerManager& self = g_ManagerManager;
    instance->m_Name.Set(name, true);
    instance->m_TypeName.Set(typeName, true);
    if (self.m_aManager.FindKey(instance->m_Name) < 0 && self.m_aManager.IsFull())
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TManagerManager::RegisterManager(): error: ", "'%s': too many managers", name);
        return 0;
    }
    self.m_aManager.Insert({instance->m_Name, instance});
    return 0;
}

TManager* TManagerManager::FindManager(const TName& name) const
{
    const i32 index = m_aManager.FindKey(name);
    return index >= 0 ? m_aManager[index].value : nullptr;
}

TManagerSystem* TManagerManager::CreateSystem(const TName& name)
{
    if (m_aSystem.GetCount() >= MANAGER_SYSTEM_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TManagerManager::CreateSystem(): error: ", "'%s': too many manager systems",
                    name.GetText());
        return nullptr;
    }
    m_aSystem.SetCount(m_aSystem.GetCount() + 1);
    TManagerSystem& system = m_aSystem[m_aSystem.GetCount() - 1];
    system.Name = name;
    for (TManagerList& list : system.aList)
        list.SetCount(0);
    m_pActiveSystem = &system;
    _BuildWorkerLists();
    return &system;
}

TManagerSystem* TManagerManager::FindSystem(const TName& name)
{
    for (u32 i = 0; i < m_aSystem.GetCount(); ++i)
        if (m_aSystem[i].Name == name)
            return &m_aSystem[i];
    return nullptr;
}

void TManagerManager::__ActivateSystem(const TName& name)
{
    TLog::Print(g_pSystemLog, LOG_INFO, "TManagerManager::__ActivateSystem(): ", "%s", name.GetText());
    m_pActiveSystem = FindSystem(name);
    if (!m_pActiveSystem)
        TLog::Print(g_pSystemLog, LOG_ERROR, "TManagerManager::__ActivateSystem(): error: ", "'%s' not found",
                    name.GetText());
    _BuildWorkerLists();
}

void TManagerManager::_AddManager(TManagerListIndex list, TManager* manager, u32 word)
{
    if (!m_pActiveSystem)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kAddPrefix[list], "active manager system is not set");
        return;
    }
    TManagerList& entries = m_pActiveSystem->aList[list];
    if (entries.GetCount() >= MANAGER_LIST_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kAddPrefix[list], "manager '%s': list is full",
                    manager->GetNameText());
        return;
    }
    entries.Add({manager, word});
    if (list == MANAGER_LIST_UPDATE)
        _BuildWorkerLists();
}

void TManagerManager::AddInitializeManager(TManager* manager, u32 word)
{
    _AddManager(MANAGER_LIST_INITIALIZE, manager, word);
}

void TManagerManager::AddFinalizeManager(TManager* manager, u32 word)
{
    _AddManager(MANAGER_LIST_FINALIZE, manager, word);
}

void TManagerManager::AddUpdateManager(TManager* manager, u32 word)
{
    _AddManager(MANAGER_LIST_UPDATE, manager, word);
}

void TManagerManager::AddRenderManager(TManager* manager, u32 word)
{
    _AddManager(MANAGER_LIST_RENDER, manager, word);
}

void TManagerManager::AddRenderManager(const TManagerSystem* system)
{
    if (!m_pActiveSystem)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kAddPrefix[MANAGER_LIST_RENDER],
                    "active manager system is not set");
        return;
    }
    // Only the entries present now: a system may inherit from itself.
    const u32 count = system->aList[MANAGER_LIST_RENDER].GetCount();
    for (u32 i = 0; i < count; ++i)
    {
        const TManagerEntry entry = system->aList[MANAGER_LIST_RENDER][i];
        _AddManager(MANAGER_LIST_RENDER, entry.pManager, entry.nWord);
    }
}

void TManagerManager::_RemoveManager(TManagerListIndex list, TManager* manager)
{
    if (!m_pActiveSystem)
        return;
    TManagerList& entries = m_pActiveSystem->aList[list];
    u32 kept = 0;
    for (u32 i = 0; i < entries.GetCount(); ++i)
        if (entries[i].pManager != manager)
            entries[kept++] = entries[i];
    entries.SetCount(kept);
    s_nListChanged = 1;
    if (list == MANAGER_LIST_UPDATE)
        _BuildWorkerLists();
}

bool TManagerManager::_CheckActive(const char* function)
{
    if (m_pActiveSystem)
        return true;
    TLog::Print(g_pSystemLog, LOG_ERROR, function, "active system not set");
    return false;
}

void TManagerManager::SetTrack(u32 activity, u32 step)
{
    m_nTrackActivity = activity;
    m_nTrackStep = step;
}

TManagerSystem* TManagerManager::_PhaseSystem(const char* function)
{
    if (m_pStartedSystem)
        return m_pStartedSystem;
    return _CheckActive(function) ? m_pActiveSystem : nullptr;
}

void TManagerManager::Initialize()
{
    m_nLockState = MANAGER_LOCK_INITIALIZING;
    // The later phases run this system's lists whatever system the window has switched to
    // since ("Inactive" has none): every manager made here is ended and finalized once.
    m_pStartedSystem = m_pActiveSystem;
    if (_CheckActive("TManagerManager::Initialize(): error: "))
    {
        const TManagerList& list = m_pActiveSystem->aList[MANAGER_LIST_INITIALIZE];
        for (u32 i = 0; i < list.GetCount(); ++i)
        {
            TManager* manager = list[i].pManager;
            SetTrack(MANAGER_TRACK_INITIALIZE, i);
            manager->m_nStepWord = list[i].nWord;
            TCpuTimer time;
            time.Start();
            const i32 result = manager->InitializeManager();
            manager->m_fInitializeTime = time.Stop();
            TLog::Print(g_pSystemLog, LOG_INFO, "TManagerManager::Initialize(): ", "'%s' (%.3f ms)",
                        manager->GetNameText(), manager->m_fInitializeTime);
            if (result != 0)
                TLog::Print(g_pSystemLog, LOG_ERROR,
                            "TManagerManager::Initialize(): error: ", "manager '%s' initialization error %d",
                            manager->GetNameText(), result);
        }
    }
    m_nLockState = MANAGER_LOCK_OPEN;
}

void TManagerManager::Begin()
{
    const TManagerSystem* system = _PhaseSystem("TManagerManager::Begin(): error: ");
    if (!system)
        return;
    const TManagerList& list = system->aList[MANAGER_LIST_INITIALIZE];
    for (u32 i = 0; i < list.GetCount(); ++i)
    {
        SetTrack(MANAGER_TRACK_BEGIN, i);
        TLog::Print(g_pSystemLog, LOG_INFO, "TManagerManager::Begin(): ", "'%s'",
                    list[i].pManager->GetNameText());
        list[i].pManager->m_nStepWord = list[i].nWord;
        list[i].pManager->BeginManager();
    }
}

void TManagerManager::End()
{
    const TManagerSystem* system = _PhaseSystem("TManagerManager::End(): error: ");
    if (!system)
        return;
    const TManagerList& list = system->aList[MANAGER_LIST_FINALIZE];
    for (u32 i = 0; i < list.GetCount(); ++i)
    {
        TLog::Print(g_pSystemLog, LOG_INFO, "TManagerManager::End(): ", "'%s'",
                    list[i].pManager->GetNameText());
        list[i].pManager->m_nStepWord = list[i].nWord;
        list[i].pManager->EndManager();
    }
}

void TManagerManager::Finalize()
{
    _StopWorkers();
    if (const TManagerSystem* system = _PhaseSystem("TManagerManager::Finalize(): error: "))
    {
        const TManagerList& list = system->aList[MANAGER_LIST_FINALIZE];
        for (u32 i = 0; i < list.GetCount(); ++i)
        {
            SetTrack(MANAGER_TRACK_FINALIZE, i);
            TLog::Print(g_pSystemLog, LOG_INFO, "TManagerManager::Finalize(): ", "'%s'",
                        list[i].pManager->GetNameText());
            list[i].pManager->m_nStepWord = list[i].nWord;
            list[i].pManager->FinalizeManager();
        }
    }
    // Nothing loaded outlives the managers that own it.
    if (g_pCluster)
        g_pCluster->ClearArrays();
    m_pStartedSystem = nullptr;
    m_nLockState = MANAGER_LOCK_LOCKED;
}

void TManagerManager::Update(f32 dt)
{
    ++m_nUpdating;
    m_fThreadUpdateTime = 0.0f;
    m_fUpdateTime = 0.0f;
    m_aStepCount[0] = 1;
    m_aStepTime[0] = dt;
    for (u32 c = 1; c < MANAGER_CHANNEL_COUNT; ++c)
    {
        if (dt == 0.0f)
        {
            m_aStepCount[c] = 1;
            m_aStepTime[c] = 0.0f;
            continue;
        }
        const f32 step = 1.0f / m_aRate[c];
        m_aStepTime[c] = step;
        m_aAccumulatedTime[c] += dt;
        m_aStepCount[c] = 0;
        if (step > m_aAccumulatedTime[c])
            continue;
        const i32 n = static_cast<i32>(std::floor(m_aAccumulatedTime[c] / step));
        m_aStepCount[c] = n;
        m_aAccumulatedTime[c] -= static_cast<f32>(n) * step;
    }

    // Fixed-rate lists: the workers let go by the previous Update are collected; without
    // workers the lists run here.
    SetTrack(MANAGER_TRACK_WORKERS, 0);
    TCpuTimer threadTime;
    threadTime.Start();
    if (_HasWorkers())
        _CollectWorkers();
    else
    {
        _CopyFrameSteps(dt);
        for (u32 j = 0; j < m_aThread.GetCount(); ++j)
            m_aThread[j]._UpdateManagers(m_WorkerSteps);
    }
    m_fThreadUpdateTime += threadTime.Stop();

    TCpuTimer updateTime;
    updateTime.Start();
    if (m_pActiveSystem)
    {
        TManagerList& list = m_pActiveSystem->aList[MANAGER_LIST_UPDATE];
        // A removal made outside the loop (a console command) says nothing about this pass.
        s_nListChanged = 0;
        for (u32 i = 0; i < list.GetCount(); ++i)
        {
            SetTrack(MANAGER_TRACK_UPDATE, i);
            TManager* manager = list[i].pManager;
            manager->m_nStepWord = list[i].nWord;
            const u32 flags = manager->m_nUpdateFlags;
            const u32 channel = manager->m_nChannel;
            f32 step = m_aStepTime[channel];
            i32 n = m_aStepCount[channel];
            bool keepZero = false;
            if (flags & MANAGER_UPDATE_OWN_CLOCK)
            {
                step = OwnClockStep(m_aRate[channel]);
                manager->m_fClockRemainder += dt;
                n = step > 0.0f ? static_cast<i32>(std::floor(manager->m_fClockRemainder / step)) : 0;
                manager->m_fClockRemainder -= static_cast<f32>(n) * step;
                if (!(flags & MANAGER_UPDATE_SKIP_ZERO) && n == 0)
                {
                    n = 1;
                    keepZero = true;
                }
            }
            if (!keepZero && n == 0)
                continue;
            if (flags & MANAGER_UPDATE_COLLAPSE)
            {
                if (flags & MANAGER_UPDATE_SUM)
                    step = static_cast<f32>(n) * step;
                n = 1;
            }
            if (step == 0.0f && (flags & MANAGER_UPDATE_SKIP_ZERO))
                continue;
            // Its fixed-rate work runs on the worker; the main-thread update once per frame.
            if (manager->m_nWorker != 0)
                n = 1;
            TCpuTimer time;
            time.Start();
            for (i32 k = 0; k < n; ++k)
                manager->UpdateManager(step);
            const f32 ms = time.Stop();
            manager->m_nUpdateCalls += n > 0 ? static_cast<u32>(n) : 0;
            manager->m_fUpdateTime = ms;
            manager->m_fTotalUpdateTime += ms;
            if (s_nListChanged)
            {
                s_nListChanged = 0;
                --i;
            }
        }
    }
    m_fUpdateTime += updateTime.Stop();

    if (m_RequestedSystem.IsValid())
    {
        const TName requested = m_RequestedSystem;
        m_RequestedSystem.Clear();
        __ActivateSystem(requested);
    }

    // The workers run this frame's fixed-rate steps while the frame renders and presents.
    if (_HasWorkers() && !m_nReleased)
        _ReleaseWorkers(dt);
    --m_nUpdating;
}

void TManagerManager::Render()
{
    if (!m_pActiveSystem)
        return;
    TRenderStats frame;
    frame.Clear();
    TManagerList& list = m_pActiveSystem->aList[MANAGER_LIST_RENDER];
    for (u32 i = 0; i < list.GetCount(); ++i)
    {
        list[i].pManager->m_fRenderTime = 0.0f;
        if (list[i].pManager->m_pStatistics)
            list[i].pManager->m_pStatistics->Clear();
    }
    s_nListChanged = 0;
    for (u32 i = 0; i < list.GetCount(); ++i)
    {
        SetTrack(MANAGER_TRACK_RENDER, i);
        TManager* manager = list[i].pManager;
        g_RenderStatsCurrent.Clear();
        manager->m_nStepWord = list[i].nWord;
        TCpuTimer time;
        time.Start();
        manager->RenderManager();
        const f32 ms = time.Stop();
        if (manager->m_pStatistics)
            manager->m_pStatistics->Add(g_RenderStatsCurrent);
        frame.Add(g_RenderStatsCurrent);
        manager->m_nRenderCalls += 1;
        manager->m_fRenderTime += ms;
        manager->m_fTotalRenderTime += ms;
        if (s_nListChanged)
        {
            s_nListChanged = 0;
            --i;
        }
    }
    g_RenderStatsCurrent = frame;
    g_RenderStatsFrame = frame;
}

void TManagerManager::__SetProcessorCount(i32 count)
{
    if (count < 0)
        count = 0;
    if (count > static_cast<i32>(MANAGER_WORKER_CAPACITY))
    {
        TLog::Print(g_pSystemLog, LOG_WARNING, "TManagerManager::__SetProcessorCount(): warning: ",
                    "%d update workers asked for, %d made", count, MANAGER_WORKER_CAPACITY);
        count = MANAGER_WORKER_CAPACITY;
    }
    if (count == m_nWorkerCount)
    {
        // The lists are built even when the count stays (the default of 1 included).
        _BuildWorkerLists();
        return;
    }
    _StopWorkers();
    m_nWorkerCount = count;
    const u32 m = count > 1 ? static_cast<u32>(count) : 1;
    m_aThread.SetCount(0);
    m_aThread.SetCount(m);
    for (u32 j = 0; j < m; ++j)
        m_aThread[j].m_nIndex = static_cast<i32>(j);
    _BuildWorkerLists();
    if (count < 2)
        return;
    m_nThreadsRunning = 1;
    // Never the main thread's processor, nor one the process may not use; more workers than
    // processors share them.
    u32 processors[MANAGER_WORKER_CAPACITY];
    const u32 pinned = ChooseWorkerProcessors(processors, MANAGER_WORKER_CAPACITY);
    for (u32 j = 0; j < m; ++j)
        m_aThread[j].SetTakenRelease(m_Release.Load());
    for (u32 j = 0; j < m; ++j)
    {
        TManagerUpdateThread& thread = m_aThread[j];
        if (!thread.Start(&m_aThread[0], m, m_Release, m_Remaining, m_WorkerSteps))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "TManagerManager::__SetProcessorCount(): error: ",
                        "unable to create update worker %d", j);
            _StopWorkers();
            return;
        }
        if (pinned > 0)
            thread.SetAffinity(processors[j % pinned]);
    }
}

bool TManagerManager::_HasWorkers() const
{
    return m_nThreadsRunning != 0;
}

void TManagerManager::_CopyFrameSteps(f32 dt)
{
    for (u32 c = 0; c < MANAGER_CHANNEL_COUNT; ++c)
    {
        m_WorkerSteps.aStepTime[c] = m_aStepTime[c];
        m_WorkerSteps.aStepCount[c] = m_aStepCount[c];
        m_WorkerSteps.aOwnStep[c] = OwnClockStep(m_aRate[c]);
    }
    m_WorkerSteps.fGameDelta = dt;
}

void TManagerManager::_ReleaseWorkers(f32 dt)
{
    m_nReleased = 1;
    // Every worker has finished its previous list, so their copy of the frame can be written.
    _CopyFrameSteps(dt);
    m_Remaining.Store(m_aThread.GetCount());
    m_Release.Add(1);
    // The first worker up wakes the others: the frame pays for one wake-up.
    m_Release.WakeOne();
}

void TManagerManager::_CollectWorkers()
{
    if (!m_nReleased)
        return;
    m_nReleased = 0;
    // Lists no worker has taken yet run here rather than wait for a sleeping worker to wake;
    // then only the lists being run are waited for.
    RunReleasedLists(&m_aThread[0], m_aThread.GetCount(), 0, m_Release.Load(), m_Remaining, m_WorkerSteps);
    for (u32 left = m_Remaining.Load(); left != 0; left = m_Remaining.Load())
        m_Remaining.WaitWhile(left);
}

void TManagerManager::_StopWorkers()
{
    if (!m_nThreadsRunning)
        return;
    // A release still out finishes first: a stop request seen on waking would drop its lists.
    _CollectWorkers();
    for (u32 j = 0; j < m_aThread.GetCount(); ++j)
        m_aThread[j].RequestStop();
    m_Release.Add(1);
    m_Release.Wake();
    for (u32 j = 0; j < m_aThread.GetCount(); ++j)
        m_aThread[j].Stop();
    m_nThreadsRunning = 0;
}

void TManagerManager::_BuildWorkerLists()
{
    _CollectWorkers();
    for (u32 j = 0; j < m_aThread.GetCount(); ++j)
        m_aThread[j].m_aUpdate.SetCount(0);
    if (!m_pActiveSystem)
        return;
    const u32 m = m_aThread.GetCount();
    const TManagerList& list = m_pActiveSystem->aList[MANAGER_LIST_UPDATE];
    for (u32 i = 0; i < list.GetCount(); ++i)
    {
        TManager* manager = list[i].pManager;
        manager->m_nStepWord = list[i].nWord;
        if (manager->m_nWorker == 0)
            continue;
        const u32 t = (manager->m_nWorker - 1) % m;
        manager->m_nWorkerIndex = t;
        m_aThread[t].m_aUpdate.Add(list[i]);
    }
}
