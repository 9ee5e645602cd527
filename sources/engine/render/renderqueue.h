#pragma once
// TRenderQueue: the stored layout of its records (type 58, 20 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/name.h"
#include "core/system/types.h"
#include "engine/system/linkedlist.h"

class TRenderObject;

struct TRenderQueue
{
    TName m_Name;
    TName m_Define;
    u32 m_nFlags;
    TLinkedList<TRenderObject> lObject;
};

static_assert(sizeof(TRenderQueue) == 20);
static_assert(offsetof(TRenderQueue, m_Name) == 0);
static_assert(offsetof(TRenderQueue, m_Define) == 4);
static_assert(offsetof(TRenderQueue, m_nFlags) == 8);
static_assert(offsetof(TRenderQueue, lObject) == 12);
