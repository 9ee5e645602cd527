#pragma once
// TDynamicsPropProxy: the stored layout of its records (type 81, 2204 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

#include "engine/system/propproxy.h"
#include <cstring>

class TDynamicsPropProxy : public TPropProxy
{
public:
    TDynamicsPropProxy() { std::memset(reinterpret_cast<u8*>(this) + 8, 0, sizeof(*this) - 8); }

    u8 m_aReserved8[2196];
};

static_assert(sizeof(TDynamicsPropProxy) == 2204);
