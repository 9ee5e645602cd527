#pragma once
// TImposterData (stored type 44, 380 bytes): the pre-rendered colour and normal textures of one
// prop type, the values its imposters hand to the imposter shader and their bounding box.
#include "core/math/boundbox.h"
#include "core/math/vector.h"
#include "core/system/types.h"

class TPropData;
class TTexture;

constexpr u32 IMPOSTER_DATA_FLOATS = 8;

struct TImposterData
{
    u8 m_aReserved0[4];
    TTexture* pTextureColor;
    TTexture* pTextureNormal;
    TVector m_Vector;
    f32 m_aFloat[IMPOSTER_DATA_FLOATS];
    i32 m_nShaderValue;
    TBoundBox m_BoundBox;
    u8 m_aReserved128[244];
    TPropData* pSource;
    u8 m_aReserved376[4];
};

static_assert(sizeof(TImposterData) == 380);
static_assert(offsetof(TImposterData, pTextureColor) == 4);
static_assert(offsetof(TImposterData, pTextureNormal) == 8);
static_assert(offsetof(TImposterData, m_Vector) == 12);
static_assert(offsetof(TImposterData, m_aFloat) == 28);
static_assert(offsetof(TImposterData, m_nShaderValue) == 60);
static_assert(offsetof(TImposterData, m_BoundBox) == 64);
static_assert(offsetof(TImposterData, pSource) == 372);
