// The word the update workers and the main thread hand work over with.
#include "core/system/thread.h"
#include "core/system/waitword.h"

#include <gtest/gtest.h>

namespace
{
// Answers each move of the ball word by moving the reply word, until told to stop.
class TPartner : public TThread
{
public:
    TPartner(TWaitWord& ball, TWaitWord& reply) : m_Ball(ball), m_Reply(reply) {}
    void Run() override
    {
        for (u32 seen = 0;;)
        {
            m_Ball.WaitWhile(seen);
            seen = m_Ball.Load();
            if (IsStopRequested())
                return;
            m_Reply.Add(1);
            m_Reply.Wake();
        }
    }

private:
    TWaitWord& m_Ball;
    TWaitWord& m_Reply;
};

TEST(WaitWord, NoHandOverIsLost)
{
    // Many round trips, each side sleeping or spinning as it happens: a lost wake-up hangs.
    TWaitWord ball, reply;
    TPartner partner(ball, reply);
    ASSERT_TRUE(partner.Start());
    for (u32 trip = 1; trip <= 2000; ++trip)
    {
        ball.Add(1);
        ball.Wake();
        for (u32 now = reply.Load(); now != trip; now = reply.Load())
            reply.WaitWhile(now);
    }
    partner.RequestStop();
    ball.Add(1);
    ball.Wake();
    partner.Stop();
    EXPECT_EQ(reply.Load(), 2000u);
}

} // namespace
