#include "core/cluster/clusterhandle.h"

#include "core/cluster/cluster.h"

TClusterHandle TClusterHandle::FromUserId(u32 userId)
{
    return g_pCluster->__GetUserIdObject(userId);
}

void* TClusterHandle::GetObject() const
{
    if (IsNull() || GetTypeId() >= CLUSTER_TYPE_COUNT)
        return nullptr;
    const TClusterSlot& slot = g_pCluster->GetSlot(GetTypeId());
    if (!slot.pManager)
        return nullptr;
    void* data = nullptr;
    i32 count = 0;
    slot.GetArray(data, count);
    if (GetIndex() >= count)
        return nullptr;
    if (slot.nKind == CLUSTER_ARRAY_POINTERS)
        return static_cast<void**>(data)[GetIndex()];
    return static_cast<u8*>(data) + GetIndex() * slot.pDecl->GetObjectSize();
}
