#pragma once
// TMaterial: the stored layout of its records (type 39, 164 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

#include "engine/system/resource.h"
#include <cstring>

class TShader;
class TTexture;

class TMaterial : public TResource
{
public:
    TMaterial() { std::memset(reinterpret_cast<u8*>(this) + 68, 0, sizeof(*this) - 68); }

    TShader* pShader;
    TTexture* aTexture[22];
    u8 m_aReserved160[4];
};

static_assert(sizeof(TMaterial) == 164);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TMaterial, pShader) == 68);
static_assert(offsetof(TMaterial, aTexture) == 72);
#pragma GCC diagnostic pop
