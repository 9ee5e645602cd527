#pragma once
// TWaitWord: a 32-bit word that threads wait on until it changes. A waiter looks at the word for
// a few microseconds first, but only while the machine has a processor to spare (no more
// runnable threads than processors): on a busy machine a spinning waiter would hold back the
// thread it waits for. Then it sleeps on the word (a futex); a change wakes the sleepers only
// when there are any.
#include "core/system/types.h"

#include <atomic>

class TWaitWord
{
public:
    explicit TWaitWord(u32 value = 0) : m_nWord(value), m_nSleepers(0) {}
    TWaitWord(const TWaitWord&) = delete;
    TWaitWord& operator=(const TWaitWord&) = delete;

    u32 Load() const { return m_nWord.load(std::memory_order_acquire); }
    // Changes the word without waking anyone (no one waits for this value).
    void Store(u32 value) { m_nWord.store(value, std::memory_order_release); }
    // Adds to the word (wrapping) and answers the new value; Wake tells the waiters.
    u32 Add(u32 delta) { return m_nWord.fetch_add(delta, std::memory_order_acq_rel) + delta; }
    // Returns once the word no longer holds the value.
    void WaitWhile(u32 value);
    // Wakes every thread asleep on the word, after a change.
    void Wake();
    // Wakes one of them (none when none sleeps).
    void WakeOne();

private:
    void _Wake(int count);

    std::atomic<u32> m_nWord;
    // Threads asleep on the word (or about to be): only then does a change call the kernel.
    std::atomic<u32> m_nSleepers;
};

// Looks at the word while it holds the value, for a few microseconds at most, and not at all
// while there are more runnable threads than processors. True when it changed meanwhile.
bool SpinWhile(const std::atomic<u32>& word, u32 value);

// Whether a waiter may spin: the runnable threads of the machine, from the "running/total" field
// of /proc/loadavg (read at most every 10 ms), are no more than the processors this process may
// use.
bool SpinAllowed();
// The runnable count of a /proc/loadavg line; 0 when it has none.
u32 ParseRunnableThreads(const char* loadavg);
