#include "platform/winsock/winsock.h"

// The Windows values, taken before the C library's headers turn these names into its macros.
namespace
{
constexpr int kWinAfInet = winsock::AF_INET;
constexpr int kWinSockStream = winsock::SOCK_STREAM;
constexpr int kWinIpprotoTcp = winsock::IPPROTO_TCP;
constexpr int kWinSolSocket = winsock::SOL_SOCKET;
constexpr int kWinSoError = winsock::SO_ERROR;
constexpr long kWinFionbio = winsock::FIONBIO;
constexpr long kWinFionread = winsock::FIONREAD;
constexpr int kWinAiNumericHost = winsock::AI_NUMERICHOST;
} // namespace

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace winsock
{
namespace
{
thread_local int t_nLastError = 0;
std::atomic<int> s_nStarted{0};

int Fail(int code)
{
    t_nLastError = code;
    return SOCKET_ERROR;
}

int FromErrno(int error)
{
    switch (error)
    {
    case EAGAIN:
    case EINPROGRESS:
        // A non-blocking connect or transfer that would wait.
        return WSAEWOULDBLOCK;
    case EALREADY:
        return WSAEINPROGRESS;
    case EINTR:
        return WSAEINTR;
    case EBADF:
        return WSAENOTSOCK;
    case EFAULT:
        return WSAEFAULT;
    case EMFILE:
    case ENFILE:
        return WSAEMFILE;
    case EAFNOSUPPORT:
        return WSAEAFNOSUPPORT;
    case EADDRNOTAVAIL:
        return WSAEADDRNOTAVAIL;
    case ENETDOWN:
        return WSAENETDOWN;
    case ENETUNREACH:
        return WSAENETUNREACH;
    case ECONNABORTED:
        return WSAECONNABORTED;
    case ECONNRESET:
        return WSAECONNRESET;
    case EPIPE:
        return WSAESHUTDOWN;
    case ENOBUFS:
    case ENOMEM:
        return WSAENOBUFS;
    case ENOTCONN:
        return WSAENOTCONN;
    case ETIMEDOUT:
        return WSAETIMEDOUT;
    case ECONNREFUSED:
        return WSAECONNREFUSED;
    case EHOSTUNREACH:
        return WSAEHOSTUNREACH;
    default:
        return WSAEINVAL;
    }
}

int FailErrno()
{
    return Fail(FromErrno(errno));
}

int Descriptor(SOCKET socket)
{
    return socket == INVALID_SOCKET ? -1 : static_cast<int>(socket);
}

// Adds the set's sockets to the poll list with the events asked; false when the list is full.
void Watch(const fd_set* set, short events, pollfd* list, unsigned& count)
{
    if (!set)
        return;
    for (unsigned i = 0; i < set->fd_count && i < FD_SET_CAPACITY; ++i)
    {
        unsigned at = 0;
        while (at < count && list[at].fd != Descriptor(set->fd_array[i]))
            ++at;
        if (at == count)
        {
            list[count].fd = Descriptor(set->fd_array[i]);
            list[count].events = 0;
            list[count].revents = 0;
            ++count;
        }
        list[at].events = static_cast<short>(list[at].events | events);
    }
}

// Keeps the set's sockets whose poll result has one of the events.
unsigned Keep(fd_set* set, short events, const pollfd* list, unsigned count)
{
    if (!set)
        return 0;
    unsigned kept = 0;
    for (unsigned i = 0; i < set->fd_count; ++i)
        for (unsigned at = 0; at < count; ++at)
            if (list[at].fd == Descriptor(set->fd_array[i]) && (list[at].revents & events))
            {
                set->fd_array[kept++] = set->fd_array[i];
                break;
            }
    set->fd_count = kept;
    return kept;
}
} // namespace

int WSAStartup(std::uint16_t version, WSADATA* data)
{
    if ((version & 0xFF) != 2)
        return WSAVERNOTSUPPORTED;
    if (data)
    {
        std::memset(data, 0, sizeof *data);
        data->wVersion = 0x0202;
        data->wHighVersion = 0x0202;
        std::strcpy(data->szDescription, "WinSock 2.0");
        std::strcpy(data->szSystemStatus, "Running");
    }
    ++s_nStarted;
    return 0;
}

int WSACleanup()
{
    if (s_nStarted.load() <= 0)
        return Fail(10093); // WSANOTINITIALISED
    --s_nStarted;
    return 0;
}

int WSAGetLastError()
{
    return t_nLastError;
}

SOCKET socket(int family, int type, int protocol)
{
    if (family != kWinAfInet || type != kWinSockStream)
    {
        Fail(WSAEAFNOSUPPORT);
        return INVALID_SOCKET;
    }
    const int descriptor = ::socket(PF_INET, SOCK_STREAM | SOCK_CLOEXEC, protocol);
    if (descriptor < 0)
    {
        FailErrno();
        return INVALID_SOCKET;
    }
    return static_cast<SOCKET>(descriptor);
}

int closesocket(SOCKET socket)
{
    return ::close(Descriptor(socket)) == 0 ? 0 : FailErrno();
}

int ioctlsocket(SOCKET socket, long command, std::uint32_t* argument)
{
    const int descriptor = Descriptor(socket);
    if (command == kWinFionbio)
    {
        const int flags = ::fcntl(descriptor, F_GETFL);
        if (flags < 0)
            return FailErrno();
        const int wanted = *argument ? flags | O_NONBLOCK : flags & ~O_NONBLOCK;
        return ::fcntl(descriptor, F_SETFL, wanted) == 0 ? 0 : FailErrno();
    }
    if (command == kWinFionread)
    {
        int waiting = 0;
        if (::ioctl(descriptor, FIONREAD, &waiting) != 0)
            return FailErrno();
        *argument = static_cast<std::uint32_t>(waiting);
        return 0;
    }
    return Fail(WSAEINVAL);
}

int connect(SOCKET socket, const sockaddr* address, int length)
{
    if (!address || length < static_cast<int>(sizeof(sockaddr_in)) || address->sa_family != kWinAfInet)
        return Fail(WSAEFAULT);
    const sockaddr_in* in = reinterpret_cast<const sockaddr_in*>(address);
    ::sockaddr_in target = {};
    target.sin_family = PF_INET;
    target.sin_port = in->sin_port;
    target.sin_addr.s_addr = in->sin_addr.s_addr;
    return ::connect(Descriptor(socket), reinterpret_cast<::sockaddr*>(&target), sizeof target) == 0
               ? 0
               : FailErrno();
}

int select(int, fd_set* read, fd_set* write, fd_set* except, const timeval* timeout)
{
    pollfd list[3 * FD_SET_CAPACITY];
    unsigned count = 0;
    Watch(read, POLLIN, list, count);
    Watch(write, POLLOUT, list, count);
    Watch(except, POLLPRI, list, count);
    const long long milliseconds =
        timeout ? static_cast<long long>(timeout->tv_sec) * 1000 + timeout->tv_usec / 1000 : -1;
    int result;
    do
        result = ::poll(list, count, milliseconds > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(milliseconds));
    while (result < 0 && errno == EINTR);
    if (result < 0)
        return FailErrno();
    // A closed or failed socket is readable and writable (the next call tells what happened);
    // an error is also its exception.
    const unsigned ready = Keep(read, POLLIN | POLLHUP | POLLERR, list, count) +
                           Keep(write, POLLOUT | POLLHUP | POLLERR, list, count) +
                           Keep(except, POLLPRI | POLLERR, list, count);
    return static_cast<int>(ready);
}

int send(SOCKET socket, const char* data, int length, int flags)
{
    const ssize_t sent = ::send(Descriptor(socket), data, static_cast<size_t>(length), flags | MSG_NOSIGNAL);
    return sent >= 0 ? static_cast<int>(sent) : FailErrno();
}

int recv(SOCKET socket, char* buffer, int length, int flags)
{
    const ssize_t got = ::recv(Descriptor(socket), buffer, static_cast<size_t>(length), flags);
    return got >= 0 ? static_cast<int>(got) : FailErrno();
}

int getsockopt(SOCKET socket, int level, int name, char* value, int* length)
{
    if (level != kWinSolSocket || name != kWinSoError || !length || *length < 4)
        return Fail(WSAEINVAL);
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(Descriptor(socket), SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        return FailErrno();
    const int code = error ? FromErrno(error) : 0;
    std::memcpy(value, &code, 4);
    *length = 4;
    return 0;
}

int shutdown(SOCKET socket, int how)
{
    const int posixHow = how == SD_SEND ? SHUT_WR : how == 0 ? SHUT_RD : SHUT_RDWR;
    return ::shutdown(Descriptor(socket), posixHow) == 0 ? 0 : FailErrno();
}

int getaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** result)
{
    *result = nullptr;
    ::addrinfo posixHints = {};
    posixHints.ai_family = PF_INET;
    posixHints.ai_socktype = SOCK_STREAM;
    if (hints)
    {
        posixHints.ai_flags = (hints->ai_flags & kWinAiNumericHost) ? AI_NUMERICHOST : 0;
        posixHints.ai_protocol = hints->ai_protocol;
    }
    ::addrinfo* found = nullptr;
    const int status = ::getaddrinfo(node, service, &posixHints, &found);
    if (status != 0)
    {
        t_nLastError = status == EAI_AGAIN  ? WSATRY_AGAIN
                       : status == EAI_FAIL ? WSANO_RECOVERY
                                            : WSAHOST_NOT_FOUND;
        return t_nLastError;
    }
    addrinfo** tail = result;
    for (const ::addrinfo* entry = found; entry; entry = entry->ai_next)
    {
        if (entry->ai_family != PF_INET || entry->ai_addrlen < sizeof(::sockaddr_in))
            continue;
        // One block: the entry, then its address.
        void* block = std::calloc(1, sizeof(addrinfo) + sizeof(sockaddr_in));
        if (!block)
            break;
        addrinfo* copy = static_cast<addrinfo*>(block);
        sockaddr_in* address = reinterpret_cast<sockaddr_in*>(copy + 1);
        const ::sockaddr_in* in = reinterpret_cast<const ::sockaddr_in*>(entry->ai_addr);
        address->sin_family = kWinAfInet;
        address->sin_port = in->sin_port;
        address->sin_addr.s_addr = in->sin_addr.s_addr;
        copy->ai_family = kWinAfInet;
        copy->ai_socktype = kWinSockStream;
        copy->ai_protocol = kWinIpprotoTcp;
        copy->ai_addrlen = sizeof(sockaddr_in);
        copy->ai_addr = reinterpret_cast<sockaddr*>(address);
        *tail = copy;
        tail = &copy->ai_next;
    }
    ::freeaddrinfo(found);
    if (!*result)
    {
        t_nLastError = WSAHOST_NOT_FOUND;
        return t_nLastError;
    }
    return 0;
}

void freeaddrinfo(addrinfo* result)
{
    while (result)
    {
        addrinfo* next = result->ai_next;
        std::free(result);
        result = next;
    }
}
} // namespace winsock
