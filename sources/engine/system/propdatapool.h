#pragma once
// TPropDataPool (stored type 30, 4200 bytes): one prop type's full forms: the free stack, the
// props holding a form and the props waiting for an update (both ascending by priority), the
// type's imposter data and box, and how many of its props lie inside the view frustum.
#include "core/math/boundbox.h"
#include "core/system/types.h"
#include "engine/system/linkedlist.h"

struct TImposterData;
class TProp;
class TPropData;

struct TPropDataPool
{
    i32 m_nFreeCount;
    TPropData* aFree[1024];
    u8 m_aReserved4100[4];
    TLinkedList<TProp> lProp;
    TImposterData* pImposterData;
    TBoundBox m_BoundBox;
    TLinkedList<TProp> lPropUpdate;
    i32 m_nInsideFrustum;
    u8 m_aReserved4192[8];
};

static_assert(sizeof(TPropDataPool) == 4200);
static_assert(offsetof(TPropDataPool, m_nFreeCount) == 0);
static_assert(offsetof(TPropDataPool, aFree) == 4);
static_assert(offsetof(TPropDataPool, lProp) == 4104);
static_assert(offsetof(TPropDataPool, pImposterData) == 4112);
static_assert(offsetof(TPropDataPool, m_BoundBox) == 4116);
static_assert(offsetof(TPropDataPool, lPropUpdate) == 4180);
static_assert(offsetof(TPropDataPool, m_nInsideFrustum) == 4188);
