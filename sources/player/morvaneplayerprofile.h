#pragma once
// TMorvanePlayerProfile: the game's profile, which counts the games started from the menu.
#include "player/playerprofile.h"

class TMorvanePlayerProfile : public TPlayerProfile
{
public:
    explicit TMorvanePlayerProfile(const char16_t* name = nullptr) : TPlayerProfile(name) {}

    // The u32 games-played count after the profile's own part; nonzero when short.
    u32 OnLoad(u32 patchLevel, TStream& stream) override;
    u32 OnSave(TStream& stream) override;

    u32 GetGamesPlayed() const { return m_nGamesPlayed; }
    void SetGamesPlayed(u32 count) { m_nGamesPlayed = count; }

private:
    u32 m_nGamesPlayed = 0;
};

// The profile manager's factory: a profile with an empty name (null without memory).
TPlayerProfile* CreateGameProfile();
