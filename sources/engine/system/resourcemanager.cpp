#include "engine/system/resourcemanager.h"

#include "core/system/abort.h"
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
