#include "core/system/timer.h"

#include "core/system/log.h"

#include <time.h>

TTimer* g_pTimer = nullptr;

namespace
{
// The performance counter: the monotonic clock in nanoseconds.
i64 MonotonicCounter()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<i64>(now.tv_sec) * TIMER_COUNTS_PER_SECOND + now.tv_nsec;
}
} // namespace

TTimer::TTimer(TTimerClock clock)
    : m_pClock(clock ? clock : MonotonicCounter), m_nPaused(0), m_nFrequency(TIMER_COUNTS_PER_SECOND),
      m_nStartCount(QueryCounter()), m_nLastCount(m_nStartCount), m_fScale(1.0f), m_fGameTime(0.0f),
      m_fRealTimeStep(0.0f), m_fGameTimeStep(0.0f), m_nFrame(0), m_aFrameTime(), m_nFrameIndex(0), m_fFixedStep(0.0f)
{
}

i64 TTimer::QueryCounter() const
{
    return m_pClock();
}

void TTimer::Update()
{
    const i64 now = QueryCounter();
    f32 delta = static_cast<f32>(static_cast<f64>(now - m_nLastCount) / static_cast<f64>(m_nFrequency));
    m_nLastCount = now;
    if (delta < 0.0f)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TTimer::Update(): error: ", "negative delta time detected (reset to 0)");
        delta = 0.0f;
    }
    if (delta > TIMER_MAX_FRAME)
        delta = TIMER_MAX_FRAME;

    m_aFrameTime[m_nFrameIndex] = delta;
    m_nFrameIndex = (m_nFrameIndex + 1) % TIMER_FRAME_SAMPLES;
    f32 sum = 0.0f;
    for (f32 sample : m_aFrameTime)
        sum += sample;
    const f32 smoothed = m_fFixedStep > 0.0f ? m_fFixedStep : sum * 0.1f;

    ++m_nFrame;
    m_fRealTimeStep = smoothed;
    if (m_nPaused)
        m_fGameTimeStep = 0.0f;
    else
    {
        m_fGameTimeStep = smoothed * m_fScale;
        m_fGameTime += m_fGameTimeStep;
    }
}

void TTimer::SetScale(f32 factor, const TName& name)
{
    const i32 index = m_aScale.FindKey(name);
    if (index >= 0)
    {
        if (m_aScale[index].value == factor)
            return;
        m_aScale[index].value = factor;
    }
    else
        m_aScale.Insert(TScaleFactor{name, factor});
    m_fScale = 1.0f;
    for (u32 i = 0; i < m_aScale.GetCount(); ++i)
        m_fScale *= m_aScale[i].value;
}

void TTimer::SetPaused(u32 paused)
{
    m_nPaused = paused;
    if (!paused)
        m_nLastCount = QueryCounter();
}

f64 TTimer::GetTime() const
{
    return static_cast<f64>(QueryCounter() - m_nStartCount) / static_cast<f64>(m_nFrequency);
}
