#pragma once
// TResourceLink: one half of a use link between two resources. The user's uses[i] and the used
// resource's users[j] name each other: {j, ready, used} and {i, ready, user}.
#include "core/system/types.h"

class TResource;

struct TResourceLink
{
    // Index of the matching link in the other resource's opposite array.
    u16 nIndex;
    // 1 while the link is marked ready (the used resource loaded, or the user holding it).
    u16 nReady;
    TResource* pResource;
};

static_assert(sizeof(TResourceLink) == 8);
static_assert(offsetof(TResourceLink, pResource) == 4);
