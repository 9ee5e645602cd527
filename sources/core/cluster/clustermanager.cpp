#include "core/cluster/clustermanager.h"

#include "core/system/templates/sset.h"

namespace
{
// Managers by id, ordered by id.
SSet<TMapKey<i32, TClusterManager*>, 256, i32, 0>& ManagerIds()
{
    static SSet<TMapKey<i32, TClusterManager*>, 256, i32, 0> s_ids;
    return s_ids;
}
} // namespace

TClusterManager::~TClusterManager()
{
    auto& ids = ManagerIds();
    for (u32 i = 0; i < ids.GetCount(); ++i)
        if (ids[i].value == this)
            ids[i].value = nullptr;
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

void TClusterManager::RegisterId(i32 id)
{
    auto& ids = ManagerIds();
    // The first manager registered under an id keeps it while it lives.
    const i32 index = ids.FindKey(id);
    if (index < 0)
        ids.Insert({id, this});
    else if (!ids[index].value)
        ids[index].value = this;
}

TClusterManager* TClusterManager::FindId(i32 id)
{
    auto& ids = ManagerIds();
    const i32 index = ids.FindKey(id);
    return index >= 0 ? ids[index].value : nullptr;
}
