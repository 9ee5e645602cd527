#include "network/socket/socket.h"

#include "core/system/log.h"
#include "core/system/string.h"
#include "core/system/timer.h"

#include <atomic>
#include <cstring>
#include <string>

using winsock::INVALID_SOCKET;
using winsock::SOCKET;

namespace
{
constexpr u32 DRAIN_MILLISECONDS = 1000;
constexpr i32 DRAIN_PIECE = 1024;

// The discard buffer of the drain, which every caller overwrites and nobody reads.
char s_aDrain[DRAIN_PIECE];

// Lookups may run on any thread.
std::atomic<u32> s_nLookups{0};

f64 Now()
{
    return g_pTimer ? g_pTimer->GetTime() : 0.0;
}

// The milliseconds left until the deadline (seconds), 0 when it has passed.
u32 Remaining(f64 deadline)
{
    const f64 left = (deadline - Now()) * 1000.0;
    return left > 0.0 ? static_cast<u32>(left) : 0;
}

u32 Wait(SOCKET* socket, u32 milliseconds, bool forWriting)
{
    if (*socket == INVALID_SOCKET)
        return 4;
    winsock::fd_set set;
    winsock::FdZero(&set);
    winsock::FdSet(*socket, &set);
    const winsock::timeval timeout = {static_cast<long>(milliseconds / 1000),
                                      static_cast<long>(milliseconds % 1000 * 1000)};
    const int ready = forWriting ? winsock::select(0, nullptr, &set, nullptr, &timeout)
                                 : winsock::select(0, &set, nullptr, nullptr, &timeout);
    return ready > 0 ? 0 : 2;
}

// The first IPv4 result for the host; null when it cannot be resolved.
winsock::addrinfo* Lookup(const char* host, u32 port)
{
    if (!host || !host[0] || TSocket::IsReservedInvalid(host))
        return nullptr;
    char service[16];
    FormatStringN(service, sizeof service, "%u", port);
    // IPv4 only: the engine's addresses are sockaddr_in.
    winsock::addrinfo hints = {};
    hints.ai_family = winsock::AF_INET;
    hints.ai_socktype = winsock::SOCK_STREAM;
    hints.ai_protocol = winsock::IPPROTO_TCP;
    winsock::addrinfo* result = nullptr;
    ++s_nLookups;
    if (winsock::getaddrinfo(host, service, &hints, &result) != 0)
        return nullptr;
    return result;
}

void CloseInto(SOCKET* socket)
{
    winsock::closesocket(*socket);
    *socket = INVALID_SOCKET;
}
} // namespace

i32 TSocket::InitSockets()
{
    winsock::WSADATA data;
    const int result = winsock::WSAStartup(0x0202, &data);
    if (result != 0)
        TLog::Print(g_pSystemLog, LOG_ERROR, "TSocket::InitSockets(): error: ", "WSAStartup failed: %d",
                    winsock::WSAGetLastError());
    return result;
}

void TSocket::CleanupSockets()
{
    winsock::WSACleanup();
}

u32 TSocket::GetLookupCount()
{
    return s_nLookups.load();
}

bool TSocket::IsReservedInvalid(const char* host)
{
    const size_t length = std::strlen(host);
    size_t end = length;
    // A fully qualified name may end in a dot.
    if (end && host[end - 1] == '.')
        --end;
    const char* suffix = "invalid";
    if (end < 7 || !EqualsIgnoringCase(std::string(host + end - 7, 7).c_str(), suffix))
        return false;
    return end == 7 || host[end - 8] == '.';
}

u32 TSocket::Connect(SOCKET* socket, const char* host, u32 milliseconds, u32 port)
{
    if (*socket != INVALID_SOCKET)
        return 1;
    winsock::addrinfo* address = Lookup(host, port);
    if (!address)
        return 1;
    *socket = winsock::socket(winsock::AF_INET, winsock::SOCK_STREAM, winsock::IPPROTO_TCP);
    if (*socket == INVALID_SOCKET)
    {
        winsock::freeaddrinfo(address);
        return 2;
    }
    u32 nonBlocking = 1;
    if (winsock::ioctlsocket(*socket, winsock::FIONBIO, &nonBlocking) != 0)
    {
        winsock::freeaddrinfo(address);
        return 4;
    }
    const int started = winsock::connect(*socket, address->ai_addr, static_cast<int>(address->ai_addrlen));
    winsock::freeaddrinfo(address);
    if (started != 0 && winsock::WSAGetLastError() != winsock::WSAEWOULDBLOCK)
    {
        CloseInto(socket);
        return 5;
    }
    if (Wait(socket, milliseconds, true) != 0)
    {
        CloseInto(socket);
        return 6;
    }
    // A connection that failed is writable too: its error tells.
    int error = 0;
    int size = sizeof error;
    if (winsock::getsockopt(*socket, winsock::SOL_SOCKET, winsock::SO_ERROR, reinterpret_cast<char*>(&error),
                            &size) != 0 ||
        error != 0)
    {
        CloseInto(socket);
        return 5;
    }
    return 0;
}

u32 TSocket::Send(SOCKET* socket, const void* data, u32 length, u32 milliseconds)
{
    if (*socket == INVALID_SOCKET)
        return 4;
    if (length == 0)
        return 0;
    const f64 deadline = Now() + milliseconds / 1000.0;
    const char* bytes = static_cast<const char*>(data);
    u32 done = 0;
    for (;;)
    {
        if (Wait(socket, Remaining(deadline), true) != 0)
            return 3;
        const int sent = winsock::send(*socket, bytes + done, static_cast<int>(length - done), 0);
        if (sent < 0 && winsock::WSAGetLastError() != winsock::WSAEWOULDBLOCK)
            return 2;
        done += sent > 0 ? static_cast<u32>(sent) : 0;
        if (done >= length)
            return 0;
        if (Remaining(deadline) == 0)
            return 3;
    }
}

u32 TSocket::Receive(SOCKET* socket, u32 milliseconds, void* buffer, u32 length)
{
    if (*socket == INVALID_SOCKET)
        return 4;
    if (length == 0)
        return 0;
    const f64 deadline = Now() + milliseconds / 1000.0;
    char* bytes = static_cast<char*>(buffer);
    u32 done = 0;
    bool readable = false;
    for (;;)
    {
        u32 waiting = 0;
        if (winsock::ioctlsocket(*socket, winsock::FIONREAD, &waiting) != 0)
            return 1;
        if (waiting > 0)
        {
            const u32 wanted = waiting < length - done ? waiting : length - done;
            const int got = winsock::recv(*socket, bytes + done, static_cast<int>(wanted), 0);
            if (got < 0 && winsock::WSAGetLastError() != winsock::WSAEWOULDBLOCK)
                return 2;
            done += got > 0 ? static_cast<u32>(got) : 0;
            if (done >= length)
                return 0;
            readable = false;
        }
        else
        {
            // Readable with nothing waiting: the peer has closed the connection.
            if (readable)
                return 2;
            if (Wait(socket, Remaining(deadline), false) != 0)
                return 3;
            readable = true;
            continue;
        }
        if (Remaining(deadline) == 0)
            return 3;
    }
}

void TSocket::ShutdownAndDrain(SOCKET* socket)
{
    if (*socket == INVALID_SOCKET)
        return;
    winsock::shutdown(*socket, winsock::SD_SEND);
    const f64 deadline = Now() + DRAIN_MILLISECONDS / 1000.0;
    while (Wait(socket, Remaining(deadline), false) == 0)
    {
        const int got = winsock::recv(*socket, s_aDrain, DRAIN_PIECE, 0);
        if (got <= 0 && !(got < 0 && winsock::WSAGetLastError() == winsock::WSAEWOULDBLOCK))
            break;
        if (Remaining(deadline) == 0)
            break;
    }
    CloseInto(socket);
}

u32 TSocket::Close(SOCKET* socket)
{
    if (*socket == INVALID_SOCKET)
        return 1;
    CloseInto(socket);
    return 0;
}

u32 TSocket::Resolve(const char* host, u32 port, u32* address, u16* resolvedPort)
{
    winsock::addrinfo* result = Lookup(host, port);
    if (!result)
        return 3;
    const winsock::sockaddr_in* in = reinterpret_cast<const winsock::sockaddr_in*>(result->ai_addr);
    *address = in->sin_addr.s_addr;
    *resolvedPort = in->sin_port;
    winsock::freeaddrinfo(result);
    return 0;
}

u32 TSocket::WaitReadable(SOCKET* socket, u32 milliseconds)
{
    return Wait(socket, milliseconds, false);
}

u32 TSocket::WaitWritable(SOCKET* socket, u32 milliseconds)
{
    return Wait(socket, milliseconds, true);
}
