#include "core/cluster/clustermanager.h"

#include "core/cluster/cluster.h"

TClusterManager::~TClusterManager()
{
    if (g_pCluster)
        g_pCluster->ForgetManager(this);
}

const TName* TClusterManager::GetName()
{
    return nullptr;
}

i32 TClusterManager::GetArray(u32, void*&, i32&)
{
    return 0;
}

i32 TClusterManager::SetArray(u32, void*, i32)
{
    return 0;
}

i32 TClusterManager::GetDataCount()
{
    return 0;
}

i32 TClusterManager::GetDataSize()
{
    return 0;
}

i32 TClusterManager::GetData(i32, void*&, i32&)
{
    return 0;
}

i32 TClusterManager::SetData(i32, const void*, i32)
{
    return 0;
}

void TClusterManager::_RegisterArray(const TClusterTypeDecl* decl, DArray<void*>* holder)
{
    g_pCluster->RegisterArray({CLUSTER_ARRAY_POINTERS, decl, this, holder});
}

i32 TClusterManager::RegisterId(i32 id)
{
    return g_pCluster ? g_pCluster->RegisterManagerId(id, this) : 1;
}

TClusterManager* TClusterManager::FindId(i32 id)
{
    return g_pCluster ? g_pCluster->FindManager(id) : nullptr;
}
