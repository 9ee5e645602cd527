#include "platform/d3d9/presentpacer.h"

#include "platform/d3d9/settings.h"

#include <cerrno>
#include <ctime>

namespace
{
constexpr std::int64_t kSecond = 1000000000;

class TSystemPresentClock : public TPresentClock
{
public:
    std::int64_t Now() override
    {
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        return std::int64_t(now.tv_sec) * kSecond + now.tv_nsec;
    }
    void SleepUntil(std::int64_t time) override
    {
        const timespec until = {time_t(time / kSecond), long(time % kSecond)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR)
        {
        }
    }
};
} // namespace

TPresentClock& SystemPresentClock()
{
    static TSystemPresentClock clock;
    return clock;
}

void TPresentPacer::WaitForSlot(unsigned refreshes, unsigned refreshRate)
{
    if (refreshes == 0)
        return;
    TPresentClock& clock = D3D9Settings().presentClock ? *D3D9Settings().presentClock : SystemPresentClock();
    const std::int64_t now = clock.Now();
    if (!started_)
    {
        started_ = true;
        last_ = now;
        return;
    }
    const std::int64_t period = kSecond / (refreshRate ? refreshRate : kDefaultRefreshRate);
    std::int64_t slot = last_ + refreshes * period;
    if (slot < now)
        slot = last_ + (now - last_ + period - 1) / period * period;
    if (slot > now)
        clock.SleepUntil(slot);
    last_ = slot;
}
