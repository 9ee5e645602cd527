#pragma once
// TEnvironment (stored type 77, 84 bytes): a reflection texture that applies around its node's
// position: fully inside the inner radius, fading out over the fade range beyond it. Element 0
// of the environment manager's array is the global environment.
#include "core/system/types.h"
#include "engine/system/nodekindnames.h"

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
        m_fFadeRange = 1.0f;
    }

    u8 m_aReserved12[12];
    f32 m_fInnerRadius;
    u8 m_aReserved28[48];
    f32 m_fFadeRange;
    TTexture* pTexture;
};

static_assert(sizeof(TEnvironment) == 84);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TEnvironment, m_fInnerRadius) == 24);
static_assert(offsetof(TEnvironment, m_fFadeRange) == 76);
static_assert(offsetof(TEnvironment, pTexture) == 80);
#pragma GCC diagnostic pop
