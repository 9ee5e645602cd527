#pragma once
// TEvent: a signalled/unsignalled flag that threads wait on, with manual or automatic reset.
// Each event is one word that its waiters sleep on (a futex), after the short spin of
// waitword.h: a signal wakes only the waiters of that event. A wait for several events takes them all at
// once.
#include "core/system/types.h"

struct TEventState;
typedef TEventState* TEventHandle;

// Results of the waits.
constexpr u32 WAIT_SIGNALLED = 0;
constexpr u32 WAIT_IO_COMPLETION = 1; // never on this system
constexpr u32 WAIT_ABANDONED = 2;     // never on this system
constexpr u32 WAIT_TIMED_OUT = 3;
constexpr u32 WAIT_FAILED = 10;

class TEvent
{
public:
    explicit TEvent(bool initialState = false, bool manualReset = false);
    ~TEvent();
    TEvent(const TEvent&) = delete;
    TEvent& operator=(const TEvent&) = delete;

    // Replaces a previous event by a new one.
    void Create(bool initialState, bool manualReset);
    void Release();

    void Set();
    void Reset();
    TEventHandle GetHandle() const { return m_hEvent; }

private:
    TEventHandle m_hEvent;
};

static_assert(sizeof(TEvent) == 4);

// Waits until all count events are signalled (automatic-reset ones are then reset together).
// seconds: 0 or less waits without limit, else truncated to milliseconds.
u32 WaitForEvents(u32 count, const TEventHandle* events, f32 seconds);
// Signals one event, then waits for another. The wait cannot miss a signal given after the
// first one: a signalled event stays so until reset or taken.
u32 SignalAndWait(TEventHandle signal, TEventHandle wait, f32 seconds);
// Sleeps seconds x 1,000 milliseconds.
void SleepSeconds(f32 seconds);
