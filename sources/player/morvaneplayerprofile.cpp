#include "player/morvaneplayerprofile.h"

#include "core/system/memory.h"

u32 TMorvanePlayerProfile::OnLoad(u32, TStream& stream)
{
    return ReadPlayerField(stream, m_nGamesPlayed) ? PLAYER_DONE : PLAYER_REFUSED;
}

u32 TMorvanePlayerProfile::OnSave(TStream& stream)
{
    return WritePlayerField(stream, m_nGamesPlayed) ? PLAYER_DONE : PLAYER_REFUSED;
}

TPlayerProfile* CreateGameProfile()
{
    return MemoryNew<TMorvanePlayerProfile>();
}
