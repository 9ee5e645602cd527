#include "core/system/event.h"

#include "core/system/memory.h"
#include "core/system/waitword.h"

#include <atomic>
#include <chrono>
#include <climits>
#include <ctime>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

// The word threads wait on. A wait for several events holds them all for a moment; a Set or
// Reset given meanwhile is kept in the word until the hold ends.
struct TEventState
{
    std::atomic<u32> word;
    // Threads asleep on the word (or about to be): only then does a change call the kernel.
    std::atomic<u32> sleepers;
    u32 manualReset;
};

namespace
{
constexpr u32 EVENT_CLEAR = 0;
constexpr u32 EVENT_SIGNALLED = 1;
constexpr u32 EVENT_HELD = 2;       // held, unchanged since
constexpr u32 EVENT_HELD_SET = 3;   // held, then Set
constexpr u32 EVENT_HELD_RESET = 4; // held, then Reset

using TClock = std::chrono::steady_clock;

// The end of a wait; none for waits without limit (seconds 0 or less).
struct TDeadline
{
    explicit TDeadline(f32 seconds)
        : limited(seconds > 0.0f),
          end(TClock::now() + std::chrono::milliseconds(static_cast<u32>(seconds * 1000.0f)))
    {
    }
    bool limited;
    TClock::time_point end;
};

u32* Address(std::atomic<u32>& word)
{
    static_assert(sizeof(std::atomic<u32>) == sizeof(u32));
    return reinterpret_cast<u32*>(&word);
}

// After a change of the word: the count is read after the change, and a sleeper counts
// itself before the kernel compares the word, so no sleeper misses the change.
void Wake(TEventState* event)
{
    if (event->sleepers.load() != 0)
        syscall(SYS_futex, Address(event->word), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}

// Sleeps while the word still holds value (or until woken): false once the deadline has passed.
bool SleepWhile(TEventState* event, u32 value, const TDeadline& deadline)
{
    timespec relative;
    if (deadline.limited)
    {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.end - TClock::now());
        if (left.count() <= 0)
            return false;
        relative.tv_sec = static_cast<time_t>(left.count() / 1000000000);
        relative.tv_nsec = static_cast<long>(left.count() % 1000000000);
    }
    event->sleepers.fetch_add(1);
    syscall(SYS_futex, Address(event->word), FUTEX_WAIT_PRIVATE, value,
            deadline.limited ? &relative : nullptr, nullptr, 0);
    event->sleepers.fetch_sub(1);
    return true;
}

// Set and Reset: the new state, or while the event is held, what the hold is to end in.
void Change(TEventState* event, bool signal)
{
    u32 value = event->word.load(std::memory_order_acquire);
    u32 next;
    do
    {
        if (value >= EVENT_HELD)
            next = signal ? EVENT_HELD_SET : EVENT_HELD_RESET;
        else
            next = signal ? EVENT_SIGNALLED : EVENT_CLEAR;
    } while (!event->word.compare_exchange_weak(value, next));
    if (signal)
        Wake(event);
}

// Ends a hold: a taken automatic event is cleared, anything else goes back to signalled,
// unless a Set or Reset came meanwhile, which then stands.
void Unhold(TEventState* event, bool taken)
{
    u32 value = event->word.load(std::memory_order_acquire);
    u32 next;
    do
    {
        if (value == EVENT_HELD)
            next = taken && !event->manualReset ? EVENT_CLEAR : EVENT_SIGNALLED;
        else
            next = value == EVENT_HELD_SET ? EVENT_SIGNALLED : EVENT_CLEAR;
    } while (!event->word.compare_exchange_weak(value, next));
    Wake(event);
}

// One event: a manual-reset event is taken by seeing it signalled (a held one was signalled
// when its hold began), an automatic one by clearing it. Only the waiters of this event wake.
u32 WaitOne(TEventState* event, const TDeadline& deadline)
{
    SpinWhile(event->word, EVENT_CLEAR);
    for (;;)
    {
        u32 value = event->word.load(std::memory_order_acquire);
        if (event->manualReset && value != EVENT_CLEAR && value != EVENT_HELD_RESET)
            return WAIT_SIGNALLED;
        if (value == EVENT_SIGNALLED &&
            event->word.compare_exchange_strong(value, EVENT_CLEAR, std::memory_order_acq_rel))
            return WAIT_SIGNALLED;
        if (value != EVENT_SIGNALLED && !SleepWhile(event, value, deadline))
            return WAIT_TIMED_OUT;
    }
}

// Several events: wait until each has been seen signalled, then hold them all; when one has
// gone meanwhile, end the holds taken and wait again. The moment all are held is the moment the
// wait succeeds, so the automatic ones are cleared together.
u32 WaitAll(u32 count, const TEventHandle* events, const TDeadline& deadline)
{
    // An event named twice is held once.
    auto repeated = [events](u32 i) {
        for (u32 j = 0; j < i; ++j)
            if (events[j] == events[i])
                return true;
        return false;
    };
    for (;;)
    {
        for (u32 i = 0; i < count; ++i)
        {
            std::atomic<u32>& word = events[i]->word;
            SpinWhile(word, EVENT_CLEAR);
            for (u32 value = word.load(std::memory_order_acquire); value != EVENT_SIGNALLED;
                 value = word.load(std::memory_order_acquire))
                if (!SleepWhile(events[i], value, deadline))
                    return WAIT_TIMED_OUT;
        }
        u32 held = 0;
        for (; held < count; ++held)
        {
            u32 value = EVENT_SIGNALLED;
            if (!repeated(held) &&
                !events[held]->word.compare_exchange_strong(value, EVENT_HELD, std::memory_order_acq_rel))
                break;
        }
        const bool taken = held == count;
        for (u32 i = 0; i < held; ++i)
            if (!repeated(i))
                Unhold(events[i], taken);
        if (taken)
            return WAIT_SIGNALLED;
    }
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
    m_hEvent = MemoryNew<TEventState>();
    if (!m_hEvent)
        return;
    m_hEvent->word.store(initialState ? EVENT_SIGNALLED : EVENT_CLEAR);
    m_hEvent->sleepers.store(0);
    m_hEvent->manualReset = manualReset ? 1u : 0u;
}

void TEvent::Release()
{
    MemoryDelete(m_hEvent);
    m_hEvent = nullptr;
}

void TEvent::Set()
{
    if (m_hEvent)
        Change(m_hEvent, true);
}

void TEvent::Reset()
{
    if (m_hEvent)
        Change(m_hEvent, false);
}

u32 WaitForEvents(u32 count, const TEventHandle* events, f32 seconds)
{
    if (count == 0 || !events)
        return WAIT_FAILED;
    for (u32 i = 0; i < count; ++i)
        if (!events[i])
            return WAIT_FAILED;
    const TDeadline deadline(seconds);
    return count == 1 ? WaitOne(events[0], deadline) : WaitAll(count, events, deadline);
}

u32 SignalAndWait(TEventHandle signal, TEventHandle wait, f32 seconds)
{
    if (!signal || !wait)
        return WAIT_FAILED;
    Change(signal, true);
    return WaitOne(wait, TDeadline(seconds));
}

void SleepSeconds(f32 seconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<i64>(seconds * 1000.0f)));
}
