// Main-loop overhead: empty frames (the render stand-in clears colour, depth and stencil, then
// present and flush) at 1280 x 720 on the headless window. Each benchmark iteration is one pass
// of the real loop; the counters give the frame rate, the milliseconds per frame of update,
// render, present and flush from the loop's timing record, and the whole frame beside its
// yardstick measured in the same run: clearing a 1280 x 720 colour buffer and copying it once.
// The empty frame's limit is 3 times the yardstick (ratio <= 3).
#include "core/stream/filestreammanager.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxdevicevariables.h"
#include "engine/render/rendermanager.h"
#include "engine/system/managermanager.h"
#include "platform/window/winuser.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
const int s_nHeadless = setenv("VESTAMOR_HEADLESS", "1", 1);

constexpr u32 kWidth = 1280;
constexpr u32 kHeight = 720;

using TClock = std::chrono::steady_clock;

f64 MillisecondsSince(TClock::time_point start)
{
    return std::chrono::duration<f64, std::milli>(TClock::now() - start).count();
}

// On the update list: drives the benchmark's iterations from inside the loop. The loop is left
// through the quit message, which leaves nothing behind, so the benchmark can run again.
class TFrameDriver : public TManager
{
public:
    TFrameDriver()
    {
        m_nChannel = 0;
        m_nUpdateFlags = 0;
    }
    void UpdateManager(f32 step) override
    {
        if (!m_pState->KeepRunning())
            PostQuitMessage(0);
    }

    benchmark::State* m_pState = nullptr;
};

TFrameDriver s_Driver;

bool StartDevice()
{
    g_ManagerManager.CreateSystem(TName("benchmark", true));
    g_ManagerManager.AddUpdateManager(&s_Driver, 0);
    g_ManagerManager.AddRenderManager(g_pRenderManager, 0);
    g_ManagerManager.Initialize();
    g_device_size.Store(static_cast<f32>(kWidth), static_cast<f32>(kHeight), 0.0f, 1.0f);
    // One frame may be in flight, as the game runs by default.
    g_device_present_flush.Store(1);
    return g_pDxDeviceManager->InitializeManager() == 0;
}

// Milliseconds of one clear of a colour buffer and one copy of it, the best of a few rounds.
f64 ClearAndCopyMilliseconds()
{
    static std::vector<u32> colour(kWidth * kHeight), copy(kWidth * kHeight);
    f64 best = 1e9;
    for (u32 round = 0; round < 5; ++round)
    {
        const TClock::time_point start = TClock::now();
        constexpr u32 kFrames = 20;
        for (u32 i = 0; i < kFrames; ++i)
        {
            std::fill(colour.begin(), colour.end(), 0xFF102030u + i);
            benchmark::ClobberMemory();
            std::memcpy(copy.data(), colour.data(), colour.size() * 4);
            benchmark::DoNotOptimize(copy.data());
            benchmark::ClobberMemory();
        }
        best = std::min(best, MillisecondsSince(start) / kFrames);
    }
    return best;
}

void MainLoopEmptyFrame(benchmark::State& state)
{
    static const bool s_bStarted = StartDevice();
    if (!s_bStarted)
    {
        state.SkipWithError("no device");
        return;
    }
    const f64 reference = ClearAndCopyMilliseconds();
    s_Driver.m_pState = &state;
    const TManagerTiming before = g_ManagerManager.GetTiming();
    const TClock::time_point start = TClock::now();
    g_pDxDeviceManager->__Run();
    const f64 elapsed = MillisecondsSince(start);

    const TManagerTiming& after = g_ManagerManager.GetTiming();
    const f64 frames = after.nPass - before.nPass;
    const auto perFrame = [&](u32 slot) { return (after.aTotal[slot] - before.aTotal[slot]) / frames; };
    state.counters["fps"] =
        benchmark::Counter(static_cast<f64>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["pump_ms"] = perFrame(0);
    state.counters["update_ms"] = perFrame(1);
    state.counters["flush_ms"] = perFrame(2);
    state.counters["render_ms"] = perFrame(3);
    state.counters["present_ms"] = perFrame(4);
    state.counters["frame_ms"] = elapsed / frames;
    state.counters["clearcopy_ms"] = reference;
    state.counters["ratio"] = elapsed / frames / reference;
}
BENCHMARK(MainLoopEmptyFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(300)->Repetitions(3);
} // namespace
