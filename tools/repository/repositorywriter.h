#pragma once
// TRepositoryWriter: writes a repository file from what the engine's managers hold: the
// header, the data blocks given to it, and the cluster image of the listed managers, saved
// by the engine's own cluster code; optionally as a compressed file. The blocks lie between
// the header and the cluster image, so a resource's data offset is known when it is added.
#include "core/system/templates/darray.h"
#include "engine/system/repository.h"

class TClusterManager;
class TResource;

class TRepositoryWriter
{
public:
    TRepositoryWriter(u32 id, u32 flags);

    void AddDependency(u32 id);
    // Appends the bytes as the resource's block (its repository id, offset and size are set).
    void AddBlock(TResource* resource, const void* data, u32 size);
    // The same stored compressed (head, then one zlib stream): read it with the compressed
    // block flag.
    void AddCompressedBlock(TResource* resource, const void* data, u32 size);
    // The offset the next block gets.
    u32 GetNextOffset() const { return REPOSITORY_HEADER_SIZE + static_cast<u32>(m_aBlocks.GetCount()); }

    // Writes the file with the cluster image of the managers (none: no image, offset 0). The
    // scene's links are packed first. compress: an "INDA" file (repositories loaded in full
    // only). false, logged, when the file cannot be written whole.
    bool Write(const char* path, TClusterManager* const* managers, i32 managerCount, bool compress);

    // The scene's managers whose records a repository carries: nodes and resources with their
    // link arrays. Returns the count written into managers (room for 8).
    static i32 SceneManagers(TClusterManager** managers);

    TRepositoryHeader m_Header;

private:
    DArray<u8> m_aBlocks;
};
