#include "core/system/timer.h"

#include <time.h>

TTimer* g_pTimer = nullptr;

namespace
{
constexpr i64 kCountsPerSecond = 1000000000;
}

TTimer::TTimer() : m_nFrequency(kCountsPerSecond), m_nStartCount(QueryCounter()) {}

// The performance counter: a monotonic clock in nanoseconds.
i64 TTimer::QueryCounter()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<i64>(now.tv_sec) * kCountsPerSecond + now.tv_nsec;
}

f64 TTimer::GetTime() const
{
    return static_cast<f64>(QueryCounter() - m_nStartCount) / static_cast<f64>(m_nFrequency);
}
