#pragma once
// TAccountProtocol: the account client's thread. Callers (screens, console commands, crash
// hooks) only put requests into a queue of four under one lock and return at once; the thread
// connects to the account server for each request (racing every server until a session has
// one), exchanges one request and one reply, keeps the session and the account record, and
// queues what happened for the main thread, which delivers it to the listeners in order
// (DeliverEvents).
#include "core/system/criticalsection.h"
#include "core/system/event.h"
#include "core/system/name.h"
#include "core/system/thread.h"
#include "network/account/accountdata.h"
#include "network/account/accountevents.h"
#include "platform/winsock/winsock.h"

class TAccountListener;
class TAccountManagerListener;
class TAccountMessage;

constexpr u32 ACCOUNT_QUEUE_SIZE = 4;
constexpr u32 ACCOUNT_LISTENER_CAPACITY = 16;
// A session idle this long (seconds) is polled.
constexpr f64 ACCOUNT_POLL_INTERVAL = 15.0;
// The thread's pause between passes (seconds); a new request ends it early.
constexpr f32 ACCOUNT_PASS_PAUSE = 0.5f;

// Seconds on a steady clock; tests inject their own.
typedef f64 (*TAccountClock)();

class TAccountProtocol : public TThread
{
public:
    TAccountProtocol();
    ~TAccountProtocol() override;

    void Run() override;
    // Stops the thread, waking it first.
    void StopThread();
    // One request's whole course on the calling thread: connect, exchange, outcome (the
    // thread's step for each queued request).
    void Process(TAccountRequest& request);

    // Requests: 0 queued, 1 the queue holds four already, 3 a text that does not fit (user
    // names and passwords 31 bytes of UTF-8, passwords 63 characters to be hashed).
    u32 RequestCreate(const TAccountData& account);
    // The name trimmed and lower-cased, as logins send it.
    u32 RequestCheckUsername(const char* user);
    // The password is hashed now: only its digest is queued. storedPassword: send the stored
    // digest (the login screen's placeholder); a login without one fails with 7. Without it an
    // empty password is refused (4): the digest of nothing is never sent.
    u32 RequestLogin(const char16_t* user, const char16_t* password, const char16_t* extra,
                     bool storedPassword);
    // 2 when no session exists. The payload is cut to 3,968 bytes.
    u32 RequestLogout(u32 messageKind, const void* payload, u32 length);
    // The crash hooks' logout: never waits for the lock (false when it is held elsewhere).
    bool TryRequestLogout(u32 messageKind, const void* payload, u32 length, u32& result);
    u32 RequestUpdate(const TAccountData& account);
    u32 RequestChangePassword(const char16_t* oldPassword, const char16_t* newPassword);
    u32 RequestForgottenPassword(const char16_t* user);
    u32 RequestSpecial(u32 specialKind);
    // 1 four requests pending, 2 a poll pending already, else 0 with a poll queued.
    u32 RequestPoll();
    // Waits while requests are pending, polling every 100 ms; milliseconds 0 waits without
    // limit. False when the time ran out.
    bool WaitUntilIdle(u32 milliseconds);

    // The user name and the password's digest of the account record; digest null: the stored
    // digest (the placeholder password). 0, 1 when the stored digest was used, 3 a name too long.
    // Digests, not passwords: the login screen keeps no password once its request is made.
    u32 SetCredentials(const char16_t* user, const u8* digest);
    // A login against the stored login without the server, with a digest as SetCredentials
    // takes it: 2 offline logins not allowed, 3 the digest differs, 0 logged in.
    u32 LoginOffline(const char16_t* user, const u8* digest, u32 flags);

    // Main thread only.
    bool AddListener(TAccountListener* listener);
    void RemoveListener(TAccountListener* listener);
    // Delivers the queued events: the protocol's listeners, then the manager's given.
    void DeliverEvents(TAccountManagerListener* const* managerListeners, u32 count);

    // State, read under the lock.
    bool IsLoggedIn() const;
    i32 GetServerIndex() const;
    u32 GetPollFailures() const;
    u32 GetRequestCount() const;
    TAccountData GetAccount() const;
    void SetAccount(const TAccountData& account);
    u32 GetSessionKey() const;
    u32 GetSessionNumber() const;
    // The time-out of connects, sends and receives (account_connection_timeout).
    static u32 GetTimeout();

    // Whether the calling thread is a protocol thread.
    static bool IsProtocolThread();

    void SetClock(TAccountClock clock);
    // Bit 0 allows LoginOffline; nothing sets it but tests.
    void SetOfflineFlags(u32 flags);

private:
    // With the lock held: a fresh slot at the end of the queue, or null when it is full.
    TAccountRequest* _Append(u32 kind);
    u32 _RequestPoll();
    u32 Queue(const TAccountRequest& request);
    f64 Now() const;

    bool Connect(winsock::SOCKET& socket);
    void Handle(TAccountRequest& request, winsock::SOCKET& socket);
    // Send the message and receive the reply's status: true with status 0; else reported.
    bool Exchange(u32 kind, TAccountMessage& message, winsock::SOCKET& socket, u32 emptyReplyCode);
    void BeginMessage(TAccountMessage& message, u16 code, bool session) const;
    // The session reply's values into the session and the record; false when it is cut short.
    bool StartSessionFrom(TAccountMessage& reply, TAccountData& account);
    void HandlePoll(TAccountMessage& reply);

    // Outcome steps: each queues its event.
    void Succeed(u32 kind);
    void Fail(u32 kind, u32 code);
    void StartSession(const TAccountData& account);
    void LoseSession();
    void Post(const TAccountEvent& event);

    mutable TCriticalSection m_Lock;
    TEvent m_Wake;
    TAccountEvents m_Events;
    TAccountClock m_pClock;
    u32 m_nLoggedIn;
    i32 m_nServerIndex;
    u32 m_nOfflineSession;
    f64 m_fLastActivity;
    u32 m_nSessionNumber;
    u32 m_nSessionKey;
    // The session's server as an address: later requests connect without a lookup.
    char m_aSessionAddress[16];
    u32 m_nSessionPort;
    TAccountData m_Account;
    u32 m_nPollFailures;
    u32 m_nOfflineFlags;
    u32 m_nRequestCount;
    TAccountRequest m_aRequest[ACCOUNT_QUEUE_SIZE];
    u32 m_nListenerCount;
    TAccountListener* m_apListener[ACCOUNT_LISTENER_CAPACITY];
};
