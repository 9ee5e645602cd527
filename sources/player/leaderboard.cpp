#include "player/leaderboard.h"

#include "core/system/memory.h"

TLeaderboard g_Leaderboard;

void TLeaderboard::Configure(u32 listCount, u32 maxEntries, TCreateLeaderboardEntryFunc createEntry)
{
    Clear();
    m_aList.SetCount(static_cast<i32>(listCount));
    m_nMaxEntries = maxEntries;
    m_pCreateEntry = createEntry;
}

void TLeaderboard::ClearEntries()
{
    for (u32 list = 0; list < GetListCount(); ++list)
    {
        TLeaderboardList& entries = GetList(list);
        for (i32 i = 0; i < entries.GetCount(); ++i)
            MemoryDelete(entries[i]);
        entries.Free();
    }
}

void TLeaderboard::Clear()
{
    ClearEntries();
    m_aList.SetCount(0);
    m_nMaxEntries = 0;
    m_pCreateEntry = nullptr;
}

u32 TLeaderboard::OnLoad(u32 patchLevel, TStream& stream)
{
    u8 version = 0;
    if (!ReadPlayerBodyVersion(stream, version))
        return PLAYER_REFUSED;
    u32 storedLists = 0;
    if (!ReadPlayerField(stream, storedLists))
        return PLAYER_FILE_FAILED;
    ClearEntries();
    const u32 lists = storedLists < GetListCount() ? storedLists : GetListCount();
    for (u32 list = 0; list < lists; ++list)
    {
        u32 count = 0;
        if (!ReadPlayerField(stream, count))
            return PLAYER_FILE_FAILED;
        if (count > m_nMaxEntries)
            return PLAYER_REFUSED;
        for (u32 i = 0; i < count; ++i)
        {
            TLeaderboardEntry* entry = m_pCreateEntry ? m_pCreateEntry() : nullptr;
            if (!entry)
                return PLAYER_REFUSED;
            const u32 result = entry->Read(version, stream);
            if (result != PLAYER_DONE)
            {
                MemoryDelete(entry);
                return PLAYER_REFUSED;
            }
            GetList(list).Add(entry);
        }
    }
    return PLAYER_DONE;
}

u32 TLeaderboard::OnSave(TStream& stream)
{
    const u8 marker[2] = {PLAYER_WIDE_MARKER, PLAYER_WIDE_VERSION};
    stream.Write(marker, 2);
    if (!WritePlayerField(stream, GetListCount()))
        return PLAYER_FILE_FAILED;
    for (u32 list = 0; list < GetListCount(); ++list)
    {
        const TLeaderboardList& entries = GetList(list);
        if (!WritePlayerField(stream, static_cast<u32>(entries.GetCount())))
            return PLAYER_FILE_FAILED;
        for (i32 i = 0; i < entries.GetCount(); ++i)
        {
            const u32 result = entries[i]->Write(stream);
            if (result != PLAYER_DONE)
                return result;
        }
    }
    return PLAYER_DONE;
}
