#pragma once
// TResourceManager ("Resource"): what the core needs of the resource manager before the
// resource manager itself is built: its listener list, the current main repository and the
// repository switch a state load asks for.
#include "core/system/templates/sarray.h"
#include "engine/system/manager.h"
#include "engine/system/resourcemethods.h"

constexpr u32 RESOURCE_LISTENER_CAPACITY = 32;
// A repository name as the state image stores it: 31 characters and the NUL.
constexpr u32 RESOURCE_REPOSITORY_NAME_SIZE = 32;

class TResourceManager : public TManager
{
public:
    TResourceManager();

    // Appends a listener; refused (abort) while the manager system is locked.
    void AddMethod(TResourceMethods* listener);
    u32 GetMethodCount() const { return m_aMethod.GetCount(); }

    // The current main repository; no name while none is loaded.
    TName m_CurrentRepository;
    // The repository to switch to; empty when no switch is pending.
    SString<RESOURCE_REPOSITORY_NAME_SIZE> m_PendingRepository;

private:
    SArray<TResourceMethods*, RESOURCE_LISTENER_CAPACITY, 0> m_aMethod;
};

extern TResourceManager* g_pResourceManager;
