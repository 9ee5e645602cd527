// The termination signals: the first is a request taken once, the second ends the process.
#include "platform/desktop/terminationrequest.h"

#include <gtest/gtest.h>

#include <csignal>

namespace
{
void SignalTwice(int signal)
{
    InstallTerminationRequest();
    std::raise(signal);
    std::raise(signal);
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
    std::raise(SIGHUP);
    EXPECT_TRUE(TakeTerminationRequest());
    EXPECT_FALSE(TakeTerminationRequest());
    EXPECT_TRUE(TerminationRequested());
}

TEST(TerminationRequestDeathTest, TheSecondSignalEndsTheProcessAtOnce)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        EXPECT_EXIT(SignalTwice(signal), ::testing::KilledBySignal(signal), "") << signal;
}
