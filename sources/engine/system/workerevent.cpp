#include "engine/system/workerevent.h"

namespace
{
// A hand-over usually completes within a few microseconds: look a while before sleeping, as a
// sleeping thread takes far longer to wake.
constexpr u32 kSpinCount = 2000;

void SpinUntilSignalled(const std::atomic<u32>& signalled)
{
    for (u32 i = 0; i < kSpinCount && !signalled.load(std::memory_order_acquire); ++i)
        __builtin_ia32_pause();
}
} // namespace

TWorkerEvent::TWorkerEvent(u32 manualReset) : m_nManualReset(manualReset), m_nSignalled(0) {}

void TWorkerEvent::Set()
{
    m_nSignalled.store(1, std::memory_order_release);
    m_nSignalled.notify_all();
}

void TWorkerEvent::Reset()
{
    m_nSignalled.store(0, std::memory_order_release);
}

void TWorkerEvent::Wait()
{
    SpinUntilSignalled(m_nSignalled);
    for (;;)
    {
        if (m_nManualReset)
        {
            if (m_nSignalled.load(std::memory_order_acquire))
                return;
        }
        else
        {
            u32 expected = 1;
            if (m_nSignalled.compare_exchange_strong(expected, 0, std::memory_order_acq_rel))
                return;
        }
        m_nSignalled.wait(0, std::memory_order_acquire);
    }
}

void TWorkerEvent::WaitAll(TWorkerEvent* events, u32 count)
{
    for (u32 i = 0; i < count; ++i)
        events[i].Wait();
}

void TWorkerEvent::SignalAndWait(TWorkerEvent& signal, TWorkerEvent& wait)
{
    signal.Set();
    wait.Wait();
}
