// A level of 8 gates with 36 started tasks each (AI units deploying to their areas or working in
// them), 16 aircraft taxiing with their engine sounds, the follow-me car's engine, wind and
// announcements, and the current orbit camera: per frame the game logic (its tasks), the sound
// player and the orbit camera, against the dynamics manager's step of the same frames (the
// tasks' 288 unit bodies and 20 carts driving circles), on one core, in the same run. The
// camera runs in its worst case (argument 1: scenery beside its whole arm, so the arm's ray and
// its capsule tries down to the twentieth step every frame) and with its arm free (argument 0:
// the ray and one capsule). The aim is at most 0.05 of the step.
#include "ageia/dynamicsbody.h"
#include "ageia/dynamicsgeometry.h"
#include "ageia/nxdynamics.h"
#include "clipsynth.h"
#include "core/cluster/cluster.h"
#include "core/system/string.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "igame/vehicles/vehicle.h"
#include "igame/vehicles/vehiclemanager.h"
#include "morvane/game/aicommonunit.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gate.h"
#include "morvane/game/orbitcamera.h"
#include "morvane/game/orbitcameramanager.h"
#include "morvane/game/task.h"
#include "morvane/game/taskarea.h"
#include "morvane/ui/soundplayer.h"
#include "platform/xaudio2/xaudio2settings.h"
#include "support/levelstart.h"
#include "support/testclip.h"
#include "xaudio2/soundtypes.h"
#include "xaudio2/xaudio2sound.h"
#include "xaudio2/xaudio2sounddata.h"
#include "xaudio2/xaudio2soundmanager.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <deque>

namespace
{
constexpr f32 kStep = 1.0f / 60.0f;
constexpr i32 kGates = 8;
constexpr i32 kTasksPerGate = 36;
constexpr i32 kCarts = 20;
constexpr i32 kWarmUp = 60;
constexpr f32 kArm = 60.0f;

struct TBusyAerodrome
{
    explicit TBusyAerodrome(bool scenery)
    {
        StartPhysics(DrivingSettings());
        g_pXAudio2SoundManager->InitializeManager();
        g_pXAudio2SoundManager->BeginManager();
        // The sound service on a fake stereo device whose mixer nobody steps: sounds keep playing.
        TXAudio2Settings& audio = XAudio2Settings();
        audio.devices = {{u"Bench speakers"}};
        audio.stepped = true;
        for (TXAudio2Sound& record : records)
            g_pXAudio2SoundManager->Sounds().Add(&record);
        g_pXAudio2SoundManager->SetArray(SOUND_TYPE_ID, nullptr, 0);
        StaticBox("ground", TVector(0.0f, -1.0f, 0.0f, 1.0f), TVector(300.0f, 1.0f, 300.0f, 1.0f));

        TGameLogicManager& game = *g_pGameLogicManager;
        game.Parameters().Add(&parameters);
        parameters.nStarted = 1;
        char name[48];
        for (i32 g = 0; g < kGates; ++g)
        {
            TGate& gate = gates.emplace_back();
            gate.m_nId = g + 1;
            game.Gates().Add(&gate);
            for (i32 t = 0; t < kTasksPerGate; ++t)
            {
                TTask& task = tasks.emplace_back();
                task.m_nType = t % TASK_TYPE_COUNT;
                task.pGate = &gate;
                const f32 x = static_cast<f32>(g) * 30.0f - 105.0f;
                const f32 z = static_cast<f32>(t) * 6.0f - 105.0f;
                TTaskArea& area = areas.emplace_back();
                area.Position = TVector(x, 0.0f, z + (t % 2 ? 0.0f : 3.0f), 1.0f);
                area.fRadius = 1.0f;
                task.pTaskArea = &area;
                TAICommonUnit& unit = units.emplace_back();
                unit.m_nAILevel = 1;
                FormatStringN(name, sizeof name, "unit_%d_%d", g, t);
                unit.pBody = BoxBody(name, TVector(x, 0.5f, z, 1.0f), TVector(0.5f, 0.5f, 0.5f, 1.0f), 50.0f);
                unit.pBody->__Create();
                task.pAIUnit = &unit;
                // Half drive towards their areas (every frame the countdown and the distance),
                // half work in them.
                task.m_fDeadline = 1.0e6f;
                task.m_nAI = 1;
                task.m_nStarted = task.m_nCountdownStarted = 1;
                task.m_fCountdown = 1.0e6f;
                if (t % 2)
                {
                    task.m_nArrived = task.m_nWorking = 1;
                    task.m_fWorkTimer = 1.0e6f;
                }
                gate.aGateTask.Add(&task);
                game.Tasks().Add(&task);
                game.Units().Add(&unit);
            }
        }

        // Carts driving circles, the first the follow-me car in view.
        for (i32 i = 0; i < kCarts; ++i)
        {
            FormatStringN(name, sizeof name, "cart_%d", i);
            const TVector at(static_cast<f32>(i % 5) * 25.0f - 50.0f, 0.8f,
                             static_cast<f32>(i / 5) * 25.0f + 120.0f, 1.0f);
            TVehicle& vehicle = carts.emplace_back();
            MakeCart(vehicle, name, at)->GetNode()->AddObject(&vehicle);
            g_pVehicleManager->Vehicles().Add(&vehicle);
        }
        TTask& followMe = tasks.emplace_back();
        game.Tasks().Add(&followMe);
        parameters.pActiveTask = &followMe;
        g_pVehicleManager->SetActiveVehicle(&carts.front());

        // The game's sounds, sixteen aircraft taxiing.
        for (u32 i = 0; i < SOUND_NAME_COUNT; ++i)
            Clip(g_aSoundName[i]);
        Clip("Music1");
        for (i32 i = 1; i <= 7; ++i)
            Clip(StringFormat("Announcement0%d", i));
        g_pXAudio2SoundManager->OnClusterLoad();
        g_pSoundPlayerManager->OnClusterLoad();
        for (u32 i = 0; i < GAME_PLANE_CAPACITY; ++i)
        {
            TAICommonUnit& plane = planes.emplace_back();
            plane.m_nAircraft = 1;
            FormatStringN(name, sizeof name, "plane_locator_%u", i);
            plane.pPlaneSoundLocator = g_pNodeManager->CreateNode(name);
            plane.m_nPlaneState = PLANE_LANDED;
            parameters.aPlane.Add(&plane);
            g_pSoundPlayerManager->UpdateAirplane(&plane);
        }

        // The tower's camera, in the worst case with scenery (groups 2) beside its whole arm.
        TNode* pivot = g_pNodeManager->CreateNode("tower_pivot");
        pivot->SetLocalMatrix(Translation(0.0f, 5.0f, 200.0f), TNode::OrdinaryCause());
        pivot->AddObject(&camera);
        camera.pNodeX = g_pNodeManager->CreateNode("tower_arm");
        pivot->AddChild(camera.pNodeX);
        camera.m_nZoomLevelCount = 1;
        camera.aZoomLevel[0] = TVector(0.0f, 0.0f, -kArm, 1.0f);
        if (scenery)
        {
            TDynamicsBody* slab = BoxBody("slab", TVector(0.5f, 5.0f, 200.0f - kArm, 1.0f),
                                          TVector(0.25f, 1.0f, kArm, 1.0f), 1.0f, ORBIT_COLLISION_FILTER);
            slab->SetDynamic(0);
            slab->__Create();
        }
        g_pOrbitCameraManager->Cameras().Add(&camera);
        g_pOrbitCameraManager->SelectCamera(&camera);

        for (i32 frame = 0; frame < kWarmUp; ++frame)
        {
            Game();
            Dynamics();
        }
    }
    ~TBusyAerodrome()
    {
        g_pVehicleManager->SetActiveVehicleIndex(-1);
        g_pVehicleManager->Vehicles().SetCount(0);
        // As the level's unloading does: the sound player forgets the instances of this run,
        // the nodes let go of the records this run owns.
        g_pSoundPlayerManager->OnClusterUnload();
        for (TVehicle& cart : carts)
            cart.GetNode()->DeleteObject(&cart);
        camera.GetNode()->DeleteObject(&camera);
        g_pCluster->Clear();
        for (TTestClip& clip : clips)
            clip.Data.Unload();
        XAudio2Settings() = TXAudio2Settings();
    }

    // A clip of a second's tone, looping: what the game keeps playing stays playing.
    void Clip(const char* name)
    {
        const TClipTone tone = {EClipWave::Saw, 110.0f, 110.0f, 1.0f, 0.5f, 0.5f};
        TTestClip& clip =
            clips.emplace_back(name, SynthesizeClip({name, nullptr, SOUND_DATA_ENDLESS, 1, {tone}}), nullptr,
                               SOUND_DATA_ENDLESS);
        g_pXAudio2SoundManager->Data().Add(&clip.Data);
    }

    // The AI's requests and the vehicles' own update, outside both measures.
    void Vehicles()
    {
        for (TVehicle& cart : carts)
        {
            cart.Drive(0.6f, kStep);
            cart.SteerLeft(0.5f, kStep);
        }
        g_pVehicleManager->UpdateManager(kStep);
    }
    // The game's part of a frame: the input step, the game, the camera, the sounds, each timed.
    void Game()
    {
        // The arm back at its full length: with scenery, every frame's tries meet it.
        camera.m_fArmLength = kArm;
        const auto start = TClock::now();
        g_pGameLogicManager->UpdateFocus(kStep);
        g_pGameLogicManager->UpdateManager(kStep);
        const auto logic = TClock::now();
        g_pOrbitCameraManager->UpdateManager(kStep);
        const auto orbit = TClock::now();
        g_pSoundPlayerManager->UpdateManager(kStep);
        const auto end = TClock::now();
        logicTime += logic - start;
        orbitTime += orbit - logic;
        soundTime += end - orbit;
    }
    void Dynamics()
    {
        Vehicles();
        g_pNxDynamicsManager->ThreadUpdateManager(kStep);
        g_pNxDynamicsManager->UpdateManager(kStep);
    }

    TGameParameters parameters;
    std::deque<TGate> gates;
    std::deque<TTask> tasks;
    std::deque<TTaskArea> areas;
    std::deque<TAICommonUnit> units;
    std::deque<TAICommonUnit> planes;
    std::deque<TVehicle> carts;
    std::deque<TTestClip> clips;
    TXAudio2Sound records[SOUND_POOL_CAPACITY];
    TOrbitCamera camera;
    TClock::duration logicTime{}, orbitTime{}, soundTime{};
};

void BM_GameAgainstDynamics(benchmark::State& state)
{
    // 1: the camera's worst case, scenery along its whole arm; 0: the arm free.
    TBusyAerodrome aerodrome(state.range(0) != 0);
    TClock::duration game{}, dynamics{};
    aerodrome.logicTime = aerodrome.orbitTime = aerodrome.soundTime = {};
    i64 frames = 0;
    for (auto _ : state)
    {
        aerodrome.Vehicles();
        const auto start = TClock::now();
        aerodrome.Game();
        const auto middle = TClock::now();
        g_pNxDynamicsManager->ThreadUpdateManager(kStep);
        g_pNxDynamicsManager->UpdateManager(kStep);
        dynamics += TClock::now() - middle;
        game += middle - start;
        ++frames;
    }
    const f64 gameUs = std::chrono::duration<f64, std::micro>(game).count() / static_cast<f64>(frames);
    const f64 dynamicsUs = std::chrono::duration<f64, std::micro>(dynamics).count() / static_cast<f64>(frames);
    const auto perFrame = [&](TClock::duration time)
    { return std::chrono::duration<f64, std::micro>(time).count() / static_cast<f64>(frames); };
    state.counters["game_us"] = gameUs;
    state.counters["logic_us"] = perFrame(aerodrome.logicTime);
    state.counters["orbit_us"] = perFrame(aerodrome.orbitTime);
    state.counters["sound_us"] = perFrame(aerodrome.soundTime);
    state.counters["dynamics_us"] = dynamicsUs;
    state.counters["ratio"] = gameUs / dynamicsUs;
    state.counters["arm"] = aerodrome.camera.m_fArmLength;
    // The aircraft whose taxiing sound plays: all sixteen when the service runs.
    i32 heard = 0;
    for (u32 i = 0; i < GAME_PLANE_CAPACITY; ++i)
        heard += g_pSoundPlayerManager->GetAirplane(i).Taxi.pSound != nullptr;
    state.counters["planes_heard"] = heard;
}
BENCHMARK(BM_GameAgainstDynamics)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(600)->Repetitions(3);
} // namespace
