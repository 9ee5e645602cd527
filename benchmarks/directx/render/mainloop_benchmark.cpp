// Main-loop overhead: empty frames (the render stand-in clears, then present and flush) at
// 1280 x 720 on the headless window. Each benchmark iteration is one pass of the real loop;
// the counters give the frame rate and the milliseconds per frame of update, render, present
// and flush from the loop's timing record.
#include "core/stream/filestreammanager.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxdevicevariables.h"
#include "engine/render/rendermanager.h"
#include "engine/system/managermanager.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace
{
const int s_nHeadless = setenv("VESTAMOR_HEADLESS", "1", 1);

// On the update list: drives the benchmark's iterations from inside the loop.
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
            g_pDeviceManager->Quit();
    }

    benchmark::State* m_pState = nullptr;
};

void MainLoopEmptyFrame(benchmark::State& state)
{
    static TFrameDriver driver;
    g_ManagerManager.CreateSystem(TName("benchmark", true));
    g_ManagerManager.AddUpdateManager(&driver, 0);
    g_ManagerManager.AddRenderManager(g_pRenderManager, 0);
    g_ManagerManager.Initialize();
    g_device_size.Store(1280.0f, 720.0f, 0.0f, 1.0f);
    // One frame may be in flight, as the game runs by default.
    g_device_present_flush.Store(1);

    TDxDeviceManager& manager = *g_pDxDeviceManager;
    if (manager.InitializeManager() != 0)
    {
        state.SkipWithError("no device");
        return;
    }
    driver.m_pState = &state;
    const TManagerTiming before = g_ManagerManager.GetTiming();
    manager.__Run();

    const TManagerTiming& after = g_ManagerManager.GetTiming();
    const double frames = after.nPass - before.nPass;
    const auto perFrame = [&](u32 slot) { return (after.aTotal[slot] - before.aTotal[slot]) / frames; };
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["pump_ms"] = perFrame(0);
    state.counters["update_ms"] = perFrame(1);
    state.counters["flush_ms"] = perFrame(2);
    state.counters["render_ms"] = perFrame(3);
    state.counters["present_ms"] = perFrame(4);
}
BENCHMARK(MainLoopEmptyFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(300);
} // namespace
