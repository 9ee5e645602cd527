#pragma once
// TTimer: the one frame timer of the program, created by the core bootstrap. The main loop
// calls Update once per frame; every subsystem reads the smoothed frame time, the game time
// step (scaled, 0 while paused) and the seconds since start, which every log line carries.
#include "core/system/name.h"
#include "core/system/templates/sset.h"
#include "core/system/types.h"

// A clock in counts of TIMER_COUNTS_PER_SECOND; the monotonic clock unless a test injects one.
typedef i64 (*TTimerClock)();
constexpr i64 TIMER_COUNTS_PER_SECOND = 1000000000;

constexpr f32 TIMER_MAX_FRAME = 0.2f;
constexpr i32 TIMER_FRAME_SAMPLES = 10;
constexpr i32 TIMER_SCALE_FACTORS = 6;

class TTimer
{
public:
    explicit TTimer(TTimerClock clock = nullptr);

    // Once per frame: the frame time, capped at 0.2 s and averaged over the last 10 frames.
    void Update();
    // Sets one named factor of the game-time scale (at most 6 names).
    void SetScale(f32 factor, const TName& name);
    // Ending a pause restarts the frame time from that moment.
    void SetPaused(u32 paused);
    // Each frame then takes exactly these seconds, whatever the clock says, so runs repeat
    // (0: the clock again). The seconds since start stay the clock's.
    void SetFixedStep(f32 seconds) { m_fFixedStep = seconds; }
    f32 GetFixedStep() const { return m_fFixedStep; }

    // Seconds since the timer was built; any thread may ask.
    f64 GetTime() const;
    f32 GetRealTimeStep() const { return m_fRealTimeStep; }
    f32 GetGameTimeStep() const { return m_fGameTimeStep; }
    f32 GetGameTime() const { return m_fGameTime; }
    f32 GetScale() const { return m_fScale; }
    u32 GetFrameCount() const { return m_nFrame; }
    u32 IsPaused() const { return m_nPaused; }

private:
    typedef TMapKey<TName, f32> TScaleFactor;

    i64 QueryCounter() const;

    TTimerClock m_pClock;
    u32 m_nPaused;
    i64 m_nFrequency;
    i64 m_nStartCount;
    i64 m_nLastCount;
    f32 m_fScale;
    f32 m_fGameTime;
    SSet<TScaleFactor, TIMER_SCALE_FACTORS, TName, 0> m_aScale;
    f32 m_fRealTimeStep;
    f32 m_fGameTimeStep;
    u32 m_nFrame;
    f32 m_aFrameTime[TIMER_FRAME_SAMPLES];
    u32 m_nFrameIndex;
    f32 m_fFixedStep;
};

extern TTimer* g_pTimer;
