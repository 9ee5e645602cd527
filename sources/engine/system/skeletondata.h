#pragma once
// TSkeletonData: the stored layout of its records (type 51, 8232 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

#include "engine/system/resource.h"
#include <cstring>

class TSkeletonData : public TResource
{
public:
    TSkeletonData()
    {
        std::memset(reinterpret_cast<u8*>(this) + 68, 0, sizeof(*this) - 68);
        m_nKind = 9;
    }

    i32 m_nBoneCount;
    u8 m_aReserved72[8160];
};

static_assert(sizeof(TSkeletonData) == 8232);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TSkeletonData, m_nBoneCount) == 68);
#pragma GCC diagnostic pop
