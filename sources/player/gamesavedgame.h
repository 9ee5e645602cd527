#pragma once
// TGameSavedGame: the game's saved-game record. Its summary, shown in the load menu without
// loading the game: the money (i32) and the completion (u32, 0..100, the share of the highest
// AI level over the services of all gates) when the game was saved.
#include "player/gamesummarysource.h"
#include "player/playersavedgame.h"

// The container patch level the game writes; its saved games of another level are refused.
constexpr u32 GAME_PLAYER_PATCH_LEVEL = 3;

class TGameSavedGame : public TPlayerSavedGame
{
public:
    // Money, then completion; 1 unless the patch level is the game's, or on a short read.
    u32 OnLoad(u32 patchLevel, TStream& stream) override;
    // Computes both values from the running game, keeps and writes them.
    u32 OnSave(TStream& stream) override;
    u32 OnPreload(u32 patchLevel, TStream& stream) override { return OnLoad(patchLevel, stream); }

    i32 GetMoney() const { return m_nMoney; }
    u32 GetCompletion() const { return m_nCompletion; }

    // The sum of the AI levels of the 8 gates' 11 services, x 100 / 264, truncated.
    static u32 ComputeCompletion(TGameSummarySource& source);

private:
    i32 m_nMoney = 0;
    u32 m_nCompletion = 0;
};

// The profile manager's factory: a record with both values 0 (null without memory).
TPlayerSavedGame* CreateGameSavedGame();
