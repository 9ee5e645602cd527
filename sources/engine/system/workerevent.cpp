#include "engine/system/workerevent.h"

#include <mutex>

namespace
{
// Never destroyed: workers are stopped from static destructors.
std::mutex& EventLock()
{
    static std::mutex* s_pLock = new std::mutex;
    return *s_pLock;
}

// A hand-over usually completes within a few microseconds: look a while before sleeping, as a
// sleeping thread takes far longer to wake.
constexpr u32 kSpinCount = 2000;

void SpinUntilSignalled(const std::atomic<u32>& signalled)
{
    for (u32 i = 0; i < kSpinCount && !signalled.load(std::memory_order_acquire); ++i)
        __builtin_ia32_pause();
}
} // namespace

TWorkerEvent::TWorkerEvent(u32 manualReset) : m_nManualReset(manualReset), m_nSignalled(0) {}

void TWorkerEvent::Set()
{
    {
        std::lock_guard<std::mutex> lock(EventLock());
        m_nSignalled = 1;
    }
    m_Changed.notify_all();
}

void TWorkerEvent::Reset()
{
    std::lock_guard<std::mutex> lock(EventLock());
    m_nSignalled = 0;
}

void TWorkerEvent::Wait()
{
    SpinUntilSignalled(m_nSignalled);
    std::unique_lock<std::mutex> lock(EventLock());
    m_Changed.wait(lock, [this] { return m_nSignalled != 0; });
    ConsumeLocked();
}

void TWorkerEvent::WaitAll(TWorkerEvent* events, u32 count)
{
    for (u32 i = 0; i < count; ++i)
        SpinUntilSignalled(events[i].m_nSignalled);
    std::unique_lock<std::mutex> lock(EventLock());
    for (u32 i = 0; i < count; ++i)
        events[i].m_Changed.wait(lock, [&event = events[i]] { return event.m_nSignalled != 0; });
    for (u32 i = 0; i < count; ++i)
        events[i].ConsumeLocked();
}

void TWorkerEvent::SignalAndWait(TWorkerEvent& signal, TWorkerEvent& wait)
{
    {
        std::lock_guard<std::mutex> lock(EventLock());
        signal.m_nSignalled = 1;
    }
    signal.m_Changed.notify_all();
    SpinUntilSignalled(wait.m_nSignalled);
    std::unique_lock<std::mutex> lock(EventLock());
    wait.m_Changed.wait(lock, [&wait] { return wait.m_nSignalled != 0; });
    wait.ConsumeLocked();
}

void TWorkerEvent::ConsumeLocked()
{
    if (!m_nManualReset)
        m_nSignalled = 0;
}
