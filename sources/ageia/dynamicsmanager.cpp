#include "ageia/dynamicsmanager.h"

TDynamicsManager* g_pDynamicsManager = nullptr;

TDynamicsManager::TDynamicsManager() : m_nListenerCount(0), m_apListener{}
{
}

TDynamicsManager::~TDynamicsManager()
{
    m_aPropProxy.Free();
}
