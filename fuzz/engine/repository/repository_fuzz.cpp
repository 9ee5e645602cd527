// Feeds arbitrary repository images to the repository reader: the header check, the walk over
// the dependencies, the cluster image with the checks of the loaded nodes and resources, and
// the block reader over the image. A damaged or hostile image must be refused with an error,
// never crash, read outside the image or allocate without bound.
#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "engine/system/managermanager.h"
#include "engine/system/nodemanager.h"
#include "engine/system/repository.h"
#include "engine/system/resource.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/scenetypes.h"

#include <cstring>
#include <vector>

namespace
{
// The room of the targets blocks are read into.
constexpr u32 TARGET_SIZE = 1 << 16;

void SetUp()
{
    static bool s_bDone = false;
    if (s_bDone)
        return;
    s_bDone = true;
    MemoryDelete(g_pSystemLog);
    g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", LOG_DISABLED);
    g_pCluster->LinkTypes();
    g_ManagerManager.CreateSystem(TName("fuzz", true));
    g_ManagerManager.Initialize();
}

void ReadBlocks(TRepository& repository, std::vector<u8>& target)
{
    const TClusterSlot& slot = g_pCluster->GetSlot(RESOURCE_TYPE_ID);
    const i32 count = slot.pData ? slot.nSize / static_cast<i32>(sizeof(TResource)) : 0;
    for (i32 i = 0; i < count && i < 64; ++i)
    {
        auto* resource = static_cast<TResource*>(reinterpret_cast<void**>(slot.pData)[i]);
        resource->Require();
        const u32 size = resource->m_nDataSize < TARGET_SIZE ? resource->m_nDataSize : TARGET_SIZE;
        repository.__LoadBlock(resource, 0, target.data(), resource->m_nDataOffset, size,
                               RESOURCE_READ_NO_NOTIFY);
        repository.__LoadBlock(resource, 0, target.data(), resource->m_nDataOffset, TARGET_SIZE,
                               RESOURCE_READ_COMPRESSED | RESOURCE_READ_NO_NOTIFY);
        repository.__GetResourceData(resource->m_nDataOffset, size);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    SetUp();
    if (size > (1u << 24))
        return 0;
    // The reader owns a copy: the objects of a loaded cluster image stay in it.
    std::vector<u8> image(data, data + size);
    const u32 bytes = static_cast<u32>(size);
    if (TRepositoryHeader::Check(image.data(), bytes))
        return 0;
    TRepositoryHeader header;
    std::memcpy(&header, image.data(), REPOSITORY_HEADER_SIZE);
    if (!TRepositoryHeader::isValid(&header, nullptr) ||
        header.nDependencyCount > REPOSITORY_DEPENDENCY_CAPACITY)
        __builtin_trap();
    // No dependency is open: each is looked up, none found.
    for (u32 d = 0; d < header.nDependencyCount; ++d)
        if (g_pResourceManager->FindRepository(header.aDependency[d]))
            __builtin_trap();

    TRepository repository(image.data(), bytes);
    std::vector<u8> target(TARGET_SIZE);
    if (header.nClusterOffset != 0 &&
        g_pCluster->Load(repository.GetClusterImage(header.nClusterOffset), bytes - header.nClusterOffset,
                         CLUSTER_LOAD_QUIET) == 0)
    {
        g_pNodeManager->OnClusterLoad();
        g_pResourceManager->OnClusterLoad();
        for (i32 i = 0; i < g_pNodeManager->GetNodeCount(); ++i)
            if (!g_pNodeManager->GetNode(i)->GetParent())
                g_pNodeManager->GetNode(i)->UpdateWorldMatrix(&g_NodeForceUpdate);
        g_pNodeManager->UpdateManager(0.0f);
        ReadBlocks(repository, target);
        g_pResourceManager->UnloadAll();
    }
    g_pCluster->Clear();
    return 0;
}
