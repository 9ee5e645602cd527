// Writing and loading the saved game of a running game with a 16 MB state image, against
// zlib's compress2 at level 9 and uncompress of the same image in memory, in the same run. As a
// loader does, uncompress writes into a freshly allocated image. LoadGame inflates the file
// straight into the running game, which reads its records whole (argument 16 MB) or unit by
// unit (128 bytes). StateLoad is the state manager's own part of a load from an image in
// memory: keeping the running state, then applying the image.
#include "core/stream/filestreammanager.h"
#include "core/stream/memorystream.h"
#include "core/system/memory.h"
#include "core/system/platform.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/statemanager.h"
#include "player/gamesavedgame.h"
#include "player/morvaneplayerprofile.h"
#include "player/playerprofilemanager.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>
#include <zlib.h>

namespace
{
constexpr u32 kImageSize = 16 << 20;

// The game's records as a state image holds them: units with a placement matrix that moves
// smoothly, speeds, timers, a state word, counters and flags.
struct TUnit
{
    f32 matrix[16];
    f32 speed[4];
    f32 timer[4];
    u32 state;
    u32 gate;
    u32 counters[4];
    u32 flags;
    u32 pad;
};
constexpr u32 kUnitSize = sizeof(TUnit);
static_assert(kImageSize % kUnitSize == 0);

class TRunningGame : public TStateMethods
{
public:
    TRunningGame() : m_aImage(kImageSize)
    {
        TUnit* unit = reinterpret_cast<TUnit*>(m_aImage.data());
        const u32 count = kImageSize / sizeof(TUnit);
        for (u32 i = 0; i < count; ++i)
        {
            const f32 t = static_cast<f32>(i) * 0.01f;
            TUnit& u = unit[i];
            u = {};
            u.matrix[0] = u.matrix[10] = std::cos(t);
            u.matrix[2] = std::sin(t);
            u.matrix[8] = -u.matrix[2];
            u.matrix[5] = u.matrix[15] = 1.0f;
            u.matrix[12] = 100.0f * std::sin(t * 0.1f);
            u.matrix[14] = 100.0f * std::cos(t * 0.07f);
            u.speed[0] = 8.0f + std::sin(t * 3.0f);
            u.timer[0] = static_cast<f32>(i % 600) * 0.5f;
            u.state = i % 9;
            u.gate = 1 + i % 8;
            u.counters[0] = i / 8;
            u.flags = (i * 2654435761u) >> 28;
        }
    }
    i32 SaveState(u32 pass, TStream& stream) override
    {
        if (pass != 1)
            return 0;
        return stream.Write(m_aImage.data(), kImageSize) == static_cast<i32>(kImageSize) ? 0 : 1;
    }
    i32 LoadState(u32 pass, TStream& stream) override
    {
        if (pass != 1)
            return 0;
        for (u32 at = 0; at < kImageSize; at += m_nReadSize)
            if (stream.Read(m_aImage.data() + at, static_cast<i32>(m_nReadSize)) != static_cast<i32>(m_nReadSize))
                return 1;
        return 0;
    }
    std::vector<u8> m_aImage;
    // Read whole, or unit by unit as a game reading its records one at a time.
    u32 m_nReadSize = kImageSize;
};

TRunningGame* s_pGame = nullptr;
// The scratch player root, removed at exit.
std::string s_Root;
std::vector<u8> s_aStateImage;
std::vector<u8> s_aCompressed;

u64 FixedClock()
{
    return 128895426012340000ull;
}

TPlayerProfile& Profile()
{
    if (!s_pGame)
    {
        s_pGame = new TRunningGame;
        g_pFileStreamManager->SetDirectory(TName(".", true));
        char root[] = "/tmp/vestamor_player_benchmark_XXXXXX";
        if (!mkdtemp(root))
            std::abort();
        s_Root = root;
        std::atexit([] {
            g_pPlayerProfileManager->FinalizeManager();
            std::filesystem::remove_all(s_Root);
        });
        const TName directory(root, true);
        TCommandManager::Instance()
            .FindVariable(MakeCommandName("save_directory", false))
            ->Assign(&directory, 1);
        g_pResourceManager->m_CurrentRepository = TName("data/airport.data", true);
        g_pStateManager->RegisterStateObject(s_pGame);
        TPlayerProfileManager& manager = *g_pPlayerProfileManager;
        manager.SetClock(FixedClock);
        if (manager.Initialize(GAME_PLAYER_PATCH_LEVEL, CreateGameProfile, CreateGameSavedGame) != 0 ||
            manager.AddProfile(MemoryNew<TMorvanePlayerProfile>(u"bench")) != 0)
            std::abort();
        TMemoryStream image;
        g_pStateManager->_Save(image);
        s_aStateImage.assign(image.GetData(), image.GetData() + image.GetSize());
        s_aCompressed.resize(compressBound(static_cast<uLong>(s_aStateImage.size())));
        uLongf size = s_aCompressed.size();
        compress2(s_aCompressed.data(), &size, s_aStateImage.data(), s_aStateImage.size(), 9);
        s_aCompressed.resize(size);
    }
    return *g_pPlayerProfileManager->GetProfile(0);
}

void SaveGame(benchmark::State& state)
{
    TPlayerProfile& profile = Profile();
    for (auto _ : state)
        if (!profile.SaveGame(0, SAVE_GAME_INSERT, -1))
            state.SkipWithError("the save failed");
    state.SetBytesProcessed(state.iterations() * static_cast<i64>(s_aStateImage.size()));
}

void Compress2(benchmark::State& state)
{
    Profile();
    std::vector<u8> output(compressBound(static_cast<uLong>(s_aStateImage.size())));
    for (auto _ : state)
    {
        uLongf size = output.size();
        if (compress2(output.data(), &size, s_aStateImage.data(), s_aStateImage.size(), 9) != Z_OK)
            state.SkipWithError("compress2 failed");
        benchmark::DoNotOptimize(output.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<i64>(s_aStateImage.size()));
}

void LoadGame(benchmark::State& state)
{
    TPlayerProfile& profile = Profile();
    s_pGame->m_nReadSize = static_cast<u32>(state.range(0));
    if (profile.GetSavedGameCount() == 0 && !profile.SaveGame(0, SAVE_GAME_INSERT, -1))
        state.SkipWithError("the save failed");
    for (auto _ : state)
        if (profile.LoadGame(profile.GetSavedGame(0), 0, 0) != 0)
            state.SkipWithError("the load failed");
    state.SetBytesProcessed(state.iterations() * static_cast<i64>(s_aStateImage.size()));
}

void Uncompress(benchmark::State& state)
{
    Profile();
    for (auto _ : state)
    {
        u8* output = static_cast<u8*>(MemoryAllocate(static_cast<u32>(s_aStateImage.size())));
        uLongf size = s_aStateImage.size();
        if (uncompress(output, &size, s_aCompressed.data(), s_aCompressed.size()) != Z_OK)
            state.SkipWithError("uncompress failed");
        benchmark::DoNotOptimize(output);
        MemoryFree(output);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<i64>(s_aStateImage.size()));
    state.counters["ratio"] =
        static_cast<double>(s_aStateImage.size()) / static_cast<double>(s_aCompressed.size());
}

void StateLoad(benchmark::State& state)
{
    Profile();
    s_pGame->m_nReadSize = static_cast<u32>(state.range(0));
    for (auto _ : state)
    {
        TMemoryStream image;
        image.Attach(s_aStateImage.data(), static_cast<i32>(s_aStateImage.size()));
        if (g_pStateManager->_Load(image) != STATE_DONE)
            state.SkipWithError("the state load failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<i64>(s_aStateImage.size()));
}
} // namespace

BENCHMARK(SaveGame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Compress2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LoadGame)->Arg(kImageSize)->Arg(kUnitSize)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Uncompress)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(StateLoad)->Arg(kImageSize)->Arg(kUnitSize)->Unit(benchmark::kMillisecond)->UseRealTime();
