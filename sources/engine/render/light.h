#pragma once
// TLight: the stored layout of its records (type 50, 268 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"
#include "engine/system/nodekindnames.h"
#include "engine/system/storedefault.h"

#include "engine/system/nodeobject.h"
#include <cstring>

class TLightSet;
class TTexture;

class TLight : public TNodeObject
{
public:
    TLight()
    {
        std::memset(reinterpret_cast<u8*>(this) + 12, 0, sizeof(*this) - 12);
        m_nClassName = g_NameTLight.GetId();
        StoreDefault<u32>(this, 12, 6);
        StoreDefault<f32>(this, 28, 1.0f);
        StoreDefault<f32>(this, 32, 1.0f);
        StoreDefault<f32>(this, 36, 1.0f);
        StoreDefault<f32>(this, 44, 0.1f);
        StoreDefault<f32>(this, 48, 0.3f);
        StoreDefault<f32>(this, 52, 300.0f);
        StoreDefault<f32>(this, 60, 0.6f);
        StoreDefault<u32>(this, 64, 4);
        StoreDefault<f32>(this, 140, 1.0f);
        StoreDefault<f32>(this, 156, 1.0f);
        StoreDefault<f32>(this, 164, 1.0f);
    }

    u8 m_aReserved12[120];
    TLightSet* pLightSet;
    TTexture* pProjection;
    u8 m_aReserved140[128];
};

static_assert(sizeof(TLight) == 268);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TLight, pLightSet) == 132);
static_assert(offsetof(TLight, pProjection) == 136);
#pragma GCC diagnostic pop
