#pragma once
// TPresentPacer: what vertical sync means for a device without a display to wait on. Presents
// are shown on a grid of refreshes that starts at the first paced present: with an interval of
// N refreshes a present waits until N refreshes after the previous one, and one that comes
// later still waits for the next refresh of the grid. Immediate presents never wait.
#include <cstdint>

// The monotonic clock presents are paced by, in nanoseconds; tests put in their own.
class TPresentClock
{
public:
    virtual ~TPresentClock() = default;
    virtual std::int64_t Now() = 0;
    virtual void SleepUntil(std::int64_t time) = 0;
};

// The system's monotonic clock.
TPresentClock& SystemPresentClock();

class TPresentPacer
{
public:
    // The display's rate when it does not tell.
    static constexpr unsigned kDefaultRefreshRate = 60;

    // Waits for the slot of the next present: `refreshes` refreshes of a display refreshing
    // `refreshRate` times a second (0: the default rate) after the previous slot; 0 refreshes
    // is an immediate present.
    void WaitForSlot(unsigned refreshes, unsigned refreshRate);

private:
    std::int64_t last_ = 0;
    bool started_ = false;
};
