#pragma once
// TSkeletonMeshData (stored type 52, 320 bytes): how a skinned mesh uses a skeleton: its palette
// names, for each matrix the mesh's vertices index, the skeleton bone it follows.
#include "core/system/types.h"

class TMeshData;
class TSkeleton;
class TSkeletonData;

constexpr u32 SKELETON_PALETTE_CAPACITY = 60;

struct TSkeletonMeshData
{
    TMeshData* pMeshData;
    TSkeletonData* pSkeletonData;
    i32 m_nPaletteCount;
    u8 aPalette[SKELETON_PALETTE_CAPACITY];
    // The skeleton being drawn, set per draw.
    TSkeleton* pSkeleton;
    u8 m_aReserved76[244];
};

static_assert(sizeof(TSkeletonMeshData) == 320);
static_assert(offsetof(TSkeletonMeshData, pMeshData) == 0);
static_assert(offsetof(TSkeletonMeshData, pSkeletonData) == 4);
static_assert(offsetof(TSkeletonMeshData, m_nPaletteCount) == 8);
static_assert(offsetof(TSkeletonMeshData, aPalette) == 12);
static_assert(offsetof(TSkeletonMeshData, pSkeleton) == 72);
