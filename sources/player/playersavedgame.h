#pragma once
// TPlayerSavedGame: the record of one saved game, a container file in its profile's folder
// named by its id, the local time of writing as a FILETIME ("<id>.save"). Body: the owner's
// uid, the game's summary (OnSave / OnLoad of the game's class), the uncompressed and the
// compressed size of the state image, then the image as one zlib stream (level 9) to the end.
#include "player/playercontainer.h"

class TPlayerProfile;

// The largest state image a saved game holds.
constexpr u32 SAVED_GAME_MAX_IMAGE = 256 * 1024 * 1024;
// A listing reads this many bytes of each file: the container header, the owner's uid and the
// game's summary, which OnPreload reads, lie within them.
constexpr i32 SAVED_GAME_PRELOAD_BYTES = 256;

class TPlayerSavedGame : public TPlayerContainer
{
public:
    TPlayerSavedGame() = default;
    // A record that goes stops being the profile manager's pending saved game.
    ~TPlayerSavedGame() override;

    // A record without an owner (being listed) takes the profile of the stored uid (the first
    // profile when none has it) and reads only the summary (OnPreload). A record with an owner
    // reads the summary (OnLoad) and loads the state image into the running game as it
    // inflates: an image that does not inflate to exactly its stored size (at most 256 MiB)
    // with its checksum matching is refused, and the game stays as it was.
    u32 OnLoadInternal(u32 patchLevel, TStream& stream) override;
    // The owner's uid (0 without one), the summary, and the state image of the running game.
    u32 OnSaveInternal(TStream& stream) override;
    virtual u32 OnPreload(u32 patchLevel, TStream& stream) { return PLAYER_DONE; }
    virtual u32 OnDelete(const char16_t* path) { return PLAYER_DONE; }

    // Deletes the record's file; 1 (logged) when it cannot be, else OnDelete's result.
    u32 Delete();

    i64 GetId() const { return m_nId; }
    void SetId(i64 id) { m_nId = id; }
    TPlayerProfile* GetOwner() const { return m_pOwner; }
    void SetOwner(TPlayerProfile* owner) { m_pOwner = owner; }
    u32 GetTag() const { return m_nTag; }
    void SetTag(u32 tag) { m_nTag = tag; }

private:
    // Whether a stored image size is one a saved game holds and the rest of the file can
    // inflate to; logged when not.
    static bool ImageSizeFits(TStream& stream, u32 size);

    i64 m_nId = 0;
    TPlayerProfile* m_pOwner = nullptr;
    u32 m_nTag = 0;
};
