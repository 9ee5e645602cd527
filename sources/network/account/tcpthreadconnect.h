#pragma once
// TTCPThreadConnect: one connect of the race to the account servers, on a thread of its own.
// The host is resolved once; the connection goes to the address found, which the session
// keeps, so that later requests (and a crash report) connect without a lookup.
#include "core/system/event.h"
#include "core/system/thread.h"
#include "network/account/accountcipher.h"
#include "platform/winsock/winsock.h"

class TTCPThreadConnect : public TThread
{
public:
    TTCPThreadConnect();
    ~TTCPThreadConnect() override;

    // Connects to the server entry's address within the time-out (ms); a new done event each
    // time. False when the entry is empty.
    bool Begin(u32 entry, u32 milliseconds);
    void Run() override;

    TEventHandle GetDoneEvent() const { return m_Done.GetHandle(); }
    // 0 connected; TSocket's connect codes otherwise.
    i32 GetResult() const { return m_nResult; }
    // The connected socket, handed over: the thread no longer owns it.
    winsock::SOCKET TakeSocket();
    // The address connected to, as dotted decimal text.
    const char* GetAddress() const { return m_aAddress; }
    u32 GetPort() const { return m_nPort; }

private:
    i32 m_nResult;
    winsock::SOCKET m_Socket;
    u32 m_nEntry;
    char m_aHost[ACCOUNT_HOST_SIZE];
    char m_aAddress[16];
    u32 m_nPort;
    u32 m_nMilliseconds;
    TEvent m_Done;
};
