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
