// Feeds arbitrary repository images to the repository reader as the game loads them: the header
// check, the walk over the dependencies, the cluster image handed to the game's listeners (every
// manager of the game's start-up script, set up as it sets them up), the block reader over the
// image, and a frame drawn through the software device. A damaged or hostile image must be
// refused with an error, never crash, read outside the image or allocate without bound. An
// input that starts with the compressed-file header is inflated first, as the loader does. The
// UX library takes the loaded controls too; an image with more UX instance objects than the
// registered screens ends the program by design, so such inputs are left out, as are those with a
// texture whose type its creation refuses.
#include "core/compression/compressedfile.h"
#include "engine/render/rendermanager.h"
#include "engine/system/nodemanager.h"
#include "engine/system/repository.h"
#include "engine/system/resource.h"
#include "engine/system/scenetypes.h"
#include "support/gamesystem.h"

#include <cstring>
#include <vector>

namespace
{
// The room of the targets blocks are read into.
constexpr u32 TARGET_SIZE = 1 << 16;
// The largest image taken, compressed or not: room for the level, which inflates to 17 MB.
constexpr u32 IMAGE_LIMIT = 1 << 26;

// The image as the loader holds it: inflated when it carries the compressed-file header.
bool ReadImage(const u8* data, size_t size, std::vector<u8>& image)
{
    TCompressedHeader header;
    if (size < sizeof header || (std::memcpy(&header, data, sizeof header), header.magic != COMPRESSED_MAGIC))
    {
        image.assign(data, data + size);
        return true;
    }
    if (header.size > IMAGE_LIMIT)
        return false;
    image.resize(header.size);
    u32 produced = header.size;
    return InflateBuffer(data + sizeof header, static_cast<u32>(size - sizeof header), image.data(), &produced) ==
               1 &&
           produced == header.size;
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
    StartGameSystem();
    if (size > IMAGE_LIMIT)
        return 0;
    // The reader owns a copy: the objects of a loaded cluster image stay in it.
    std::vector<u8> image;
    if (!ReadImage(data, size, image))
        return 0;
    const u32 bytes = static_cast<u32>(image.size());
    if (TRepositoryHeader::Check(image.data(), bytes))
        return 0;
    TRepositoryHeader header;
    std::memcpy(&header, image.data(), REPOSITORY_HEADER_SIZE);
    if (!TRepositoryHeader::isValid(&header, nullptr) || header.nDependencyCount > REPOSITORY_DEPENDENCY_CAPACITY)
        __builtin_trap();
    // No dependency is open: each is looked up, none found.
    for (u32 d = 0; d < header.nDependencyCount; ++d)
        if (g_pResourceManager->FindRepository(header.aDependency[d]))
            __builtin_trap();

    TRepository repository(image.data(), bytes);
    std::vector<u8> target(TARGET_SIZE);
    if (header.nClusterOffset != 0 &&
        InstanceCountMismatch(repository.GetClusterImage(header.nClusterOffset), bytes - header.nClusterOffset))
        return 0;
    // Every listener hears of the load, as in the game (after a look at the textures); a refused
    // image leaves a cleared cluster.
    if (header.nClusterOffset != 0 &&
        g_pCluster->Load(repository.GetClusterImage(header.nClusterOffset), bytes - header.nClusterOffset,
                         CLUSTER_LOAD_QUIET) == 0 &&
        !TextureCreationAborts())
    {
        g_pCluster->NotifyListeners();
        for (i32 i = 0; i < g_pNodeManager->GetNodeCount(); ++i)
            if (!g_pNodeManager->GetNode(i)->GetParent())
                g_pNodeManager->GetNode(i)->UpdateWorldMatrix(&g_NodeForceUpdate);
        ReadBlocks(repository, target);
        g_ManagerManager.Update(0.05f);
        g_ManagerManager.Render();
        g_pResourceManager->UnloadAll();
    }
    g_pCluster->Clear();
    // The image is freed with this input, unlike a level's in the game; the render manager
    // keeps the last viewport's camera for the next frame, which would point into it.
    g_pRenderManager->SetCurrentCamera(nullptr);
    return 0;
}
