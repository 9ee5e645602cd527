#include "player/leaderboardentry.h"

u32 TLeaderboardEntry::Read(u32 version, TStream& stream)
{
    switch (ReadPlayerName(stream, version, m_Name))
    {
    case TPlayerNameRead::ShortRead:
        return PLAYER_FILE_FAILED;
    case TPlayerNameRead::TooLong:
    case TPlayerNameRead::HoldsNul:
        return PLAYER_REFUSED;
    case TPlayerNameRead::Read:
        break;
    }
    if (!ReadPlayerField(stream, m_nValue))
        return PLAYER_FILE_FAILED;
    return OnLoad(version, stream) != 0 ? PLAYER_REFUSED : PLAYER_DONE;
}

u32 TLeaderboardEntry::Write(TStream& stream)
{
    if (!WritePlayerName(stream, m_Name) || !WritePlayerField(stream, m_nValue))
        return PLAYER_FILE_FAILED;
    return OnSave(stream) != 0 ? PLAYER_REFUSED : PLAYER_DONE;
}
