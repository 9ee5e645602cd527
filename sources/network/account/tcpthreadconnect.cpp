#include "network/account/tcpthreadconnect.h"

#include "core/system/string.h"
#include "network/account/accountservers.h"
#include "network/socket/socket.h"

TTCPThreadConnect::TTCPThreadConnect()
    : m_nResult(-1), m_Socket(winsock::INVALID_SOCKET), m_nEntry(0), m_aHost(), m_aAddress(), m_nPort(0),
      m_nMilliseconds(0), m_Done(false, true)
{
    SetName("TCPThreadConnect");
}

TTCPThreadConnect::~TTCPThreadConnect()
{
    Stop();
    TSocket::Close(&m_Socket);
}

bool TTCPThreadConnect::Begin(u32 entry, u32 milliseconds)
{
    // A previous connect has set its event already; its thread may be a moment from its end.
    while (IsRunning())
        SleepSeconds(0.0001f);
    TSocket::Close(&m_Socket);
    m_nEntry = entry;
    m_nMilliseconds = milliseconds;
    m_aAddress[0] = 0;
    m_nResult = -1;
    m_Done.Create(false, true);
    if (!g_AccountServers.Get(entry, m_aHost, m_nPort))
        return false;
    if (!Start())
    {
        m_nResult = 2;
        m_Done.Set();
    }
    return true;
}

void TTCPThreadConnect::Run()
{
    u32 address = 0;
    u16 port = 0;
    if (TSocket::Resolve(m_aHost, m_nPort, &address, &port) != 0)
        m_nResult = 1;
    else
    {
        FormatStringN(m_aAddress, sizeof m_aAddress, "%u.%u.%u.%u", address & 0xFF, (address >> 8) & 0xFF,
                      (address >> 16) & 0xFF, address >> 24);
        m_nResult = static_cast<i32>(TSocket::Connect(&m_Socket, m_aAddress, m_nMilliseconds, m_nPort));
    }
    m_Done.Set();
}

winsock::SOCKET TTCPThreadConnect::TakeSocket()
{
    const winsock::SOCKET socket = m_Socket;
    m_Socket = winsock::INVALID_SOCKET;
    return socket;
}
