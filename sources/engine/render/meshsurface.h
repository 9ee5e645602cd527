#pragma once
// TMeshSurface: the stored layout of its records (type 40, 24 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

class TMaterial;

struct TMeshSurface
{
    u32 m_nMinimumVertex;
    u32 m_nBaseVertex;
    u32 m_nVertexCount;
    u32 m_nStartIndex;
    u32 m_nPrimitiveCount;
    TMaterial* pMaterial;
};

static_assert(sizeof(TMeshSurface) == 24);
static_assert(offsetof(TMeshSurface, m_nMinimumVertex) == 0);
static_assert(offsetof(TMeshSurface, m_nBaseVertex) == 4);
static_assert(offsetof(TMeshSurface, m_nVertexCount) == 8);
static_assert(offsetof(TMeshSurface, m_nStartIndex) == 12);
static_assert(offsetof(TMeshSurface, m_nPrimitiveCount) == 16);
static_assert(offsetof(TMeshSurface, pMaterial) == 20);
