#pragma once
// TAccountManager ("Account"): owns the account client's protocol thread, from the initialize
// phase to the finalize phase; loads the stored login; delivers the thread's news to the
// listeners on the main thread each update; and sends crash and abort reports as logout
// messages while a session exists.
#include "engine/system/manager.h"
#include "network/account/accountprotocol.h"

struct TExceptionHandlerInfo;

constexpr u32 ACCOUNT_MANAGER_LISTENER_CAPACITY = 16;
// Logout message kinds.
constexpr u32 ACCOUNT_LOGOUT_PLAIN = 0;
constexpr u32 ACCOUNT_LOGOUT_EXIT = 1;
constexpr u32 ACCOUNT_LOGOUT_ABORT = 2;
constexpr u32 ACCOUNT_LOGOUT_CRASH = 3;
// A crash report waits for the protocol at most this many connection time-outs.
constexpr u32 ACCOUNT_REPORT_TIMEOUTS = 3;

class TAccountManager : public TManager
{
public:
    TAccountManager();
    // Hooks still set (no finalize ran) are let go: nothing reports through a destroyed manager.
    ~TAccountManager() override;

    i32 InitializeManager() override;
    // A last logout (exit), waited for while it goes out, then the thread stops.
    void FinalizeManager() override;
    void UpdateManager(f32 step) override;

    TAccountProtocol& GetProtocol() { return m_Protocol; }
    // Main thread only.
    bool AddListener(TAccountManagerListener* listener);
    void RemoveListener(TAccountManagerListener* listener);
    void DeliverEvents();

    // The report hooks (the abort handler's and the crash reporter's); they report only
    // between InitializeManager and FinalizeManager.
    static void OnCrashReport(const char* function, const char* file, i32 line, const char* message,
                              const char* stack);
    static void OnException(TExceptionHandlerInfo* info);

private:
    void _StopReporting();
    // Queues a logout with the payload and waits (bounded) until it has gone out; nothing when
    // no session exists, the queue's lock is held elsewhere, or this is the protocol thread.
    void Report(u32 kind, const void* payload, u32 length);

    TAccountProtocol m_Protocol;
    u32 m_nListenerCount;
    TAccountManagerListener* m_apListener[ACCOUNT_MANAGER_LISTENER_CAPACITY];
};

extern TAccountManager* g_pAccountManager;
