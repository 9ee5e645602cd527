#include "player/playersavedgame.h"

#include "core/compression/compressedpipe.h"
#include "engine/system/stateloadcheck.h"
#include "core/stream/memorystream.h"
#include "core/system/log.h"
#include "core/system/platform.h"
#include "core/system/string.h"
#include "core/system/templates/darray.h"
#include "engine/system/statemanager.h"
#include "player/playerprofile.h"
#include "player/playerprofilemanager.h"
#include "player/savedgameimage.h"

namespace
{
const char* const kLoadError = "TPlayerSavedGame::OnLoadInternal(): error: ";
constexpr u64 DEFLATE_MAX_RATIO = 1032;

// What follows the state manager's passes in a saved game's image: the game's own part, then
// the end of the zlib stream, where its checksum tells whether the image was whole.
class TRestOfImage : public TStateLoadCheck
{
public:
    TRestOfImage(TPlayerSavedGame& record, u32 patchLevel, TSavedGameImage& image)
        : m_Record(record), m_nPatchLevel(patchLevel), m_Image(image)
    {
    }
    bool IsWhole(TStream& stream, bool passesRead) override
    {
        if (passesRead && m_Record.OnLoadState(m_nPatchLevel, stream) != PLAYER_DONE)
            return false;
        return m_Image.ReadToEnd();
    }

private:
    TPlayerSavedGame& m_Record;
    u32 m_nPatchLevel;
    TSavedGameImage& m_Image;
};
} // namespace

TPlayerSavedGame::~TPlayerSavedGame()
{
    g_pPlayerProfileManager->ForgetSavedGame(this);
}

u32 TPlayerSavedGame::OnSaveInternal(TStream& stream)
{
    const i64 owner = m_pOwner ? m_pOwner->GetUid() : 0;
    if (!WritePlayerField(stream, owner) || OnSave(stream) != PLAYER_DONE)
        return PLAYER_REFUSED;

    // The state image is kept in memory rather than in a temporary file.
    TMemoryStream image;
    if (g_pStateManager->_Save(image) != STATE_DONE || OnSaveState(image) != PLAYER_DONE)
        return PLAYER_REFUSED;
    if (static_cast<u32>(image.GetSize()) > SAVED_GAME_MAX_IMAGE)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TPlayerSavedGame::OnSaveInternal(): error: ",
                    "The game state of %d bytes is larger than a saved game holds.", image.GetSize());
        return PLAYER_REFUSED;
    }

    // The two sizes are written as 0 and filled in once the compressed data is complete.
    const i32 sizesAt = stream.GetPosition();
    const u32 unknown[2] = {0, 0};
    if (stream.Write(unknown, sizeof unknown) != static_cast<i32>(sizeof unknown))
        return PLAYER_REFUSED;
    const i32 dataAt = stream.GetPosition();
    TCompressedPipe pipe;
    if (pipe.Open(&stream, COMPRESSED_PIPE_WRITE) != 1)
        return PLAYER_REFUSED;
    const bool written = pipe.Write(image.GetData(), image.GetSize()) == image.GetSize();
    if (pipe.Close() != 0 || !written)
        return PLAYER_REFUSED;
    const i32 end = stream.GetPosition();
    const u32 sizes[2] = {pipe.GetWrittenCount(), static_cast<u32>(end - dataAt)};
    if (stream.Seek(sizesAt, STREAM_SEEK_SET) != 0 ||
        stream.Write(sizes, sizeof sizes) != static_cast<i32>(sizeof sizes) ||
        stream.Seek(0, STREAM_SEEK_END) != 0)
        return PLAYER_REFUSED;
    return PLAYER_DONE;
}

u32 TPlayerSavedGame::OnLoadInternal(u32 patchLevel, TStream& stream)
{
    const char* const name = stream.GetName().GetText();
    i64 uid = 0;
    if (!ReadPlayerField(stream, uid))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "'%s' ends before its owner.", name);
        return PLAYER_REFUSED;
    }
    const TPlayerProfileManager& manager = *g_pPlayerProfileManager;
    const i32 index = manager.FindProfileByUid(uid);
    TPlayerProfile* owner = manager.GetProfile(index >= 0 ? index : 0);
    if (!owner)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "'%s': no profile to own it.", name);
        return PLAYER_REFUSED;
    }
    if (!m_pOwner)
    {
        // Saved by a profile that had no uid (0 stands for none): the listing's profile takes it.
        m_pOwner = uid ? owner : nullptr;
        if (OnPreload(patchLevel, stream) == PLAYER_DONE)
            return PLAYER_DONE;
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "'%s': its summary is cut short or of patch level %u.",
                    name, patchLevel);
        return PLAYER_REFUSED;
    }

    u32 sizes[2];
    if (OnLoad(patchLevel, stream) != PLAYER_DONE || !ReadPlayerField(stream, sizes))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError,
                    "'%s': its summary or sizes are cut short or of patch level %u.", name, patchLevel);
        return PLAYER_REFUSED;
    }
    if (!ImageSizeFits(stream, sizes[0]))
        return PLAYER_REFUSED;
    // The image is inflated as the state manager reads it, straight into the running game; its
    // checksum is known only at its end, and the state manager undoes a load found damaged
    // there. The image carries the saved game's name: a load that waits for another level to
    // be loaded first is known by it when that level's cluster has loaded.
    TSavedGameImage image;
    if (image.Open(stream, sizes[0]) != 1)
        return PLAYER_REFUSED;
    TRestOfImage rest(*this, patchLevel, image);
    const i32 result = g_pStateManager->_Load(image, &rest);
    if (result == STATE_DONE)
        return PLAYER_DONE;
    if (!image.ReadToEnd())
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError,
                    "The game state of '%s' is damaged: it does not inflate to its %u bytes.", name, sizes[0]);
    else
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "The game state of '%s' is refused (state result %d).",
                    name, result);
    return PLAYER_REFUSED;
}

bool TPlayerSavedGame::ImageSizeFits(TStream& stream, u32 size)
{
    // Deflate packs at most 1,032 bytes into one: a size the rest of the file cannot hold is
    // refused before anything is inflated.
    const u64 rest = static_cast<u64>(stream.GetSize() - stream.GetPosition());
    if (size <= SAVED_GAME_MAX_IMAGE && size <= rest * DEFLATE_MAX_RATIO)
        return true;
    TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError,
                "The game state of '%s' claims %u bytes, more than a saved game holds.",
                stream.GetName().GetText(), size);
    return false;
}

u32 TPlayerSavedGame::Delete()
{
    char16_t shown[PLAYER_PATH_ROOM];
    FormatStringW(shown, u"%I64d.save", m_nId);
    if (m_pOwner)
    {
        const TPlayerPath path = m_pOwner->GetSavedGamePath(m_nId);
        if (path.IsValid() && __FileDelete(path.GetText()) == 0)
            return OnDelete(path.GetText());
        if (path.IsValid())
            FormatStringW(shown, u"%s", path.GetText());
    }
    TLog::Print(g_pSystemLog, LOG_ERROR,
                "TPlayerSavedGame::Delete(): error: ", "Error deleting saved game '%S'.", shown);
    return PLAYER_REFUSED;
}
