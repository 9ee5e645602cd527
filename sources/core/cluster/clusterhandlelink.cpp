#include "core/cluster/clusterhandlelink.h"

#include "core/cluster/cluster.h"

void* TClusterHandleLink::Get()
{
    if (pObject || Handle.IsNull())
        return pObject;
    pObject = Handle.GetObject();
    if (pObject)
        g_pCluster->AddResetPointer(&pObject);
    return pObject;
}
