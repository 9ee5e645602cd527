// The termination signals: the first is a request taken once, the second ends the process.
#include "platform/desktop/terminationrequest.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace
{
// A signal sent to the process is taken by the watching thread a moment later: up to 10 s.
constexpr int kWaitSteps = 1000;

bool AwaitRequest()
{
    for (int i = 0; i < kWaitSteps; ++i, usleep(10000))
        if (TakeTerminationRequest())
            return true;
    return false;
}

void SignalTwice(int signal)
{
    InstallTerminationRequest();
    kill(getpid(), signal);
    if (!AwaitRequest())
        std::exit(1);
    kill(getpid(), signal);
    usleep(kWaitSteps * 10000);
    // Only reached when the second signal was taken for a request too.
    std::exit(0);
}
} // namespace

// Once taken, the request is still known: the close it made asks nobody.
TEST(TerminationRequest, TheFirstSignalIsARequestTakenOnce)
{
    InstallTerminationRequest();
    EXPECT_FALSE(TakeTerminationRequest());
    EXPECT_FALSE(TerminationRequested());
    kill(getpid(), SIGHUP);
    EXPECT_TRUE(AwaitRequest());
    EXPECT_FALSE(TakeTerminationRequest());
    EXPECT_TRUE(TerminationRequested());
}

TEST(TerminationRequestDeathTest, TheSecondSignalEndsTheProcessAtOnce)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        EXPECT_EXIT(SignalTwice(signal), ::testing::KilledBySignal(signal), "") << signal;
}
