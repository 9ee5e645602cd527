// TCP with time-outs against loopback peers: connecting, sending and receiving with their
// codes, the close seen at once, the drain, and hosts that never resolve.
#include "core/system/timer.h"
#include "loopbackpeer.h"
#include "network/socket/socket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

using winsock::INVALID_SOCKET;
using winsock::SOCKET;

namespace
{
class SocketTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(TSocket::InitSockets(), 0); }
    void TearDown() override
    {
        TSocket::Close(&m_Socket);
        TSocket::CleanupSockets();
    }

    static double Seconds(std::chrono::steady_clock::time_point since)
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
    }

    SOCKET m_Socket = INVALID_SOCKET;
};
} // namespace

TEST_F(SocketTest, ConnectCodes)
{
    // Nothing listens: refused (5), not left to run out of time (6); the variable empty again.
    EXPECT_EQ(TSocket::Connect(&m_Socket, "127.0.0.1", 300, TLoopbackPeer::ClosedPort()), 5u);
    EXPECT_EQ(m_Socket, INVALID_SOCKET);
    // The reserved domain is refused without a lookup.
    const u32 lookups = TSocket::GetLookupCount();
    EXPECT_EQ(TSocket::Connect(&m_Socket, "accounts.invalid", 300, 80), 1u);
    EXPECT_EQ(TSocket::Connect(&m_Socket, "INVALID.", 300, 80), 1u);
    EXPECT_EQ(TSocket::Connect(&m_Socket, "", 300, 80), 1u);
    EXPECT_EQ(TSocket::GetLookupCount(), lookups);
    EXPECT_FALSE(TSocket::IsReservedInvalid("notinvalid"));

    TLoopbackPeer peer([](TPeerConnection& connection) { connection.ReadToEnd(500); });
    EXPECT_EQ(TSocket::Connect(&m_Socket, "127.0.0.1", 300, peer.Port()), 0u);
    // A variable that holds a socket is not connected again.
    const SOCKET held = m_Socket;
    EXPECT_EQ(TSocket::Connect(&m_Socket, "127.0.0.1", 300, peer.Port()), 1u);
    EXPECT_EQ(m_Socket, held);
    EXPECT_EQ(TSocket::Close(&m_Socket), 0u);
    EXPECT_EQ(TSocket::Close(&m_Socket), 1u);

    u32 address = 0;
    u16 port = 0;
    EXPECT_EQ(TSocket::Resolve("127.0.0.1", 4711, &address, &port), 0u);
    EXPECT_EQ(address, 0x0100007Fu);
    EXPECT_EQ(port, static_cast<u16>((4711 >> 8) | ((4711 & 0xFF) << 8)));
    EXPECT_EQ(TSocket::Resolve("telemetry.invalid", 80, &address, &port), 3u);

    // Nobody takes the connection.
    TFullListener full;
    const auto start = std::chrono::steady_clock::now();
    // Out of time (6), and not before it.
    EXPECT_EQ(TSocket::Connect(&m_Socket, "127.0.0.1", 200, full.Port()), 6u);
    EXPECT_GE(Seconds(start), 0.19);
    EXPECT_EQ(m_Socket, INVALID_SOCKET);
}

TEST_F(SocketTest, ReceiveWaitsForWholeLengthsAndSeesTheClose)
{
    // Two bytes of four, then the peer waits: out of time.
    TLoopbackPeer waiting([](TPeerConnection& connection) {
        connection.Write("ab");
        connection.Sleep(600);
    });
    ASSERT_EQ(TSocket::Connect(&m_Socket, "127.0.0.1", 300, waiting.Port()), 0u);
    char buffer[8] = {};
    // Out of time (3) and not before it; a receive that waited on would see the close (2).
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(TSocket::Receive(&m_Socket, 150, buffer, 4), 3u);
    EXPECT_GE(Seconds(start), 0.14);
    TSocket::Close(&m_Socket);

    // Two bytes, then the peer closes: the end is seen (2), not waited out (3).
    TLoopbackPeer closing([](TPeerConnection& connection) { connection.Write("ab"); });
    ASSERT_EQ(TSocket::Connect(&m_Socket, "127.0.0.1", 300, closing.Port()), 0u);
    EXPECT_EQ(TSocket::Receive(&m_Socket, 2000, buffer, 4), 2u);
    TSocket::Close(&m_Socket);

    // Bytes that trickle in one at a time still make the whole length.
    TLoopbackPeer trickling([](TPeerConnection& connection) {
        connection.Trickle("wxyz", 20);
        connection.Sleep(100);
    });
    ASSERT_EQ(TSocket::Connect(&m_Socket, "127.0.0.1", 300, trickling.Port()), 0u);
    EXPECT_EQ(TSocket::Receive(&m_Socket, 1000, buffer, 4), 0u);
    EXPECT_EQ(std::string(buffer, 4), "wxyz");
    // A zero length does nothing; no socket gives 4.
    EXPECT_EQ(TSocket::Receive(&m_Socket, 100, buffer, 0), 0u);
    TSocket::Close(&m_Socket);
    EXPECT_EQ(TSocket::Receive(&m_Socket, 100, buffer, 4), 4u);
    EXPECT_EQ(TSocket::Send(&m_Socket, "x", 1, 100), 4u);
    EXPECT_EQ(TSocket::WaitReadable(&m_Socket, 10), 4u);
    EXPECT_EQ(TSocket::WaitWritable(&m_Socket, 10), 4u);
}

TEST_F(SocketTest, SendCodesAndTheDrain)
{
    TLoopbackPeer reader([](TPeerConnection& connection) {
        connection.ReadToEnd(1000);
        connection.Write("bye");
    });
    ASSERT_EQ(TSocket::Connect(&m_Socket, "127.0.0.1", 300, reader.Port()), 0u);
    const std::string message(100000, 'm');
    EXPECT_EQ(TSocket::Send(&m_Socket, message.data(), static_cast<u32>(message.size()), 1000), 0u);
    EXPECT_EQ(TSocket::Send(&m_Socket, message.data(), 0, 1000), 0u);
    // The drain ends the sending side, so the peer's read ends; its answer is read and dropped.
    TSocket::ShutdownAndDrain(&m_Socket);
    EXPECT_EQ(m_Socket, INVALID_SOCKET);
    ASSERT_TRUE(reader.WaitForConnections(1));
    EXPECT_EQ(reader.Received()[0], message);

    // A peer that never reads: the send runs out of time (3); one that waited on would fail
    // (2) when the peer closes. The peer stays far longer than the send's limit: a loaded or
    // emulated machine may take most of a second to fill the socket's buffers.
    TLoopbackPeer stalled([](TPeerConnection& connection) { connection.Sleep(3000); });
    ASSERT_EQ(TSocket::Connect(&m_Socket, "127.0.0.1", 300, stalled.Port()), 0u);
    const std::string flood(64 << 20, 'f');
    EXPECT_EQ(TSocket::Send(&m_Socket, flood.data(), static_cast<u32>(flood.size()), 150), 3u);
    TSocket::Close(&m_Socket);
    // A peer that closed: the send fails, and no signal ends the program.
    TLoopbackPeer gone([](TPeerConnection&) {});
    ASSERT_EQ(TSocket::Connect(&m_Socket, "127.0.0.1", 300, gone.Port()), 0u);
    ASSERT_TRUE(gone.WaitForConnections(1));
    TPeerConnection::Sleep(50);
    u32 result = 0;
    for (int i = 0; i < 20 && result == 0; ++i)
        result = TSocket::Send(&m_Socket, flood.data(), 65536, 200);
    EXPECT_EQ(result, 2u);
}
