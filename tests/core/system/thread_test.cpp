// Events, waits, critical sections and threads.
#include "core/system/criticalsection.h"
#include "core/system/event.h"
#include "core/system/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <pthread.h>
#include <sched.h>

namespace
{
class TCountingThread : public TThread
{
public:
    void Run() override
    {
        while (!IsStopRequested())
        {
            ++loops;
            SleepSeconds(0.001f);
        }
    }
    std::atomic<u32> loops{0};
};

class TSignallingThread : public TThread
{
public:
    TSignallingThread(TEvent& done) : m_Done(done) {}
    void Run() override { m_Done.Set(); }

private:
    TEvent& m_Done;
};

// Worker handshake: signal "ready" and wait for "go" in one step, count a pass.
class TWorker : public TThread
{
public:
    TWorker(TEvent& ready, TEvent& go) : m_Ready(ready), m_Go(go) {}
    void Run() override
    {
        while (SignalAndWait(m_Ready.GetHandle(), m_Go.GetHandle(), 0.0f) == WAIT_SIGNALLED &&
               !IsStopRequested())
            ++passes;
    }
    std::atomic<u32> passes{0};

private:
    TEvent& m_Ready;
    TEvent& m_Go;
};
} // namespace

TEST(Event, WaitsForAllAndResetsAutomaticOnes)
{
    TEvent automatic;
    TEvent manual(false, true);
    const TEventHandle both[2] = {automatic.GetHandle(), manual.GetHandle()};
    EXPECT_EQ(WaitForEvents(2, both, 0.01f), WAIT_TIMED_OUT);
    automatic.Set();
    EXPECT_EQ(WaitForEvents(2, both, 0.01f), WAIT_TIMED_OUT);
    manual.Set();
    EXPECT_EQ(WaitForEvents(2, both, 0.01f), WAIT_SIGNALLED);
    // The automatic event was consumed by the wait, the manual one stays set.
    EXPECT_EQ(WaitForEvents(1, &both[0], 0.01f), WAIT_TIMED_OUT);
    EXPECT_EQ(WaitForEvents(1, &both[1], 0.01f), WAIT_SIGNALLED);
    manual.Reset();
    EXPECT_EQ(WaitForEvents(1, &both[1], 0.01f), WAIT_TIMED_OUT);

    TEvent initially(true, false);
    const TEventHandle one = initially.GetHandle();
    EXPECT_EQ(WaitForEvents(1, &one, 0.0f), WAIT_SIGNALLED);
    EXPECT_EQ(WaitForEvents(0, &one, 0.0f), WAIT_FAILED);
    initially.Release();
    EXPECT_EQ(initially.GetHandle(), nullptr);
}

TEST(Thread, RunsUntilStopped)
{
    TCountingThread thread;
    thread.SetName("CountingThread");
    EXPECT_STREQ(thread.GetName(), "CountingThread");
    EXPECT_FALSE(thread.HasThread());
    ASSERT_TRUE(thread.Start());
    while (thread.loops < 3)
        SleepSeconds(0.001f);
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_NE(thread.GetThreadId(), 0u);
    thread.Stop();
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_FALSE(thread.HasThread());
    EXPECT_FALSE(thread.IsStopRequested());

    // A stopped thread can be started again.
    const u32 before = thread.loops;
    ASSERT_TRUE(thread.Start());
    while (thread.loops == before)
        SleepSeconds(0.001f);
    thread.Stop();
}

TEST(Thread, BodyThatEndsAloneClearsItsState)
{
    TEvent done;
    TSignallingThread thread(done);
    ASSERT_TRUE(thread.Start());
    const TEventHandle handle = done.GetHandle();
    EXPECT_EQ(WaitForEvents(1, &handle, 5.0f), WAIT_SIGNALLED);
    thread.Stop(); // returns once the body has returned
    EXPECT_FALSE(thread.IsRunning());
}

TEST(Thread, SignalAndWaitHandsOverOncePerRelease)
{
    TEvent ready;
    TEvent go;
    TWorker worker(ready, go);
    ASSERT_TRUE(worker.Start());
    const TEventHandle readyHandle = ready.GetHandle();
    for (u32 pass = 1; pass <= 5; ++pass)
    {
        ASSERT_EQ(WaitForEvents(1, &readyHandle, 5.0f), WAIT_SIGNALLED);
        EXPECT_EQ(worker.passes, pass - 1);
        go.Set();
    }
    ASSERT_EQ(WaitForEvents(1, &readyHandle, 5.0f), WAIT_SIGNALLED);
    EXPECT_EQ(worker.passes, 5u);
    // The stop request is seen after the next release.
    worker.RequestStop();
    go.Set();
    worker.Stop();
    EXPECT_EQ(worker.passes, 5u);
}

TEST(CriticalSection, IsReentrantAndExcludesOthers)
{
    TCriticalSection section;
    u32 counter = 0;
    struct TAdder : public TThread
    {
        TCriticalSection* section;
        u32* counter;
        void Run() override
        {
            for (int i = 0; i < 20000; ++i)
            {
                section->Enter();
                section->Enter();
                ++*counter;
                section->Leave();
                section->Leave();
            }
        }
    } adders[4];
    for (TAdder& adder : adders)
    {
        adder.section = &section;
        adder.counter = &counter;
        ASSERT_TRUE(adder.Start());
    }
    for (TAdder& adder : adders)
        while (adder.IsRunning())
            SleepSeconds(0.001f);
    EXPECT_EQ(counter, 80000u);
}

namespace
{
// Waits for a pair of automatic events until stopped, counting the pairs it took.
class TPairWaiter : public TThread
{
public:
    TPairWaiter(TEvent& first, TEvent& second, TEvent& done)
        : m_Events{first.GetHandle(), second.GetHandle()}, m_Done(done)
    {
    }
    void Run() override
    {
        while (WaitForEvents(2, m_Events, 0.0f) == WAIT_SIGNALLED && !IsStopRequested())
        {
            ++taken;
            m_Done.Set();
        }
    }
    std::atomic<u32> taken{0};

private:
    TEventHandle m_Events[2];
    TEvent& m_Done;
};
} // namespace

TEST(Event, OverlappingWaitsTakeEachSignalOnce)
{
    // Two threads want {a, b} and {b, c}; each pass signals all three, so exactly one of them
    // takes b. The others are reset while the loser may be holding them.
    TEvent a, b, c, done;
    TPairWaiter left(a, b, done);
    TPairWaiter right(b, c, done);
    ASSERT_TRUE(left.Start());
    ASSERT_TRUE(right.Start());
    const TEventHandle doneHandle = done.GetHandle();
    constexpr u32 kPasses = 300;
    for (u32 pass = 0; pass < kPasses; ++pass)
    {
        a.Set();
        b.Set();
        c.Set();
        ASSERT_EQ(WaitForEvents(1, &doneHandle, 5.0f), WAIT_SIGNALLED) << "pass " << pass;
        a.Reset();
        c.Reset();
    }
    EXPECT_EQ(left.taken + right.taken, kPasses);
    const TEventHandle middle = b.GetHandle();
    EXPECT_EQ(WaitForEvents(1, &middle, 0.01f), WAIT_TIMED_OUT);

    left.RequestStop();
    right.RequestStop();
    while (left.IsRunning() || right.IsRunning())
    {
        a.Set();
        b.Set();
        c.Set();
        SleepSeconds(0.001f);
    }
}

TEST(Event, AnEventNamedTwiceIsWaitedForOnce)
{
    TEvent automatic(true, false);
    const TEventHandle twice[2] = {automatic.GetHandle(), automatic.GetHandle()};
    EXPECT_EQ(WaitForEvents(2, twice, 1.0f), WAIT_SIGNALLED);
    EXPECT_EQ(WaitForEvents(2, twice, 0.01f), WAIT_TIMED_OUT);
}

TEST(Thread, AffinityPinsTheRunningThread)
{
    cpu_set_t allowed;
    ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
    u32 processor = 0;
    while (!CPU_ISSET(processor, &allowed))
        ++processor;

    struct TPinned : public TThread
    {
        u32 processor = 0;
        std::atomic<u32> pinned{0};
        void Run() override
        {
            while (!IsStopRequested())
            {
                cpu_set_t set;
                pthread_getaffinity_np(pthread_self(), sizeof set, &set);
                if (CPU_COUNT(&set) == 1 && CPU_ISSET(processor, &set))
                    pinned = 1;
                SleepSeconds(0.001f);
            }
        }
    } thread;
    thread.processor = processor;
    thread.SetAffinity(processor); // no thread yet: nothing happens
    ASSERT_TRUE(thread.Start());
    thread.SetAffinity(processor);
    for (u32 i = 0; i < 5000 && !thread.pinned; ++i)
        SleepSeconds(0.001f);
    EXPECT_EQ(thread.pinned, 1u);
    thread.Stop();
}
