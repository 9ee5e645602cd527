#include "ageia/dynamicsmanager.h"

TDynamicsManager* g_pDynamicsManager = nullptr;

TDynamicsManager::TDynamicsManager() : m_nListenerCount(0), m_apListener{}
{
}

TDynamicsManager::~TDynamicsManager()
{
    m_aPropProxy.Free();
}

u32 TDynamicsManager::AddListener(TDynamicsListener* listener)
{
    if (m_nListenerCount == DYNAMICS_LISTENER_CAPACITY)
        return 1;
    m_apListener[m_nListenerCount++] = listener;
    return 0;
}

void TDynamicsManager::RemoveListener(TDynamicsListener* listener)
{
    for (i32 i = 0; i < m_nListenerCount; ++i)
        if (m_apListener[i] == listener)
        {
            for (i32 j = i + 1; j < m_nListenerCount; ++j)
                m_apListener[j - 1] = m_apListener[j];
            --m_nListenerCount;
            return;
        }
}
