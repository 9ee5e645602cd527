#include "engine/system/managerupdatethread.h"

#include "core/system/cputimer.h"
#include "engine/system/manager.h"

#include <cmath>

TManagerUpdateThread::TManagerUpdateThread()
    : m_nIndex(-1), m_fTime(0.0f), m_pRelease(nullptr), m_pRemaining(nullptr), m_nRelease(0),
      m_pSteps(nullptr)
{
    SetName("UpdateWorker");
}

bool TManagerUpdateThread::Start(TWaitWord& release, TWaitWord& remaining, const TManagerFrameSteps& steps)
{
    m_pRelease = &release;
    m_pRemaining = &remaining;
    // Taken before the thread exists: a release given before it first looks is not missed.
    m_nRelease = release.Load();
    m_pSteps = &steps;
    return TThread::Start();
}

void TManagerUpdateThread::Run()
{
    for (;;)
    {
        m_pRelease->WaitWhile(m_nRelease);
        m_nRelease = m_pRelease->Load();
        if (IsStopRequested())
            return;
        _UpdateManagers(*m_pSteps);
        if (m_pRemaining->Add(~0u) == 0)
            m_pRemaining->Wake();
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
