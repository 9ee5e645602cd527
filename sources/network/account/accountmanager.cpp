#include "network/account/accountmanager.h"

#include "core/system/abort.h"
#include "core/system/string.h"
#include "engine/system/managermanager.h"
#include "network/account/accountlistener.h"
#include "network/account/storedlogin.h"
#include "platform/crashreport/crashreport.h"

#include <cstring>

TAccountManager* g_pAccountManager = nullptr;

namespace
{
TAccountManager s_AccountManager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Account", "Account", &g_pAccountManager, &s_AccountManager);

constexpr u32 REPORT_SIZE = 4096;

// The manager the report hooks reach: set from InitializeManager until FinalizeManager (or its
// destruction). The crash reporter keeps its hooks to the end of the process, static
// destructors and all.
TAccountManager* s_pReporting = nullptr;

// The file's name without its folders: reports carry no paths of the machine.
const char* FileName(const char* path)
{
    const char* name = path ? path : "";
    for (const char* c = name; *c; ++c)
        if (*c == '/' || *c == '\\')
            name = c + 1;
    return name;
}
} // namespace

TAccountManager::TAccountManager() : m_nListenerCount(0), m_apListener()
{
    // Every frame, paused or not: the account screens wait for their answers over the menus,
    // which stop the game's clock.
    m_nChannel = 0;
    m_nUpdateFlags &= ~MANAGER_UPDATE_SKIP_ZERO;
}

TAccountManager::~TAccountManager()
{
    _StopReporting();
}

void TAccountManager::_StopReporting()
{
    if (AbortCallback == OnCrashReport)
        AbortCallback = nullptr;
    if (s_pReporting == this)
        s_pReporting = nullptr;
}

i32 TAccountManager::InitializeManager()
{
    TAccountData account = m_Protocol.GetAccount();
    LoadStoredLogin(account);
    m_Protocol.SetAccount(account);
    m_Protocol.Start();
    s_pReporting = this;
    AbortCallback = OnCrashReport;
    AddExceptionHandlerCallback(OnException);
    return 0;
}

void TAccountManager::FinalizeManager()
{
    if (m_Protocol.RequestLogout(ACCOUNT_LOGOUT_EXIT, nullptr, 0) == ACCOUNT_QUEUED)
        m_Protocol.WaitUntilIdle(ACCOUNT_REPORT_TIMEOUTS * TAccountProtocol::GetTimeout());
    _StopReporting();
    m_Protocol.StopThread();
    DeliverEvents();
}

void TAccountManager::UpdateManager(f32)
{
    DeliverEvents();
}

void TAccountManager::DeliverEvents()
{
    m_Protocol.DeliverEvents(m_apListener, m_nListenerCount);
}

bool TAccountManager::AddListener(TAccountManagerListener* listener)
{
    for (u32 i = 0; i < m_nListenerCount; ++i)
        if (m_apListener[i] == listener)
            return true;
    if (m_nListenerCount == ACCOUNT_MANAGER_LISTENER_CAPACITY)
        return false;
    m_apListener[m_nListenerCount++] = listener;
    return true;
}

void TAccountManager::RemoveListener(TAccountManagerListener* listener)
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

void TAccountManager::Report(u32 kind, const void* payload, u32 length)
{
    // The protocol thread waiting for itself would never go on.
    if (TAccountProtocol::IsProtocolThread())
        return;
    u32 result = ACCOUNT_NOT_LOGGED_IN;
    if (!m_Protocol.TryRequestLogout(kind, payload, length, result) || result != ACCOUNT_QUEUED)
        return;
    m_Protocol.WaitUntilIdle(ACCOUNT_REPORT_TIMEOUTS * TAccountProtocol::GetTimeout());
}

void TAccountManager::OnCrashReport(const char* function, const char* file, i32 line, const char* message,
                                    const char* stack)
{
    char report[REPORT_SIZE];
    const i32 length = FormatStringN(report, sizeof report, "%s|%s@%d|%s|%s", function ? function : "",
                                     FileName(file), line, message ? message : "", stack ? stack : "");
    // Cut where the logout message ends.
    const u32 kept =
        static_cast<u32>(length) < ACCOUNT_PAYLOAD_SIZE ? static_cast<u32>(length) : ACCOUNT_PAYLOAD_SIZE;
    if (s_pReporting)
        s_pReporting->Report(ACCOUNT_LOGOUT_ABORT, report, kept);
}

void TAccountManager::OnException(TExceptionHandlerInfo* info)
{
    if (s_pReporting)
        s_pReporting->Report(ACCOUNT_LOGOUT_CRASH, info, sizeof *info);
}
