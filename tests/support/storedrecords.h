#pragma once
// TStoredRecords: a repository file's bytes (inflated when the file is compressed) with the
// offsets of its stored records (the cluster image's arrays walked with the linked descriptors'
// sizes) and of its first data block, to damage chosen words of a record and write the file again
// (uncompressed: the loader takes either).
#include "core/cluster/cluster.h"
#include "core/compression/compressedfile.h"
#include "engine/system/repository.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

class TStoredRecords
{
public:
    explicit TStoredRecords(const std::string& path)
    {
        DArray<u8> image;
        EXPECT_EQ(ReadCompressedFile(path.c_str(), image, nullptr), COMPRESS_DONE) << path;
        bytes.assign(image.GetData(), image.GetData() + image.GetCount());
        const u32 cluster = Word(offsetof(TRepositoryHeader, nClusterOffset));
        const u32 arrays = Word(cluster + 12);
        u32 at = cluster + CLUSTER_HEADER_SIZE + 8 * arrays;
        for (u32 j = 0; j < arrays; ++j)
        {
            const u32 count = Word(cluster + CLUSTER_HEADER_SIZE + 8 * j);
            const u32 type = Word(cluster + CLUSTER_HEADER_SIZE + 8 * j + 4);
            m_aArray.push_back({type, count, at});
            at += count * g_pCluster->GetSlot(type).pDecl->GetObjectSize();
        }
        // The first manager's first block follows its id and its size.
        m_nBlock = at + 8;
    }

    u32 Word(u32 offset) const
    {
        u32 word;
        std::memcpy(&word, bytes.data() + offset, 4);
        return word;
    }
    void SetWord(u32 offset, u32 word) { std::memcpy(bytes.data() + offset, &word, 4); }
    // The number of stored records of the type.
    u32 Count(u32 type) const
    {
        for (const TArray& array : m_aArray)
            if (array.nType == type)
                return array.nCount;
        return 0;
    }
    // The record of the type and index; type 0: the first data block.
    u32 Offset(u32 type, u32 index) const
    {
        if (type == 0)
            return m_nBlock;
        for (const TArray& array : m_aArray)
            if (array.nType == type)
                return array.nFirst + index * g_pCluster->GetSlot(type).pDecl->GetObjectSize();
        ADD_FAILURE() << "no array of type " << type;
        return 0;
    }
    void Write(const std::string& path) const
    {
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }

    std::vector<u8> bytes;

private:
    struct TArray
    {
        u32 nType, nCount, nFirst;
    };
    std::vector<TArray> m_aArray;
    u32 m_nBlock = 0;
};
