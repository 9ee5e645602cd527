#pragma once
// TClusterHandleLink: a link to a stored object by its handle, resolved on first use and
// forgotten when the cluster is cleared (the UX screens' control members).
#include "core/cluster/clusterhandle.h"

#include <cstddef>

class TClusterHandleLink
{
public:
    TClusterHandleLink() : pObject(nullptr) {}
    explicit TClusterHandleLink(TClusterHandle handle) : Handle(handle), pObject(nullptr) {}

    // The cached object; otherwise the handle resolved, cached and the cache registered with the
    // cluster's reset pointers. Null for the null handle or an object the arrays do not hold.
    void* Get();

    TClusterHandle Handle;
    void* pObject;
};

static_assert(sizeof(TClusterHandleLink) == 8);
static_assert(offsetof(TClusterHandleLink, pObject) == 4);
