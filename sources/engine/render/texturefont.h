#pragma once
// TTextureFont: the stored layout of its records (type 38, 100 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

#include "engine/system/resource.h"
#include <cstring>

class TTextureFont : public TResource
{
public:
    TTextureFont() { std::memset(reinterpret_cast<u8*>(this) + 68, 0, sizeof(*this) - 68); }

    i32 m_nInset;
    i32 m_nLineHeight;
    f32 m_fBaseline;
    f32 m_fExtraAdvance;
    f32 m_fCellWidth;
    f32 m_fCellHeight;
    u8 m_aReserved92[8];
};

static_assert(sizeof(TTextureFont) == 100);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TTextureFont, m_nInset) == 68);
static_assert(offsetof(TTextureFont, m_nLineHeight) == 72);
static_assert(offsetof(TTextureFont, m_fBaseline) == 76);
static_assert(offsetof(TTextureFont, m_fExtraAdvance) == 80);
static_assert(offsetof(TTextureFont, m_fCellWidth) == 84);
static_assert(offsetof(TTextureFont, m_fCellHeight) == 88);
#pragma GCC diagnostic pop
