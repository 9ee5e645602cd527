#pragma once
// TLightSet (stored type 49, 32 bytes): a group of lights switched on and off together, with
// the number of its enabled lights per light type.
#include "core/system/types.h"

constexpr u32 LIGHT_TYPE_COUNT = 6;
// Flag bits.
constexpr u32 LIGHT_SET_ON = 1;
constexpr u32 LIGHT_SET_EXCLUSIVE = 2;

struct TLightSet
{
    // Switches the set on (nothing when it is on): an exclusive set first switches every other
    // set that is on off; the light manager's totals follow.
    void Enable();

    u32 m_nFlags;
    u32 m_nWord;
    u32 m_aLightCount[LIGHT_TYPE_COUNT];
};

static_assert(sizeof(TLightSet) == 32);
static_assert(offsetof(TLightSet, m_nFlags) == 0);
static_assert(offsetof(TLightSet, m_nWord) == 4);
static_assert(offsetof(TLightSet, m_aLightCount) == 8);
