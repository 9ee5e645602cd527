// Frame overhead of the manager system: Update and Render over 64 trivial managers, with the
// fixed-rate lists inline and on 1, 2 and 8 workers.
#include "engine/system/managermanager.h"

#include <benchmark/benchmark.h>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace
{
constexpr u32 kManagerCount = 64;

class TTrivialManager : public TManager
{
public:
    TTrivialManager(u32 worker)
    {
        m_nWorker = worker;
        m_nChannel = 3;
    }
    void RenderManager() override { benchmark::ClobberMemory(); }
    void ThreadUpdateManager(f32 step) override { m_fSum += step; }
    void UpdateManager(f32 step) override { m_fSum += step; }
    f32 m_fSum = 0.0f;
};

// range(0): -1 inline (system_cpu 1, every manager on the main thread), else the worker count
// given to system_cpu (1 runs the worker lists inline on the main thread).
void BM_ManagerFrame(benchmark::State& state)
{
    const i32 workers = static_cast<i32>(state.range(0));
    auto mm = std::make_unique<TManagerManager>();
    mm->CreateSystem(TName("benchmark"));
    std::vector<std::unique_ptr<TTrivialManager>> managers;
    for (u32 i = 0; i < kManagerCount; ++i)
    {
        managers.push_back(std::make_unique<TTrivialManager>(workers < 0 ? 0 : 1 + i % 8));
        mm->AddUpdateManager(managers.back().get(), 0);
        mm->AddRenderManager(managers.back().get(), 0);
    }
    mm->__SetProcessorCount(workers < 0 ? 1 : workers);
    mm->Initialize();
    for (auto _ : state)
    {
        mm->Update(1.0f / 60.0f);
        mm->Render();
    }
    mm->Finalize();
}
BENCHMARK(BM_ManagerFrame)->Arg(-1)->Arg(1)->Arg(2)->Arg(8)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The yardstick: one condition-variable round trip between the main thread and one other.
void BM_ConditionRoundTrip(benchmark::State& state)
{
    std::mutex lock;
    std::condition_variable changed;
    u32 turn = 0;
    bool stop = false;
    std::thread partner([&] {
        std::unique_lock<std::mutex> guard(lock);
        for (;;)
        {
            changed.wait(guard, [&] { return turn == 1 || stop; });
            if (stop)
                return;
            turn = 0;
            changed.notify_all();
        }
    });
    for (auto _ : state)
    {
        std::unique_lock<std::mutex> guard(lock);
        turn = 1;
        changed.notify_all();
        changed.wait(guard, [&] { return turn == 0; });
    }
    {
        std::lock_guard<std::mutex> guard(lock);
        stop = true;
        changed.notify_all();
    }
    partner.join();
}
BENCHMARK(BM_ConditionRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();
} // namespace
