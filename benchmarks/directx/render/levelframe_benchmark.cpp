// The level's whole frame as the game draws it: the game's update and render lists (read from the
// start-up script) over the game's level and shaders, at 1280 x 720 on the headless window with
// the rasteriser on every core, beside the empty frame of the same loop and memcpy's rate of
// 4-byte pixels, all measured in the same run (frameloop.h). The frame is the one of play: the
// script's language and look, the main menu that the level's first frames open closed again, so
// that the in-game screen (title and status bars) stands over the whole lit level with its sky,
// sun, floodlights and reflections, and the world's time runs: the tug drives its round trailing
// smoke, drawn in the sun's pass and again in each floodlight's. Through the forward renderer
// (LevelFrame/0) and through the deferred renderer with its shadows (LevelFrame/1). Counters:
// frame_ms and fps of each, memcpy_ms (1280 x 720 pixels), memcpy_frames (frame / memcpy; aims:
// the forward frame at most 30, the deferred one at most 200), empty_ratio (the level's frame over
// the empty one), forward_ratio (the deferred frame over the forward one of the same run; aim: at
// most 6) and process_cpu_ms (the processor time of every thread per frame).
// Per object, on one core: the forward renderer's spot test and the environment choice among 100
// zones (ns per object).
#include "frameloop.h"

#include "core/cluster/cluster.h"
#include "directx/render/dxdevice.h"
#include "engine/render/environmentmanager.h"
#include "engine/render/light.h"
#include "engine/render/renderer.h"
#include "engine/render/renderobject.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/resourcemanager.h"
#include "morvane/ui/gamemenumanager.h"

#include <ctime>
#include <deque>
#include <string>

namespace
{
constexpr u32 kEmptyFrames = 200;
// Before measuring: the level's first frames open the main menu.
constexpr u32 kWarmFrames = 5;

// The forward frame of this run, which the deferred one is set beside.
f64 s_fForwardFrame = 0.0;

void LevelFrame(benchmark::State& state)
{
    if (!StartLevel())
    {
        state.SkipWithError("no device or no level");
        return;
    }
    const bool deferred = state.range(0) != 0;
    if (!UseRenderer(deferred))
    {
        state.SkipWithError("shadows refused");
        return;
    }
    g_FrameDriver.Begin(kWarmFrames, nullptr);
    RunFrames("level");
    const bool menu = g_pGameMenuManager && g_pGameMenuManager->IsMenuOpen();
    if (menu)
        g_pGameMenuManager->SetMenuVisible(0, 0);
    g_FrameDriver.Begin(kEmptyFrames, CopyMilliseconds);
    const f64 empty = RunFrames("benchmark");
    std::vector<f64> copies = g_FrameDriver.m_aReference;
    g_FrameDriver.Begin(state, CopyMilliseconds);
    timespec cpuStart, cpuEnd;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuStart);
    const f64 level = RunFrames("level");
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuEnd);
    if (menu)
        g_pGameMenuManager->SetMenuVisible(1, 0);
    const f64 cpu = (cpuEnd.tv_sec - cpuStart.tv_sec) * 1e3 + (cpuEnd.tv_nsec - cpuStart.tv_nsec) / 1e6;
    copies.insert(copies.end(), g_FrameDriver.m_aReference.begin(), g_FrameDriver.m_aReference.end());
    const f64 copy = Median(copies);
    state.counters["frame_ms"] = level;
    state.counters["fps"] = 1000.0 / level;
    state.counters["empty_frame_ms"] = empty;
    state.counters["empty_ratio"] = level / empty;
    state.counters["memcpy_ms"] = copy;
    state.counters["memcpy_frames"] = level / copy;
    state.counters["empty_memcpy_frames"] = empty / copy;
    // The processor time of every thread per frame: what the frame costs whatever else runs.
    state.counters["process_cpu_ms"] = cpu / static_cast<f64>(state.iterations());
    if (!deferred)
        s_fForwardFrame = level;
    else if (s_fForwardFrame > 0.0)
        state.counters["forward_ratio"] = level / s_fForwardFrame;
}
BENCHMARK(LevelFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(200)->Repetitions(3);

// The per-object benchmarks' managers, opened once: each opening adds the managers' cluster
// listeners again, and repetitions would overflow their table.
void InitializeManagers()
{
    static const bool s_bInitialized = (g_ManagerManager.Initialize(), true);
    (void)s_bInitialized;
}

// Per object on one core. The spot test: 10,000 boxes scattered about a spot light.
void SpotTest(benchmark::State& state)
{
    InitializeManagers();
    struct TBox : TRenderObject
    {
        const TBoundBox* GetBoundBox() override { return &box; }
        TBoundBox box{};
    };
    constexpr u32 kObjects = 10000;
    static std::deque<TNode> s_aNode(kObjects + 1);
    static std::deque<TBox> s_aBox(kObjects);
    static TLight s_Light;
    u32 seed = 17;
    const auto next = [&seed](f32 span) {
        seed = seed * 1664525u + 1013904223u;
        return (static_cast<f32>(seed >> 8) / 16777216.0f - 0.5f) * span;
    };
    for (u32 i = 0; i < kObjects; ++i)
    {
        TNode& node = s_aNode[i];
        node.m_nFlags = NODE_ENABLED | NODE_INHERITED;
        node.GetWorldMatrix()->aRow[3] = TVector(next(200.0f), next(20.0f), next(200.0f) + 100.0f, 1.0f);
        node.AddObject(&s_aBox[i]);
        const f32 h = 0.5f + 0.01f * static_cast<f32>(i % 2000);
        s_aBox[i].box.minimum = TVector(-h, -h, -h, 1.0f);
        s_aBox[i].box.maximum = TVector(h, h, h, 1.0f);
        s_aBox[i].box.Update();
    }
    TNode& lightNode = s_aNode[kObjects];
    lightNode.m_nFlags = NODE_ENABLED | NODE_INHERITED;
    lightNode.GetWorldMatrix()->aRow[2] = TVector(0.0f, -0.6f, 0.8f, 0.0f);
    lightNode.GetWorldMatrix()->aRow[3] = TVector(0.0f, 15.0f, 20.0f, 1.0f);
    lightNode.AddObject(&s_Light);
    s_Light.m_nType = LIGHT_SPOT;
    s_Light.m_fRange = 60.0f;
    s_Light.SetCone(0.4f, 0.6f);
    // A camera at the origin looking along +z, 90 degrees each way, 1 to 1000.
    TMatrix camera(0.0f);
    camera.aRow[0].x = 1.0f;
    camera.aRow[1].y = 1.0f;
    camera.aRow[2] = TVector(0.0f, 0.0f, 1.001f, 1.0f);
    camera.aRow[3] = TVector(0.0f, 0.0f, -1.001f, 0.0f);
    u32 drawn = 0;
    for (auto _ : state)
        for (u32 i = 0; i < kObjects; ++i)
            drawn += ObjectInLightVolume(&s_aBox[i], &camera, &s_Light);
    state.counters["ns_per_object"] =
        benchmark::Counter(static_cast<f64>(state.iterations()) * kObjects,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    // The count is the loop's output, which keeps it: DoNotOptimize on it lost its value under GCC.
    state.counters["drawn"] = benchmark::Counter(static_cast<f64>(drawn), benchmark::Counter::kAvgIterations);
}
BENCHMARK(SpotTest)->Unit(benchmark::kMicrosecond);

// The environment choice among 100 zones for 10,000 points.
void EnvironmentChoice(benchmark::State& state)
{
    InitializeManagers();
    constexpr u32 kZones = 100;
    constexpr u32 kPoints = 10000;
    static std::deque<TNode> s_aNode(kZones);
    static std::deque<TEnvironment> s_aZone(kZones);
    DArray<TEnvironment*>& zones = g_pEnvironmentManager->Environments();
    zones.SetCount(0);
    u32 seed = 29;
    const auto next = [&seed](f32 span) {
        seed = seed * 1664525u + 1013904223u;
        return (static_cast<f32>(seed >> 8) / 16777216.0f - 0.5f) * span;
    };
    for (u32 i = 0; i < kZones; ++i)
    {
        s_aNode[i].GetWorldMatrix()->aRow[3] = TVector(next(400.0f), 0.0f, next(400.0f), 1.0f);
        s_aNode[i].AddObject(&s_aZone[i]);
        s_aZone[i].m_fInnerRadius = 5.0f + next(4.0f);
        s_aZone[i].m_fFadeRange = 20.0f;
        zones.Add(&s_aZone[i]);
    }
    std::vector<TVector> points(kPoints);
    for (TVector& p : points)
        p = TVector(next(400.0f), next(10.0f), next(400.0f), 1.0f);
    f32 sum = 0.0f;
    for (auto _ : state)
        for (const TVector& p : points)
            sum += g_pEnvironmentManager->ChooseEnvironment(p).fFactor;
    benchmark::DoNotOptimize(sum);
    zones.SetCount(0);
    state.counters["ns_per_object"] =
        benchmark::Counter(static_cast<f64>(state.iterations()) * kPoints,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(EnvironmentChoice)->Unit(benchmark::kMicrosecond);
} // namespace
