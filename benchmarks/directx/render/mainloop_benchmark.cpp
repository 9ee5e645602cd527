// Main-loop overhead: empty frames (the render manager opens a frame without viewport: the back
// buffer cleared; then present and flush) at 1280 x 720 on the headless window
// (frameloop.h). Each benchmark iteration is one pass
// of the real loop (its time includes the yardstick's); the counters give the frame rate, the
// milliseconds per frame of update,
// render, present and flush from the loop's timing record, and the median frame beside the
// median of its yardstick, measured frame by frame in the same run: clearing a 1280 x 720
// colour buffer and copying it once. The empty frame's limit is 3 times the yardstick
// (ratio <= 3).
#include "frameloop.h"

#include "directx/render/dxdevice.h"
#include "engine/system/managermanager.h"

#include <ctime>

namespace
{
void MainLoopEmptyFrame(benchmark::State& state)
{
    if (!StartFrameDevice())
    {
        state.SkipWithError("no device");
        return;
    }
    g_ManagerManager.__ActivateSystem(TName("benchmark"));
    g_FrameDriver.Begin(state, ClearAndCopyMilliseconds);
    const TManagerTiming before = g_ManagerManager.GetTiming();
    g_pDxDeviceManager->__Run();

    const TManagerTiming& after = g_ManagerManager.GetTiming();
    const f64 frames = after.nPass - before.nPass;
    const auto perFrame = [&](u32 slot) { return (after.aTotal[slot] - before.aTotal[slot]) / frames; };
    state.counters["pump_ms"] = perFrame(0);
    state.counters["update_ms"] = perFrame(1);
    state.counters["flush_ms"] = perFrame(2);
    state.counters["render_ms"] = perFrame(3);
    state.counters["present_ms"] = perFrame(4);
    const f64 frame = Median(g_FrameDriver.m_aFrame), reference = Median(g_FrameDriver.m_aReference);
    state.counters["fps"] = 1000.0 / frame;
    state.counters["frame_ms"] = frame;
    state.counters["clearcopy_ms"] = reference;
    state.counters["ratio"] = frame / reference;
}
BENCHMARK(MainLoopEmptyFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(300)->Repetitions(3);

// The same loop with vertical sync (interval one, the headless display's 60 Hz): the frame rate
// follows the display, and the processor time of the whole process per second of frames is the
// share of one core an idle window costs (core_share, aim: a small fraction of 1).
void MainLoopVerticalSync(benchmark::State& state)
{
    if (!StartFrameDevice())
    {
        state.SkipWithError("no device");
        return;
    }
    g_ManagerManager.__ActivateSystem(TName("benchmark"));
    g_pDxDeviceManager->SetVerticalSync(1);
    g_FrameDriver.Begin(state, nullptr);
    timespec cpuStart, cpuEnd;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuStart);
    const TClock::time_point start = TClock::now();
    g_pDxDeviceManager->__Run();
    const f64 elapsed = MillisecondsSince(start);
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuEnd);
    g_pDxDeviceManager->SetVerticalSync(0);
    const f64 cpu = (cpuEnd.tv_sec - cpuStart.tv_sec) * 1e3 + (cpuEnd.tv_nsec - cpuStart.tv_nsec) / 1e6;
    state.counters["fps"] = static_cast<f64>(state.iterations()) * 1000.0 / elapsed;
    state.counters["core_share"] = cpu / elapsed;
}
BENCHMARK(MainLoopVerticalSync)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(120);
} // namespace
