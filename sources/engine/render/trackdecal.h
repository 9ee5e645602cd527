#pragma once
// TTrackDecal: the stored layout of its records (type 93, 596 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"
#include "engine/system/storedefault.h"

#include "engine/system/nodeobject.h"
#include <cstring>

class TDecal;

class TTrackDecal : public TNodeObject
{
public:
    TTrackDecal()
    {
        std::memset(reinterpret_cast<u8*>(this) + 12, 0, sizeof(*this) - 12);
        m_nClassName = TName("TTrackDecal", true).GetId();
        StoreDefault<f32>(this, 80, 1.0f);
        StoreDefault<f32>(this, 84, 5.0f);
        StoreDefault<f32>(this, 88, 0.5f);
    }

    TDecal* pDecal;
    u8 m_aReserved16[580];
};

static_assert(sizeof(TTrackDecal) == 596);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TTrackDecal, pDecal) == 12);
#pragma GCC diagnostic pop
