#pragma once
// TWorkerEvent: the events between the main thread and the update workers, with the two
// operations the hand-over needs: wait for a whole set at once, and signal one event and wait
// for another in one atomic step. All events share one lock, which makes both atomic.
#include "core/system/types.h"

class TWorkerEvent
{
public:
    // manualReset 0: a successful wait clears the event again.
    explicit TWorkerEvent(u32 manualReset = 0);

    void Set();
    void Reset();
    void Wait();
    // Waits until every event of the array is signalled, then consumes the auto-reset ones.
    static void WaitAll(TWorkerEvent* events, u32 count);
    // Signals one event and starts waiting for the other without a gap.
    static void SignalAndWait(TWorkerEvent& signal, TWorkerEvent& wait);

private:
    void ConsumeLocked();

    u32 m_nManualReset;
    u32 m_nSignalled;
};
