#pragma once
#include "core/system/types.h"

// A word of flag bits.
class TFlags
{
public:
    TFlags(u32 bits = 0) : m_nBits(bits) {}

    u32 Test(u32 bits) const { return m_nBits & bits; }
    void Set(u32 bits) { m_nBits |= bits; }
    void Clear(u32 bits) { m_nBits &= ~bits; }
    u32 Get() const { return m_nBits; }

private:
    u32 m_nBits;
};

static_assert(sizeof(TFlags) == 4);
