#include "core/system/event.h"

#include "core/system/memory.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

struct TEventState
{
    u32 signalled;
    u32 manualReset;
};

namespace
{
// Events are few and their waiters fewer: one lock and one condition serve them all.
std::mutex& EventLock()
{
    static std::mutex s_lock;
    return s_lock;
}

std::condition_variable& EventChange()
{
    static std::condition_variable s_change;
    return s_change;
}

bool AllSignalled(u32 count, const TEventHandle* events)
{
    for (u32 i = 0; i < count; ++i)
        if (!events[i]->signalled)
            return false;
    return true;
}

u32 WaitLocked(std::unique_lock<std::mutex>& lock, u32 count, const TEventHandle* events, f32 seconds)
{
    auto ready = [&] { return AllSignalled(count, events); };
    const u32 milliseconds = static_cast<u32>(seconds * 1000.0f);
    if (seconds <= 0.0f)
        EventChange().wait(lock, ready);
    else if (!EventChange().wait_for(lock, std::chrono::milliseconds(milliseconds), ready))
        return WAIT_TIMED_OUT;
    for (u32 i = 0; i < count; ++i)
        if (!events[i]->manualReset)
            events[i]->signalled = 0;
    return WAIT_SIGNALLED;
}
} // namespace

TEvent::TEvent(bool initialState, bool manualReset) : m_hEvent(nullptr)
{
    Create(initialState, manualReset);
}

TEvent::~TEvent()
{
    Release();
}

void TEvent::Create(bool initialState, bool manualReset)
{
    Release();
    m_hEvent = MemoryNew<TEventState>(TEventState{initialState ? 1u : 0u, manualReset ? 1u : 0u});
}

void TEvent::Release()
{
    MemoryDelete(m_hEvent);
    m_hEvent = nullptr;
}

void TEvent::Set()
{
    if (!m_hEvent)
        return;
    {
        std::lock_guard<std::mutex> lock(EventLock());
        m_hEvent->signalled = 1;
    }
    EventChange().notify_all();
}

void TEvent::Reset()
{
    if (!m_hEvent)
        return;
    std::lock_guard<std::mutex> lock(EventLock());
    m_hEvent->signalled = 0;
}

u32 WaitForEvents(u32 count, const TEventHandle* events, f32 seconds)
{
    if (count == 0 || !events)
        return WAIT_FAILED;
    for (u32 i = 0; i < count; ++i)
        if (!events[i])
            return WAIT_FAILED;
    std::unique_lock<std::mutex> lock(EventLock());
    return WaitLocked(lock, count, events, seconds);
}

u32 SignalAndWait(TEventHandle signal, TEventHandle wait, f32 seconds)
{
    if (!signal || !wait)
        return WAIT_FAILED;
    std::unique_lock<std::mutex> lock(EventLock());
    signal->signalled = 1;
    EventChange().notify_all();
    return WaitLocked(lock, 1, &wait, seconds);
}

void SleepSeconds(f32 seconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<i64>(seconds * 1000.0f)));
}
