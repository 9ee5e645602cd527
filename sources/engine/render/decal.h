#pragma once
// TDecal: the stored layout of its records (type 92, 16 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

class TDecalData;

struct TDecal
{
    u8 m_aReserved0[8];
    TDecalData* pDecalData;
    u8 m_aReserved12[4];
};

static_assert(sizeof(TDecal) == 16);
static_assert(offsetof(TDecal, pDecalData) == 8);
