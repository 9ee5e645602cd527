#pragma once
// TSkeletonMeshData: the stored layout of its records (type 52, 320 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

class TMeshData;
class TSkeletonData;

struct TSkeletonMeshData
{
    TMeshData* pMeshData;
    TSkeletonData* pSkeletonData;
    i32 m_nPaletteCount;
    u8 m_aReserved12[308];
};

static_assert(sizeof(TSkeletonMeshData) == 320);
static_assert(offsetof(TSkeletonMeshData, pMeshData) == 0);
static_assert(offsetof(TSkeletonMeshData, pSkeletonData) == 4);
static_assert(offsetof(TSkeletonMeshData, m_nPaletteCount) == 8);
