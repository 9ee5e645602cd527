#pragma once
// TPlayerProfile: a local player profile, the container "<name>.profile" in the folder named
// after it below the player root, and the list of its saved games (newest first), which live
// in the same folder. The game derives its own profile class and fills OnLoad / OnSave.
#include "core/system/templates/darray.h"
#include "core/system/templates/sarray.h"
#include "player/playerpath.h"
#include "player/playersavedgame.h"

// SaveGame's modes.
constexpr u32 SAVE_GAME_INSERT = 0; // the new record goes to the front of the list
constexpr u32 SAVE_GAME_FIRST = 1;  // the new record takes the first record's place (its file stays)

// Saving needs at least this many bytes free on the disk (300 MiB).
constexpr i64 SAVED_GAME_FREE_BYTES = 314572800;
constexpr u32 PLAYER_CURRENT_FILE_LENGTH = 256;

class TPlayerProfile : public TPlayerContainer
{
public:
    // The uid is the current time (UTC) as a FILETIME. Names are cut to 31 characters.
    explicit TPlayerProfile(const char16_t* name = nullptr);
    // Destroys the saved-game records.
    ~TPlayerProfile() override;

    // The body: 0xFF 0x01, the uid, the name, then OnLoad / OnSave. Loading also reads the older
    // body (no marker, 8-bit name) and refuses a uid that another profile of the manager has.
    u32 OnLoadInternal(u32 patchLevel, TStream& stream) override;
    u32 OnSaveInternal(TStream& stream) override;
    virtual void OnSelect() {}
    virtual void OnDeselect() {}

    // The profile manager's _SaveProfile.
    u32 Save();

    // Rebuilds the list from the folder's "<18 digits>.save" files; always 0.
    u32 RefreshSavedGames();
    // Writes the running game as a new saved game and places it in the list (a replace index
    // of 0 or more takes that record's place and deletes its file; else the mode decides).
    // Null when less than 300 MiB are free (nothing logged) or the save failed.
    TPlayerSavedGame* SaveGame(u32 tag, u32 mode, i32 replaceIndex);
    // Loads the saved game into the running game (fromCurrentFile: the path CurrentFile holds);
    // 0, or 1 when the file cannot be opened or read. A record listed already becomes the
    // manager's pending saved game.
    u32 LoadGame(TPlayerSavedGame* record, u32 tag, u32 fromCurrentFile);
    // Null outside the list.
    TPlayerSavedGame* GetSavedGame(i32 index) const;
    i32 GetSavedGameCount() const { return m_aSavedGame.GetCount(); }
    // Deletes the file and the record: 1 when the file cannot be deleted (the record stays), 3
    // for an index outside the list.
    u32 DeleteGame(i32 index);

    i64 GetUid() const { return m_nUid; }
    void SetUid(i64 uid) { m_nUid = uid; }
    const char16_t* GetName() const { return m_Name.GetText(); }
    void SetName(const char16_t* name);
    const char16_t* GetCurrentFile() const { return m_CurrentFile.GetText(); }

    // "<root>/<name>", "<root>/<name>/<name>.profile" and "<root>/<name>/<id>.save".
    TPlayerPath GetFolderPath() const;
    TPlayerPath GetProfilePath() const;
    TPlayerPath GetSavedGamePath(i64 id) const;

private:
    void ClearSavedGames();
    void DestroySavedGame(i32 index);
    // Puts a new record in the list as SaveGame's mode and replace index ask.
    void PlaceSavedGame(TPlayerSavedGame* record, u32 mode, i32 replaceIndex);
    // Lists one file of the scan (its name as on disk), migrating an older name first.
    void ListSavedGame(const TPlayerPath& folder, const char16_t* name);
    // Reads the owner and the summary of a record being listed from the file's first bytes.
    u32 PreloadSavedGame(TPlayerSavedGame* record, const char16_t* path);

    i64 m_nUid;
    TPlayerName m_Name;
    DArray<TPlayerSavedGame*> m_aSavedGame;
    SArray<char16_t, PLAYER_CURRENT_FILE_LENGTH + 1, 0> m_CurrentFile;
};
