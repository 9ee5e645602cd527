// Loading the aerodrome as the game loads it (the compressed repository unpacked, the cluster
// linked, the physics objects made, the game's units bound) beside reading its two files into
// memory (the core's reader of compressed files for the level, a plain read for the cooked
// meshes), in the same run: the machine is shared, only the ratio means something. The
// generator's time is measured too; the files' sizes are counters.
#include "ageia/nxcollisionmanager.h"
#include "ageia/nxdynamics.h"
#include "core/cluster/cluster.h"
#include "core/compression/compressedfile.h"
#include "core/stream/filestreammanager.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "igame/vehicles/vehiclemanager.h"
#include "levelgenerator.h"
#include "engine/system/animationmanager.h"
#include "engine/system/command/deferredvariable.h"
#include "morvane/game/aicommonunit.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gate.h"
#include "morvane/game/orbitcameramanager.h"
#include "morvane/ux/screens.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
const std::string kLevel = std::string(VESTAMOR_DATA_DIR) + "/" + MORVANE_REPOSITORY;
const std::string kCooked = std::string(VESTAMOR_DATA_DIR) + "/" + MORVANE_COOKED_REPOSITORY;

// What the tool sets up before it writes, once.
void Prepare()
{
    static bool s_bPrepared = false;
    if (s_bPrepared)
        return;
    s_bPrepared = true;
    MemoryDelete(g_pSystemLog);
    g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", LOG_DISABLED);
    g_pFileStreamManager->SetDirectory(TName(".", true));
    g_pFileStreamManager->SetLocked(0);
    g_pCluster->LinkTypes();
    g_ManagerManager.Initialize();
}

// The managers the game begins for a level, once.
void Begin()
{
    static bool s_bBegun = false;
    if (s_bBegun)
        return;
    s_bBegun = true;
    Prepare();
    RegisterGameScreens();
    g_pNxDynamicsManager->InitializeManager();
    g_pNxDynamicsManager->BeginManager();
    g_pNxCollisionManager->BeginManager();
    g_pResourceManager->BeginManager();
    g_pVehicleManager->BeginManager();
    g_pOrbitCameraManager->BeginManager();
    g_pGameLogicManager->BeginManager();
    g_pResourceManager->Associate(MORVANE_COOKED_REPOSITORY_ID, kCooked.c_str());
}

u64 Size(const std::string& path)
{
    std::error_code error;
    return std::filesystem::file_size(path, error);
}

void SetSizes(benchmark::State& state)
{
    state.counters["level_bytes"] = static_cast<double>(Size(kLevel));
    state.counters["cooked_bytes"] = static_cast<double>(Size(kCooked));
}

void LoadAerodrome(benchmark::State& state)
{
    Begin();
    for (auto _ : state)
    {
        if (g_pResourceManager->LoadRepository(kLevel.c_str(), 0) != 0)
        {
            state.SkipWithError("the aerodrome does not load");
            break;
        }
        state.PauseTiming();
        state.counters["units"] = static_cast<double>(g_pGameLogicManager->Units().GetCount());
        g_pCluster->Clear();
        g_pResourceManager->CloseRepositories(0);
        state.ResumeTiming();
    }
    SetSizes(state);
}

// The reference: the level's file unpacked into memory and the cooked file read.
void ReadAerodromeFiles(benchmark::State& state)
{
    Begin();
    for (auto _ : state)
    {
        DArray<u8> level;
        benchmark::DoNotOptimize(ReadCompressedFile(kLevel.c_str(), level, nullptr));
        std::ifstream file(kCooked, std::ios::binary);
        std::vector<char> cooked(Size(kCooked));
        file.read(cooked.data(), static_cast<std::streamsize>(cooked.size()));
        benchmark::DoNotOptimize(cooked.data());
    }
    SetSizes(state);
}

// The generator writing both files into a scratch folder (with the build's shaders beside them).
void GenerateAerodrome(benchmark::State& state)
{
    Prepare();
    const std::string folder = "/tmp/vestamor_aerodrome_" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(std::string(VESTAMOR_DATA_DIR) + "/shaders.data", folder + "/shaders.data");
    for (auto _ : state)
        if (!WriteAerodrome(folder.c_str()).aError.empty())
        {
            state.SkipWithError("the aerodrome cannot be written");
            break;
        }
    state.counters["level_bytes"] = static_cast<double>(Size(folder + "/" + MORVANE_REPOSITORY));
    std::filesystem::remove_all(folder);
}
// The start of a turnaround without drawing (the first aircraft sent to gate 1, driven there,
// parked and served), 1/30 s frames in the game's order, as game seconds per wall second;
// beside it the same frames of the physics step alone on a freshly loaded aerodrome. Aims: at
// least 60 game seconds a second, at least 0.8 of the physics alone, and the game's managers
// (vehicles, game logic) at most 0.25 of the physics step of the same frames.
constexpr f32 kGameFrame = 1.0f / 30.0f;
constexpr i32 kTurnaroundFrames = 30 * 100;

// Seconds of the game's managers (vehicles, game logic) and of the physics step.
struct TPlayTimes
{
    f64 fGame = 0.0;
    f64 fPhysics = 0.0;
};

f64 Since(std::chrono::steady_clock::time_point& mark)
{
    const auto now = std::chrono::steady_clock::now();
    const f64 seconds = std::chrono::duration<f64>(now - mark).count();
    mark = now;
    return seconds;
}

f64 PlayFrames(bool game, TPlayTimes& times)
{
    if (g_pResourceManager->LoadRepository(kLevel.c_str(), 0) != 0)
        return -1.0;
    g_pAnimationManager->BeginManager();
    TDeferredVariable("game_autostartaitask").SetInt(1);
    TGameLogicManager& logic = *g_pGameLogicManager;
    logic.MarkGameStarted();
    TGameParameters& parameters = logic.GetParameters();
    const auto start = std::chrono::steady_clock::now();
    auto mark = start;
    for (i32 frame = 0; frame < kTurnaroundFrames; ++frame)
    {
        if (game)
        {
            if (parameters.aLandingZone[0].pWaitZonePlane && parameters.nChosenGate == 0)
                parameters.nChosenGate = 1;
            g_pVehicleManager->UpdateManager(kGameFrame);
            logic.UpdateManager(kGameFrame);
            times.fGame += Since(mark);
        }
        g_pNxDynamicsManager->ThreadUpdateManager(kGameFrame);
        g_pNxDynamicsManager->UpdateManager(kGameFrame);
        times.fPhysics += Since(mark);
        g_pAnimationManager->ThreadUpdateManager(kGameFrame);
        g_pAnimationManager->UpdateManager(kGameFrame);
        Since(mark);
    }
    const f64 seconds = std::chrono::duration<f64>(std::chrono::steady_clock::now() - start).count();
    const TGate* gate = logic.FindGate(1);
    const bool parked = gate && gate->m_nState >= gsBeforeUnloading;
    g_pCluster->Clear();
    g_pResourceManager->CloseRepositories(0);
    return game && !parked ? -1.0 : seconds;
}

void AerodromeTurnaround(benchmark::State& state)
{
    Begin();
    for (auto _ : state)
    {
        TPlayTimes turnaround, alone;
        const f64 played = PlayFrames(true, turnaround);
        const f64 physics = PlayFrames(false, alone);
        if (played < 0.0 || physics < 0.0)
        {
            state.SkipWithError("the aircraft did not reach gate 1");
            break;
        }
        const f64 gameSeconds = kTurnaroundFrames * kGameFrame;
        state.counters["game_s_per_s"] = gameSeconds / played;
        state.counters["physics_alone_s_per_s"] = gameSeconds / physics;
        state.counters["of_physics_alone"] = physics / played;
        // The game's managers against the physics step of the same frames.
        state.counters["game_of_physics"] = turnaround.fGame / turnaround.fPhysics;
    }
}
} // namespace

// First, as the tool runs: before the game's managers are begun.
BENCHMARK(GenerateAerodrome)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(LoadAerodrome)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadAerodromeFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(AerodromeTurnaround)->Unit(benchmark::kMillisecond)->Iterations(1);
