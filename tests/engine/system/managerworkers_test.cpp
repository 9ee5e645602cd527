#include "engine/system/managermanager.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace
{
class TCountingManager : public TManager
{
public:
    explicit TCountingManager(u32 worker)
    {
        m_nWorker = worker;
        m_nChannel = 0;
        m_nUpdateFlags = 0;
    }
    void ThreadUpdateManager(f32) override { m_nThreadCalls.fetch_add(1); }
    void UpdateManager(f32) override {}

    std::atomic<u32> m_nThreadCalls{0};
};

class ManagerWorkers : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mm = std::make_unique<TManagerManager>();
        mm->CreateSystem(TName("workers"));
    }
    std::unique_ptr<TManagerManager> mm;
};
} // namespace

TEST_F(ManagerWorkers, EachListRunsExactlyOncePerRelease)
{
    TCountingManager managers[8] = {TCountingManager(1), TCountingManager(2), TCountingManager(3),
                                    TCountingManager(4), TCountingManager(5), TCountingManager(6),
                                    TCountingManager(7), TCountingManager(8)};
    for (TCountingManager& m : managers)
        mm->AddUpdateManager(&m, 0);
    for (i32 count : {2, 8})
    {
        mm->__SetProcessorCount(count);
        for (TCountingManager& m : managers)
            m.m_nThreadCalls = 0;
        constexpr u32 kFrames = 200;
        for (u32 frame = 0; frame < kFrames; ++frame)
            mm->Update(0.01f);
        // Stopping the workers lets the last release finish first.
        mm->__SetProcessorCount(1);
        for (TCountingManager& m : managers)
            EXPECT_EQ(m.m_nThreadCalls.load(), kFrames) << "count " << count;
    }
}

// Whichever thread asks first takes a list of a release, once; a thread that woke for an older
// release takes nothing of the new one.
TEST_F(ManagerWorkers, ReleasedListsAreTakenOnceAndNeverByAnOlderRelease)
{
    TCountingManager managers[3] = {TCountingManager(1), TCountingManager(2), TCountingManager(3)};
    TManagerUpdateThread lists[3];
    for (u32 j = 0; j < 3; ++j)
    {
        lists[j].m_aUpdate.Add(TManagerEntry{&managers[j], 0});
        lists[j].SetTakenRelease(4);
    }
    TManagerFrameSteps steps{};
    steps.aStepCount[0] = 1;
    TWaitWord remaining(3);
    auto calls = [&] {
        std::vector<u32> counts;
        for (TCountingManager& m : managers)
            counts.push_back(m.m_nThreadCalls.load());
        return counts;
    };
    RunReleasedLists(lists, 3, 1, 5, remaining, steps);
    EXPECT_EQ(calls(), (std::vector<u32>{1, 1, 1}));
    EXPECT_EQ(remaining.Load(), 0u);
    RunReleasedLists(lists, 3, 0, 5, remaining, steps);
    EXPECT_EQ(calls(), (std::vector<u32>{1, 1, 1}));

    remaining.Store(3);
    lists[0].Take(6);
    RunReleasedLists(lists, 3, 0, 5, remaining, steps);
    EXPECT_EQ(calls(), (std::vector<u32>{1, 1, 1}));
    RunReleasedLists(lists, 3, 2, 6, remaining, steps);
    EXPECT_EQ(calls(), (std::vector<u32>{1, 2, 2}));
    EXPECT_EQ(remaining.Load(), 1u);
}
