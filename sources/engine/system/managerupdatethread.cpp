#include "engine/system/managerupdatethread.h"

#include "core/system/cputimer.h"
#include "engine/system/manager.h"

#include <cmath>
#include <pthread.h>
#include <sched.h>

TManagerUpdateThread::TManagerUpdateThread() : m_nIndex(-1), m_fTime(0.0f), m_nStop(0)
{
    m_Name = "";
}

TManagerUpdateThread::~TManagerUpdateThread()
{
    // The manager manager stops and joins its workers before their objects go.
    if (m_Thread.joinable())
        m_Thread.detach();
}

bool TManagerUpdateThread::Start(TWorkerEvent& ready, TWorkerEvent& run, TWorkerEvent& rest,
                                 const TManagerFrameSteps& steps)
{
    m_nStop = 0;
    try
    {
        m_Thread = std::thread([this, &ready, &run, &rest, &steps] { Run(ready, run, rest, steps); });
    }
    catch (const std::system_error&)
    {
        return false;
    }
    pthread_setname_np(m_Thread.native_handle(), m_Name.GetText());
    return true;
}

void TManagerUpdateThread::Join()
{
    if (m_Thread.joinable())
        m_Thread.join();
}

void TManagerUpdateThread::SetAffinity(u32 processor)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(processor % 32, &set);
    pthread_setaffinity_np(m_Thread.native_handle(), sizeof set, &set);
}

void TManagerUpdateThread::Run(TWorkerEvent& ready, TWorkerEvent& run, TWorkerEvent& rest,
                               const TManagerFrameSteps& steps)
{
    for (;;)
    {
        TWorkerEvent::SignalAndWait(ready, run);
        if (m_nStop)
            return;
        _UpdateManagers(steps);
        TWorkerEvent::SignalAndWait(ready, rest);
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
