#pragma once
// TAnimation: the stored layout of its records (type 56, 172 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

class TAnimationData;
class TScript;
class TSkeleton;

struct TAnimation
{
    u32 m_nState;
    u32 m_nFlags;
    f32 m_fTime;
    f32 m_fTimeScale;
    u32 m_nLoop;
    f32 m_fSpeed;
    u8 m_aReserved24[4];
    TSkeleton* pSkeleton;
    TAnimationData* pAnimationData;
    u8 m_aReserved36[8];
    TScript* aEventFunction[16];
    u8 m_aReserved108[64];
};

static_assert(sizeof(TAnimation) == 172);
static_assert(offsetof(TAnimation, m_nState) == 0);
static_assert(offsetof(TAnimation, m_nFlags) == 4);
static_assert(offsetof(TAnimation, m_fTime) == 8);
static_assert(offsetof(TAnimation, m_fTimeScale) == 12);
static_assert(offsetof(TAnimation, m_nLoop) == 16);
static_assert(offsetof(TAnimation, m_fSpeed) == 20);
static_assert(offsetof(TAnimation, pSkeleton) == 28);
static_assert(offsetof(TAnimation, pAnimationData) == 32);
static_assert(offsetof(TAnimation, aEventFunction) == 44);
