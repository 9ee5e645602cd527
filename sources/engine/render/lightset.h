#pragma once
// TLightSet: the stored layout of its records (type 49, 32 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

struct TLightSet
{
    u32 m_nFlags;
    u32 m_nWord;
    u32 m_aLightCount[6];
};

static_assert(sizeof(TLightSet) == 32);
static_assert(offsetof(TLightSet, m_nFlags) == 0);
static_assert(offsetof(TLightSet, m_nWord) == 4);
static_assert(offsetof(TLightSet, m_aLightCount) == 8);
