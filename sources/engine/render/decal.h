#pragma once
// TDecal: the stored layout of its records (type 92, 16 bytes), read and written raw by
// repository images: its decal data and the entry of the data's texture atlas it takes.
#include "core/system/types.h"

struct TDecalData;

struct TDecal
{
    u8 m_aReserved0[8];
    TDecalData* pDecalData;
    u32 m_nAtlasIndex;
};

static_assert(sizeof(TDecal) == 16);
static_assert(offsetof(TDecal, pDecalData) == 8);
static_assert(offsetof(TDecal, m_nAtlasIndex) == 12);
