#pragma once
// TSkeletonData (stored type 51, 8232 bytes): a bone hierarchy as a resource: a bone count and
// 60 bone records, parents before children.
#include "core/math/matrix.h"
#include "core/system/name.h"
#include "core/system/types.h"
#include "engine/system/resource.h"

#include <cstring>

constexpr u32 SKELETON_BONE_CAPACITY = 60;

struct TSkeletonBone
{
    // The bone's name (the empty name for none): the debug drawing shows it.
    TName Name;
    // Negative for a root.
    i16 nParent;
    u16 nReserved6;
    // The skinning offset, and the parent frame when physics drives a child.
    TMatrix Bind;
    // The bone's local matrix when nothing animates it.
    TMatrix Rest;
};

static_assert(sizeof(TSkeletonBone) == 136);
static_assert(offsetof(TSkeletonBone, Name) == 0);
static_assert(offsetof(TSkeletonBone, nParent) == 4);
static_assert(offsetof(TSkeletonBone, Bind) == 8);
static_assert(offsetof(TSkeletonBone, Rest) == 72);

class TSkeletonData : public TResource
{
public:
    TSkeletonData()
    {
        std::memset(reinterpret_cast<u8*>(this) + 68, 0, sizeof(*this) - 68);
        m_nKind = 9;
    }

    // The bones the table really holds (a stored count is at most 60).
    u32 GetBoneCount() const
    {
        return m_nBoneCount <= 0 ? 0u
                                 : m_nBoneCount > static_cast<i32>(SKELETON_BONE_CAPACITY) ? SKELETON_BONE_CAPACITY
                                                                                           : static_cast<u32>(m_nBoneCount);
    }
    // The parent of a bone when it is an earlier bone of the table; -1 otherwise.
    i32 GetParent(u32 bone) const
    {
        const i32 parent = aBone[bone].nParent;
        return parent >= 0 && static_cast<u32>(parent) < bone ? parent : -1;
    }

    i32 m_nBoneCount;
    TSkeletonBone aBone[SKELETON_BONE_CAPACITY];
};

static_assert(sizeof(TSkeletonData) == 8232);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TSkeletonData, m_nBoneCount) == 68);
static_assert(offsetof(TSkeletonData, aBone) == 72);
#pragma GCC diagnostic pop
constexpr u32 SKELETON_DATA_BONE_COUNT_OFFSET = 68;
#pragma GCC diagnostic push
#pragma GCC diagnostic pop
