// Loading the aerodrome as the game loads it (the compressed repository unpacked, the cluster
// linked, the physics objects made, the game's units bound) beside reading its two files into
// memory (the core's reader of compressed files for the level, a plain read for the cooked
// meshes), in the same run: the machine is shared, only the ratio means something. The
// generator's time is measured too; the files' sizes are counters. Then a turnaround played
// with every gate busy (below); run it on one core ("taskset -c N").
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
#include "morvane/ui/soundplayer.h"
#include "core/math/random.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "xaudio2/xaudio2soundmanager.h"
#include "morvane/ux/screens.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <ctime>
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
// A turnaround with every gate busy, without drawing: the aircraft are called in with
// "land_plane" and sent to the free gates as the player would send them, 1/30 s
// frames in the game's order, until gate 1's aircraft has taken off. Measured in the same run:
// - the game's managers (vehicles, game logic, orbit camera, sound player) against the physics
//   step of the same frames, while all eight gates are busy: aim at most 0.25;
// - the turnaround in game seconds per wall second: aim at least 60 (on a shared machine the
//   core may be lent to others: the processor seconds the program had say what the run
//   itself took);
// - the physics step's share of the whole frames: aim at least 0.8 of "physics stepping alone".
//   With no game running the aerodrome's vehicles stand still and their bodies sleep, so a level
//   stepped without the game measures nearly nothing; the physics of the same frames, the same
//   bodies driving, is what stepping the level alone would cost, and the frame's rest is the
//   game's. (So this aim and the first are one measure seen from two sides.)
constexpr f32 kGameFrame = 1.0f / 30.0f;
// Gate 1's aircraft takes off after about 4,100 s; a stall ends the run.
constexpr i32 kTurnaroundFrameLimit = 30 * 8000;

struct TPlayTimes
{
    f64 fVehicles = 0.0;
    f64 fLogic = 0.0;
    f64 fOrbit = 0.0;
    f64 fSound = 0.0;
    f64 fPhysics = 0.0;
    f64 fOther = 0.0;
    i64 nFrames = 0;
    f64 Managers() const { return fVehicles + fLogic + fOrbit + fSound; }
    f64 Frames() const { return Managers() + fPhysics + fOther; }
};

f64 Since(std::chrono::steady_clock::time_point& mark)
{
    const auto now = std::chrono::steady_clock::now();
    const f64 seconds = std::chrono::duration<f64>(now - mark).count();
    mark = now;
    return seconds;
}

// The processor time the program has had, on all its threads.
f64 ProcessorSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<f64>(now.tv_sec) + static_cast<f64>(now.tv_nsec) * 1.0e-9;
}

void Run(const char* line)
{
    TCommandManager::Instance().ExecuteText(line);
}

// The player's choices: an aircraft waiting in zone 0 goes to the first free gate; while a gate
// has none coming, the next one is called in.
void FillGates(TGameLogicManager& logic, TGameParameters& parameters)
{
    const DArray<TGate*>& gates = logic.Gates();
    TGate* free = nullptr;
    for (i32 i = 0; i < gates.GetCount() && !free; ++i)
        if (!gates[i]->pPlane && gates[i]->m_nState == gsIdle)
            free = gates[i];
    if (parameters.aLandingZone[0].pWaitZonePlane && parameters.nChosenGate == 0 && free)
        parameters.nChosenGate = free->m_nId;
    else if (free && !(parameters.nFlags & GAME_LANDING) && !parameters.aLandingZone[0].pWaitZonePlane &&
             parameters.fArrivalTimer > 0.0f)
        Run("land.plane");
}

bool AllGatesBusy(TGameLogicManager& logic)
{
    const DArray<TGate*>& gates = logic.Gates();
    for (i32 i = 0; i < gates.GetCount(); ++i)
        if (gates[i]->m_nState < gsBeforeUnloading)
            return false;
    return gates.GetCount() > 0;
}

void AerodromeBusyTurnaround(benchmark::State& state)
{
    Begin();
    static bool s_bBegun = false;
    if (!s_bBegun)
    {
        s_bBegun = true;
        g_pAnimationManager->BeginManager();
        g_pXAudio2SoundManager->InitializeManager();
        g_pXAudio2SoundManager->BeginManager();
        g_pSoundPlayerManager->BeginManager();
    }
    for (auto _ : state)
    {
        if (g_pResourceManager->LoadRepository(kLevel.c_str(), 0) != 0)
        {
            state.SkipWithError("the aerodrome does not load");
            break;
        }
        TDeferredVariable("game_autostartaitask").SetInt(1);
        // The cheats' password, so that "land_plane" calls the aircraft in.
        const TName password("qix!", true);
        if (TVariable* cheats = TCommandManager::Instance().FindVariable(TName("cheating.password")))
            cheats->Assign(&password, 1);
        TRandom::Shared().Seed(1);
        TGameLogicManager& logic = *g_pGameLogicManager;
        logic.MarkGameStarted();
        TGameParameters& parameters = logic.GetParameters();
        const TGate& first = *logic.FindGate(1);
        TPlayTimes all, busy;
        bool served = false;
        i32 frame = 0;
        const auto start = std::chrono::steady_clock::now();
        const f64 startCpu = ProcessorSeconds();
        auto mark = start;
        for (; frame < kTurnaroundFrameLimit && !served; ++frame)
        {
            FillGates(logic, parameters);
            const bool full = AllGatesBusy(logic);
            TPlayTimes now;
            Since(mark);
            g_pVehicleManager->UpdateManager(kGameFrame);
            now.fVehicles = Since(mark);
            logic.UpdateManager(kGameFrame);
            now.fLogic = Since(mark);
            g_pOrbitCameraManager->UpdateManager(kGameFrame);
            now.fOrbit = Since(mark);
            g_pSoundPlayerManager->UpdateManager(kGameFrame);
            now.fSound = Since(mark);
            g_pNxDynamicsManager->ThreadUpdateManager(kGameFrame);
            now.fPhysics = Since(mark);
            g_pAnimationManager->ThreadUpdateManager(kGameFrame);
            now.fOther = Since(mark);
            g_pNxDynamicsManager->UpdateManager(kGameFrame);
            now.fPhysics += Since(mark);
            g_pAnimationManager->UpdateManager(kGameFrame);
            now.fOther += Since(mark);
            for (TPlayTimes* times : {&all, full ? &busy : nullptr})
                if (times)
                {
                    times->fVehicles += now.fVehicles;
                    times->fLogic += now.fLogic;
                    times->fOrbit += now.fOrbit;
                    times->fSound += now.fSound;
                    times->fPhysics += now.fPhysics;
                    times->fOther += now.fOther;
                    ++times->nFrames;
                }
            served = first.m_nState == gsTakeOff;
        }
        const f64 seconds = std::chrono::duration<f64>(std::chrono::steady_clock::now() - start).count();
        const f64 cpuSeconds = ProcessorSeconds() - startCpu;
        TDeferredVariable("game_autostartaitask").SetInt(0);
        g_pCluster->Clear();
        g_pResourceManager->CloseRepositories(0);
        if (!served || busy.nFrames == 0)
        {
            state.SkipWithError(served ? "the gates were never all busy" : "gate 1's aircraft did not take off");
            break;
        }
        const auto perFrame = [&](f64 value) { return value * 1.0e6 / static_cast<f64>(busy.nFrames); };
        state.counters["busy_frames"] = static_cast<f64>(busy.nFrames);
        state.counters["vehicles_us"] = perFrame(busy.fVehicles);
        state.counters["logic_us"] = perFrame(busy.fLogic);
        state.counters["orbit_us"] = perFrame(busy.fOrbit);
        state.counters["sound_us"] = perFrame(busy.fSound);
        state.counters["physics_us"] = perFrame(busy.fPhysics);
        state.counters["managers_of_physics"] = busy.Managers() / busy.fPhysics;
        state.counters["game_s"] = frame * kGameFrame;
        state.counters["game_s_per_s"] = frame * kGameFrame / seconds;
        state.counters["game_s_per_cpu_s"] = frame * kGameFrame / cpuSeconds;
        state.counters["physics_of_frames"] = all.fPhysics / all.Frames();
    }
}
} // namespace

// First, as the tool runs: before the game's managers are begun.
BENCHMARK(GenerateAerodrome)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(LoadAerodrome)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadAerodromeFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(AerodromeBusyTurnaround)->Unit(benchmark::kMillisecond)->Iterations(1);
