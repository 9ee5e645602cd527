#pragma once
// TEvent: a signalled/unsignalled flag that threads wait on, with manual or automatic reset.
// Every event shares one lock and one condition, so a wait for several events, and a signal
// followed by a wait, are atomic.
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
// Signals one event and waits for another in one step.
u32 SignalAndWait(TEventHandle signal, TEventHandle wait, f32 seconds);
// Sleeps seconds x 1,000 milliseconds.
void SleepSeconds(f32 seconds);
