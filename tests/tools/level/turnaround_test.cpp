// Turnarounds on the aerodrome, played by the game itself without drawing: the freighter's way
// to its gate; a jet bridge coming to rest at its path's end; the whole turnaround at gate 1,
// through every state of the aircraft and the gate to the take-off and its pay, with the second
// arrival parked at gate 2 and the first rain meanwhile, and a state saved while the aircraft
// idles loaded back and played on to the end (a developer's road: CI plays the idle spell with
// the rain, and the loading's end with the take-off, from states that road saved).
#include "turnaroundfixture.h"

#include "core/stream/memorystream.h"
#include "engine/system/command/variable.h"
#include "engine/system/statemanager.h"
#include "igame/vehicles/vehicle.h"
#include "igame/effects/atmospheremanager.h"
#include "igame/effects/effectsmanager.h"
#include "leveleffects.h"
#include "morvane/game/gameenums.h"

#include <map>
#include <set>
#include <tuple>

namespace
{
// The aircraft parks at gate 1 after about 30 s.
constexpr f32 kParkingLimit = 150.0f;
// Rolling through the stands' corners at pace, the freighter parks at gate 3 after about 50 s
// (crawling through them it took twice that).
constexpr f32 kFreighterParkingLimit = 70.0f;
// The whole turnaround at gate 1 takes off after about 3,700 s.
constexpr f32 kTurnaroundLimit = 5000.0f;
// How long the game goes on after the state is saved, before it is loaded back.
constexpr f32 kPlayedOn = 60.0f;
// The states the whole road saves: in the idle spell before the first rain, and late in the
// loading before its last tasks start.
constexpr const char* kRainState = "turnaround-rain.save";
constexpr f32 kRainStateAt = 1470.0f;
constexpr const char* kTakeOffState = "turnaround-takeoff.save";
constexpr f32 kTakeOffStateAt = 870.0f;

TEST_F(Turnaround, TheFreighterRollsThroughTheCornersToGate3AtPace)
{
    TGameParameters& parameters = Game().GetParameters();
    // Asked for before it ever landed (stored as with the password).
    TDeferredVariable cargo("next_cargo_plane");
    ASSERT_NE(nullptr, cargo.GetVariable());
    cargo.GetVariable()->Store(1);
    TGate& gate = *Game().FindGate(3);
    TAICommonUnit* plane = nullptr;
    f32 time = 0.0f;
    while (time < kParkingLimit && gate.m_nState < gsBeforeUnloading)
    {
        if (!plane && parameters.aLandingZone[0].pWaitZonePlane)
        {
            plane = parameters.aLandingZone[0].pWaitZonePlane;
            parameters.nChosenGate = 3;
        }
        Frame();
        time += kGameFrame;
    }
    ASSERT_NE(nullptr, plane);
    EXPECT_TRUE(plane->IsCargoAircraft());
    EXPECT_EQ(gsBeforeUnloading, gate.m_nState);
    EXPECT_LT(time, kFreighterParkingLimit);
    EXPECT_EQ(0u, plane->pVehicle->flags & VEHICLE_HANDBRAKE);
}
// The jet bridge back at the terminal off its line and askew, its path's end reached within
// reach of its home (between its near and far distances): it rolls to rest there and goes home,
// rather than turning on the spot towards its end point and creeping into the terminal.
TEST_F(Turnaround, AJetBridgeOffItsLineAtItsPathsEndComesToRestAtHome)
{
    constexpr f32 kRestLimit = 30.0f;
    TTask& back = *Game().FindGate(7)->FindTask(gtRetreiveTunnel);
    ASSERT_NE(nullptr, back.pAIUnit);
    TAICommonUnit& bridge = *back.pAIUnit;
    back.Start();
    // A frame for its prop to take its form.
    Frame();
    ASSERT_NE(nullptr, bridge.pBody);
    ASSERT_TRUE(bridge.m_nDriving);
    const TCurvePool& pool = *Game().FindCurvePool(TName(GAME_UNIT_CURVE_POOL).GetId());
    const TCurveRecord& path = *pool.GetCurve(bridge.m_nCurrentPath);
    const TVector home = pool.GetPoint(path, path.nPointCount - 1);
    const TVector before = pool.GetPoint(path, path.nPointCount - 2);
    // 3.35 from home: 3.0 short and 1.5 aside, turned 34 degrees from the last stretch.
    const TVector along = TVector(home.x - before.x, 0.0f, home.z - before.z, 0.0f).Normalized();
    const TVector side(along.z, 0.0f, -along.x, 0.0f);
    const f32 c = std::cos(34.0f / 57.29578f), s = std::sin(34.0f / 57.29578f);
    TMatrix place = *bridge.pBody->GetNode()->GetWorldMatrix();
    place.aRow[2] = TVector(along.x * c + side.x * s, 0.0f, along.z * c + side.z * s, 0.0f);
    place.aRow[0] = TVector(place.aRow[2].z, 0.0f, -place.aRow[2].x, 0.0f);
    place.aRow[1] = TVector(0.0f, 1.0f, 0.0f, 0.0f);
    place.aRow[3] = TVector(home.x - along.x * 3.0f + side.x * 1.5f, place.aRow[3].y,
                            home.z - along.z * 3.0f + side.z * 1.5f, 1.0f);
    bridge.pBody->GetNode()->SetWorldMatrix(place, TNode::OrdinaryCause());
    // Rolling on at a walking pace.
    bridge.pBody->SetLinearVelocity(TVector(place.aRow[2].x * 0.5f, 0.0f, place.aRow[2].z * 0.5f, 0.0f));
    bridge.pBody->SetAngularVelocity(TVector(0.0f, 0.0f, 0.0f, 0.0f));
    bridge.m_nPointIndex = static_cast<i32>(path.nPointCount) - 2;
    bridge.m_fPathParameter = 1.0f;
    f32 time = 0.0f, farthest = 0.0f;
    u32 blocked = 0;
    while (bridge.m_nDriving && time < kRestLimit)
    {
        Frame();
        time += kGameFrame;
        if (bridge.pBody)
            farthest = std::max(farthest, PointDistance(bridge.GetPosition(), home));
        blocked |= bridge.m_nBlocked;
    }
    EXPECT_FALSE(bridge.m_nDriving) << "still driving after " << time << " s";
    EXPECT_TRUE(back.m_nArrived);
    EXPECT_LT(farthest, 5.0f);
    EXPECT_FALSE(blocked);
}

// Gate 1's turnaround played to its take-off, with the second arrival sent to gate 2 as the
// menu would send it, frame by frame.
struct TPlay
{
    TAICommonUnit* pPlane = nullptr;
    TAICommonUnit* pSecond = nullptr;
    std::vector<i32> aPlaneState, aGateState;
    // When gate 1 entered each of its states.
    std::vector<f32> aGateEntry;
    // Gate 1's task types in the order they were done, and the gate's state and the time it had
    // been in it when each started.
    std::vector<i32> aDone;
    std::map<i32, std::pair<i32, f32>> Started;
    i32 nBusFlag = -1, nSecondFlag = -1;
    // The money the tasks of every gate earned and lost, and the take-offs' pay.
    i32 nArrivalPay = 0, nLateSeconds = 0, nTakeOffPay = 0;
    f32 fMostBlocked = 0.0f;
    f32 fTime = 0.0f;
    // The first rain: the game time its sound came and went, the looks it moved to.
    f32 fRainOn = -1.0f, fRainOff = -1.0f;
    std::vector<std::pair<u32, f32>> aLook;
};

class WholeTurnaround : public Turnaround
{
protected:
    bool m_bRainSaved = false, m_bTakeOffSaved = false;

    void SetUp() override
    {
        Turnaround::SetUp();
        // The sky's rain change and the looks are the level's, taken up as the level loads.
        g_pAtmosphereManager->BeginManager();
        g_pEffectsManager->BeginManager();
        g_pAtmosphereManager->OnClusterLoad();
        g_pEffectsManager->OnClusterLoad();
    }

    // The clock the gate keeps for the state.
    static f32 StateTime(const TGate& gate, i32 state)
    {
        return state == gsUnloading ? gate.m_fUnloadingTimer
               : state == gsPlaneIdle ? gate.m_fIdleTimer
               : state == gsLoading   ? gate.m_fLoadingTimer
                                      : 0.0f;
    }

    // Plays on until the first aircraft is idle again after its take-off, until the given
    // state is entered or until the given game time.
    void Play(TPlay& play, i32 until = -1, f32 untilTime = kTurnaroundLimit)
    {
        TGameParameters& parameters = Game().GetParameters();
        TGate& gate = *Game().FindGate(1);
        struct TTaskSeen
        {
            f32 fCountdown;
            i32 nArrived, nStarted, nDone;
        };
        std::vector<TTaskSeen> seen(static_cast<u32>(Game().Tasks().GetCount()));
        while (play.fTime < untilTime)
        {
            // The player picks gate 1 for the first aircraft waiting in zone 0, gate 2 for the next.
            TAICommonUnit* waiting = parameters.aLandingZone[0].pWaitZonePlane;
            if (!play.pPlane && waiting)
            {
                play.pPlane = waiting;
                parameters.nChosenGate = 1;
            }
            else if (!play.pSecond && waiting && waiting != play.pPlane && parameters.nChosenGate == 0)
            {
                play.pSecond = waiting;
                parameters.nChosenGate = 2;
            }
            for (i32 i = 0; i < Game().Tasks().GetCount(); ++i)
            {
                const TTask& task = *Game().Tasks()[i];
                seen[static_cast<u32>(i)] = {task.m_fCountdown, task.m_nArrived, task.m_nStarted, task.m_nDone};
            }
            const i32 money = parameters.nMoney;
            const u32 raining = g_pSoundPlayerManager->GetSlot(TSoundPlayerManager::SLOT_RAIN).pSound != nullptr;
            const u32 look = g_pEffectsManager->Transition().Target().nName;
            const i32 gateState = gate.m_nState;

            g_pAtmosphereManager->UpdateManager(kGameFrame);
            g_pEffectsManager->UpdateManager(kGameFrame);
            Frame();
            play.fTime += kGameFrame;

            // Every change of money is a task's arrival pay, a late second or a take-off's pay.
            i32 change = 0;
            for (i32 i = 0; i < Game().Tasks().GetCount(); ++i)
            {
                const TTask& task = *Game().Tasks()[i];
                const TTaskSeen& before = seen[static_cast<u32>(i)];
                if (task.m_nArrived && !before.nArrived && task.m_fCountdown > 0.0f)
                {
                    const i32 pay = static_cast<i32>(task.m_fCountdown * TASK_PAY_PER_SECOND);
                    play.nArrivalPay += pay;
                    change += pay;
                }
                if (before.fCountdown < 0.0f && std::trunc(before.fCountdown) != std::trunc(task.m_fCountdown) &&
                    task.m_fCountdown < before.fCountdown)
                {
                    ++play.nLateSeconds;
                    --change;
                }
                if (task.pGate != &gate)
                    continue;
                if (task.m_nStarted && !before.nStarted)
                    play.Started[task.m_nType] = {gateState, StateTime(gate, gateState)};
                if (task.m_nDone && !before.nDone)
                    play.aDone.push_back(task.m_nType);
            }
            if (parameters.nMoney - money == change + 45000 && play.pPlane->m_nPlaneState == PLANE_IDLE)
            {
                play.nTakeOffPay += 45000;
                change += 45000;
            }
            EXPECT_EQ(change, parameters.nMoney - money) << "at " << play.fTime << " s";

            if (play.pPlane && (play.aPlaneState.empty() || play.aPlaneState.back() != play.pPlane->m_nPlaneState))
                play.aPlaneState.push_back(play.pPlane->m_nPlaneState);
            if (play.aGateState.empty() || play.aGateState.back() != gate.m_nState)
            {
                play.aGateState.push_back(gate.m_nState);
                play.aGateEntry.push_back(play.fTime);
            }
            if (gate.m_nState == gsBeforeUnloading)
            {
                play.nBusFlag = gate.m_nBusFlag;
                play.nSecondFlag = gate.m_nSecondFlag;
            }
            for (i32 i = 0; i < Game().Units().GetCount(); ++i)
                if (!Game().Units()[i]->IsAircraft())
                    play.fMostBlocked = std::max(play.fMostBlocked, Game().Units()[i]->m_fBlockedTime);
            const u32 rainingNow = g_pSoundPlayerManager->GetSlot(TSoundPlayerManager::SLOT_RAIN).pSound != nullptr;
            if (rainingNow && !raining && play.fRainOn < 0.0f)
                play.fRainOn = play.fTime;
            if (!rainingNow && raining && play.fRainOff < 0.0f)
                play.fRainOff = play.fTime;
            TEffectTransition& transition = g_pEffectsManager->Transition();
            if (transition.IsRunning() && transition.Target().nName != look)
                play.aLook.push_back({transition.Target().nName, transition.GetDuration()});
            if (WholeRoad() && play.fTime > kRainStateAt && !m_bRainSaved)
            {
                WriteState(kRainState);
                m_bRainSaved = true;
            }
            if (WholeRoad() && gate.m_nState == gsLoading && gate.m_fLoadingTimer > kTakeOffStateAt && !m_bTakeOffSaved)
            {
                WriteState(kTakeOffState);
                m_bTakeOffSaved = true;
            }
            if (gate.m_nState == until)
                return;
            if (play.pPlane && play.pPlane->m_nPlaneState == PLANE_IDLE && play.aPlaneState.size() > 1)
                return;
        }
    }

    // The second arrival (1,740 s after the first) parked at gate 2; the first rain after 1,500 s
    // for 240 s once the sky is wet, the look moving to the rain's over 10 s and back over 8 s.
    static void ExpectSecondArrivalAndFirstRain(const TPlay& play)
    {
        const TGate& gate2 = *Game().FindGate(2);
        ASSERT_NE(nullptr, play.pSecond);
        EXPECT_NE(play.pPlane, play.pSecond);
        EXPECT_EQ(play.pSecond, gate2.pPlane);
        EXPECT_GE(play.pSecond->m_nPlaneState, PLANE_PARKED);
        EXPECT_GE(gate2.m_nState, gsBeforeUnloading);
        EXPECT_GT(play.fRainOn + kGameFrame, 1500.0f);
        EXPECT_GT(play.fRainOff - play.fRainOn, 239.5f);
        EXPECT_LT(play.fRainOff - play.fRainOn, 241.0f);
        ASSERT_GE(play.aLook.size(), 2u);
        using TLooks = std::vector<std::pair<u32, f32>>;
        EXPECT_EQ((TLooks{{TName(LEVEL_EFFECTS_RAIN).GetId(), 10.0f}, {TName(LEVEL_EFFECTS).GetId(), 8.0f}}),
                  TLooks(play.aLook.begin(), play.aLook.begin() + 2));
    }

    // A state saved while the aircraft idles at the gate, played on for a while and loaded
    // back: the game goes on from where it was saved (the generator's state kept beside the
    // image, which holds the game, not the draws to come).
    void PlayOnAndLoadBack(TPlay& play)
    {
        TGameParameters& parameters = Game().GetParameters();
        TGate& gate = *Game().FindGate(1);
        ASSERT_EQ(gsPlaneIdle, gate.m_nState);
        TMemoryStream saved;
        ASSERT_EQ(STATE_DONE, g_pStateManager->_Save(saved));
        std::vector<u8> image(saved.GetData(), saved.GetData() + saved.GetSize());
        const TRandom draws = TRandom::Shared();
        const TPlay atSave = play;
        const i32 moneyAtSave = parameters.nMoney;
        const f32 idleAtSave = gate.m_fIdleTimer;
        auto taskFlags = [&gate] {
            std::vector<i32> flags;
            for (u32 i = 0; i < gate.aGateTask.GetCount(); ++i)
            {
                const TTask& task = *gate.aGateTask[i];
                flags.insert(flags.end(), {task.m_nStarted, task.m_nArrived, task.m_nWorking, task.m_nDone});
            }
            return flags;
        };
        const std::vector<i32> tasksAtSave = taskFlags();
        Play(play, -1, play.fTime + kPlayedOn);
        EXPECT_GT(gate.m_fIdleTimer, idleAtSave + kPlayedOn - 1.0f);
        TMemoryStream stream;
        stream.Open(TName("turnaround_state", true), STREAM_READ);
        stream.Attach(image.data(), static_cast<i32>(image.size()));
        ASSERT_EQ(STATE_DONE, g_pStateManager->_Load(stream));
        TRandom::Shared() = draws;
        play = atSave;
        EXPECT_EQ(moneyAtSave, parameters.nMoney);
        EXPECT_EQ(gsPlaneIdle, gate.m_nState);
        EXPECT_EQ(idleAtSave, gate.m_fIdleTimer);
        EXPECT_EQ(tasksAtSave, taskFlags());
    }
};

TEST_F(WholeTurnaround, TheFirstAircraftIsServedThroughEveryStateTakesOffAndIsPaid)
{
    if (!WholeRoad())
        GTEST_SKIP() << "the whole road is played with VESTAMOR_WHOLE_ROAD=1";
    TGameParameters& parameters = Game().GetParameters();
    TPlay play;
    Play(play, gsPlaneIdle);
    ASSERT_NO_FATAL_FAILURE(PlayOnAndLoadBack(play));
    Play(play);
    ASSERT_NE(nullptr, play.pPlane);
    EXPECT_LT(play.fTime, kTurnaroundLimit);
    EXPECT_EQ((std::vector<i32>{PLANE_TO_GATE, PLANE_PARKED, PLANE_READY, PLANE_TAXIING, PLANE_TO_RUNWAY,
                                PLANE_LEAVING, PLANE_TAKING_OFF, PLANE_IDLE}),
              play.aPlaneState);
    ASSERT_EQ((std::vector<i32>{gsIdle, gsParkAirplane, gsBeforeUnloading, gsUnloading, gsPlaneIdle, gsLoading,
                                gsWaitForTakeoff, gsProceedingToTakeoff, gsTakeOff, gsIdle}),
              play.aGateState);
    // Unloading, the idle spell and loading each last their 900 s at least (by the gate's clock,
    // which adds the frames' times in single precision).
    for (const i32 state : {gsUnloading, gsPlaneIdle, gsLoading})
        EXPECT_GT(play.aGateEntry[static_cast<u32>(state) + 1] - play.aGateEntry[static_cast<u32>(state)], 899.5f)
            << state;
    EXPECT_LT(play.fMostBlocked, UNIT_BLOCKED_GIVE_UP) << "a unit waited for what blocked it to the end";
    EXPECT_EQ(45000, play.nTakeOffPay);
    EXPECT_GT(play.nArrivalPay, 0);
    EXPECT_EQ(1000 + 45000 + play.nArrivalPay - play.nLateSeconds, parameters.nMoney);

    // Every task of the gate done, each in its turn.
    ASSERT_TRUE(play.nBusFlag != -1 && play.nSecondFlag != -1);
    std::set<i32> expected = {0, 1, 4, 5, 6, 7, 8, 9, 16, 17, 18, 19, 20, 21, 24, 25};
    if (play.nBusFlag)
        expected.insert({2, 3, 12, 13, 14, 15});
    if (play.nSecondFlag)
        expected.insert({10, 11});
    EXPECT_EQ(expected, std::set<i32>(play.aDone.begin(), play.aDone.end()));
    EXPECT_EQ(expected.size(), play.aDone.size()) << "each once";
    auto doneAt = [&](i32 type) {
        return std::find(play.aDone.begin(), play.aDone.end(), type) - play.aDone.begin();
    };
    std::vector<std::pair<i32, i32>> order = {{0, 1},  {24, 25}, {6, 7},  {7, 8},  {8, 9},  {16, 17}, {18, 19},
                                              {20, 21}, {4, 5},   {17, 5}, {9, 5},  {19, 5}, {21, 5}};
    if (play.nBusFlag)
        order.insert(order.end(), {{2, 12}, {12, 13}, {14, 15}, {15, 3}});
    if (play.nSecondFlag)
        order.push_back({10, 11});
    for (const auto& [before, after] : order)
    {
        if (expected.count(before) && expected.count(after))
        {
            EXPECT_LT(doneAt(before), doneAt(after)) << before << " before " << after;
        }
    }
    // The first services start on parking; the rest wait for their state and its time.
    for (const i32 type : {0, 4, 6})
        EXPECT_EQ(gsBeforeUnloading, play.Started[type].first) << type;
    std::vector<std::tuple<i32, i32, f32>> waits = {
        {16, gsUnloading, 600.0f}, {18, gsPlaneIdle, 0.0f}, {20, gsPlaneIdle, 360.0f}, {5, gsLoading, 900.0f}};
    if (play.nBusFlag)
        waits.insert(waits.end(), {{13, gsUnloading, 420.0f}, {14, gsLoading, 120.0f}, {3, gsLoading, 900.0f}});
    for (const auto& [type, state, least] : waits)
    {
        EXPECT_EQ(state, play.Started[type].first) << type;
        EXPECT_GT(play.Started[type].second, least) << type;
    }
    ExpectSecondArrivalAndFirstRain(play);
    ExpectTakeOffLogged();
}

// From the state the whole road saved in the idle spell: saved again, played on and loaded
// back, the game goes on from where it was saved; the first rain comes and goes with the looks;
// the second arrival parks at gate 2; the idle spell ends after its 900 s.
TEST_F(WholeTurnaround, InTheIdleSpellTheFirstRainComesAndGoesAndTheSecondArrivalParks)
{
    constexpr f32 kSecondParkedLimit = 2200.0f;
    ASSERT_NO_FATAL_FAILURE(LoadState(kRainState));
    TGate& gate = *Game().FindGate(1);
    ASSERT_EQ(gsPlaneIdle, gate.m_nState);
    TPlay play;
    play.pPlane = gate.pPlane;
    play.fTime = kRainStateAt;
    // The idle spell's clock against the game's.
    const f32 idleStart = play.fTime - gate.m_fIdleTimer;
    ASSERT_NO_FATAL_FAILURE(PlayOnAndLoadBack(play));
    Play(play, gsLoading);
    const TGate& gate2 = *Game().FindGate(2);
    while (play.fTime < kSecondParkedLimit && !(play.pSecond && gate2.pPlane == play.pSecond &&
                                                 play.pSecond->m_nPlaneState >= PLANE_PARKED))
        Play(play, -1, play.fTime + 10.0f);
    ASSERT_EQ((std::vector<i32>{gsPlaneIdle, gsLoading}), play.aGateState);
    EXPECT_GT(play.aGateEntry[1] - idleStart, 899.5f);
    ExpectSecondArrivalAndFirstRain(play);
}

// From the state the whole road saved late in the loading: its last tasks wait for its 900 s,
// then the aircraft taxis, takes off and is paid.
TEST_F(WholeTurnaround, LateInTheLoadingTheLastTasksStartAndTheFirstAircraftTakesOffAndIsPaid)
{
    ASSERT_NO_FATAL_FAILURE(LoadState(kTakeOffState));
    TGameParameters& parameters = Game().GetParameters();
    TGate& gate = *Game().FindGate(1);
    ASSERT_EQ(gsLoading, gate.m_nState);
    const f32 loading = gate.m_fLoadingTimer;
    const i32 money = parameters.nMoney;
    std::vector<i32> last = {5};
    if (gate.m_nBusFlag)
        last.push_back(3);
    TPlay play;
    play.pPlane = gate.pPlane;
    play.pSecond = Game().FindGate(2)->pPlane;
    Play(play);
    ASSERT_NE(nullptr, play.pPlane);
    EXPECT_EQ((std::vector<i32>{PLANE_PARKED, PLANE_READY, PLANE_TAXIING, PLANE_TO_RUNWAY, PLANE_LEAVING,
                                PLANE_TAKING_OFF, PLANE_IDLE}),
              play.aPlaneState);
    ASSERT_EQ((std::vector<i32>{gsLoading, gsWaitForTakeoff, gsProceedingToTakeoff, gsTakeOff, gsIdle}),
              play.aGateState);
    EXPECT_GT(loading + play.aGateEntry[1], 899.5f);
    EXPECT_LT(play.fMostBlocked, UNIT_BLOCKED_GIVE_UP) << "a unit waited for what blocked it to the end";
    EXPECT_EQ(45000, play.nTakeOffPay);
    EXPECT_EQ(money + 45000 + play.nArrivalPay - play.nLateSeconds, parameters.nMoney);
    for (const i32 type : last)
    {
        EXPECT_EQ(gsLoading, play.Started[type].first) << type;
        EXPECT_GT(play.Started[type].second, 900.0f) << type;
        EXPECT_EQ(1, std::count(play.aDone.begin(), play.aDone.end(), type)) << type;
    }
    ExpectTakeOffLogged();
}
} // namespace
