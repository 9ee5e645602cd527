#pragma once
// TPlayerProfileManager ("PlayerProfile"): owns the local player profiles, knows which one is
// selected (the one whose uid the settings file "game.settings" holds) and keeps that choice
// on disk. The game supplies its profile and saved-game classes through two factories.
// Results: 0 done, 1 refused, 2 a file-system failure, 3 an index out of range; every failure
// is logged. Main thread only.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "engine/system/manager.h"
#include "player/playerprofile.h"
#include "player/playersettings.h"

typedef TPlayerProfile* (*TCreateProfileFunc)();
typedef TPlayerSavedGame* (*TCreateSavedGameFunc)();
// The local time as a FILETIME (saved-game ids); tests inject their own.
typedef u64 (*TPlayerClock)();

class TPlayerProfileManager : public TManager, public TClusterMethods
{
public:
    TPlayerProfileManager();

    i32 InitializeManager() override { return 0; }
    // Empties the leaderboard, destroys the profiles and the settings, forgets the factories.
    void FinalizeManager() override;
    // From now on OnClusterLoad runs after each cluster load.
    void BeginManager() override;
    // A saved game waiting for its level (the state image named it) is loaded again once the
    // level's cluster has loaded; the pending saved game is then forgotten in every case.
    void OnClusterLoad() override;

    // Creates the settings, takes the factories and loads (Load); 1 when already initialized.
    u32 Initialize(u32 patchLevel, TCreateProfileFunc createProfile, TCreateSavedGameFunc createSavedGame);
    // The profiles of the player root's folders, then the selection from "game.settings".
    u32 Load(u32 patchLevel);

    // -1 when none.
    i32 FindProfileByUid(i64 uid) const;
    // Names compared without regard to the case of ASCII letters.
    i32 FindProfileByName(const char16_t* name) const;
    i32 GetSelectedIndex() const;
    TPlayerProfile* GetSelectedProfile() const { return GetProfile(GetSelectedIndex()); }
    i32 GetProfileCount() const { return m_aProfile.GetCount(); }
    // Null outside the list.
    TPlayerProfile* GetProfile(i32 index) const;

    // Saves the profile, appends and selects it (undone when the selection fails). The name
    // must be one a folder may have and no profile may have it yet: else 1 with a line.
    u32 AddProfile(TPlayerProfile* profile);
    // Deletes the profile's folder with its saved games; the selection falls to the first
    // remaining profile. 2 when the folder cannot be deleted, 3 outside the list.
    u32 DeleteProfile(i32 index);
    // Moves the profile file, then the folder, to the new name (moved back on failure) and
    // saves the profile. 1 for a name taken or not allowed, 2 for a file-system failure.
    u32 RenameProfile(i32 index, const char16_t* name);
    // -1 (any negative index) selects none. Writes the settings; 1 out of range or unwritten.
    u32 SelectProfile(i32 index);
    // "<root>/<name>/<name>.profile"; 1 when it cannot be written.
    u32 _SaveProfile(TPlayerProfile* profile);
    // "<root>/game.settings"; 2 when it cannot be written.
    u32 _SaveSettings();

    u32 GetPatchLevel() const { return m_nPatchLevel; }
    TPlayerSettings* GetSettings() const { return m_pSettings; }
    // Null without a factory or memory.
    TPlayerSavedGame* CreateSavedGame() const { return m_pCreateSavedGame ? m_pCreateSavedGame() : nullptr; }

    TPlayerSavedGame* GetPendingSavedGame() const { return m_pPendingSavedGame; }
    void SetPendingSavedGame(TPlayerSavedGame* record) { m_pPendingSavedGame = record; }
    // A record being destroyed stops being pending.
    void ForgetSavedGame(TPlayerSavedGame* record);

    u64 GetLocalTime() const { return m_pClock(); }
    // Null puts the system's local time back.
    void SetClock(TPlayerClock clock);

private:
    u32 _LoadProfiles();
    u32 _LoadSettings();
    void _ClearProfiles();
    u32 _CheckIndex(i32 index) const;
    // Refuses (1, with a line under the prefix) a name a profile folder cannot have or one a
    // profile other than the given index has.
    u32 CheckNewName(const char16_t* name, i32 index, const char* prefix) const;
    void RemoveProfile(i32 index);

    DArray<TPlayerProfile*> m_aProfile;
    u32 m_nPatchLevel;
    TPlayerSettings* m_pSettings;
    TCreateProfileFunc m_pCreateProfile;
    TCreateSavedGameFunc m_pCreateSavedGame;
    TPlayerSavedGame* m_pPendingSavedGame;
    TPlayerClock m_pClock;
};

extern TPlayerProfileManager* g_pPlayerProfileManager;
