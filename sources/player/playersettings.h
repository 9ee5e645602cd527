#pragma once
// TPlayerSettings: the container of "game.settings" under the player root: the uid of the
// selected profile (0: none), then what the game's settings class adds (nothing here).
#include "player/playercontainer.h"

class TPlayerSettings : public TPlayerContainer
{
public:
    // The uid, then OnLoad / OnSave; a short read or write gives 1.
    u32 OnLoadInternal(u32 patchLevel, TStream& stream) override;
    u32 OnSaveInternal(TStream& stream) override;

    i64 GetSelectedUid() const { return m_nSelectedUid; }
    void SetSelectedUid(i64 uid) { m_nSelectedUid = uid; }

private:
    i64 m_nSelectedUid = 0;
};
