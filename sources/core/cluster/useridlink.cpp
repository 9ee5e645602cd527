#include "core/cluster/useridlink.h"

#include "core/cluster/cluster.h"

void* TUserIdLink::GetObject()
{
    if (pObject)
        return pObject;
    pObject = TClusterHandle::FromUserId(nUserId).GetObject();
    if (pObject)
        g_pCluster->AddResetPointer(&pObject);
    return pObject;
}

void* TUserIdLink::FindObject()
{
    if (pObject || g_pCluster->GetUserIds().FindKey(static_cast<i32>(nUserId)) < 0)
        return pObject;
    return GetObject();
}

void TUserIdLink::SetObject(void* object)
{
    pObject = object;
    if (pObject)
        g_pCluster->AddResetPointer(&pObject);
}
