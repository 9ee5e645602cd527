#include "network/account/accountevents.h"

#include "core/system/log.h"

void TAccountEvents::Push(const TAccountEvent& event)
{
    m_Lock.Enter();
    if (m_nCount == ACCOUNT_EVENT_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_WARNING, "TAccountEvents::Push(): warning: ",
                    "no update has taken the account events: the oldest is dropped");
        m_nFirst = (m_nFirst + 1) % ACCOUNT_EVENT_CAPACITY;
        --m_nCount;
    }
    m_aEvent[(m_nFirst + m_nCount) % ACCOUNT_EVENT_CAPACITY] = event;
    ++m_nCount;
    m_Lock.Leave();
}

bool TAccountEvents::Pop(TAccountEvent& event)
{
    m_Lock.Enter();
    const bool any = m_nCount > 0;
    if (any)
    {
        event = m_aEvent[m_nFirst];
        m_nFirst = (m_nFirst + 1) % ACCOUNT_EVENT_CAPACITY;
        --m_nCount;
    }
    m_Lock.Leave();
    return any;
}
