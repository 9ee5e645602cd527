#pragma once
// TViewportSet: the stored layout of its records (type 47, 40 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

class TViewport;

struct TViewportSet
{
    u32 m_nWord;
    u32 m_nViewportCount;
    TViewport* aViewport[8];
};

static_assert(sizeof(TViewportSet) == 40);
static_assert(offsetof(TViewportSet, m_nWord) == 0);
static_assert(offsetof(TViewportSet, m_nViewportCount) == 4);
static_assert(offsetof(TViewportSet, aViewport) == 8);
