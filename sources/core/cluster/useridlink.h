#pragma once
// TUserIdLink: a static link to a stored object by its user id (the TName id of its name),
// resolved on first use and forgotten when the cluster is cleared.
#include "core/system/types.h"

class TUserIdLink
{
public:
    explicit TUserIdLink(u32 userId) : nUserId(userId), pObject(nullptr) {}

    // The cached object; otherwise resolves the user id (an unknown id is fatal), caches the
    // object and registers the cache with the cluster's reset pointers.
    void* GetObject();
    // As GetObject, but null when the user-id table does not hold the id.
    void* FindObject();
    // Caches an object found by other means; forgotten, like a resolved one, at the next clear.
    void SetObject(void* object);

    u32 nUserId;
    void* pObject;
};

static_assert(sizeof(TUserIdLink) == 8);
static_assert(offsetof(TUserIdLink, pObject) == 4);
