// The load-game tab lists a profile's saved games: the folder scan, each file's owner and
// summary read, and the sort by date. Against it, in the same run: opening each of the same
// files and reading its first 32 bytes with plain reads. 500 saved games of a small state image.
#include "core/stream/filestreammanager.h"
#include "core/system/memory.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/resourcemanager.h"
#include "player/gamesavedgame.h"
#include "player/morvaneplayerprofile.h"
#include "player/playerprofilemanager.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
constexpr i32 kSavedGames = 500;
constexpr u32 kPlainReadBytes = 32;

// The scratch player root, removed at exit, and the saved games' paths.
std::string s_Root;
std::vector<std::string> s_aFile;
u64 s_nClock = 134000000000000000ull;

// A saved game a minute: every file has its own name.
u64 CountingClock()
{
    return s_nClock += 600000000ull;
}

TPlayerProfile& Profile()
{
    static TPlayerProfile* s_pProfile = [] {
        g_pFileStreamManager->SetDirectory(TName(".", true));
        char root[] = "/tmp/vestamor_players_benchmark_XXXXXX";
        if (!mkdtemp(root))
            std::abort();
        s_Root = root;
        std::atexit([] {
            g_pPlayerProfileManager->FinalizeManager();
            std::filesystem::remove_all(s_Root);
        });
        const TName directory(root, true);
        TCommandManager::Instance().FindVariable(MakeCommandName("save_directory", false))->Assign(&directory, 1);
        g_pResourceManager->m_CurrentRepository = TName("data/airport.data", true);
        TPlayerProfileManager& manager = *g_pPlayerProfileManager;
        manager.SetClock(CountingClock);
        if (manager.Initialize(GAME_PLAYER_PATCH_LEVEL, CreateGameProfile, CreateGameSavedGame) != 0 ||
            manager.AddProfile(MemoryNew<TMorvanePlayerProfile>(u"bench")) != 0)
            std::abort();
        TPlayerProfile* profile = manager.GetProfile(0);
        for (i32 i = 0; i < kSavedGames; ++i)
            if (!profile->SaveGame(0, SAVE_GAME_INSERT, -1))
                std::abort();
        for (const auto& entry : std::filesystem::recursive_directory_iterator(s_Root))
            if (entry.path().extension() == ".save")
                s_aFile.push_back(entry.path().string());
        if (static_cast<i32>(s_aFile.size()) != kSavedGames)
            std::abort();
        return profile;
    }();
    return *s_pProfile;
}

void ListSavedGames(benchmark::State& state)
{
    TPlayerProfile& profile = Profile();
    for (auto _ : state)
        if (profile.RefreshSavedGames() != 0 || profile.GetSavedGameCount() != kSavedGames)
            state.SkipWithError("the listing lost saved games");
    state.SetItemsProcessed(state.iterations() * kSavedGames);
}

void PlainReads(benchmark::State& state)
{
    Profile();
    char head[kPlainReadBytes];
    for (auto _ : state)
        for (const std::string& path : s_aFile)
        {
            const int file = open(path.c_str(), O_RDONLY);
            if (file < 0 || read(file, head, sizeof(head)) != static_cast<ssize_t>(sizeof(head)))
                state.SkipWithError("a plain read failed");
            benchmark::DoNotOptimize(head);
            close(file);
        }
    state.SetItemsProcessed(state.iterations() * kSavedGames);
}
} // namespace

BENCHMARK(ListSavedGames)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PlainReads)->Unit(benchmark::kMillisecond)->UseRealTime();
