#include "engine/system/resourcemanager.h"

#include "core/system/abort.h"
#include "core/system/log.h"
#include "engine/render/device.h"
#include "engine/system/resource.h"
#include "engine/system/managermanager.h"

TResourceManager* g_pResourceManager = nullptr;

namespace
{
TResourceManager s_ResourceManager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Resource", "Resource", &g_pResourceManager, &s_ResourceManager);
} // namespace

TResourceManager::TResourceManager()
{
    m_PendingRepository = "";
}

void TResourceManager::AddMethod(TResourceMethods* listener)
{
    if (g_ManagerManager.GetLockState() == MANAGER_LOCK_LOCKED)
        __Abort("TResourceManager::AddMethod", "sources/engine/system/resource", __LINE__,
                "manager system 'initialize' is locked");
    m_aMethod.Add(listener);
}

void TResourceManager::__ResourceAdd(TResource* resource)
{
    if (m_aResource.GetCount() == RESOURCE_LIST_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TResourceManager::__ResourceAdd(): error: ",
                    "'%s': resource list full", resource->GetNameText());
        return;
    }
    resource->m_nListIndex = static_cast<u16>(m_aResource.GetCount());
    m_aResource.Add(resource);
}

void TResourceManager::__ResourceDelete(TResource* resource)
{
    const u32 index = resource->m_nListIndex;
    if (index >= m_aResource.GetCount() || m_aResource[index] != resource)
        return;
    resource->m_nListIndex = RESOURCE_NOT_LISTED;
    const u32 last = m_aResource.GetCount() - 1;
    if (index != last)
    {
        m_aResource[index] = m_aResource[last];
        m_aResource[index]->m_nListIndex = static_cast<u16>(index);
    }
    m_aResource.SetCount(last);
}

void TResourceManager::DeviceLost()
{
    if (g_pDeviceManager)
        g_pDeviceManager->Broadcast(&TDeviceMethods::OnDeviceLost);
    for (u32 i = 0; i < m_aResource.GetCount();)
    {
        TResource* resource = m_aResource[i];
        resource->OnDeviceLost();
        // The step may have taken the resource out of the list.
        if (i < m_aResource.GetCount() && m_aResource[i] == resource)
            ++i;
    }
}

void TResourceManager::DeviceReset()
{
    for (u32 i = 0; i < m_aResource.GetCount(); ++i)
        m_aResource[i]->OnDeviceReset();
    if (g_pDeviceManager)
        g_pDeviceManager->Broadcast(&TDeviceMethods::OnDeviceReset);
}
