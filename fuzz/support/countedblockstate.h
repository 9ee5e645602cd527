// A state object of two counted blocks in passes 0 and 2, as the game's records are: a u32
// length (refused above 256), then the bytes. The fuzz targets check that an image the state
// manager refuses leaves it holding what it held.
#pragma once

#include "engine/system/statemanager.h"

#include <cstring>

class TCountedBlockState : public TStateMethods
{
public:
    i32 SaveState(u32 pass, TStream& stream) override
    {
        if (pass != 0 && pass != 2)
            return 0;
        const u32 block = pass / 2;
        stream.Write(&m_aLength[block], 4);
        stream.Write(m_aData[block], static_cast<i32>(m_aLength[block]));
        return 0;
    }
    i32 LoadState(u32 pass, TStream& stream) override
    {
        if (pass != 0 && pass != 2)
            return 0;
        // Read straight into the members, as state objects do: a failure leaves them half-done.
        const u32 block = pass / 2;
        if (stream.Read(&m_aLength[block], 4) != 4 || m_aLength[block] > sizeof m_aData[block])
            return 1;
        const i32 length = static_cast<i32>(m_aLength[block]);
        return stream.Read(m_aData[block], length) == length ? 0 : 1;
    }
    // The state is what a save keeps: the bytes past a block's length are not part of it.
    bool Holds(const TCountedBlockState& other) const
    {
        for (u32 block = 0; block < 2; ++block)
            if (m_aLength[block] != other.m_aLength[block] ||
                std::memcmp(m_aData[block], other.m_aData[block], m_aLength[block]) != 0)
                return false;
        return true;
    }
    u32 m_aLength[2] = {};
    u8 m_aData[2][256] = {};
};
