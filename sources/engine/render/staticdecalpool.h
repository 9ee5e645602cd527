#pragma once
// TStaticDecalPool: the stored layout of its records (type 94, 84 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

#include "engine/system/resource.h"
#include <cstring>

class TDecalData;
class TNode;

class TStaticDecalPool : public TResource
{
public:
    TStaticDecalPool() { std::memset(reinterpret_cast<u8*>(this) + 68, 0, sizeof(*this) - 68); }

    TNode* pNode;
    TDecalData* pDecalData;
    u8 m_aReserved76[8];
};

static_assert(sizeof(TStaticDecalPool) == 84);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TStaticDecalPool, pNode) == 68);
static_assert(offsetof(TStaticDecalPool, pDecalData) == 72);
#pragma GCC diagnostic pop
