#pragma once
// TClusterDynManager: a managed cluster array, one contiguous block of objects owned by the
// cluster's pool (TCluster::RegisterDynManager).
#include "core/cluster/clustermanager.h"
#include "core/system/templates/darray.h"

class TClusterTypeDecl;

class TClusterDynManager : public TClusterManager
{
public:
    TClusterDynManager() : m_pDecl(nullptr) {}
    explicit TClusterDynManager(const TClusterTypeDecl* decl) : m_pDecl(decl) {}
    TClusterDynManager(const TClusterDynManager&) = delete;
    TClusterDynManager& operator=(const TClusterDynManager&) = delete;

    // The block and its object count; null and 0 when empty.
    i32 GetArray(u32 typeId, void*& data, i32& count) override;
    // Replaces the block with count objects copied from data; 0 empties it. The storage is kept
    // until Free.
    i32 SetArray(u32 typeId, void* data, i32 count) override;

    // Makes the block hold count objects whose bytes the caller writes (a load copying them run
    // by run); returns the block, null for 0.
    u8* Resize(i32 count);

    const TClusterTypeDecl* GetDecl() const { return m_pDecl; }
    // An empty array of the descriptor's objects (a pool entry being handed out).
    void Bind(const TClusterTypeDecl* decl)
    {
        m_aData.Free();
        m_pDecl = decl;
    }
    // Releases the storage (tear-down).
    void Free() { m_aData.Free(); }

private:
    DArray<u8> m_aData;
    const TClusterTypeDecl* m_pDecl;
};
