#include "engine/system/resourcemanager.h"

#include "core/cluster/cluster.h"
#include "core/compression/compressedfile.h"
#include "core/stream/filestream.h"
#include "core/system/abort.h"
#include "core/system/cputimer.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "engine/render/device.h"
#include "engine/system/managermanager.h"
#include "engine/system/repository.h"
#include "engine/system/resource.h"
#include "engine/system/scenetypes.h"

#include <algorithm>
#include <cstring>

TResourceManager* g_pResourceManager = nullptr;

namespace
{
const char* const kSource = "sources/engine/system/resource";
const char* const kLoadPrefix = "TResourceManager::LoadRepository(): ";
const char* const kLoadError = "TResourceManager::OnClusterLoad(): error: ";
const char* const kReadError = "TResourceManager::LoadRepository(): error: ";
// The crash-report activity of repository loads.
constexpr u32 TRACK_REPOSITORY = 7;

TResourceManager s_ResourceManager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Resource", "Resource", &g_pResourceManager, &s_ResourceManager);
const TName s_UnnamedRepository("unnamedrepository", true);

void Track(u32 step)
{
    g_ManagerManager.SetTrack(TRACK_REPOSITORY, step);
}

// The abort of a failed read says "missing resource" whatever the cause; the log says which.
const char* ReadFailure(u32 result)
{
    switch (result)
    {
    case COMPRESS_OUT_OF_MEMORY:
        return "is too large for the memory left";
    case COMPRESS_BAD_DATA:
        return "is damaged: its data do not unpack";
    default:
        return "is missing or cannot be read";
    }
}
} // namespace

TResourceManager::TResourceManager()
    : m_fProgress(0.0f), m_nFilesDone(0), m_nFilesExpected(0), m_nUpload(1), m_nCachedId(0), m_pCached(nullptr),
      m_nLoadDepth(0), m_pCurrent(nullptr), m_pLinks(nullptr)
{
    m_PendingRepository = "";
    m_CurrentName = "";
    // Every frame, paused or not: reads the loader finished are delivered even while the game
    // clock stands still (the main menu), else what the menu first draws would never load.
    m_nChannel = 0;
    m_nUpdateFlags &= ~MANAGER_UPDATE_SKIP_ZERO;
    if (!g_pCluster)
        return;
    RegisterArray(&ResourceDecl(), &m_aPlain);
    m_pLinks = g_pCluster->RegisterDynManager(&ResourceLinkDecl());
}

TResourceManager::~TResourceManager()
{
    CloseRepositories(0);
    FreeOwnedResources();
    // Resources destroyed after the manager (statics of other modules) no longer reach it.
    if (g_pResourceManager == this)
        g_pResourceManager = nullptr;
}

TResource* TResourceManager::CreateResource(const char* name)
{
    TResource* resource = MemoryNew<TResource>();
    resource->m_Name.Set(name, true);
    m_aOwned.Add(resource);
    m_aPlain.Add(resource);
    return resource;
}

void TResourceManager::FreeOwnedResources()
{
    for (i32 i = 0; i < m_aOwned.GetCount(); ++i)
        MemoryDelete(m_aOwned[i]);
    m_aOwned.Free();
}

i32 TResourceManager::SetArray(u32 typeId, void*, i32)
{
    if (typeId != RESOURCE_TYPE_ID)
        return 1;
    // The holder lists the new array's records now: the ones made here are no longer used.
    FreeOwnedResources();
    return 0;
}

void TResourceManager::GetSavedManagers(TClusterManager** managers)
{
    managers[0] = this;
    managers[1] = m_pLinks;
}

void TResourceManager::CollectResources(DArray<TResource*>& resources)
{
    g_pCluster->RefreshSlots();
    for (u32 type = 1; type < CLUSTER_TYPE_COUNT; ++type)
    {
        const TClusterSlot& slot = g_pCluster->GetSlot(type);
        if (!slot.pDecl || !slot.pData || !IsResourceType(slot.pDecl))
            continue;
        const u32 size = slot.pDecl->GetObjectSize();
        for (u32 i = 0; i < static_cast<u32>(slot.nSize) / size; ++i)
            resources.Add(
                reinterpret_cast<TResource*>(slot.nKind == CLUSTER_ARRAY_POINTERS
                                                 ? static_cast<u8*>(reinterpret_cast<void**>(slot.pData)[i])
                                                 : slot.pData + i * size));
    }
}

void TResourceManager::PackLinks()
{
    DArray<TResource*> resources;
    CollectResources(resources);
    DArray<TResourceLink> all;
    for (i32 r = 0; r < resources.GetCount(); ++r)
        for (DArray<TResourceLink>* links : {&resources[r]->aUses, &resources[r]->aUsers})
            for (i32 l = 0; l < links->GetCount(); ++l)
                all.Add((*links)[l]);
    m_pLinks->SetArray(RESOURCE_LINK_TYPE_ID, all.GetData(), all.GetCount());
    void* block = nullptr;
    i32 count = 0;
    m_pLinks->GetArray(RESOURCE_LINK_TYPE_ID, block, count);
    auto* at = static_cast<TResourceLink*>(block);
    for (i32 r = 0; r < resources.GetCount(); ++r)
        for (DArray<TResourceLink>* links : {&resources[r]->aUses, &resources[r]->aUsers})
        {
            const i32 n = links->GetCount();
            if (n)
                links->Attach(at, n);
            else
                links->Free();
            at += n;
        }
}

void TResourceManager::CheckUnlocked(const char* function) const
{
    if (g_ManagerManager.GetLockState() == MANAGER_LOCK_LOCKED)
        __Abort(function, kSource, __LINE__, "manager system 'initialize' is locked");
}

void TResourceManager::AddMethod(TResourceMethods* listener)
{
    CheckUnlocked("TResourceManager::AddMethod");
    if (m_aMethod.GetCount() == RESOURCE_LISTENER_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TResourceManager::AddMethod(): error: ", "too many listeners (max %u): listener refused",
                    RESOURCE_LISTENER_CAPACITY);
        return;
    }
    m_aMethod.Add(listener);
}

// ---------------------------------------------------------------------------------------------
// The resource list

void TResourceManager::__ResourceAdd(TResource* resource)
{
    CheckUnlocked("TResourceManager::__ResourceAdd");
    if (resource->m_nListIndex != RESOURCE_NOT_LISTED)
        return;
    if (m_aResource.GetCount() == RESOURCE_LIST_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TResourceManager::__ResourceAdd(): error: ",
                    "'%s': the list holds %u resources already: not listed", resource->GetNameText(),
                    RESOURCE_LIST_CAPACITY);
        return;
    }
    resource->m_nListIndex = static_cast<u16>(m_aResource.GetCount());
    m_aResource.Add(resource);
}

void TResourceManager::__ResourceDelete(TResource* resource)
{
    CheckUnlocked("TResourceManager::__ResourceDelete");
    if (resource->m_nKind == RESOURCE_KIND_KEEP_LISTED)
        return;
    Forget(resource);
}

void TResourceManager::Forget(TResource* resource)
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

void TResourceManager::UnloadAll()
{
    m_Loader.Clear();
    for (u32 i = 0; i < m_aResource.GetCount();)
    {
        TResource* resource = m_aResource[i];
        resource->Unload();
        resource->pRepository = nullptr;
        // The list shrinks under the loop: the same index holds the next resource then.
        if (i < m_aResource.GetCount() && m_aResource[i] == resource)
            ++i;
    }
    for (u32 i = 0; i < m_aResource.GetCount(); ++i)
        m_aResource[i]->m_nListIndex = RESOURCE_NOT_LISTED;
    m_aResource.SetCount(0);
}

void TResourceManager::DeviceLost()
{
    if (g_pDeviceManager)
        for (u32 i = 0; i < g_pDeviceManager->GetMethodCount(); ++i)
            g_pDeviceManager->GetMethod(i)->OnDeviceLost();
    for (u32 i = 0; i < m_aResource.GetCount();)
    {
        TResource* resource = m_aResource[i];
        resource->OnDeviceLost();
        if (i < m_aResource.GetCount() && m_aResource[i] == resource)
            ++i;
    }
}

void TResourceManager::DeviceReset()
{
    for (u32 i = 0; i < m_aResource.GetCount(); ++i)
        m_aResource[i]->OnDeviceReset();
    if (g_pDeviceManager)
        for (u32 i = 0; i < g_pDeviceManager->GetMethodCount(); ++i)
            g_pDeviceManager->GetMethod(i)->OnDeviceReset();
}

// ---------------------------------------------------------------------------------------------
// Repositories

u32 TResourceManager::Associate(u32 id, const char* fileName)
{
    if (m_Associations.FindKey(static_cast<i32>(id)) >= 0)
        return 1;
    if (m_Associations.IsFull())
        return 2;
    TMapKey<i32, TResourceFileName> entry;
    entry.key = static_cast<i32>(id);
    entry.value = fileName;
    m_Associations.Insert(entry);
    return 0;
}

TRepository* TResourceManager::FindRepository(u32 id)
{
    if (m_pCached && id == m_nCachedId)
        return m_pCached;
    CheckUnlocked("TResourceManager::FindRepository");
    const i32 index = m_Repositories.FindKey(static_cast<i32>(id));
    if (index < 0)
        return nullptr;
    m_nCachedId = id;
    m_pCached = m_Repositories[static_cast<u32>(index)].value;
    return m_pCached;
}

void TResourceManager::Register(TRepository* repository, u32 key)
{
    if (m_Repositories.FindKey(static_cast<i32>(key)) >= 0)
        __Abort("TResourceManager::LoadRepository", kSource, __LINE__,
                "'%s': repository id 0x%04x is open already", repository->GetName().GetText(), key);
    m_Repositories.Insert({static_cast<i32>(key), repository});
}

void TResourceManager::CloseRepositories(u32 keepFlag)
{
    u32 kept = 0;
    for (u32 i = 0; i < m_Repositories.GetCount(); ++i)
    {
        TRepository* repository = m_Repositories[i].value;
        if (keepFlag && (repository->GetFlags() & keepFlag))
            m_Repositories[kept++] = m_Repositories[i];
        else
        {
            if (m_pCurrent == repository)
                m_pCurrent = nullptr;
            MemoryDelete(repository);
        }
    }
    m_Repositories._SetCount(kept);
    m_pCached = nullptr;
    m_nCachedId = 0;
}

i32 TResourceManager::LoadRepository(const char* name, u32 flags)
{
    Track(1);
    ++m_nLoadDepth;
    CheckUnlocked("TResourceManager::LoadRepository");
    m_fProgress = 0.0f;
    if (!(flags & REPOSITORY_LOAD_CONTINUED))
    {
        m_nFilesDone = 0;
        m_nFilesExpected = 2;
    }
    else
        ++m_nFilesDone;
    if (!(flags & REPOSITORY_LOAD_NESTED))
    {
        for (u32 i = 0; i < m_aMethod.GetCount(); ++i)
            m_aMethod[i]->OnRepositoryLoad(name);
        Track(2);
        m_Loader.Clear();
        g_pCluster->Clear();
        CloseRepositories(REPOSITORY_RESIDENT);
    }
    TLog::Print(g_pSystemLog, LOG_INFO, kLoadPrefix, "'%s'", name);

    Track(3);
    DArray<u8> image;
    TCpuTimer timer;
    timer.Start();
    const u32 read = ReadCompressedFile(name, image, &m_fProgress);
    if (read != COMPRESS_DONE)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kReadError, "'%s' %s", name, ReadFailure(read));
        // The box the player sees says what is wrong with the file, not only that it failed.
        if (read == COMPRESS_SOURCE_FAILED)
            __Abort("TResourceManager::LoadRepository", kSource, __LINE__, "missing resource '%s'", name);
        __Abort("TResourceManager::LoadRepository", kSource, __LINE__, "'%s' %s", name, ReadFailure(read));
    }
    const f64 seconds = timer.Stop() / 1000.0;
    const f64 megabytes = image.GetCount() * 9.536743e-7;
    TLog::Print(g_pSystemLog, LOG_INFO, kLoadPrefix, "%.3fMB data loaded in %.2fs (%.2fMB/s)", megabytes,
                seconds, seconds > 0.0 ? megabytes / seconds : 0.0);
    LoadImage(name, image, flags);
    Track(6);
    --m_nLoadDepth;
    return 0;
}

void TResourceManager::LoadImage(const char* name, DArray<u8>& image, u32 flags)
{
    const u32 size = static_cast<u32>(image.GetCount());
    if (size < REPOSITORY_HEADER_SIZE)
        __Abort("TResourceManager::LoadRepository", kSource, __LINE__,
                "'%s' header error: truncated (%u bytes)", name, size);
    TRepositoryHeader header;
    std::memcpy(&header, image.GetData(), REPOSITORY_HEADER_SIZE);
    TRepositoryHeader::isValid(&header, name);
    if (const char* reason = TRepositoryHeader::Check(image.GetData(), size))
        __Abort("TResourceManager::LoadRepository", kSource, __LINE__, "'%s' header error: %s", name, reason);

    // A repository whose dependencies lead back to it would be loaded again for ever.
    if (m_aLoading.GetCount() == m_aLoading.GetCapacity())
        __Abort("TResourceManager::LoadRepository", kSource, __LINE__, "'%s': dependencies nested too deep", name);
    m_aLoading.Add(header.nId);
    for (u32 d = 0; d < header.nDependencyCount; ++d)
    {
        bool loading = false;
        for (u32 l = 0; l < m_aLoading.GetCount(); ++l)
            loading = loading || m_aLoading[l] == header.aDependency[d];
        if (loading)
            TLog::Print(g_pSystemLog, LOG_ERROR, "TResourceManager::LoadRepository(): error: ",
                        "'%s': dependency 0x%04x is being loaded already (a cycle): skipped", name,
                        header.aDependency[d]);
        else
            OpenDependency(header.aDependency[d], name);
    }
    m_aLoading.SetCount(m_aLoading.GetCount() - 1);

    auto* repository = MemoryNew<TRepository>(header.nId, header.nFlags, TName(name, true));
    repository->AdoptImage(image);
    Register(repository, header.nId);
    if (!(flags & REPOSITORY_LOAD_NESTED))
        m_CurrentRepository = TName(name, true);
    if (header.nClusterOffset != 0)
    {
        m_pCurrent = repository;
        m_CurrentName = name;
        Track(5);
        // The cluster was cleared at the start of a top-level load: clearing it again here would
        // drop the records of the dependencies loaded in full just before.
        // A refused image leaves the game without its level: the run would go on empty and its
        // exit would write the player's settings from it.
        if (g_pCluster->Load(repository->GetClusterImage(header.nClusterOffset), size - header.nClusterOffset,
                             flags | CLUSTER_LOAD_NO_CLEAR) != 0)
            __Abort("TResourceManager::LoadRepository", kSource, __LINE__, "'%s': cluster image refused",
                    name);
    }
    // Dependencies load their records quietly: a repository without records of its own still
    // announces theirs, whose run-time words only the listeners' checks forget.
    else if (!(flags & REPOSITORY_LOAD_QUIET))
        g_pCluster->NotifyListeners();
    repository->SetName(TName(name, true));
}

void TResourceManager::OpenDependency(u32 id, const char* name)
{
    if (FindRepository(id))
        return;
    ++m_nFilesExpected;
    const i32 index = m_Associations.FindKey(static_cast<i32>(id));
    if (index < 0)
    {
        if (id < REPOSITORY_OPTIONAL_ID)
            __Abort("TResourceManager::LoadRepository", kSource, __LINE__,
                    "0x%04x: unassociated repository id", id);
        TLog::Print(g_pSystemLog, LOG_WARNING,
                    "TResourceManager::LoadRepository(): warning: ", "0x%04x: unassociated repository id",
                    id);
        return;
    }
    const char* file = m_Associations[static_cast<u32>(index)].value.GetText();
    Track(4);
    TFileStream stream;
    if (stream.Open(TName(file, true), 1) != 1)
        __Abort("TResourceManager::LoadRepository", kSource, __LINE__,
                "'%s': unable to open repository '%s' dependency repository", file, name);
    TRepositoryHeader header;
    stream.Read(&header, REPOSITORY_HEADER_SIZE);
    stream.Close();

    const bool sound = TRepositoryHeader::isValid(&header, nullptr) != 0;
    if (sound && (header.nFlags & (REPOSITORY_MAPPED | REPOSITORY_STREAMED)))
    {
        auto* repository = MemoryNew<TRepository>(id, header.nFlags, TName(file, true));
        const bool opened = (header.nFlags & REPOSITORY_MAPPED) ? repository->OpenMapped(file)
                                                                : repository->OpenStreamed(file, false);
        if (!opened)
            __Abort("TResourceManager::LoadRepository", kSource, __LINE__,
                    "'%s': unable to open repository '%s' dependency repository", file, name);
        Register(repository, id);
        return;
    }
    // Names are copied: the association set may change during a nested load.
    TResourceFileName path;
    path = file;
    LoadRepository(path.GetText(), REPOSITORY_LOAD_DEPENDENCY);
}

// ---------------------------------------------------------------------------------------------
// Phases and cluster notifications

void TResourceManager::BeginManager()
{
    g_pCluster->AddListener(this);
    m_Loader.Begin();
}

void TResourceManager::UpdateManager(f32)
{
    m_Loader.ProcessQueue();
    if (m_PendingRepository.GetLength() == 0)
        return;
    TResourceFileName name = m_PendingRepository;
    m_PendingRepository = "";
    LoadRepository(name.GetText(), 0);
}

void TResourceManager::FinalizeManager()
{
    m_Loader.End();
    UnloadAll();
    CloseRepositories(REPOSITORY_KEEP_OPEN);
    m_Repositories._SetCount(0);
    m_pCached = nullptr;
    m_aMethod.SetCount(0);
}

void TResourceManager::OnClusterUnload()
{
    UnloadAll();
}

void TResourceManager::OnClusterLoad()
{
    CheckLoadedResources();
    if (m_pCurrent)
        m_pCurrent->SetName(TName(m_CurrentName.GetText(), true));
    m_pCurrent = nullptr;
}

void TResourceManager::CheckLoadedResources()
{
    DArray<TResource*> resources;
    CollectResources(resources);
    DArray<TResource*> byAddress;
    for (i32 r = 0; r < resources.GetCount(); ++r)
        byAddress.Add(resources[r]);
    std::sort(byAddress.At(0), byAddress.At(byAddress.GetCount()));
    auto isResource = [&](TResource* r) {
        return std::binary_search(byAddress.At(0), byAddress.At(byAddress.GetCount()), r);
    };

    // The words of a running resource are the writer's: every loaded one starts unloaded.
    for (i32 r = 0; r < resources.GetCount(); ++r)
    {
        TResource* resource = resources[r];
        resource->m_nState = RESOURCE_UNLOADED;
        resource->m_nListIndex = RESOURCE_NOT_LISTED;
        resource->m_nHoldingUsers = 0;
        resource->m_nReadyUses = 0;
        resource->pRepository = nullptr;
        for (DArray<TResourceLink>* links : {&resource->aUses, &resource->aUsers})
        {
            links->MarkForeign();
            if (!IsInsideClusterArray(RESOURCE_LINK_TYPE_ID, links->GetData(), links->GetCount(),
                                      sizeof(TResourceLink)))
            {
                TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "'%s': links outside their array dropped",
                            resource->GetNameText());
                links->Attach(nullptr, 0);
            }
            for (i32 l = 0; l < links->GetCount(); ++l)
                (*links)[l].nReady = 0;
        }
    }
    // Links must pair up: uses[i] = {j, used} with used.users[j] = {i, this}, and the other way.
    // Cutting one resource's links breaks its partners' pairs, so this runs until nothing changes.
    for (bool changed = true; changed;)
    {
        changed = false;
        for (i32 r = 0; r < resources.GetCount(); ++r)
        {
            TResource* resource = resources[r];
            bool paired = true;
            for (int side = 0; side < 2 && paired; ++side)
            {
                const DArray<TResourceLink>& links = side == 0 ? resource->aUses : resource->aUsers;
                for (i32 l = 0; l < links.GetCount() && paired; ++l)
                {
                    TResource* partner = links[l].pResource;
                    if (!partner || !isResource(partner))
                    {
                        paired = false;
                        break;
                    }
                    const DArray<TResourceLink>& back = side == 0 ? partner->aUsers : partner->aUses;
                    paired = links[l].nIndex < back.GetCount() &&
                             back[links[l].nIndex].pResource == resource && back[links[l].nIndex].nIndex == l;
                }
            }
            if (paired)
                continue;
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "'%s': use links that do not pair up dropped",
                        resource->GetNameText());
            resource->aUses.Attach(nullptr, 0);
            resource->aUsers.Attach(nullptr, 0);
            changed = true;
        }
    }
}
