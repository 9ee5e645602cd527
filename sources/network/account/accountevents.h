#pragma once
// TAccountEvents: what the account protocol thread has to tell, kept in order until the main
// thread delivers it (listener calls and console lines).
#include "core/system/criticalsection.h"
#include "network/account/accountdata.h"

constexpr u32 ACCOUNT_EVENT_CAPACITY = 64;
constexpr u32 ACCOUNT_EVENT_TEXT = 1024;

enum class TAccountEventKind : u32
{
    Succeeded,    // nRequest
    Failed,       // nRequest, nCode
    Connected,    // Account
    Disconnected, // Account
    Message,      // nCode (the type), aText, nLength
};

struct TAccountEvent
{
    TAccountEventKind kind = TAccountEventKind::Succeeded;
    u32 nRequest = 0;
    u32 nCode = 0;
    TAccountData Account;
    u32 nLength = 0;
    char aText[ACCOUNT_EVENT_TEXT] = {};
};

class TAccountEvents
{
public:
    // Any thread. A full queue drops its oldest event, with a log line.
    void Push(const TAccountEvent& event);
    // The oldest event; false when none.
    bool Pop(TAccountEvent& event);

private:
    TCriticalSection m_Lock;
    TAccountEvent m_aEvent[ACCOUNT_EVENT_CAPACITY];
    u32 m_nFirst = 0;
    u32 m_nCount = 0;
};
