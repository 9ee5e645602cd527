#pragma once
// TResourceManager ("Resource"): what the core needs of the resource manager before the
// resource manager itself is built: its listener list, the current main repository, the
// repository switch a state load asks for, and the list of live resources, whose device-lost
// and device-reset steps it relays around a device reset.
#include "core/system/templates/sarray.h"
#include "engine/system/manager.h"
#include "engine/system/resourcemethods.h"

class TResource;

constexpr u32 RESOURCE_LISTENER_CAPACITY = 32;
constexpr u32 RESOURCE_LIST_CAPACITY = 4096;
// A repository name as the state image stores it: 31 characters and the NUL.
constexpr u32 RESOURCE_REPOSITORY_NAME_SIZE = 32;

class TResourceManager : public TManager
{
public:
    TResourceManager();

    // Appends a listener; refused (abort) while the manager system is locked.
    void AddMethod(TResourceMethods* listener);
    u32 GetMethodCount() const { return m_aMethod.GetCount(); }

    // The live resources: a resource enters when its load starts and leaves when unloaded.
    void __ResourceAdd(TResource* resource);
    void __ResourceDelete(TResource* resource);
    u32 GetResourceCount() const { return m_aResource.GetCount(); }
    // Before a device reset: the device listeners' OnDeviceLost, then every resource's
    // device-lost step (a resource may leave the list meanwhile).
    void DeviceLost();
    // After a device reset: every resource's device-reset step, then the listeners' OnDeviceReset.
    void DeviceReset();

    // The current main repository; no name while none is loaded.
    TName m_CurrentRepository;
    // The repository to switch to; empty when no switch is pending.
    SString<RESOURCE_REPOSITORY_NAME_SIZE> m_PendingRepository;

private:
    SArray<TResourceMethods*, RESOURCE_LISTENER_CAPACITY, 0> m_aMethod;
    SArray<TResource*, RESOURCE_LIST_CAPACITY, 0> m_aResource;
};

extern TResourceManager* g_pResourceManager;
