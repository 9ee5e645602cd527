// The telemetry client against a loopback receiver: the messages byte for byte, the frame-rate
// report, the start and stop reports, and a server that cannot be reached.
#include "core/system/abort.h"
#include "core/system/core.h"
#include "core/system/platform.h"
#include "configfolder.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "loopbackpeer.h"
#include "network/autoupdate/performancemonitor.h"
#include "network/socket/socket.h"
#include "support/scratchfolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

namespace
{
u32 Word(const std::string& bytes, size_t offset)
{
    u32 value = 0;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

class PerformanceMonitorTest : public ::testing::Test
{
protected:
    void SetUp() override { SetServer("127.0.0.1:" + std::to_string(m_Receiver.Port())); }
    void TearDown() override { SetServer("telemetry.brevicorn.invalid"); }
    static void SetServer(const std::string& text)
    {
        const TName value(text.c_str(), true);
        TCommandManager::Instance()
            .FindVariable(MakeCommandName("telemetry_server", false))
            ->Assign(&value, 1);
    }
    std::string Message(size_t index)
    {
        EXPECT_TRUE(m_Receiver.WaitForConnections(static_cast<int>(index + 1)));
        const auto received = m_Receiver.Received();
        return index < received.size() ? received[index] : "";
    }

    TScratchFolder m_Folder{"telemetry"};
    TConfigFolder m_Config{m_Folder.Path()};
    TLoopbackPeer m_Receiver{[](TPeerConnection& connection) { connection.ReadToEnd(2000); }};
};
} // namespace

TEST_F(PerformanceMonitorTest, TheFrameRateEveryTenMinutes)
{
    TPerformanceMonitor monitor;
    monitor.Identify();
    // 600 s of passes at a steady 0.02 s a frame: one report, on the last pass.
    for (int pass = 0; pass < 2399; ++pass)
        monitor.Pass(0.02f);
    EXPECT_EQ(m_Receiver.Connections(), 0);
    monitor.Pass(0.02f);
    const std::string message = Message(0);
    // The detail level's variable belongs to the renderer, which this program lacks: -1.
    const std::string text = "fps=50.0; detail=-1; id=0";
    ASSERT_EQ(message.size(), 31 + text.size());
    EXPECT_EQ(Word(message, 0), message.size());
    EXPECT_EQ(Word(message, 4), TELEMETRY_FRAME_RATE);
    EXPECT_EQ(Word(message, 8), GetProductName()->GetId());
    // No key: the installation identifier is -2.
    EXPECT_EQ(message.substr(16, 8), std::string("\xfe\xff\xff\xff\xff\xff\xff\xff", 8));
    EXPECT_EQ(Word(message, 24), text.size());
    EXPECT_EQ(message.substr(28), text + std::string(3, '\0'));
    // The next ten minutes at 0.04 s a frame: their own average, not the two periods'.
    for (int pass = 0; pass < 2400; ++pass)
        monitor.Pass(0.04f);
    const std::string second = Message(1);
    EXPECT_EQ(second.substr(28, Word(second, 24)), "fps=25.0; detail=-1; id=0");
}

TEST_F(PerformanceMonitorTest, StartAndStopReportsAndAborts)
{
    // The program's monitor starts before the start-up script names the receiver: the start
    // report waits for it, and both reports reach it.
    const std::string receiver = "127.0.0.1:" + std::to_string(m_Receiver.Port());
    SetServer("telemetry.brevicorn.invalid");
    g_PerformanceMonitor.Begin();
    TPeerConnection::Sleep(600);
    TCommandManager::Instance().ExecuteText(("set telemetry.server \"" + receiver + "\"").c_str());
    g_PerformanceMonitor.End();
    std::string message = Message(0);
    ASSERT_EQ(message.size(), 47u);
    EXPECT_EQ(Word(message, 4), TELEMETRY_STATE);
    EXPECT_EQ(Word(message, 24), 1u);
    EXPECT_EQ(Word(message, 28), TELEMETRY_STARTED);
    EXPECT_EQ(Word(Message(1), 28), TELEMETRY_STOPPED);

    TPerformanceMonitor monitor;
    // The stop report goes out even when no start report ever did.
    monitor.End();
    EXPECT_EQ(Word(Message(2), 28), TELEMETRY_STOPPED);
    monitor.Begin();
    EXPECT_EQ(Word(Message(3), 28), TELEMETRY_STARTED) << "the server was named before";
    // An abort is reported on the aborting thread.
    ASSERT_NE(TerminateCallback, nullptr);
    TerminateCallback("it broke");
    message = Message(4);
    EXPECT_EQ(Word(message, 4), TELEMETRY_CRASH);
    const std::string text = message.substr(28, Word(message, 24));
    EXPECT_NE(text.find("; info='abort'; comment='it broke'"), std::string::npos) << text;
    EXPECT_EQ(text.rfind("track=", 0), 0u);
    monitor.End();
    EXPECT_EQ(Word(Message(5), 28), TELEMETRY_STOPPED);
    EXPECT_EQ(TerminateCallback, nullptr);
}

TEST_F(PerformanceMonitorTest, AnUnreachableServerIsGivenUpOn)
{
    // The port as the start-up script names it: up to 65535; past it, or none, the default.
    for (const auto& [named, expected] : {std::pair{"127.0.0.1:65535", 65535u}, {"127.0.0.1:65536", 80u},
                                          {"127.0.0.1:0", 80u}, {"127.0.0.1:1", 1u}})
    {
        TCommandManager::Instance().ExecuteText((std::string("set telemetry.server \"") + named + "\"").c_str());
        char host[128];
        u32 port = 0;
        GetTelemetryServer(host, port);
        EXPECT_STREQ(host, "127.0.0.1") << named;
        EXPECT_EQ(port, expected) << named;
    }
    // Nothing listens: refused at once; the reserved domain is never looked up.
    SetServer("127.0.0.1:" + std::to_string(TLoopbackPeer::ClosedPort()));
    TPerformanceMonitor monitor;
    EXPECT_EQ(monitor.SendText(TELEMETRY_FRAME_RATE, "x"), 2u);
    SetServer("telemetry.brevicorn.invalid");
    const u32 lookups = TSocket::GetLookupCount();
    EXPECT_EQ(monitor.SendText(TELEMETRY_FRAME_RATE, "x"), 2u);
    EXPECT_EQ(TSocket::GetLookupCount(), lookups);
    // A server that never takes the connection: given up (2) once the 3 s of the connect have
    // passed, not before; a load on the machine can only make the wait longer.
    TFullListener full;
    SetServer("127.0.0.1:" + std::to_string(full.Port()));
    const auto silent = std::chrono::steady_clock::now();
    EXPECT_EQ(monitor.SendText(TELEMETRY_FRAME_RATE, "x"), 2u);
    EXPECT_GE(std::chrono::duration<double>(std::chrono::steady_clock::now() - silent).count(), 2.9);
}
