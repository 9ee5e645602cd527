#pragma once
// TRenderScene: the stored layout of its records (type 59, 108 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/name.h"
#include "core/system/types.h"

class TLightSet;
class TRenderQueue;

struct TRenderScene
{
    TName m_Name;
    i32 m_nQueueCount;
    TRenderQueue* aRenderQueue[24];
    TLightSet* pLightSet;
};

static_assert(sizeof(TRenderScene) == 108);
static_assert(offsetof(TRenderScene, m_Name) == 0);
static_assert(offsetof(TRenderScene, m_nQueueCount) == 4);
static_assert(offsetof(TRenderScene, aRenderQueue) == 8);
static_assert(offsetof(TRenderScene, pLightSet) == 104);
