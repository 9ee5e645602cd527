#include "core/cluster/clusterfield.h"

#include "core/system/abort.h"
#include "core/system/string.h"

#include <cstring>

TClusterField::TClusterField(u32 kind, u32 offset, u32 typeId, u32 count, const char* memberName,
                             const char* ownerName)
{
    nKind = kind;
    nOffset = offset;
    nTypeId = typeId;
    nCount = count;
    const size_t length = std::strlen(memberName) + (ownerName ? std::strlen(ownerName) + 2 : 0);
    if (length >= CLUSTER_NAME_SIZE)
        __Abort("TClusterField::TClusterField", "core/cluster/clusterfield.cpp", __LINE__,
                "'%s': member name too long", memberName);
    if (ownerName)
        FormatStringN(szName, CLUSTER_NAME_SIZE, "%s::%s", ownerName, memberName);
    else
        FormatStringN(szName, CLUSTER_NAME_SIZE, "%s", memberName);
}
