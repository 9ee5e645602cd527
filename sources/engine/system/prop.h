#pragma once
// TProp: the stored layout of its records (type 32, 108 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"
#include "engine/system/nodekindnames.h"

#include "engine/system/nodeobject.h"
#include <cstring>

class TImposter;
class TPropData;
class TPropDataPool;
class TPropProxy;

class TProp : public TNodeObject
{
public:
    TProp()
    {
        std::memset(reinterpret_cast<u8*>(this) + 12, 0, sizeof(*this) - 12);
        m_nClassName = g_NameTProp.GetId();
    }

    u32 m_nFlags;
    i32 m_nPriorityClass;
    TPropData* pPropData;
    TPropDataPool* pPropDataPool;
    u32 m_aReserved28[6];
    TImposter* pImposter;
    void* pMethods;
    TPropProxy* pProxy;
    TProp* pNext;
    TProp* pPrev;
    f32 m_fPriority;
    TProp* pNext2;
    TProp* pPrev2;
    f32 m_fDistance;
    u8 m_aReserved88[20];
};

static_assert(sizeof(TProp) == 108);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TProp, m_nFlags) == 12);
static_assert(offsetof(TProp, m_nPriorityClass) == 16);
static_assert(offsetof(TProp, pPropData) == 20);
static_assert(offsetof(TProp, pPropDataPool) == 24);
static_assert(offsetof(TProp, m_aReserved28) == 28);
static_assert(offsetof(TProp, pImposter) == 52);
static_assert(offsetof(TProp, pMethods) == 56);
static_assert(offsetof(TProp, pProxy) == 60);
static_assert(offsetof(TProp, pNext) == 64);
static_assert(offsetof(TProp, pPrev) == 68);
static_assert(offsetof(TProp, m_fPriority) == 72);
static_assert(offsetof(TProp, pNext2) == 76);
static_assert(offsetof(TProp, pPrev2) == 80);
static_assert(offsetof(TProp, m_fDistance) == 84);
#pragma GCC diagnostic pop
