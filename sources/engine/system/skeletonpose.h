#pragma once
// TSkeletonPose: the stored layout of its records (type 54, 4144 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

#include "engine/system/resource.h"
#include <cstring>

class TSkeleton;

class TSkeletonPose : public TResource
{
public:
    TSkeletonPose()
    {
        std::memset(reinterpret_cast<u8*>(this) + 68, 0, sizeof(*this) - 68);
        m_nKind = 9;
    }

    u8 m_aReserved68[40];
    TSkeleton* pSkeleton;
    u8 m_aReserved112[4032];
};

static_assert(sizeof(TSkeletonPose) == 4144);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TSkeletonPose, pSkeleton) == 108);
#pragma GCC diagnostic pop
