// The rasteriser's worker pool: every item of every job runs once and is done when Run returns,
// jobs that follow at once or not, of fewer items than workers or many more; sleeping workers
// wake for a job with work for them.
#include "platform/d3d9/workerpool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>
#include <vector>

TEST(WorkerPool, EveryItemRunsOnceAndIsDoneWhenTheJobReturns)
{
    TWorkerPool pool(4);
    ASSERT_EQ(4, pool.Participants());
    unsigned seed = 7;
    for (int job = 0; job < 300; ++job)
    {
        seed = seed * 1103515245u + 12345u;
        const int count = int((seed >> 8) % 40);
        std::vector<std::atomic<int>> runs(size_t(count) + 1);
        pool.Run(
            count,
            [&](int item, int participant) {
                ASSERT_GE(participant, 0);
                ASSERT_LT(participant, 4);
                // Some items take long enough for a sleeping worker to wake.
                if (item % 7 == 3)
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                runs[size_t(item)].fetch_add(1);
            },
            (seed >> 20) & 1);
        for (int item = 0; item < count; ++item)
            ASSERT_EQ(1, runs[size_t(item)].load()) << "job " << job << " item " << item;
        ASSERT_EQ(0, runs[size_t(count)].load());
    }
}

TEST(WorkerPool, SleepingWorkersWakeForAJobWithWorkForThem)
{
    TWorkerPool pool(8);
    // Asleep since the last job, which said nothing follows.
    pool.Run(2, [](int, int) {});
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::mutex mutex;
    std::set<int> participants;
    pool.Run(64, [&](int, int participant) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::lock_guard<std::mutex> lock(mutex);
        participants.insert(participant);
    });
    EXPECT_GT(participants.size(), 3u);
}
