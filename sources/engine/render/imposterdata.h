#pragma once
// TImposterData: the stored layout of its records (type 44, 380 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

class TPropData;
class TTexture;

struct TImposterData
{
    u8 m_aReserved0[4];
    TTexture* pTextureColor;
    TTexture* pTextureNormal;
    u8 m_aReserved12[360];
    TPropData* pSource;
    u8 m_aReserved376[4];
};

static_assert(sizeof(TImposterData) == 380);
static_assert(offsetof(TImposterData, pTextureColor) == 4);
static_assert(offsetof(TImposterData, pTextureNormal) == 8);
static_assert(offsetof(TImposterData, pSource) == 372);
