#pragma once
// TCpuTimer: a stopwatch in milliseconds for loads and manager phases. Its ticks are the
// monotonic clock's nanoseconds, so the clock needs no calibration and is never 0.
#include "core/system/types.h"

class TCpuTimer
{
public:
    TCpuTimer();

    void Start();
    // The milliseconds since Start, less the cost of the measurement itself (9 ticks).
    f32 Stop();
    f32 GetMilliseconds() const { return m_fMilliseconds; }

    // Ticks per millisecond.
    static f64 GetClock() { return s_fClockKhz; }

private:
    static u64 ReadTicks();

    u64 m_nTicks; // the start while running, the elapsed ticks after Stop
    f32 m_fMilliseconds;

    static f64 s_fClockKhz;
};

static_assert(sizeof(TCpuTimer) == 12);

// The process-wide stopwatch that times each manager's phase calls; built before the core
// bootstrap.
extern TCpuTimer g_CpuTimer;
