#pragma once
// TWorkerEvent: the events between the main thread and the update workers, with the two
// operations the hand-over needs: wait for a whole set, and signal one event then wait for
// another. An event is one atomic word that threads wait on directly (a futex), so a signal
// wakes only the threads waiting for that event and nobody queues for a shared lock.
//
// Only one thread (the main thread) waits on the auto-reset events; the hand-over never resets
// a manual-reset event before every thread waiting for it has seen it signalled.
#include "core/system/types.h"

#include <atomic>

class TWorkerEvent
{
public:
    // manualReset 0: a successful wait clears the event again.
    explicit TWorkerEvent(u32 manualReset = 0);

    void Set();
    void Reset();
    void Wait();
    // Waits until every event of the array has been signalled and consumes the auto-reset ones.
    static void WaitAll(TWorkerEvent* events, u32 count);
    // Signals one event, then waits for the other. Manual-reset events stay signalled until
    // reset and auto-reset ones until consumed, so no signal given meanwhile is lost.
    static void SignalAndWait(TWorkerEvent& signal, TWorkerEvent& wait);

private:
    u32 m_nManualReset;
    std::atomic<u32> m_nSignalled;
};
