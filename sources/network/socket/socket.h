#pragma once
// TSocket: TCP operations with time-outs for the account and telemetry clients. Every socket
// is non-blocking; each operation waits with select until it can go on or its time is up.
// A socket lives in a variable that holds INVALID_SOCKET when none is open. Results are 0 for
// success and small codes otherwise; nothing is logged but a failed start of the socket layer.
// Any thread may call them.
#include "core/system/types.h"
#include "platform/winsock/winsock.h"

class TSocket
{
public:
    // WinSock 2.2; the start-up's result (0 success).
    static i32 InitSockets();
    static void CleanupSockets();

    // 1 the variable holds a socket already, or the host cannot be resolved (a host of the
    // reserved ".invalid" domain never is, and is not looked up); 2 no socket; 4 non-blocking
    // mode refused; 5 the connection failed; 6 not connected in time. The socket is closed on
    // 5 and 6.
    static u32 Connect(winsock::SOCKET* socket, const char* host, u32 milliseconds, u32 port);
    // 4 no socket; 0 at once for length 0; 3 out of time; 2 the send failed.
    static u32 Send(winsock::SOCKET* socket, const void* data, u32 length, u32 milliseconds);
    // 4 no socket; 0 at once for length 0; 1 the waiting count cannot be read; 2 the receive
    // failed or the peer closed the connection; 3 out of time.
    static u32 Receive(winsock::SOCKET* socket, u32 milliseconds, void* buffer, u32 length);
    // Ends the sending side, reads and drops what comes until the peer closes, an error or
    // 1,000 ms, then closes the socket.
    static void ShutdownAndDrain(winsock::SOCKET* socket);
    // 1 when no socket, else 0 with the socket closed.
    static u32 Close(winsock::SOCKET* socket);
    // The first IPv4 address and the port (network byte order) of the host; 3 when it cannot
    // be resolved.
    static u32 Resolve(const char* host, u32 port, u32* address, u16* resolvedPort);
    // 4 no socket; 2 out of time or a failed wait; 0 ready.
    static u32 WaitReadable(winsock::SOCKET* socket, u32 milliseconds);
    static u32 WaitWritable(winsock::SOCKET* socket, u32 milliseconds);

    // Whether the host lies in the reserved ".invalid" domain, which never resolves.
    static bool IsReservedInvalid(const char* host);
    // How many names were handed to the system's resolver so far (a reserved name never is).
    static u32 GetLookupCount();
};
