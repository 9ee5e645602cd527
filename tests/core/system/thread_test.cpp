// Events, waits, critical sections and threads.
#include "core/system/criticalsection.h"
#include "core/system/event.h"
#include "core/system/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sched.h>
#include <vector>

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
    // An event named twice is waited for once.
    const TEventHandle twice[2] = {one, one};
    initially.Set();
    EXPECT_EQ(WaitForEvents(2, twice, 1.0f), WAIT_SIGNALLED);
    EXPECT_EQ(WaitForEvents(2, twice, 0.01f), WAIT_TIMED_OUT);
    initially.Release();
    EXPECT_EQ(initially.GetHandle(), nullptr);
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

TEST(Thread, WorkerProcessorsComeFromTheAllowedSetAndSpareOne)
{
    // Eight processors, the caller on 3: the seven others.
    bool all[8] = {true, true, true, true, true, true, true, true};
    u32 chosen[8] = {};
    ASSERT_EQ(ChooseProcessors(all, 8, 3, chosen, 8), 7u);
    EXPECT_EQ((std::vector<u32>(chosen, chosen + 7)), (std::vector<u32>{0, 1, 2, 4, 5, 6, 7}));
    // Fewer asked for than there are.
    ASSERT_EQ(ChooseProcessors(all, 8, 0, chosen, 2), 2u);
    EXPECT_EQ(chosen[0], 1u);
    EXPECT_EQ(chosen[1], 2u);

    // A restricted set (as taskset gives): only its processors, one of them spared even when
    // the caller runs outside it.
    bool some[8] = {false, false, true, false, false, true, true, false};
    ASSERT_EQ(ChooseProcessors(some, 8, 5, chosen, 8), 2u);
    EXPECT_EQ(chosen[0], 2u);
    EXPECT_EQ(chosen[1], 6u);
    ASSERT_EQ(ChooseProcessors(some, 8, 0, chosen, 8), 2u);
    EXPECT_EQ(chosen[0], 2u);
    EXPECT_EQ(chosen[1], 5u);

    // One processor: nothing to pin to.
    bool one[4] = {false, true, false, false};
    EXPECT_EQ(ChooseProcessors(one, 4, -1, chosen, 8), 0u);

    // The machine's own answer keeps to the same rules.
    cpu_set_t allowed;
    ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
    u32 machine[CPU_SETSIZE];
    const u32 count = ChooseWorkerProcessors(machine, CPU_SETSIZE);
    EXPECT_EQ(count, static_cast<u32>(CPU_COUNT(&allowed)) - 1);
    for (u32 i = 0; i < count; ++i)
        EXPECT_TRUE(CPU_ISSET(machine[i], &allowed));
}
