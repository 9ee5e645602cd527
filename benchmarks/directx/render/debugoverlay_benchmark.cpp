// The debug overlays' cost. The level's frame (frameloop.h) with info_fps, info_performance and
// info_render on beside the same frame with them off, in short blocks taking turns in the same
// run (the deferred frame is slow on the software device: 200 frames a repetition). Each round
// of blocks is compared within itself, and the rounds' median kept, so that a change of the
// machine's load between rounds does not count as the overlays' cost: on_ratio (aim: at most
// 1.2) by the frames' wall time, on_cpu_ratio by the processor time of every thread a frame
// (what the frame costs whatever else runs on the machine), and each overlay's own processor
// time a frame over the plain frame's (fps_cpu_ms, performance_cpu_ms, render_cpu_ms). One
// overlay text line (formatted by the canvas's printf writer) beside a plain canvas
// WriteColored of the same text, drawn in a scene of the device: line_ratio (aim: at most 2),
// and the outlined line (five draws) for reference.
#include "frameloop.h"

#include "core/system/string.h"
#include "directx/debug/debugmanager.h"
#include "directx/render/dxcanvasmanager.h"
#include "directx/render/dxdevice.h"
#include "engine/render/rendermanager.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"

#include <ctime>
#include <initializer_list>
#include <string>

namespace
{
constexpr u32 kFramesPerBlock = 5;
constexpr u32 kRounds = 8;
constexpr u32 kLines = 400;

const char* const kOverlays[] = {"info.fps", "info.performance", "info.render"};

void Switch(const char* name, i32 on)
{
    if (TVariable* variable = TCommandManager::Instance().FindVariable(TName(name, true)))
        variable->SetInt(on);
}

f64 ProcessMilliseconds()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<f64>(t.tv_sec) * 1e3 + static_cast<f64>(t.tv_nsec) / 1e6;
}

struct TBlock
{
    // The median frame's wall time, and the processor time of every thread a frame.
    f64 fWall;
    f64 fCpu;
};

// One block of the level's frames with exactly these overlays on.
TBlock RunBlock(std::initializer_list<const char*> on)
{
    for (const char* name : kOverlays)
        Switch(name, 0);
    for (const char* name : on)
        Switch(name, 1);
    g_FrameDriver.Begin(kFramesPerBlock, CopyMilliseconds);
    const f64 start = ProcessMilliseconds();
    RunFrames("level");
    const f64 cpu = (ProcessMilliseconds() - start) / kFramesPerBlock;
    return {Median(g_FrameDriver.m_aFrame), cpu};
}

void DebugOverlayFrame(benchmark::State& state)
{
    // The deferred frame with its shadows, whichever renderer the benchmark before chose.
    if (!StartLevel() || !UseRenderer(true))
    {
        state.SkipWithError("no device, no level or shadows refused");
        return;
    }
    std::vector<f64> off, offCpu, ratio, cpuRatio, fps, performance, render;
    for (auto _ : state)
        for (u32 round = 0; round < kRounds; ++round)
        {
            const TBlock plain = RunBlock({});
            const TBlock all = RunBlock({"info.fps", "info.performance", "info.render"});
            off.push_back(plain.fWall);
            offCpu.push_back(plain.fCpu);
            ratio.push_back(all.fWall / plain.fWall);
            cpuRatio.push_back(all.fCpu / plain.fCpu);
            fps.push_back(RunBlock({"info.fps"}).fCpu - plain.fCpu);
            performance.push_back(RunBlock({"info.performance"}).fCpu - plain.fCpu);
            render.push_back(RunBlock({"info.render"}).fCpu - plain.fCpu);
        }
    for (const char* name : kOverlays)
        Switch(name, 0);
    state.counters["off_ms"] = Median(off);
    state.counters["off_cpu_ms"] = Median(offCpu);
    state.counters["on_ratio"] = Median(ratio);
    state.counters["on_cpu_ratio"] = Median(cpuRatio);
    state.counters["fps_cpu_ms"] = Median(fps);
    state.counters["performance_cpu_ms"] = Median(performance);
    state.counters["render_cpu_ms"] = Median(render);
}
BENCHMARK(DebugOverlayFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);

// Microseconds per line of kLines draws, in a scene of the device.
template <class Draw> f64 LineMicroseconds(Draw draw)
{
    IDirect3DDevice9* device = g_pDxDeviceManager->GetDevice();
    device->BeginScene();
    g_pRenderManager->m_nInRender = 1;
    const TClock::time_point start = TClock::now();
    for (u32 i = 0; i < kLines; ++i)
        draw(static_cast<f32>(i % 40) * 15.0f);
    const f64 ms = MillisecondsSince(start);
    g_pDxCanvasManager->Flush();
    g_pRenderManager->m_nInRender = 0;
    device->EndScene();
    return ms * 1000.0 / kLines;
}

void DebugOverlayLine(benchmark::State& state)
{
    if (!StartLevel())
    {
        state.SkipWithError("no device or no level");
        return;
    }
    g_pDxCanvasManager->SetApertureToDevice();
    g_pDxCanvasManager->SetDefaultFont();
    const char* const format = "CAMERA LOCATION X %0.2f Z %0.2f (Y %0.2f)";
    const std::string text = StringFormat(format, 1234.5f, -678.25f, 12.0f);
    std::vector<f64> formatted, plain, outlined;
    for (auto _ : state)
    {
        formatted.push_back(LineMicroseconds(
            [&](f32 y) { CanvasWritefColored(200.0f, y, DEBUG_WHITE, format, 1234.5f, -678.25f, 12.0f); }));
        plain.push_back(LineMicroseconds(
            [&](f32 y) { g_pDxCanvasManager->WriteColored(200.0f, y, DEBUG_WHITE, text.c_str(), 0); }));
        outlined.push_back(LineMicroseconds([&](f32 y) {
            TDebugManager::DrawOutlinedText(200.0f, y, DEBUG_WHITE, format, 1234.5f, -678.25f, 12.0f);
        }));
    }
    state.counters["line_us"] = Median(formatted);
    state.counters["write_colored_us"] = Median(plain);
    state.counters["line_ratio"] = Median(formatted) / Median(plain);
    state.counters["outlined_us"] = Median(outlined);
}
BENCHMARK(DebugOverlayLine)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5)->Repetitions(2);
} // namespace
