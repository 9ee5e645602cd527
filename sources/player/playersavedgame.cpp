#include "player/playersavedgame.h"

#include "core/compression/compressedpipe.h"
#include "core/stream/memorystream.h"
#include "core/system/log.h"
#include "core/system/platform.h"
#include "core/system/string.h"
#include "core/system/templates/darray.h"
#include "engine/system/statemanager.h"
#include "player/playerprofile.h"
#include "player/playerprofilemanager.h"

namespace
{
const char* const kLoadError = "TPlayerSavedGame::OnLoadInternal(): error: ";
constexpr u64 DEFLATE_MAX_RATIO = 1032;
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
    i64 uid = 0;
    if (!ReadPlayerField(stream, uid))
        return PLAYER_REFUSED;
    const TPlayerProfileManager& manager = *g_pPlayerProfileManager;
    const i32 index = manager.FindProfileByUid(uid);
    TPlayerProfile* owner = manager.GetProfile(index >= 0 ? index : 0);
    if (!owner)
        return PLAYER_REFUSED;
    if (!m_pOwner)
    {
        m_pOwner = owner;
        return OnPreload(patchLevel, stream) != PLAYER_DONE ? PLAYER_REFUSED : PLAYER_DONE;
    }

    u32 sizes[2];
    if (OnLoad(patchLevel, stream) != PLAYER_DONE || !ReadPlayerField(stream, sizes))
        return PLAYER_REFUSED;
    DArray<u8> image;
    if (InflateImage(stream, sizes[0], image) != PLAYER_DONE)
        return PLAYER_REFUSED;
    // The image carries the saved game's name: a load that waits for another level to be
    // loaded first is known by it when that level's cluster has loaded.
    TMemoryStream state;
    state.Open(stream.GetName(), STREAM_READ);
    state.Attach(image.GetData(), image.GetCount());
    if (g_pStateManager->_Load(state) != STATE_DONE || OnLoadState(patchLevel, state) != PLAYER_DONE)
        return PLAYER_REFUSED;
    return PLAYER_DONE;
}

u32 TPlayerSavedGame::InflateImage(TStream& stream, u32 size, DArray<u8>& image)
{
    const char* name = stream.GetName().GetText();
    // Deflate packs at most 1,032 bytes into one: a size the rest of the file cannot hold is
    // refused before any memory is taken for it.
    const u64 rest = static_cast<u64>(stream.GetSize() - stream.GetPosition());
    if (size > SAVED_GAME_MAX_IMAGE || size > rest * DEFLATE_MAX_RATIO)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError,
                    "The game state of '%s' claims %u bytes, more than a saved game holds.", name, size);
        return PLAYER_REFUSED;
    }
    if (!image.TrySetCapacity(static_cast<i32>(size)))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError,
                    "No memory for the %u bytes of the game state of '%s'.", size, name);
        return PLAYER_REFUSED;
    }
    image.SetCount(static_cast<i32>(size));
    TCompressedPipe pipe;
    if (pipe.Open(&stream, COMPRESSED_PIPE_READ) != 1)
        return PLAYER_REFUSED;
    const i32 inflated = size ? pipe.Read(image.GetData(), static_cast<i32>(size)) : 0;
    // The stream must end right there, its checksum matching.
    u8 beyond;
    const bool whole = inflated == static_cast<i32>(size) && pipe.Read(&beyond, 1) == 0 && pipe.IsFinished();
    pipe.Close();
    if (!whole)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError,
                    "The game state of '%s' is damaged: it does not inflate to its %u bytes.", name, size);
        return PLAYER_REFUSED;
    }
    return PLAYER_DONE;
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
