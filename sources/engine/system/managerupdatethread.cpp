#include "engine/system/managerupdatethread.h"

#include "core/system/cputimer.h"
#include "engine/system/manager.h"

#include <cmath>

TManagerUpdateThread::TManagerUpdateThread()
    : m_nIndex(-1), m_fTime(0.0f), m_pRelease(nullptr), m_pRemaining(nullptr), m_nRelease(0),
      m_pSteps(nullptr), m_pLists(nullptr), m_nListCount(0), m_nTaken(0)
{
    SetName("UpdateWorker");
}

bool TManagerUpdateThread::Start(TManagerUpdateThread* lists, u32 listCount, TWaitWord& release,
                                 TWaitWord& remaining, const TManagerFrameSteps& steps)
{
    m_pLists = lists;
    m_nListCount = listCount;
    m_pRelease = &release;
    m_pRemaining = &remaining;
    // Taken before the thread exists: a release given before it first looks is not missed.
    m_nRelease = release.Load();
    m_pSteps = &steps;
    return TThread::Start();
}

bool TManagerUpdateThread::Take(u32 release)
{
    // Every list of the release before was taken, so a list still free holds release - 1; a
    // thread that saw an older release finds no list holding the value before it.
    u32 expected = release - 1;
    return m_nTaken.load(std::memory_order_relaxed) == expected &&
           m_nTaken.compare_exchange_strong(expected, release, std::memory_order_acq_rel);
}

void TManagerUpdateThread::Run()
{
    for (;;)
    {
        m_pRelease->WaitWhile(m_nRelease);
        m_nRelease = m_pRelease->Load();
        if (IsStopRequested())
            return;
        // The release woke one sleeper, which wakes the others: the main thread pays for one
        // wake-up, and the workers come up while it renders.
        m_pRelease->Wake();
        RunReleasedLists(m_pLists, m_nListCount, static_cast<u32>(m_nIndex), m_nRelease, *m_pRemaining,
                         *m_pSteps);
    }
}

void RunReleasedLists(TManagerUpdateThread* lists, u32 count, u32 first, u32 release, TWaitWord& remaining,
                      const TManagerFrameSteps& steps)
{
    for (u32 k = 0; k < count; ++k)
    {
        TManagerUpdateThread& list = lists[(first + k) % count];
        if (!list.Take(release))
            continue;
        list._UpdateManagers(steps);
        if (remaining.Add(~0u) == 0)
            remaining.Wake();
    }
}

void TManagerUpdateThread::_UpdateManagers(const TManagerFrameSteps& steps)
{
    TCpuTimer listTime;
    listTime.Start();
    for (i32 i = 0; i < m_aUpdate.GetCount(); ++i)
    {
        const TManagerEntry& entry = m_aUpdate[i];
        TManager* manager = entry.pManager;
        manager->m_nStepWord = entry.nWord;
        const u32 flags = manager->m_nUpdateFlags;
        const u32 channel = manager->m_nChannel;
        f32 step = steps.aStepTime[channel];
        i32 n = steps.aStepCount[channel];
        if (flags & MANAGER_UPDATE_OWN_CLOCK)
        {
            step = steps.aOwnStep[channel];
            manager->m_fClockRemainder += steps.fGameDelta;
            n = step > 0.0f ? static_cast<i32>(std::floor(manager->m_fClockRemainder / step)) : 0;
            manager->m_fClockRemainder -= static_cast<f32>(n) * step;
            if (!(flags & MANAGER_UPDATE_SKIP_ZERO) && n == 0)
                n = 1;
        }
        if (n == 0)
            continue;
        if (flags & MANAGER_UPDATE_COLLAPSE)
        {
            if (flags & MANAGER_UPDATE_SUM)
                step = static_cast<f32>(n) * step;
            n = 1;
        }
        TCpuTimer entryTime;
        entryTime.Start();
        for (i32 k = 0; k < n; ++k)
        {
            manager->m_nStepIndex = static_cast<u32>(k);
            manager->m_nStepCount = static_cast<u32>(n);
            manager->ThreadUpdateManager(step);
        }
        const f32 ms = entryTime.Stop();
        manager->m_fThreadUpdateTime = ms;
        manager->m_fTotalThreadUpdateTime += ms;
    }
    m_fTime = listTime.Stop();
}
