#pragma once
// TResourceManager ("Resource"): the list of live resources, the open repositories, the
// listeners, the repository associations (id -> file name) and the loader thread.
// LoadRepository reads a repository with its dependencies and hands its cluster image to the
// cluster; UpdateManager delivers the loader's finished reads and runs a requested load.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/sarray.h"
#include "core/system/templates/sset.h"
#include "engine/render/devicemethods.h"
#include "engine/system/manager.h"
#include "engine/system/resourcemethods.h"
#include "engine/system/resourcethreadload.h"

#include <atomic>

class TClusterDynManager;
class TRepository;
class TResource;

constexpr u32 RESOURCE_LIST_CAPACITY = 4096;
constexpr u32 RESOURCE_REPOSITORY_CAPACITY = 64;
constexpr u32 RESOURCE_LISTENER_CAPACITY = 32;
constexpr u32 RESOURCE_ASSOCIATION_CAPACITY = 16;
constexpr u32 RESOURCE_NAME_SIZE = 128;

// LoadRepository flags.
constexpr u32 REPOSITORY_LOAD_QUIET = 0x2;       // the cluster's listeners are not told (CLUSTER_LOAD_QUIET)
constexpr u32 REPOSITORY_LOAD_NESTED = 0x4;      // keep the cluster and the open repositories
constexpr u32 REPOSITORY_LOAD_CONTINUED = 0x20;  // the progress counters go on
constexpr u32 REPOSITORY_LOAD_DEPENDENCY = 0x26; // a dependency loaded in full

typedef SString<RESOURCE_NAME_SIZE> TResourceFileName;
typedef SSet<TMapKey<i32, TRepository*>, RESOURCE_REPOSITORY_CAPACITY, i32, 0> TRepositorySet;
typedef SSet<TMapKey<i32, TResourceFileName>, RESOURCE_ASSOCIATION_CAPACITY, i32, 0> TAssociationSet;

class TResourceManager : public TManager, public TClusterMethods
{
public:
    TResourceManager();
    ~TResourceManager() override;

    // Appends a listener; fatal while the manager system is locked. A full list refuses it
    // with a log line.
    void AddMethod(TResourceMethods* listener);
    u32 GetMethodCount() const { return m_aMethod.GetCount(); }

    // Reads a repository, its dependencies and its cluster image: 0. A file that cannot be
    // read, a damaged header, a refused cluster image and a missing dependency below id 100000
    // are fatal.
    i32 LoadRepository(const char* name, u32 flags);
    TRepository* FindRepository(u32 id);
    // The next update loads it.
    void RequestRepository(const char* name) { m_PendingRepository = name; }
    // 0 associated, 1 the id is associated already (its name is kept), 2 the set is full.
    u32 Associate(u32 id, const char* fileName);
    const TAssociationSet& GetAssociations() const { return m_Associations; }
    u32 GetRepositoryCount() const { return m_Repositories.GetCount(); }
    // Closes every repository whose flags lack keepFlag.
    void CloseRepositories(u32 keepFlag);

    void __ResourceAdd(TResource* resource);
    void __ResourceDelete(TResource* resource);
    // Takes a resource out of the list whatever its kind (one being destroyed).
    void Forget(TResource* resource);
    u32 GetResourceCount() const { return m_aResource.GetCount(); }
    TResource* GetResource(u32 i) const { return m_aResource[i]; }

    void UnloadAll();
    // The device listeners, then the listed resources; the reset in the opposite order.
    void DeviceLost();
    void DeviceReset();

    TResourceThreadLoad& GetLoader() { return m_Loader; }

    // A plain resource record in the manager's cluster array (type 21), freed when the array
    // is replaced.
    TResource* CreateResource(const char* name);
    // Gathers the use links of every resource record of the cluster into the link array, the
    // resources' arrays then pointing into it, so that an image can be saved.
    void PackLinks();
    // The manager and its link array, as a save of resources lists them.
    static constexpr u32 SAVED_MANAGER_COUNT = 2;
    void GetSavedManagers(TClusterManager** managers);
    i32 SetArray(u32 typeId, void* data, i32 count) override;

    void BeginManager() override;
    void UpdateManager(f32 step) override;
    void FinalizeManager() override;
    void OnClusterLoad() override;
    void OnClusterUnload() override;

    // The current main repository; no name while none is loaded.
    TName m_CurrentRepository;
    // The repository to load at the next update (a state load's switch among them); empty
    // when none is asked for.
    TResourceFileName m_PendingRepository;
    // Progress of the load: the current file's fraction, files done and expected. The loading
    // display reads them on its thread.
    std::atomic<f32> m_fProgress;
    std::atomic<i32> m_nFilesDone;
    std::atomic<i32> m_nFilesExpected;
    // The upload flag: while it is clear the loader queues no reads, so what is required loads
    // at once (preloading, and the first frame after a threaded load).
    std::atomic<u32> m_nUpload;

private:
    void CheckUnlocked(const char* function) const;
    void Register(TRepository* repository, u32 key);
    void OpenDependency(u32 id, const char* name);
    // The steps after the file is read: header, dependencies, registration, cluster image.
    void LoadImage(const char* name, DArray<u8>& image, u32 flags);
    // Loaded resources come from files: their state words are reset and use links that do
    // not pair up are cut.
    void CheckLoadedResources();
    // Every resource record the cluster's arrays hold, in the cluster's order (types ascending,
    // each array in its order): what is written from it must not depend on addresses.
    void CollectResources(DArray<TResource*>& resources);
    void FreeOwnedResources();

    SArray<TResource*, RESOURCE_LIST_CAPACITY, 0> m_aResource;
    TRepositorySet m_Repositories;
    u32 m_nCachedId;
    TRepository* m_pCached;
    SArray<TResourceMethods*, RESOURCE_LISTENER_CAPACITY, 0> m_aMethod;
    i32 m_nLoadDepth;
    TAssociationSet m_Associations;
    // The ids of the repositories whose dependencies are being opened, outermost first.
    SArray<u32, RESOURCE_ASSOCIATION_CAPACITY + 1, 0> m_aLoading;
    TRepository* m_pCurrent;
    TResourceFileName m_CurrentName;
    DArray<TResource*> m_aPlain;
    DArray<TResource*> m_aOwned;
    TClusterDynManager* m_pLinks;
    TResourceThreadLoad m_Loader;
};

extern TResourceManager* g_pResourceManager;
