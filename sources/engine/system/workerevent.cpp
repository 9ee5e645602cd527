#include "engine/system/workerevent.h"

#include <condition_variable>
#include <mutex>

namespace
{
// Never destroyed: workers are stopped from static destructors.
std::mutex& EventLock()
{
    static std::mutex* s_pLock = new std::mutex;
    return *s_pLock;
}

std::condition_variable& EventChanged()
{
    static std::condition_variable* s_pChanged = new std::condition_variable;
    return *s_pChanged;
}
} // namespace

TWorkerEvent::TWorkerEvent(u32 manualReset) : m_nManualReset(manualReset), m_nSignalled(0) {}

void TWorkerEvent::Set()
{
    std::lock_guard<std::mutex> lock(EventLock());
    m_nSignalled = 1;
    EventChanged().notify_all();
}

void TWorkerEvent::Reset()
{
    std::lock_guard<std::mutex> lock(EventLock());
    m_nSignalled = 0;
}

void TWorkerEvent::Wait()
{
    std::unique_lock<std::mutex> lock(EventLock());
    EventChanged().wait(lock, [this] { return m_nSignalled != 0; });
    ConsumeLocked();
}

void TWorkerEvent::WaitAll(TWorkerEvent* events, u32 count)
{
    std::unique_lock<std::mutex> lock(EventLock());
    EventChanged().wait(lock, [events, count] {
        for (u32 i = 0; i < count; ++i)
            if (!events[i].m_nSignalled)
                return false;
        return true;
    });
    for (u32 i = 0; i < count; ++i)
        events[i].ConsumeLocked();
}

void TWorkerEvent::SignalAndWait(TWorkerEvent& signal, TWorkerEvent& wait)
{
    std::unique_lock<std::mutex> lock(EventLock());
    signal.m_nSignalled = 1;
    EventChanged().notify_all();
    EventChanged().wait(lock, [&wait] { return wait.m_nSignalled != 0; });
    wait.ConsumeLocked();
}

void TWorkerEvent::ConsumeLocked()
{
    if (!m_nManualReset)
        m_nSignalled = 0;
}
