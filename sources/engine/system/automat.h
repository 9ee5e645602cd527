#pragma once
// TAutomat: the stored layout of its records (type 84, 144 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

struct TAutomatState;

struct TAutomat
{
    u32 m_aWord[2];
    TAutomatState* aState[32];
    TAutomatState* pActiveState;
    i32 m_nEnabled;
};

static_assert(sizeof(TAutomat) == 144);
static_assert(offsetof(TAutomat, m_aWord) == 0);
static_assert(offsetof(TAutomat, aState) == 8);
static_assert(offsetof(TAutomat, pActiveState) == 136);
static_assert(offsetof(TAutomat, m_nEnabled) == 140);
