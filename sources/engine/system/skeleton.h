#pragma once
// TSkeleton: the stored layout of its records (type 53, 2896 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"
#include "engine/system/nodekindnames.h"

#include "engine/system/blendprogram.h"
#include "engine/system/node.h"
#include "engine/system/nodeobject.h"
#include <cstring>

class TSkeletonData;
class TSkeletonPose;

class TSkeleton : public TNodeObject
{
public:
    TSkeleton()
    {
        std::memset(reinterpret_cast<u8*>(this) + 12, 0, sizeof(*this) - 12);
        m_nClassName = g_NameTSkeleton.GetId();
    }

    u32 m_nFlags;
    TSkeletonData* pSkeletonData;
    TSkeletonPose* pSkeletonPose;
    TBlendProgram Function;
    u8 m_aRootKey[40];
    u8 m_aRestKey[2400];
    u8 m_aReserved2564[8];
    i32 m_nLinkedNodeCount;
    TNamedNode aLinkedNode[40];
};

static_assert(sizeof(TSkeleton) == 2896);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TSkeleton, m_nFlags) == 12);
static_assert(offsetof(TSkeleton, pSkeletonData) == 16);
static_assert(offsetof(TSkeleton, pSkeletonPose) == 20);
static_assert(offsetof(TSkeleton, Function) == 24);
static_assert(offsetof(TSkeleton, m_aRootKey) == 124);
static_assert(offsetof(TSkeleton, m_aRestKey) == 164);
static_assert(offsetof(TSkeleton, m_nLinkedNodeCount) == 2572);
static_assert(offsetof(TSkeleton, aLinkedNode) == 2576);
#pragma GCC diagnostic pop
