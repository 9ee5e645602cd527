#pragma once
// The pieces every module's stored-type descriptors are made of: the prototype a loaded object
// takes its virtual table from, reference members, and the two link runs of a resource's head.
#include "core/cluster/clusterfield.h"
#include "engine/system/scenetypes.h"

// Built on first use, destroyed at exit; loaded objects take their virtual tables from it.
template <class T> const T* TypePrototype()
{
    static const T s_Prototype{};
    return &s_Prototype;
}

// owner: "owner::name" (the members of an embedded object).
inline TClusterField TypeLink(u32 offset, u32 typeId, const char* name, u32 count = 1,
                              const char* owner = nullptr)
{
    return TClusterField(CLUSTER_MEMBER_REFERENCE, offset, typeId, count, name, owner);
}

// The two link arrays of the resource head at `base` (their item pointers, after capacity and
// count), first in every resource's list.
inline TClusterField TypeResourceUses(u32 base = 0, const char* owner = nullptr)
{
    return TClusterField(CLUSTER_MEMBER_RUN, base + 36, RESOURCE_LINK_TYPE_ID, 1, "TResource::TResourceLink",
                         owner);
}

inline TClusterField TypeResourceUsers(u32 base = 0, const char* owner = nullptr)
{
    return TClusterField(CLUSTER_MEMBER_RUN, base + 48, RESOURCE_LINK_TYPE_ID, 1, "TResource::TResourceLink",
                         owner);
}
