// What the scene effects add to the level's whole frame (frameloop.h, 1280 x 720, the start-up
// script's lists) in the rain's look with the world's time running, through the forward renderer
// (SceneEffects/0) and the deferred one with its shadows (SceneEffects/1): the frame with the sky,
// the rain, the decals, the lens flares and the grass as the game starts them, beside the same
// frame with each of them switched off (blocks of frames taken in turn), and memcpy's rate of
// 4-byte pixels, in the same run. Counters effects_frame_ms and plain_frame_ms (medians),
// gain_ms (their difference), gain_memcpy (the gain in 1280 x 720 memcpys), memcpy_frames (the
// frame with the effects over memcpy; the level frame's aims: forward at most 30, deferred at
// most 200), and the gain in processor time of every thread a frame (gain_cpu_ms), which other
// work on the machine disturbs less.
#include "frameloop.h"

#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "igame/effects/dynamicweathermanager.h"
#include "igame/effects/effectsmanager.h"
#include "morvane/ui/gamemenumanager.h"

#include <ctime>
#include <iterator>

namespace
{
// Each iteration: a block of frames without the effects, then one with them.
constexpr u32 kBlockFrames = 20;
constexpr u32 kWarmFrames = 20;

// The scene effects' switches and the value that takes each away.
struct TSwitch
{
    const char* name;
    i32 off;
};
const TSwitch kSwitches[] = {{"atmosphere.enable", 0},  {"effect.dynamicweather", 0}, {"effect.trackdecals", 0},
                             {"effect.lensflares", 0}, {"vegetation.range", 0}};

f64 ProcessMilliseconds()
{
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<f64>(now.tv_sec) * 1e3 + static_cast<f64>(now.tv_nsec) / 1e6;
}

TVariable* Find(const char* name)
{
    return TCommandManager::Instance().FindVariable(TName(name));
}

void SceneEffects(benchmark::State& state)
{
    if (!StartLevel() || !g_pEffectsManager->FindSettings(TName("Effects_Rain").GetId()))
    {
        state.SkipWithError("no device, level or rain look");
        return;
    }
    const bool deferred = state.range(0) != 0;
    if (!UseRenderer(deferred))
    {
        state.SkipWithError("shadows refused");
        return;
    }
    // The rain's look at once, and the world's time running as in play: the main menu, which
    // the level's first frames open, stops it.
    g_pEffectsManager->StartTransition("Effects_Rain", 0.0f);
    g_FrameDriver.Begin(kWarmFrames, CopyMilliseconds);
    RunFrames("level");
    const bool menu = g_pGameMenuManager && g_pGameMenuManager->IsMenuOpen();
    if (menu)
        g_pGameMenuManager->SetMenuVisible(0, 0);
    // A few frames more: the rain's texture and mesh are made by its first draws.
    g_FrameDriver.Begin(kWarmFrames, CopyMilliseconds);
    RunFrames("level");
    i32 was[std::size(kSwitches)];
    for (size_t i = 0; i < std::size(kSwitches); ++i)
    {
        TVariable* v = Find(kSwitches[i].name);
        was[i] = v ? v->GetValue().ToInt() : 0;
    }
    // Blocks of frames in turn, without and with the effects, so that both see the same machine.
    const u32 layers = g_pDynamicWeatherManager->GetLayersDrawn();
    std::vector<f64> plainFrames, effectsFrames, copies;
    f64 plainCpu = 0.0, effectsCpu = 0.0;
    size_t plainCount = 0, effectsCount = 0;
    for (auto _ : state)
        for (u32 on = 0; on < 2; ++on)
        {
            for (size_t i = 0; i < std::size(kSwitches); ++i)
                if (TVariable* v = Find(kSwitches[i].name))
                    v->SetInt(on ? was[i] : kSwitches[i].off);
            g_FrameDriver.Begin(kBlockFrames, CopyMilliseconds);
            const f64 cpu = ProcessMilliseconds();
            RunFrames("level");
            (on ? effectsCpu : plainCpu) += ProcessMilliseconds() - cpu;
            // Every update but the first closes a timed frame.
            (on ? effectsCount : plainCount) += g_FrameDriver.m_aFrame.size() + 1;
            std::vector<f64>& frames = on ? effectsFrames : plainFrames;
            frames.insert(frames.end(), g_FrameDriver.m_aFrame.begin(), g_FrameDriver.m_aFrame.end());
            copies.insert(copies.end(), g_FrameDriver.m_aReference.begin(), g_FrameDriver.m_aReference.end());
        }
    const bool rained = g_pDynamicWeatherManager->GetLayersDrawn() > layers;
    g_pEffectsManager->StartTransition("Effects", 0.0f);
    if (menu)
        g_pGameMenuManager->SetMenuVisible(1, 0);
    if (!rained)
    {
        state.SkipWithError("no rain drawn");
        return;
    }
    const f64 copy = Median(copies), plain = Median(plainFrames), effects = Median(effectsFrames);
    state.counters["effects_frame_ms"] = effects;
    state.counters["plain_frame_ms"] = plain;
    state.counters["gain_ms"] = effects - plain;
    state.counters["memcpy_ms"] = copy;
    state.counters["gain_memcpy"] = (effects - plain) / copy;
    state.counters["memcpy_frames"] = effects / copy;
    state.counters["gain_cpu_ms"] = effectsCpu / static_cast<f64>(effectsCount) - plainCpu / static_cast<f64>(plainCount);
}
BENCHMARK(SceneEffects)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5)->Repetitions(3);
} // namespace
