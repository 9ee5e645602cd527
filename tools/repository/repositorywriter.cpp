#include "repositorywriter.h"

#include "core/cluster/cluster.h"
#include "core/compression/compressedfile.h"
#include "core/stream/filestream.h"
#include "core/stream/memorystream.h"
#include "core/system/log.h"
#include "core/system/string.h"
#include "engine/system/nodemanager.h"
#include "engine/system/resource.h"
#include "engine/system/resourcemanager.h"

#include <cstdio>
#include <cstring>
#include <zlib.h>

namespace
{
const char* const kError = "TRepositoryWriter::Write(): error: ";
}

TRepositoryWriter::TRepositoryWriter(u32 id, u32 flags)
{
    std::memcpy(m_Header.aSignature, "vestamor", 8);
    m_Header.nId = id;
    m_Header.nFlags = flags;
}

void TRepositoryWriter::AddDependency(u32 id)
{
    if (m_Header.nDependencyCount < REPOSITORY_DEPENDENCY_CAPACITY)
        m_Header.aDependency[m_Header.nDependencyCount++] = id;
}

void TRepositoryWriter::AddBlock(TResource* resource, const void* data, u32 size)
{
    resource->m_nRepositoryId = m_Header.nId;
    resource->m_nDataOffset = GetNextOffset();
    resource->m_nDataSize = size;
    const i32 at = m_aBlocks.GetCount();
    m_aBlocks.SetCount(at + static_cast<i32>(size));
    if (size)
        std::memcpy(m_aBlocks.GetData() + at, data, size);
}

void TRepositoryWriter::AddCompressedBlock(TResource* resource, const void* data, u32 size)
{
    uLongf packed = compressBound(size);
    DArray<u8> block;
    block.SetCount(static_cast<i32>(sizeof(TCompressedBlockHead) + packed));
    compress2(block.GetData() + sizeof(TCompressedBlockHead), &packed, static_cast<const Bytef*>(data), size,
              9);
    const TCompressedBlockHead head = {0, size, static_cast<u32>(packed)};
    std::memcpy(block.GetData(), &head, sizeof head);
    AddBlock(resource, block.GetData(), static_cast<u32>(sizeof head + packed));
}

i32 TRepositoryWriter::SceneManagers(TClusterManager** managers)
{
    // The moves nodes still defer reach their objects now, as at the game's first update: the
    // deferred list's links are this run's addresses, and a saved node holds none.
    g_pNodeManager->UpdateManager(0.0f);
    g_pNodeManager->PackLinks();
    g_pResourceManager->PackLinks();
    g_pNodeManager->GetSavedManagers(managers);
    g_pResourceManager->GetSavedManagers(managers + TNodeManager::SAVED_MANAGER_COUNT);
    return TNodeManager::SAVED_MANAGER_COUNT + TResourceManager::SAVED_MANAGER_COUNT;
}

bool TRepositoryWriter::Write(const char* path, TClusterManager* const* managers, i32 managerCount,
                              bool compress)
{
    TMemoryStream image;
    if (managerCount > 0)
    {
        // The records are used where they lie in the loaded file: the image starts aligned.
        const i32 used = m_aBlocks.GetCount();
        const i32 padded =
            static_cast<i32>((used + REPOSITORY_HEADER_SIZE + 15) / 16 * 16 - REPOSITORY_HEADER_SIZE);
        m_aBlocks.SetCount(padded);
        std::memset(m_aBlocks.GetData() + used, 0, static_cast<u32>(padded - used));
        if (g_pCluster->SaveToStream(image, managers, managerCount) != 0)
            return false;
        m_Header.nClusterOffset = GetNextOffset();
    }
    else
        m_Header.nClusterOffset = 0;

    char target[512];
    FormatStringN(target, sizeof target, compress ? "%s.uncompressed" : "%s", path);
    TFileStream file;
    if (file.Open(TName(target, true), 2) != 1)
        return false;
    bool written = file.Write(&m_Header, REPOSITORY_HEADER_SIZE) == static_cast<i32>(REPOSITORY_HEADER_SIZE);
    written = written && file.Write(m_aBlocks.GetData(), m_aBlocks.GetCount()) == m_aBlocks.GetCount();
    written = written && file.Write(image.GetData(), image.GetSize()) == image.GetSize();
    file.Close();
    if (!written)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kError, "'%s' not written whole", target);
        return false;
    }
    if (!compress)
        return true;
    const bool compressed = CompressFile(target, path) == COMPRESS_DONE;
    std::remove(target);
    if (!compressed)
        TLog::Print(g_pSystemLog, LOG_ERROR, kError, "'%s' not compressed", path);
    return compressed;
}
