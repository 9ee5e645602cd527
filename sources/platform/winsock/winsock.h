#pragma once
// The WinSock 2 calls the engine's TCP clients use, over POSIX sockets. Everything lives in the
// namespace winsock, since the Windows names of the types (fd_set, timeval, sockaddr) are
// taken by the C library. Results and error codes are the Windows ones; the descriptor sets
// are Windows' counted arrays, and select waits with poll.
#include <cstddef>
#include <cstdint>

namespace winsock
{
typedef std::uint32_t SOCKET;
constexpr SOCKET INVALID_SOCKET = 0xFFFFFFFF;
constexpr int SOCKET_ERROR = -1;

constexpr int AF_INET = 2;
constexpr int SOCK_STREAM = 1;
constexpr int IPPROTO_TCP = 6;
constexpr int SOL_SOCKET = 0xFFFF;
constexpr int SO_ERROR = 0x1007;
constexpr int SD_SEND = 1;
constexpr long FIONBIO = static_cast<long>(0x8004667Eu);
constexpr long FIONREAD = 0x4004667F;
constexpr int AI_NUMERICHOST = 0x4;

// WSAGetLastError codes.
constexpr int WSAEINTR = 10004;
constexpr int WSAEBADF = 10009;
constexpr int WSAEFAULT = 10014;
constexpr int WSAEINVAL = 10022;
constexpr int WSAEMFILE = 10024;
constexpr int WSAEWOULDBLOCK = 10035;
constexpr int WSAEINPROGRESS = 10036;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAEAFNOSUPPORT = 10047;
constexpr int WSAEADDRNOTAVAIL = 10049;
constexpr int WSAENETDOWN = 10050;
constexpr int WSAENETUNREACH = 10051;
constexpr int WSAECONNABORTED = 10053;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAENOBUFS = 10055;
constexpr int WSAENOTCONN = 10057;
constexpr int WSAESHUTDOWN = 10058;
constexpr int WSAETIMEDOUT = 10060;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSAEHOSTUNREACH = 10065;
constexpr int WSAVERNOTSUPPORTED = 10092;
constexpr int WSAHOST_NOT_FOUND = 11001;
constexpr int WSATRY_AGAIN = 11002;
constexpr int WSANO_RECOVERY = 11003;

struct WSADATA
{
    std::uint16_t wVersion;
    std::uint16_t wHighVersion;
    char szDescription[257];
    char szSystemStatus[129];
    std::uint16_t iMaxSockets;
    std::uint16_t iMaxUdpDg;
    char* lpVendorInfo;
};

struct in_addr
{
    std::uint32_t s_addr; // network byte order
};

struct sockaddr
{
    std::uint16_t sa_family;
    char sa_data[14];
};

struct sockaddr_in
{
    std::int16_t sin_family;
    std::uint16_t sin_port; // network byte order
    in_addr sin_addr;
    char sin_zero[8];
};

struct addrinfo
{
    int ai_flags;
    int ai_family;
    int ai_socktype;
    int ai_protocol;
    std::size_t ai_addrlen;
    char* ai_canonname;
    sockaddr* ai_addr;
    addrinfo* ai_next;
};

// FD_SETSIZE of Windows.
constexpr unsigned FD_SET_CAPACITY = 64;

struct fd_set
{
    unsigned fd_count;
    SOCKET fd_array[FD_SET_CAPACITY];
};

struct timeval
{
    long tv_sec;
    long tv_usec;
};

// FD_ZERO, FD_SET and FD_ISSET.
inline void FdZero(fd_set* set)
{
    set->fd_count = 0;
}
inline void FdSet(SOCKET socket, fd_set* set)
{
    for (unsigned i = 0; i < set->fd_count; ++i)
        if (set->fd_array[i] == socket)
            return;
    if (set->fd_count < FD_SET_CAPACITY)
        set->fd_array[set->fd_count++] = socket;
}
inline bool FdIsSet(SOCKET socket, const fd_set* set)
{
    for (unsigned i = 0; i < set->fd_count; ++i)
        if (set->fd_array[i] == socket)
            return true;
    return false;
}

// Version 2.2 (0x0202) or 2.x; 0, or WSAVERNOTSUPPORTED.
int WSAStartup(std::uint16_t version, WSADATA* data);
int WSACleanup();
// The calling thread's last error.
int WSAGetLastError();

SOCKET socket(int family, int type, int protocol);
int closesocket(SOCKET socket);
// FIONBIO (argument: non-zero for non-blocking) and FIONREAD (out: the bytes waiting).
int ioctlsocket(SOCKET socket, long command, std::uint32_t* argument);
int connect(SOCKET socket, const sockaddr* address, int length);
// Waits for the sockets of the sets (exception sets: sockets with an error); the sets keep the
// ready sockets only. A null time-out waits without limit. Returns the count ready, 0 on time-out.
int select(int ignored, fd_set* read, fd_set* write, fd_set* except, const timeval* timeout);
// A connection the peer has closed fails with WSAECONNRESET or WSAESHUTDOWN; never a signal.
int send(SOCKET socket, const char* data, int length, int flags);
int recv(SOCKET socket, char* buffer, int length, int flags);
int getsockopt(SOCKET socket, int level, int name, char* value, int* length);
int shutdown(SOCKET socket, int how);
// The results of the hints given, IPv4 only (others are left out: sockaddr_in is all the
// engine holds); a non-zero result is the error (WSAHOST_NOT_FOUND ...).
int getaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** result);
void freeaddrinfo(addrinfo* result);
} // namespace winsock
