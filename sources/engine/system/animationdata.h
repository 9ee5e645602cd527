#pragma once
// TAnimationData: the stored layout of its records (type 55, 516 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

#include "engine/system/resource.h"
#include <cstring>

class TAnimationData : public TResource
{
public:
    TAnimationData() { std::memset(reinterpret_cast<u8*>(this) + 68, 0, sizeof(*this) - 68); }

    i32 m_nLength;
    i32 m_nInterpolation;
    u32 m_nFlags;
    i32 m_nEventCount;
    u8 m_aReserved84[432];
};

static_assert(sizeof(TAnimationData) == 516);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TAnimationData, m_nLength) == 68);
static_assert(offsetof(TAnimationData, m_nInterpolation) == 72);
static_assert(offsetof(TAnimationData, m_nFlags) == 76);
static_assert(offsetof(TAnimationData, m_nEventCount) == 80);
#pragma GCC diagnostic pop
