#include "scenerepositories.h"

#include "core/cluster/cluster.h"
#include "core/system/string.h"
#include "engine/system/nodemanager.h"
#include "engine/system/resource.h"
#include "engine/system/resourcemanager.h"
#include "repositorywriter.h"

#include <cstring>
#include <vector>

namespace
{
// A recognisable block of the given size.
std::vector<u8> Pattern(u32 size, u8 seed)
{
    std::vector<u8> bytes(size);
    for (u32 i = 0; i < size; ++i)
        bytes[i] = static_cast<u8>(seed + i * 7);
    return bytes;
}

bool WriteBlocksOnly(const char* folder, const char* name, u32 id, u32 flags, TResource* resource, u8 seed)
{
    TRepositoryWriter writer(id, flags);
    std::vector<u8> block = Pattern(4096, seed);
    writer.AddBlock(resource, block.data(), 4096);
    char path[512];
    FormatStringN(path, sizeof path, "%s/%s", folder, name);
    return writer.Write(path, nullptr, 0, false);
}
} // namespace

bool WriteSceneRepositories(const char* folder)
{
    char path[512];
    TClusterManager* managers[8];
    g_pCluster->Clear();

    // The shared records: a resource with its block, kept across level loads.
    TRepositoryWriter common(COMMON_REPOSITORY_ID, REPOSITORY_RESIDENT);
    TResource* shared = g_pResourceManager->CreateResource("common_palette");
    std::vector<u8> palette = Pattern(1024, 3);
    common.AddBlock(shared, palette.data(), 1024);
    FormatStringN(path, sizeof path, "%s/common.data", folder);
    bool written = common.Write(path, managers, TRepositoryWriter::SceneManagers(managers), false);
    g_pCluster->Clear();

    // Blocks only: the main repository's resources point into them.
    TResource mappedTexture;
    TResource streamedSound;
    written = written && WriteBlocksOnly(folder, "mapped.data", MAPPED_REPOSITORY_ID, REPOSITORY_MAPPED,
                                         &mappedTexture, 11);
    written = written && WriteBlocksOnly(folder, "streamed.data", STREAMED_REPOSITORY_ID, REPOSITORY_STREAMED,
                                         &streamedSound, 29);

    // The level: a small node tree and resources whose blocks lie here and in each dependency.
    TRepositoryWriter main(MAIN_REPOSITORY_ID, 0);
    main.AddDependency(COMMON_REPOSITORY_ID);
    main.AddDependency(MAPPED_REPOSITORY_ID);
    main.AddDependency(STREAMED_REPOSITORY_ID);
    TNode* level = g_pNodeManager->CreateNode("level");
    TNode* apron = g_pNodeManager->CreateNode("apron");
    TNode* gate = g_pNodeManager->CreateNode("gate_1");
    level->AddChild(apron);
    apron->AddChild(gate);
    TMatrix place(1.0f);
    place.aRow[3] = TVector(120.0f, 0.0f, -40.0f, 1.0f);
    gate->SetLocalMatrix(place, TNode::OrdinaryCause());

    TResource* layout = g_pResourceManager->CreateResource("level_layout");
    std::vector<u8> layoutBytes = Pattern(2048, 5);
    main.AddCompressedBlock(layout, layoutBytes.data(), 2048);
    TResource* texture = g_pResourceManager->CreateResource("apron_texture");
    texture->m_nRepositoryId = MAPPED_REPOSITORY_ID;
    texture->m_nDataOffset = mappedTexture.m_nDataOffset;
    texture->m_nDataSize = mappedTexture.m_nDataSize;
    TResource* sound = g_pResourceManager->CreateResource("apron_sound");
    sound->m_nRepositoryId = STREAMED_REPOSITORY_ID;
    sound->m_nDataOffset = streamedSound.m_nDataOffset;
    sound->m_nDataSize = streamedSound.m_nDataSize;
    TResource::LinkTo(layout, texture);
    TResource::LinkTo(layout, sound);
    FormatStringN(path, sizeof path, "%s/main.data", folder);
    written = written && main.Write(path, managers, TRepositoryWriter::SceneManagers(managers), true);
    g_pCluster->Clear();
    return written;
}
