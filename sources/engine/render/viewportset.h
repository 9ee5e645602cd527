#pragma once
// TViewportSet (stored type 47, 40 bytes): up to 8 viewports drawn together.
#include "core/system/types.h"

class TViewport;

constexpr u32 VIEWPORT_SET_CAPACITY = 8;

struct TViewportSet
{
    u32 m_nWord;
    u32 m_nViewportCount;
    TViewport* aViewport[VIEWPORT_SET_CAPACITY];
};

static_assert(sizeof(TViewportSet) == 40);
static_assert(offsetof(TViewportSet, m_nWord) == 0);
static_assert(offsetof(TViewportSet, m_nViewportCount) == 4);
static_assert(offsetof(TViewportSet, aViewport) == 8);
