#include "player/playercontainer.h"

#include "core/system/log.h"
#include "player/playerprofilemanager.h"

u32 TPlayerContainer::_Save(TPlayerContainer* container, TStream& stream)
{
    if (!WritePlayerField(stream, PLAYER_CONTAINER_MAGIC) ||
        !WritePlayerField(stream, g_pPlayerProfileManager->GetPatchLevel()))
        return PLAYER_REFUSED;
    return container->OnSaveInternal(stream);
}

u32 TPlayerContainer::_Load(TPlayerContainer* container, TStream& stream)
{
    const u32 current = g_pPlayerProfileManager->GetPatchLevel();
    u32 magic = 0;
    if (!ReadPlayerField(stream, magic))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TPlayerContainer::_Load(): error: ", "'%s' ends inside its header.",
                    stream.GetName().GetText());
        return PLAYER_REFUSED;
    }
    if (magic != PLAYER_CONTAINER_MAGIC)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TPlayerContainer::_Load(): error: ",
                    "Invalid magic: container is in a format (%d) that can not be upgraded to the current "
                    "version (%d, patch %d).",
                    static_cast<i32>(magic), static_cast<i32>(PLAYER_CONTAINER_MAGIC), current);
        return PLAYER_OUT_OF_RANGE;
    }
    u32 patchLevel = 0;
    if (!ReadPlayerField(stream, patchLevel))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TPlayerContainer::_Load(): error: ", "'%s' ends inside its header.",
                    stream.GetName().GetText());
        return PLAYER_REFUSED;
    }
    if (patchLevel != current)
        TLog::Print(g_pSystemLog, LOG_INFO, "TPlayerContainer::_Load(): ",
                    "Container has old patch level %d, expected %d. Will attempt to upgrade.", patchLevel,
                    current);
    return container->OnLoadInternal(patchLevel, stream);
}

bool ReadPlayerBodyVersion(TStream& stream, u8& version)
{
    u8 start[2];
    if (stream.Read(start, 2) != 2)
        return false;
    if (start[0] == PLAYER_WIDE_MARKER && start[1] != 0)
    {
        version = start[1];
        return true;
    }
    version = 0;
    return stream.Seek(-2, STREAM_SEEK_CUR) == 0;
}

TPlayerNameRead ReadPlayerName(TStream& stream, u32 version, TPlayerName& name)
{
    u32 length = 0;
    if (!ReadPlayerField(stream, length))
        return TPlayerNameRead::ShortRead;
    // The older form allows 127 characters, which no name can hold.
    if (length > PLAYER_NAME_LENGTH)
        return TPlayerNameRead::TooLong;
    char16_t text[PLAYER_NAME_LENGTH + 1] = {};
    if (version != 0)
    {
        if (stream.Read(text, static_cast<i32>(length * 2)) != static_cast<i32>(length * 2))
            return TPlayerNameRead::ShortRead;
    }
    else
    {
        u8 narrow[PLAYER_NAME_LENGTH];
        if (stream.Read(narrow, static_cast<i32>(length)) != static_cast<i32>(length))
            return TPlayerNameRead::ShortRead;
        for (u32 i = 0; i < length; ++i)
            text[i] = narrow[i];
    }
    // A NUL inside would cut the name short of what was stored.
    for (u32 i = 0; i < length; ++i)
        if (text[i] == 0)
            return TPlayerNameRead::HoldsNul;
    name = text;
    return TPlayerNameRead::Read;
}

bool WritePlayerName(TStream& stream, const TPlayerName& name)
{
    const u32 length = name.GetLength();
    return WritePlayerField(stream, length) &&
           (length == 0 ||
            stream.Write(name.GetText(), static_cast<i32>(length * 2)) == static_cast<i32>(length * 2));
}
