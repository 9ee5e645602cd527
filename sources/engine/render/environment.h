#pragma once
// TEnvironment: the stored layout of its records (type 77, 84 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"
#include "engine/system/nodekindnames.h"
#include "engine/system/storedefault.h"

#include "engine/system/nodeobject.h"
#include <cstring>

class TTexture;

class TEnvironment : public TNodeObject
{
public:
    TEnvironment()
    {
        std::memset(reinterpret_cast<u8*>(this) + 12, 0, sizeof(*this) - 12);
        m_nClassName = g_NameTEnvironment.GetId();
        StoreDefault<f32>(this, 76, 1.0f);
    }

    u8 m_aReserved12[68];
    TTexture* pTexture;
};

static_assert(sizeof(TEnvironment) == 84);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TEnvironment, pTexture) == 80);
#pragma GCC diagnostic pop
