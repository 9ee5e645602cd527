#pragma once
// TMovie: the stored layout of its records (type 95, 72 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

class TScript;

struct TMovie
{
    u8 m_aReserved0[68];
    TScript* pScriptEnd;
};

static_assert(sizeof(TMovie) == 72);
static_assert(offsetof(TMovie, pScriptEnd) == 68);
