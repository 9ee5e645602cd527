#pragma once
// TLeaderboard: the container of the file "leaderboard" under the player root: lists of
// entries, as many lists and entries as the game configures. The program holds one
// (g_Leaderboard), empty until the game configures it; nothing reads or writes its file yet.
#include "core/system/templates/darray.h"
#include "core/system/templates/marray.h"
#include "player/leaderboardentry.h"

typedef TLeaderboardEntry* (*TCreateLeaderboardEntryFunc)();
typedef DArray<TLeaderboardEntry*> TLeaderboardList;

class TLeaderboard : public TPlayerContainer
{
public:
    ~TLeaderboard() override { Clear(); }

    // The number of lists, the most entries a list may have, and the entries' factory.
    void Configure(u32 listCount, u32 maxEntries, TCreateLeaderboardEntryFunc createEntry);
    // Destroys every entry and list; no lists, maximum 0, no factory.
    void Clear();

    // Only the configured number of lists is read; further lists of the file are ignored.
    // 2 for a short read, 1 for content the configuration refuses or an entry's failure.
    u32 OnLoad(u32 patchLevel, TStream& stream) override;
    // 2 for a short write; the first failing entry's result.
    u32 OnSave(TStream& stream) override;

    u32 GetListCount() const { return static_cast<u32>(m_aList.GetCount()); }
    TLeaderboardList& GetList(u32 index) { return *m_aList[static_cast<i32>(index)]; }

private:
    void ClearEntries();

    MArray<TLeaderboardList, 1, 1> m_aList;
    u32 m_nMaxEntries = 0;
    TCreateLeaderboardEntryFunc m_pCreateEntry = nullptr;
};

extern TLeaderboard g_Leaderboard;
