#pragma once
// TDecalData: the stored layout of its records (type 91, 1624 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

class TTexture;

struct TDecalData
{
    TTexture* pTextureColor;
    TTexture* pTextureNormal;
    TTexture* pTextureMask;
    u8 m_aReserved12[1612];
};

static_assert(sizeof(TDecalData) == 1624);
static_assert(offsetof(TDecalData, pTextureColor) == 0);
static_assert(offsetof(TDecalData, pTextureNormal) == 4);
static_assert(offsetof(TDecalData, pTextureMask) == 8);
