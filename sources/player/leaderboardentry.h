#pragma once
// TLeaderboardEntry: one entry of a leaderboard list: a name, an 8-byte value, then what the
// entry's subclass adds.
#include "player/playercontainer.h"

class TLeaderboardEntry
{
public:
    virtual ~TLeaderboardEntry() = default;
    virtual u32 OnLoad(u32 version, TStream& stream) { return PLAYER_DONE; }
    virtual u32 OnSave(TStream& stream) { return PLAYER_DONE; }

    // 2 for a short read or write, 1 for a name too long or a subclass's failure.
    u32 Read(u32 version, TStream& stream);
    u32 Write(TStream& stream);

    TPlayerName m_Name;
    i64 m_nValue = 0;
};
