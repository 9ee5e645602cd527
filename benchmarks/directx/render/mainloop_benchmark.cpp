// Main-loop overhead: empty frames (the render stand-in clears colour, depth and stencil, then
// present and flush) at 1280 x 720 on the headless window. Each benchmark iteration is one pass
// of the real loop (its time includes the yardstick's); the counters give the frame rate, the
// milliseconds per frame of update,
// render, present and flush from the loop's timing record, and the median frame beside the
// median of its yardstick, measured frame by frame in the same run: clearing a 1280 x 720
// colour buffer and copying it once. The empty frame's limit is 3 times the yardstick
// (ratio <= 3).
#include "core/stream/filestreammanager.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxdevicevariables.h"
#include "engine/render/rendermanager.h"
#include "engine/system/managermanager.h"
#include "platform/window/winuser.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <emmintrin.h>
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

// Milliseconds of one clear of a 1280 x 720 colour buffer and one copy of it.
f64 ClearAndCopyMilliseconds()
{
    static std::vector<__m128i> colour(kWidth * kHeight / 4), copy(kWidth * kHeight / 4);
    static u32 s_nColour = 0;
    const TClock::time_point start = TClock::now();
    const __m128i fill = _mm_set1_epi32(static_cast<int>(0xFF102030u + ++s_nColour));
    for (__m128i& quad : colour)
        _mm_store_si128(&quad, fill);
    benchmark::ClobberMemory();
    std::memcpy(copy.data(), colour.data(), colour.size() * sizeof(__m128i));
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
    return MillisecondsSince(start);
}

// On the update list: drives the benchmark's iterations from inside the loop. The loop is left
// through the quit message, which leaves nothing behind, so the benchmark can run again. When
// measuring, each update first times the yardstick, so that frame and yardstick see the same
// machine: the frame is the time from the end of one update's yardstick to the next update.
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
        if (m_bMeasure)
        {
            if (m_bFrameStarted)
                m_aFrame.push_back(MillisecondsSince(m_FrameStart));
            m_aReference.push_back(ClearAndCopyMilliseconds());
            m_bFrameStarted = true;
            m_FrameStart = TClock::now();
        }
        if (!m_pState->KeepRunning())
            PostQuitMessage(0);
    }

    void Begin(benchmark::State& state, bool measure)
    {
        m_pState = &state;
        m_bMeasure = measure;
        m_bFrameStarted = false;
        m_aFrame.clear();
        m_aReference.clear();
    }

    benchmark::State* m_pState = nullptr;
    bool m_bMeasure = false;
    bool m_bFrameStarted = false;
    TClock::time_point m_FrameStart;
    std::vector<f64> m_aFrame;
    std::vector<f64> m_aReference;
};

TFrameDriver s_Driver;

f64 Median(std::vector<f64> times)
{
    std::sort(times.begin(), times.end());
    return times.empty() ? 0.0 : times[times.size() / 2];
}

bool StartDevice()
{
    g_ManagerManager.CreateSystem(TName("benchmark", true));
    g_ManagerManager.AddUpdateManager(&s_Driver, 0);
    // The render manager's opening word begins the scene, its closing word ends it: a frame in
    // a scene left open could not be presented.
    g_ManagerManager.AddRenderManager(g_pRenderManager, 0);
    g_ManagerManager.AddRenderManager(g_pRenderManager, 1);
    g_ManagerManager.Initialize();
    g_device_size.Store(static_cast<f32>(kWidth), static_cast<f32>(kHeight), 0.0f, 1.0f);
    // One frame may be in flight, as the game runs by default.
    g_device_present_flush.Store(1);
    return g_pDxDeviceManager->InitializeManager() == 0;
}

void MainLoopEmptyFrame(benchmark::State& state)
{
    static const bool s_bStarted = StartDevice();
    if (!s_bStarted)
    {
        state.SkipWithError("no device");
        return;
    }
    s_Driver.Begin(state, true);
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
    const f64 frame = Median(s_Driver.m_aFrame), reference = Median(s_Driver.m_aReference);
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
    static const bool s_bStarted = StartDevice();
    if (!s_bStarted)
    {
        state.SkipWithError("no device");
        return;
    }
    g_pDxDeviceManager->SetVerticalSync(1);
    s_Driver.Begin(state, false);
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
