#pragma once
// TAutomatState: the stored layout of its records (type 83, 20 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

struct TAutomat;
class TScript;

struct TAutomatState
{
    u32 m_nWord;
    TAutomat* pAutomat;
    TScript* pScriptOnActivate;
    TScript* pScriptOnDeactivate;
    TScript* pScriptOnUpdate;
};

static_assert(sizeof(TAutomatState) == 20);
static_assert(offsetof(TAutomatState, m_nWord) == 0);
static_assert(offsetof(TAutomatState, pAutomat) == 4);
static_assert(offsetof(TAutomatState, pScriptOnActivate) == 8);
static_assert(offsetof(TAutomatState, pScriptOnDeactivate) == 12);
static_assert(offsetof(TAutomatState, pScriptOnUpdate) == 16);
