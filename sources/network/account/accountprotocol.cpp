#include "network/account/accountprotocol.h"

#include "core/system/log.h"
#include "core/system/timer.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/deferredvariable.h"
#include "network/account/accountlistener.h"
#include "network/account/accountservers.h"
#include "network/account/accounttext.h"
#include "network/account/storedlogin.h"
#include "network/account/tcpthreadconnect.h"
#include "network/socket/socket.h"

#include <algorithm>
#include <cstring>

namespace
{
TDeferredVariable s_ConnectionTimeout("account_connection_timeout");
thread_local bool t_bProtocolThread = false;

f64 TimerClock()
{
    return g_pTimer ? g_pTimer->GetTime() : 0.0;
}

// The race's connect threads, made on first use.
TTCPThreadConnect* ConnectThreads()
{
    static TTCPThreadConnect s_aThread[ACCOUNT_SERVER_COUNT];
    return s_aThread;
}

// A user name as sent: UTF-8, trimmed, lower-cased; false when it does not fit 31 bytes.
bool MakeUsername(char (&out)[32], const char16_t* user)
{
    char utf8[ACCOUNT_PASSWORD_ROOM * 3 + 1];
    if (!AccountUtf8(utf8, sizeof utf8, user))
        return false;
    NormalizeUsername(utf8);
    if (std::strlen(utf8) > ACCOUNT_TEXT_LENGTH)
        return false;
    std::memcpy(out, utf8, std::strlen(utf8) + 1);
    return true;
}

// The digest of a password; false when its UTF-8 does not fit the 31 bytes an account's
// password holds (no account can have it).
bool MakePasswordDigest(u8 (&digest)[ACCOUNT_DIGEST_SIZE], const char16_t* password)
{
    char utf8[ACCOUNT_PASSWORD_ROOM * 3 + 1];
    const bool fits = AccountUtf8(utf8, sizeof utf8, password) && std::strlen(utf8) <= ACCOUNT_TEXT_LENGTH;
    WipeSecret(utf8, sizeof utf8);
    return fits && HashPassword(digest, password);
}

// The digest of a password, or the stored one; false when the password does not fit.
bool MakeDigest(u8 (&digest)[ACCOUNT_DIGEST_SIZE], const char16_t* password, bool storedPassword,
                bool& stored)
{
    stored = false;
    if (storedPassword)
    {
        stored = GetStoredDigest(digest);
        return true;
    }
    return MakePasswordDigest(digest, password);
}
// Every secret a request may hold, in the whole of its storage: a copy keeps only the count's
// bytes, so a slot's shorter successor would leave the tail behind.
void WipeRequest(TAccountRequest& request)
{
    WipeSecret(request.Data.Password.GetData(), request.Data.Password.GetCapacity());
    WipeSecret(request.Data.aPasswordDigest, ACCOUNT_DIGEST_SIZE);
    WipeSecret(request.aNewPasswordDigest, ACCOUNT_DIGEST_SIZE);
    WipeSecret(request.aLoginDigest, ACCOUNT_DIGEST_SIZE);
}
} // namespace

TAccountProtocol::TAccountProtocol()
    : m_Wake(false, false), m_pClock(TimerClock), m_nLoggedIn(0), m_nServerIndex(-1), m_nOfflineSession(0),
      m_fLastActivity(0.0), m_nSessionNumber(0), m_nSessionKey(0), m_aSessionAddress(), m_nSessionPort(0),
      m_nPollFailures(0), m_nOfflineFlags(0), m_nRequestCount(0), m_nListenerCount(0), m_apListener()
{
    SetName("AccountProtocol");
}

TAccountProtocol::~TAccountProtocol()
{
    StopThread();
    WipeSecret(m_Account.aPasswordDigest, ACCOUNT_DIGEST_SIZE);
}

void TAccountProtocol::StopThread()
{
    RequestStop();
    m_Wake.Set();
    Stop();
}

u32 TAccountProtocol::GetTimeout()
{
    const i32 value = s_ConnectionTimeout.GetValue().ToInt();
    return value > 0 ? static_cast<u32>(value) : 5000;
}

void TAccountProtocol::SetClock(TAccountClock clock)
{
    m_pClock = clock ? clock : TimerClock;
}

f64 TAccountProtocol::Now() const
{
    return m_pClock();
}

void TAccountProtocol::SetOfflineFlags(u32 flags)
{
    m_Lock.Enter();
    m_nOfflineFlags = flags;
    m_Lock.Leave();
}

// ---------------------------------------------------------------------------------------------
// The queue

TAccountRequest* TAccountProtocol::_Append(u32 kind)
{
    if (m_nRequestCount >= ACCOUNT_QUEUE_SIZE)
        return nullptr;
    TAccountRequest& slot = m_aRequest[m_nRequestCount++];
    slot = TAccountRequest();
    slot.nKind = kind;
    return &slot;
}

u32 TAccountProtocol::Queue(const TAccountRequest& request)
{
    m_Lock.Enter();
    TAccountRequest* slot = _Append(request.nKind);
    if (slot)
        *slot = request;
    m_Lock.Leave();
    if (!slot)
        return ACCOUNT_QUEUE_FULL;
    m_Wake.Set();
    return ACCOUNT_QUEUED;
}

u32 TAccountProtocol::RequestCreate(const TAccountData& account)
{
    TAccountRequest request;
    request.nKind = ACCOUNT_CREATE;
    request.Data = account;
    char user[32];
    std::memcpy(user, account.Username.GetText(), account.Username.GetLength() + 1);
    NormalizeUsername(user);
    request.Data.Username = user;
    const u32 result = Queue(request);
    WipeRequest(request);
    return result;
}

u32 TAccountProtocol::RequestCheckUsername(const char* user)
{
    char normalized[ACCOUNT_PASSWORD_ROOM * 3 + 1];
    if (std::strlen(user) >= sizeof normalized)
        return ACCOUNT_TOO_LONG;
    std::memcpy(normalized, user, std::strlen(user) + 1);
    NormalizeUsername(normalized);
    if (std::strlen(normalized) > ACCOUNT_TEXT_LENGTH)
        return ACCOUNT_TOO_LONG;
    TAccountRequest request;
    request.nKind = ACCOUNT_CHECK_USERNAME;
    request.Data.Username = normalized;
    return Queue(request);
}

u32 TAccountProtocol::RequestLogin(const char16_t* user, const char16_t* password, const char16_t* extra,
                                   bool storedPassword)
{
    if (!storedPassword && (!password || !password[0]))
        return ACCOUNT_NO_PASSWORD;
    char name[32];
    char extraText[ACCOUNT_PASSWORD_ROOM * 3 + 1];
    TAccountRequest request;
    bool stored = false;
    if (!MakeUsername(name, user) || !AccountUtf8(extraText, sizeof extraText, extra ? extra : u"") ||
        !MakeDigest(request.aLoginDigest, password, storedPassword, stored))
        return ACCOUNT_TOO_LONG;
    request.nKind = ACCOUNT_LOGIN;
    request.nLoginName = TName(name, true).GetId();
    request.nUseStoredDigest = storedPassword ? 1 : 0;
    // Without a stored digest the login is refused by the thread, in its turn (7).
    if (storedPassword && !stored)
        request.nUseStoredDigest = 2;
    std::memcpy(request.aLoginExtra, extraText, std::min(std::strlen(extraText), sizeof request.aLoginExtra));
    const u32 result = Queue(request);
    WipeSecret(request.aLoginDigest, ACCOUNT_DIGEST_SIZE);
    return result;
}

u32 TAccountProtocol::RequestLogout(u32 messageKind, const void* payload, u32 length)
{
    if (!IsLoggedIn())
        return ACCOUNT_NOT_LOGGED_IN;
    TAccountRequest request;
    request.nKind = ACCOUNT_LOGOUT;
    request.nMessageKind = messageKind;
    if (payload && length > 0)
    {
        const u32 kept = length < ACCOUNT_PAYLOAD_SIZE ? length : ACCOUNT_PAYLOAD_SIZE;
        request.MessagePayload.SetCount(kept);
        std::memcpy(request.MessagePayload.GetData(), payload, kept);
    }
    return Queue(request);
}

bool TAccountProtocol::TryRequestLogout(u32 messageKind, const void* payload, u32 length, u32& result)
{
    if (!m_Lock.TryEnter())
        return false;
    // The lock is held here: the queue cannot change under the crash hook.
    if (!m_nLoggedIn)
        result = ACCOUNT_NOT_LOGGED_IN;
    else if (TAccountRequest* slot = _Append(ACCOUNT_LOGOUT))
    {
        slot->nMessageKind = messageKind;
        const u32 kept = payload ? (length < ACCOUNT_PAYLOAD_SIZE ? length : ACCOUNT_PAYLOAD_SIZE) : 0;
        slot->MessagePayload.SetCount(kept);
        if (kept)
            std::memcpy(slot->MessagePayload.GetData(), payload, kept);
        result = ACCOUNT_QUEUED;
    }
    else
        result = ACCOUNT_QUEUE_FULL;
    m_Lock.Leave();
    if (result == ACCOUNT_QUEUED)
        m_Wake.Set();
    return true;
}

u32 TAccountProtocol::RequestUpdate(const TAccountData& account)
{
    TAccountRequest request;
    request.nKind = ACCOUNT_UPDATE;
    request.Data = account;
    return Queue(request);
}

u32 TAccountProtocol::RequestChangePassword(const char16_t* oldPassword, const char16_t* newPassword)
{
    TAccountRequest request;
    request.nKind = ACCOUNT_CHANGE_PASSWORD;
    if (!MakePasswordDigest(request.Data.aPasswordDigest, oldPassword) ||
        !MakePasswordDigest(request.aNewPasswordDigest, newPassword))
        return ACCOUNT_TOO_LONG;
    const u32 result = Queue(request);
    WipeSecret(request.Data.aPasswordDigest, ACCOUNT_DIGEST_SIZE);
    WipeSecret(request.aNewPasswordDigest, ACCOUNT_DIGEST_SIZE);
    return result;
}

u32 TAccountProtocol::RequestForgottenPassword(const char16_t* user)
{
    char name[32];
    if (!MakeUsername(name, user))
        return ACCOUNT_TOO_LONG;
    TAccountRequest request;
    request.nKind = ACCOUNT_SPECIAL;
    request.nSpecialKind = 2;
    request.Data.Username = name;
    return Queue(request);
}

u32 TAccountProtocol::RequestSpecial(u32 specialKind)
{
    TAccountRequest request;
    request.nKind = ACCOUNT_SPECIAL;
    request.nSpecialKind = specialKind;
    request.Data.Username = "";
    return Queue(request);
}

u32 TAccountProtocol::_RequestPoll()
{
    if (m_nRequestCount >= ACCOUNT_QUEUE_SIZE)
        return ACCOUNT_QUEUE_FULL;
    for (u32 i = 0; i < m_nRequestCount; ++i)
        if (m_aRequest[i].nKind == ACCOUNT_POLL)
            return ACCOUNT_NOT_LOGGED_IN;
    _Append(ACCOUNT_POLL);
    return ACCOUNT_QUEUED;
}

u32 TAccountProtocol::RequestPoll()
{
    m_Lock.Enter();
    const u32 result = _RequestPoll();
    m_Lock.Leave();
    if (result == ACCOUNT_QUEUED)
        m_Wake.Set();
    return result;
}

bool TAccountProtocol::WaitUntilIdle(u32 milliseconds)
{
    const f64 deadline = TimerClock() + milliseconds / 1000.0;
    while (GetRequestCount() != 0)
    {
        if (milliseconds && TimerClock() >= deadline)
            return false;
        SleepSeconds(0.1f);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Credentials

u32 TAccountProtocol::SetCredentials(const char16_t* user, const u8* digest)
{
    char name[32];
    u8 stored[ACCOUNT_DIGEST_SIZE];
    if (!MakeUsername(name, user))
        return ACCOUNT_TOO_LONG;
    const bool useStored = !digest && GetStoredDigest(stored);
    m_Lock.Enter();
    m_Account.Username = name;
    // The stored digest left unchanged when none is stored.
    if (digest || useStored)
        SetPasswordDigest(m_Account, digest ? digest : stored);
    m_Lock.Leave();
    WipeSecret(stored, sizeof stored);
    return useStored ? 1 : 0;
}

u32 TAccountProtocol::LoginOffline(const char16_t* user, const u8* digest, u32 flags)
{
    char name[32];
    u8 stored[ACCOUNT_DIGEST_SIZE] = {};
    if (!MakeUsername(name, user))
        return ACCOUNT_TOO_LONG;
    const bool known = digest || GetStoredDigest(stored);
    m_Lock.Enter();
    m_Account.Username = name;
    u32 result = 0;
    if (!(m_nOfflineFlags & 1))
        result = 2;
    else if (!known || std::memcmp(digest ? digest : stored, m_Account.aPasswordDigest, ACCOUNT_DIGEST_SIZE) != 0)
        result = 3;
    const TAccountData account = m_Account;
    m_Lock.Leave();
    WipeSecret(stored, sizeof stored);
    if (result != 0)
        return result;
    SaveStoredLogin(account, flags);
    StartSession(account);
    m_Lock.Enter();
    m_nOfflineSession = 1;
    m_Lock.Leave();
    Succeed(ACCOUNT_LOGIN);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// State

bool TAccountProtocol::IsLoggedIn() const
{
    m_Lock.Enter();
    const bool loggedIn = m_nLoggedIn != 0;
    m_Lock.Leave();
    return loggedIn;
}

i32 TAccountProtocol::GetServerIndex() const
{
    m_Lock.Enter();
    const i32 index = m_nServerIndex;
    m_Lock.Leave();
    return index;
}

u32 TAccountProtocol::GetPollFailures() const
{
    m_Lock.Enter();
    const u32 failures = m_nPollFailures;
    m_Lock.Leave();
    return failures;
}

u32 TAccountProtocol::GetRequestCount() const
{
    m_Lock.Enter();
    const u32 count = m_nRequestCount;
    m_Lock.Leave();
    return count;
}

TAccountData TAccountProtocol::GetAccount() const
{
    m_Lock.Enter();
    const TAccountData account = m_Account;
    m_Lock.Leave();
    return account;
}

void TAccountProtocol::SetAccount(const TAccountData& account)
{
    m_Lock.Enter();
    m_Account = account;
    m_Lock.Leave();
}

u32 TAccountProtocol::GetSessionKey() const
{
    m_Lock.Enter();
    const u32 key = m_nSessionKey;
    m_Lock.Leave();
    return key;
}

u32 TAccountProtocol::GetSessionNumber() const
{
    m_Lock.Enter();
    const u32 number = m_nSessionNumber;
    m_Lock.Leave();
    return number;
}

// ---------------------------------------------------------------------------------------------
// The thread

bool TAccountProtocol::IsProtocolThread()
{
    return t_bProtocolThread;
}

void TAccountProtocol::Run()
{
    t_bProtocolThread = true;
    TSocket::InitSockets();
    while (!IsStopRequested())
    {
        const f64 now = Now();
        m_Lock.Enter();
        if (m_nRequestCount == 0)
        {
            if (m_nLoggedIn && now - m_fLastActivity > ACCOUNT_POLL_INTERVAL)
                _RequestPoll();
            const bool idle = m_nRequestCount == 0;
            m_Lock.Leave();
            if (idle)
            {
                const TEventHandle wake = m_Wake.GetHandle();
                WaitForEvents(1, &wake, ACCOUNT_PASS_PAUSE);
            }
            continue;
        }
        // Callers may queue while the request runs.
        TAccountRequest request = m_aRequest[0];
        m_Lock.Leave();

        Process(request);
        WipeRequest(request);

        m_Lock.Enter();
        for (u32 i = 1; i < m_nRequestCount; ++i)
        {
            WipeRequest(m_aRequest[i - 1]);
            m_aRequest[i - 1] = m_aRequest[i];
        }
        --m_nRequestCount;
        WipeRequest(m_aRequest[m_nRequestCount]);
        m_aRequest[m_nRequestCount] = TAccountRequest();
        m_Lock.Leave();
    }
    TSocket::CleanupSockets();
}

void TAccountProtocol::Process(TAccountRequest& request)
{
    if (request.nKind == ACCOUNT_LOGIN && request.nUseStoredDigest == 2)
    {
        Fail(ACCOUNT_LOGIN, ACCOUNT_NO_STORED_DIGEST);
        return;
    }
    winsock::SOCKET socket = winsock::INVALID_SOCKET;
    if (!Connect(socket))
    {
        // A server that refuses at once would otherwise be polled again at once.
        const f64 now = Now();
        m_Lock.Enter();
        const bool loggedIn = m_nLoggedIn != 0;
        if (request.nKind == ACCOUNT_POLL)
            ++m_nPollFailures;
        m_fLastActivity = now;
        m_Lock.Leave();
        if (request.nKind != ACCOUNT_POLL && loggedIn)
            LoseSession();
        Fail(request.nKind, ACCOUNT_LOCAL_FAILURE);
        return;
    }
    Handle(request, socket);
    TSocket::Close(&socket);
    const f64 now = Now();
    m_Lock.Enter();
    m_fLastActivity = now;
    m_Lock.Leave();
}

bool TAccountProtocol::Connect(winsock::SOCKET& socket)
{
    m_Lock.Enter();
    const bool session = m_nLoggedIn && m_nServerIndex >= 0 && m_aSessionAddress[0];
    char address[16];
    std::memcpy(address, m_aSessionAddress, sizeof address);
    const u32 port = m_nSessionPort;
    m_Lock.Leave();
    if (session)
        return TSocket::Connect(&socket, address, GetTimeout(), port) == 0;

    // The race: every server at once; the first in list order that answered wins.
    TTCPThreadConnect* threads = ConnectThreads();
    const u32 count = g_AccountServers.GetCount();
    TEventHandle events[ACCOUNT_SERVER_COUNT];
    u32 started[ACCOUNT_SERVER_COUNT];
    u32 running = 0;
    for (u32 i = 0; i < count; ++i)
        if (threads[i].Begin(i, GetTimeout()))
        {
            events[running] = threads[i].GetDoneEvent();
            started[running++] = i;
        }
    if (running)
        WaitForEvents(running, events, 0.0f);
    i32 chosen = -1;
    for (u32 i = 0; i < running; ++i)
    {
        TTCPThreadConnect& thread = threads[started[i]];
        if (thread.GetResult() != 0)
            continue;
        winsock::SOCKET connected = thread.TakeSocket();
        if (chosen >= 0)
        {
            TSocket::Close(&connected);
            continue;
        }
        chosen = static_cast<i32>(started[i]);
        socket = connected;
        m_Lock.Enter();
        m_nServerIndex = chosen;
        std::memcpy(m_aSessionAddress, thread.GetAddress(), sizeof m_aSessionAddress);
        m_nSessionPort = thread.GetPort();
        m_Lock.Leave();
    }
    return chosen >= 0;
}

// ---------------------------------------------------------------------------------------------
// Outcomes and their delivery

void TAccountProtocol::Post(const TAccountEvent& event)
{
    m_Events.Push(event);
}

void TAccountProtocol::Succeed(u32 kind)
{
    TAccountEvent event;
    event.kind = TAccountEventKind::Succeeded;
    event.nRequest = kind;
    Post(event);
}

void TAccountProtocol::Fail(u32 kind, u32 code)
{
    TAccountEvent event;
    event.kind = TAccountEventKind::Failed;
    event.nRequest = kind;
    event.nCode = code;
    Post(event);
}

void TAccountProtocol::StartSession(const TAccountData& account)
{
    m_Lock.Enter();
    m_nLoggedIn = 1;
    m_nPollFailures = 0;
    m_Lock.Leave();
    TAccountEvent event;
    event.kind = TAccountEventKind::Connected;
    event.Account = account;
    WipeSecret(event.Account.aPasswordDigest, ACCOUNT_DIGEST_SIZE);
    Post(event);
}

void TAccountProtocol::LoseSession()
{
    m_Lock.Enter();
    m_nLoggedIn = 0;
    m_nOfflineSession = 0;
    m_nServerIndex = -1;
    m_aSessionAddress[0] = 0;
    TAccountEvent event;
    event.kind = TAccountEventKind::Disconnected;
    event.Account = m_Account;
    m_Lock.Leave();
    WipeSecret(event.Account.aPasswordDigest, ACCOUNT_DIGEST_SIZE);
    Post(event);
}

bool TAccountProtocol::AddListener(TAccountListener* listener)
{
    for (u32 i = 0; i < m_nListenerCount; ++i)
        if (m_apListener[i] == listener)
            return true;
    if (m_nListenerCount == ACCOUNT_LISTENER_CAPACITY)
        return false;
    m_apListener[m_nListenerCount++] = listener;
    return true;
}

void TAccountProtocol::RemoveListener(TAccountListener* listener)
{
    for (u32 i = 0; i < m_nListenerCount; ++i)
        if (m_apListener[i] == listener)
        {
            for (u32 j = i + 1; j < m_nListenerCount; ++j)
                m_apListener[j - 1] = m_apListener[j];
            --m_nListenerCount;
            return;
        }
}

void TAccountProtocol::DeliverEvents(TAccountManagerListener* const* managerListeners, u32 count)
{
    TCommandManager& commands = TCommandManager::Instance();
    // The lines come from the client, not from the script that runs the main loop.
    const TName source = commands.GetSource();
    commands.SetSource(TName());
    TAccountEvent event;
    while (m_Events.Pop(event))
    {
        switch (event.kind)
        {
        case TAccountEventKind::Succeeded:
            for (u32 i = 0; i < m_nListenerCount; ++i)
                m_apListener[i]->OnRequestSucceeded(event.nRequest);
            commands.Print("account sucess (%d)", event.nRequest);
            break;
        case TAccountEventKind::Failed:
            for (u32 i = 0; i < m_nListenerCount; ++i)
                m_apListener[i]->OnRequestFailed(event.nRequest, event.nCode);
            commands.PrintError("account error (%d,%d)", event.nRequest, event.nCode);
            break;
        case TAccountEventKind::Connected:
            for (u32 i = 0; i < m_nListenerCount; ++i)
                m_apListener[i]->OnConnected();
            for (u32 i = 0; i < count; ++i)
                managerListeners[i]->OnAccountConnected(event.Account);
            commands.Print("account connected");
            break;
        case TAccountEventKind::Disconnected:
            for (u32 i = 0; i < m_nListenerCount; ++i)
                m_apListener[i]->OnDisconnected();
            for (u32 i = 0; i < count; ++i)
                managerListeners[i]->OnAccountDisconnected(event.Account);
            commands.Print("account disconnected");
            break;
        case TAccountEventKind::Message:
            for (u32 i = 0; i < count; ++i)
                managerListeners[i]->OnAccountMessage(event.nCode, event.aText, event.nLength);
            break;
        }
    }
    commands.SetSource(source);
}
