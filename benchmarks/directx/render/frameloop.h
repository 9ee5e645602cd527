#pragma once
// The real main loop as the frame benchmarks drive it: a headless 1280 x 720 device made once
// (with the manager system "benchmark": this driver on its update list, the render manager's
// opening and closing words on its render list), and a manager on the update list that counts
// the benchmark's iterations from inside the loop and, when measuring, times each frame beside
// a yardstick run in the same update, so that frame and yardstick see the same machine: the
// frame is the time from the end of one update's yardstick to the next update.
#include "core/system/types.h"
#include "engine/system/manager.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <vector>

constexpr u32 kFrameWidth = 1280;
constexpr u32 kFrameHeight = 720;

using TClock = std::chrono::steady_clock;

f64 MillisecondsSince(TClock::time_point start);
f64 Median(std::vector<f64> times);
// Milliseconds of one clear of a 1280 x 720 colour buffer and one copy of it.
f64 ClearAndCopyMilliseconds();
// Milliseconds of one memcpy of 1280 x 720 4-byte pixels.
f64 CopyMilliseconds();
// Milliseconds of one memcpy of that many bytes, cold: 64 MB touched first, so that it runs at
// memory speed, not from the cache.
f64 ColdCopyMilliseconds(size_t bytes);

class TFrameDriver : public TManager
{
public:
    TFrameDriver();
    void UpdateManager(f32 step) override;

    // Counts the state's iterations; with a yardstick, times the frames beside it.
    void Begin(benchmark::State& state, f64 (*yardstick)());
    // The same for a number of frames, outside a benchmark's iterations.
    void Begin(u32 frames, f64 (*yardstick)());

    benchmark::State* m_pState = nullptr;
    u32 m_nFramesLeft = 0;
    f64 (*m_pYardstick)() = nullptr;
    bool m_bFrameStarted = false;
    TClock::time_point m_FrameStart;
    std::vector<f64> m_aFrame;
    std::vector<f64> m_aReference;
};

extern TFrameDriver g_FrameDriver;

// The device and the system "benchmark", once; false without a device.
bool StartFrameDevice();
// The device, then the system "level" built from the start-up script's "Normal" lists over the
// game's level and shaders, with the script's language and settings, in the build's folder,
// once; false without a device or the level.
bool StartLevel();
// Runs the system's loop (vertical sync off) as the driver counts: the median frame.
f64 RunFrames(const char* system);
// The level's renderer, which stays chosen for the benchmarks after: the forward one, or the
// deferred one with its shadows. Shadows are refused until a frame has published the deferred
// renderer's targets, so one is drawn first; false when they are refused all the same.
bool UseRenderer(bool deferred);
