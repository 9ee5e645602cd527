#include "loopbackpeer.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
using TClock = std::chrono::steady_clock;

int MillisecondsLeft(TClock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

int Listen(uint16_t& port)
{
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    port = ntohs(address.sin_port);
    return listener;
}
} // namespace

std::string TPeerConnection::Read(size_t count, int milliseconds)
{
    const auto deadline = TClock::now() + std::chrono::milliseconds(milliseconds);
    std::string bytes;
    while (m_nDescriptor >= 0 && bytes.size() < count)
    {
        pollfd wait = {m_nDescriptor, POLLIN, 0};
        if (poll(&wait, 1, MillisecondsLeft(deadline)) <= 0)
            break;
        char buffer[4096];
        const size_t want = count - bytes.size() < sizeof buffer ? count - bytes.size() : sizeof buffer;
        const ssize_t got = recv(m_nDescriptor, buffer, want, 0);
        if (got <= 0)
            break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    m_Received += bytes;
    return bytes;
}

std::string TPeerConnection::ReadToEnd(int milliseconds)
{
    return Read(static_cast<size_t>(-1) / 2, milliseconds);
}

void TPeerConnection::Write(const std::string& bytes)
{
    if (m_nDescriptor >= 0 && !bytes.empty())
        send(m_nDescriptor, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

void TPeerConnection::Trickle(const std::string& bytes, int millisecondsPerByte)
{
    for (char byte : bytes)
    {
        Write(std::string(1, byte));
        Sleep(millisecondsPerByte);
    }
}

void TPeerConnection::Sleep(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void TPeerConnection::Close()
{
    if (m_nDescriptor >= 0)
        close(m_nDescriptor);
    m_nDescriptor = -1;
}

TLoopbackPeer::TLoopbackPeer(TPeerScript script)
    : m_Script(std::move(script)), m_nListener(Listen(m_nPort)), m_bStop(false), m_nConnections(0)
{
    listen(m_nListener, 64);
    m_Thread = std::thread([this] { Serve(); });
}

TLoopbackPeer::~TLoopbackPeer()
{
    m_bStop = true;
    m_Thread.join();
    close(m_nListener);
}

void TLoopbackPeer::Serve()
{
    while (!m_bStop)
    {
        pollfd wait = {m_nListener, POLLIN, 0};
        if (poll(&wait, 1, 20) <= 0)
            continue;
        const int descriptor = accept4(m_nListener, nullptr, nullptr, SOCK_CLOEXEC);
        if (descriptor < 0)
            continue;
        TPeerConnection connection(descriptor);
        m_Script(connection);
        connection.Close();
        {
            std::lock_guard<std::mutex> hold(m_Lock);
            m_aReceived.push_back(connection.Received());
        }
        ++m_nConnections;
    }
}

std::vector<std::string> TLoopbackPeer::Received()
{
    std::lock_guard<std::mutex> hold(m_Lock);
    return m_aReceived;
}

bool TLoopbackPeer::WaitForConnections(int count, int milliseconds)
{
    const auto deadline = TClock::now() + std::chrono::milliseconds(milliseconds);
    while (m_nConnections.load() < count && TClock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return m_nConnections.load() >= count;
}

uint16_t TLoopbackPeer::ClosedPort()
{
    uint16_t port = 0;
    const int listener = Listen(port);
    close(listener);
    return port;
}

TFullListener::TFullListener() : m_nListener(Listen(m_nPort))
{
    listen(m_nListener, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_nPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // Fill the queue: connects that complete at once until one would have to wait.
    for (int i = 0; i < 8; ++i)
    {
        const int client = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address);
        pollfd wait = {client, POLLOUT, 0};
        const bool done = poll(&wait, 1, 50) > 0;
        m_aQueued.push_back(client);
        if (!done)
            break;
    }
}

TFullListener::~TFullListener()
{
    for (int client : m_aQueued)
        close(client);
    close(m_nListener);
}
