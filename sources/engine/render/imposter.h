#pragma once
// TImposter: the stored layout of its records (type 45, 168 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"
#include "engine/system/nodekindnames.h"

#include "engine/render/renderobject.h"
#include <cstring>

class TImposterData;

class TImposter : public TRenderObject
{
public:
    TImposter()
    {
        std::memset(reinterpret_cast<u8*>(this) + 28, 0, sizeof(*this) - 28);
        m_nClassName = g_NameTImposter.GetId();
    }

    TImposterData* pImposterData;
    f32 m_aColour[4];
    f32 m_fAlpha;
    f32 m_fFade;
    u32 m_nVisible;
    u8 m_aReserved60[108];
};

static_assert(sizeof(TImposter) == 168);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TImposter, pImposterData) == 28);
static_assert(offsetof(TImposter, m_aColour) == 32);
static_assert(offsetof(TImposter, m_fAlpha) == 48);
static_assert(offsetof(TImposter, m_fFade) == 52);
static_assert(offsetof(TImposter, m_nVisible) == 56);
#pragma GCC diagnostic pop
