#include "core/system/cputimer.h"

#include <time.h>

namespace
{
constexpr f64 kTicksPerMillisecond = 1000000.0;
constexpr u64 kMeasurementTicks = 9;
} // namespace

f64 TCpuTimer::s_fClockKhz = 0.0;
__attribute__((init_priority(900))) TCpuTimer g_CpuTimer;

TCpuTimer::TCpuTimer() : m_nTicks(0), m_fMilliseconds(0.0f)
{
    if (s_fClockKhz == 0.0)
        s_fClockKhz = kTicksPerMillisecond;
}

u64 TCpuTimer::ReadTicks()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<u64>(now.tv_sec) * 1000000000u + static_cast<u64>(now.tv_nsec);
}

void TCpuTimer::Start()
{
    m_nTicks = ReadTicks();
}

f32 TCpuTimer::Stop()
{
    const u64 elapsed = ReadTicks() - m_nTicks;
    m_nTicks = elapsed <= kMeasurementTicks ? 0 : elapsed - kMeasurementTicks;
    m_fMilliseconds = static_cast<f32>(static_cast<f64>(m_nTicks) / s_fClockKhz);
    return m_fMilliseconds;
}
