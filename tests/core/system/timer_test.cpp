// The frame timer with an injected clock: cap, mean, scale and pause; the stopwatch.
#include "core/system/timer.h"

#include "testdirectory.h"

#include <gtest/gtest.h>

namespace
{
i64 s_nNow = 0;

i64 TestClock()
{
    return s_nNow;
}

// A timer made when the clock says 1000 counts.
class Timer : public testing::Test
{
protected:
    static void Advance(f64 seconds) { s_nNow += static_cast<i64>(seconds * TIMER_COUNTS_PER_SECOND); }
    // Frames of the given length, each ended by an update.
    void Frames(int count, f64 seconds)
    {
        for (int i = 0; i < count; ++i)
        {
            Advance(seconds);
            timer.Update();
        }
    }

    TTimer timer{(s_nNow = 1000, TestClock)};
};
} // namespace

TEST_F(Timer, FramesAreCappedAveragedOverTenAndNeverNegative)
{
    Frames(1, 1.0);
    EXPECT_FLOAT_EQ(timer.GetRealTimeStep(), 0.02f); // 0.2 s in one of ten samples
    Frames(9, 0.016);
    EXPECT_NEAR(timer.GetRealTimeStep(), (0.2 + 9 * 0.016) / 10, 1e-6);
    Frames(1, 0.016);
    EXPECT_NEAR(timer.GetRealTimeStep(), 0.016, 1e-6);
    EXPECT_EQ(timer.GetFrameCount(), 11u);
    EXPECT_NEAR(timer.GetTime(), 1.16, 1e-9);
    // A clock that goes back gives a step of 0 and a log line.
    TTestDirectory directory;
    TTimer backwards(TestClock);
    s_nNow -= 1000;
    backwards.Update();
    EXPECT_EQ(backwards.GetRealTimeStep(), 0.0f);
    EXPECT_NE(directory.ReadFile("system.log")
                  .find("TTimer::Update(): error: negative delta time detected (reset to 0)"),
              std::string::npos);
}

TEST_F(Timer, AFixedStepIsEachFramesTimeWhateverTheClockSays)
{
    timer.SetFixedStep(0.0625f);
    for (const f64 seconds : {0.5, 0.0, 0.001})
    {
        Frames(1, seconds);
        EXPECT_EQ(0.0625f, timer.GetRealTimeStep());
        EXPECT_EQ(0.0625f, timer.GetGameTimeStep());
    }
    EXPECT_EQ(3 * 0.0625f, timer.GetGameTime());
    // The seconds since start stay the clock's.
    EXPECT_NEAR(0.501, timer.GetTime(), 1e-9);
    timer.SetFixedStep(0.0f);
    Frames(1, 0.1);
    EXPECT_NE(0.0625f, timer.GetRealTimeStep());
}

TEST_F(Timer, NamedFactorsMultiply)
{
    timer.SetScale(0.5f, TName("UI.Main.Menu", true));
    timer.SetScale(4.0f, TName("UI.Modal.Box", true));
    EXPECT_FLOAT_EQ(timer.GetScale(), 2.0f);
    timer.SetScale(0.5f, TName("UI.Main.Menu", true));
    EXPECT_FLOAT_EQ(timer.GetScale(), 2.0f);
    timer.SetScale(1.0f, TName("UI.Modal.Box", true));
    EXPECT_FLOAT_EQ(timer.GetScale(), 0.5f);

    Frames(10, 0.02);
    EXPECT_NEAR(timer.GetRealTimeStep(), 0.02, 1e-6);
    EXPECT_NEAR(timer.GetGameTimeStep(), 0.01, 1e-6);
}

TEST_F(Timer, PauseStopsGameTimeAndRestartsTheFrame)
{
    Frames(10, 0.01);
    const f32 gameTime = timer.GetGameTime();
    EXPECT_NEAR(gameTime, 0.055, 1e-6);

    timer.SetPaused(1);
    Frames(1, 0.01);
    EXPECT_EQ(timer.GetGameTimeStep(), 0.0f);
    EXPECT_EQ(timer.GetGameTime(), gameTime);
    EXPECT_NEAR(timer.GetRealTimeStep(), 0.01, 1e-6);

    Advance(5.0); // the paused interval is not a frame
    timer.SetPaused(0);
    Frames(1, 0.01);
    EXPECT_NEAR(timer.GetRealTimeStep(), 0.01, 1e-6);
    EXPECT_NEAR(timer.GetGameTime(), gameTime + 0.01, 1e-6);
}
