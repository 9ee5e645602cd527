#pragma once
// TWorkerEvent: the events between the main thread and the update workers, with the two
// operations the hand-over needs: wait for a whole set at once, and signal one event and wait
// for another without missing a signal in between. All events share one lock; each has its own
// condition, so that a signal wakes only the threads waiting for that event.
#include "core/system/types.h"

#include <atomic>
#include <condition_variable>

class TWorkerEvent
{
public:
    // manualReset 0: a successful wait clears the event again.
    explicit TWorkerEvent(u32 manualReset = 0);

    void Set();
    void Reset();
    void Wait();
    // Waits until every event of the array is signalled and consumes the auto-reset ones. One
    // thread at a time waits for a set (the main thread), so the events are taken in turn.
    static void WaitAll(TWorkerEvent* events, u32 count);
    // Signals one event, then waits for the other. Manual-reset events stay signalled until
    // reset and auto-reset ones until consumed, so no signal given meanwhile is lost.
    static void SignalAndWait(TWorkerEvent& signal, TWorkerEvent& wait);

private:
    void ConsumeLocked();

    u32 m_nManualReset;
    std::atomic<u32> m_nSignalled;
    std::condition_variable m_Changed;
};
