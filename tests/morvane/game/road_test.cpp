// The game's frame: a new game's start on the first frame after "New game", when aircraft
// arrive, the runway's one movement at a time, the landing queue handing aircraft down its
// zones, the wait at zone 0 and its cost, the gate choice with the apron token, the take-off and
// its pay.
#include "core/system/datetime.h"
#include "engine/system/animation.h"
#include "engine/system/translation.h"
#include "morvane/game/gameenums.h"
#include "gamefixture.h"

namespace
{
using NewGame = GameTest;

class Road : public GameTest
{
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        m_Parameters.nStarted = 1;
        // The zones 20 apart along z, zone 4 farthest.
        for (u32 zone = 0; zone < 5; ++zone)
            m_Parameters.aLandingZone[zone].fZ = 20.0f * static_cast<f32>(zone);
    }

    // An aircraft of the level, idle; with a place, on a body standing there.
    TAICommonUnit& AddPlane()
    {
        TAICommonUnit& plane = AddUnit();
        plane.m_nAircraft = 1;
        m_Parameters.aPlane.Add(&plane);
        return plane;
    }
    TAICommonUnit& AddPlaneAt(f32 x, f32 z)
    {
        TAICommonUnit& plane = AddPlane();
        plane.pBody = Box("plane", x, 0.5f, z);
        return plane;
    }
    // A landed aircraft waiting at zone 0, no arrival due.
    TAICommonUnit& AtZone0()
    {
        TAICommonUnit& plane = AddPlane();
        plane.m_nPlaneState = PLANE_LANDED;
        m_Parameters.fArrivalTimer = 1e9f;
        m_Parameters.aLandingZone[0].pWaitZonePlane = &plane;
        return plane;
    }
    void Frame(f32 dt = kFrame) { Game().UpdateManager(dt); }
    // The zone holding the aircraft that has entered it, or free.
    static void Enter(TWaitZone& zone, TAICommonUnit* plane)
    {
        zone.pWaitZonePlane = plane;
        zone.nEntered = plane ? 1 : 0;
    }
};

TEST_F(NewGame, AGameStartsOnTheFirstFrameAfterNewGame)
{
    TGate& gate = AddGate(1);
    TTask& task = AddTask(&gate, gtDeployFuel);
    task.m_nCountdownStarted = 1;
    task.m_fCountdown = 10.0f;
    Game().UpdateManager(0.5f);
    EXPECT_EQ(m_Parameters.nStarted, 0);
    EXPECT_EQ(task.m_fCountdown, 10.0f);

    // A level's load is no new game.
    g_pGameMenuManager->OnClusterLoad();
    Game().UpdateManager(0.5f);
    EXPECT_EQ(m_Parameters.nStarted, 0);
    g_pGameMenuManager->_StartNewGame(0);
    const u64 before = GetLocalFileTime();
    Game().UpdateManager(0.5f);
    EXPECT_EQ(m_Parameters.nStarted, 1);
    EXPECT_GE(m_Parameters.nGameStartTime, before);
    EXPECT_LE(m_Parameters.nGameStartTime, GetLocalFileTime());
    EXPECT_EQ(m_Parameters.fGameClock, 0.5f);
    EXPECT_EQ(task.m_fCountdown, 9.5f);
    // The flag is taken once.
    EXPECT_EQ(TakeNewGameStartedFlag(), 0u);
    Game().UpdateManager(0.25f);
    EXPECT_EQ(m_Parameters.fGameClock, 0.75f);
    Game().ClearGameStarted();
    Game().UpdateManager(0.25f);
    EXPECT_EQ(m_Parameters.fGameClock, 0.75f);
}

TEST_F(Road, TheFirstArrivalComesOnTheFirstFrameTheNext1740sLaterThenAMinuteSoonerDownTo120WhenAnAircraftIsFree)
{
    TAICommonUnit& plane = AddPlane();
    m_Parameters.nLandAtOnce = 0;
    Frame();
    EXPECT_EQ(PLANE_LANDED, plane.m_nPlaneState) << "no landing animation: landed at once";
    EXPECT_EQ(&plane, m_Parameters.pLandingPlane);
    EXPECT_FLOAT_EQ(1740.0f, m_Parameters.fArrivalInterval);
    EXPECT_FLOAT_EQ(1740.0f, m_Parameters.fArrivalTimer);
    EXPECT_EQ(&plane, m_Parameters.aLandingZone[4].pWaitZonePlane);
    EXPECT_EQ(1, m_Parameters.aLandingZone[4].nEntered);

    // The next: another idle aircraft once the timer has run down and zone 4 is free.
    TAICommonUnit& second = AddPlane();
    Enter(m_Parameters.aLandingZone[4], nullptr);
    plane.m_nPlaneState = PLANE_TO_GATE;
    m_Parameters.fArrivalTimer = 0.01f;
    Frame();
    EXPECT_EQ(PLANE_LANDED, second.m_nPlaneState);
    EXPECT_FLOAT_EQ(1680.0f, m_Parameters.fArrivalInterval);

    // With every aircraft busy the arrival waits while the timer runs on.
    second.m_nPlaneState = PLANE_PARKED;
    Enter(m_Parameters.aLandingZone[4], nullptr);
    m_Parameters.fArrivalTimer = 0.0f;
    Frame();
    Frame();
    EXPECT_FLOAT_EQ(-2.0f * kFrame, m_Parameters.fArrivalTimer);
    EXPECT_FALSE(m_Parameters.nFlags & GAME_LANDING);
    // Sooner each time, never below 120.
    m_Parameters.fArrivalInterval = 170.0f;
    for (i32 arrival = 0; arrival < 2; ++arrival)
    {
        second.m_nPlaneState = PLANE_IDLE;
        Enter(m_Parameters.aLandingZone[4], nullptr);
        m_Parameters.fArrivalTimer = 0.0f;
        Frame();
        EXPECT_EQ(PLANE_LANDED, second.m_nPlaneState);
        EXPECT_FLOAT_EQ(120.0f, m_Parameters.fArrivalInterval);
        EXPECT_FLOAT_EQ(120.0f, m_Parameters.fArrivalTimer);
    }
}

TEST_F(Road, TheRunwayCarriesOneMovementAtATime)
{
    TAICommonUnit& plane = AddPlane();
    TAnimation landing = {};
    landing.m_nState = ANIMATION_PLAYING;
    plane.aAnimation[UNIT_ANIMATION_LANDING] = &landing;
    Frame();
    EXPECT_EQ(PLANE_LANDING, plane.m_nPlaneState);
    EXPECT_EQ(GAME_LANDING_ALLOWED | GAME_LANDING, m_Parameters.nFlags & (GAME_LANDING_ALLOWED | GAME_LANDING |
                                                                         GAME_TAKE_OFF_ALLOWED | GAME_TAKING_OFF));
    // A departing aircraft at take-off zone 0 waits for the landing.
    TAICommonUnit& leaving = AddPlane();
    leaving.m_nPlaneState = PLANE_LEAVING;
    Enter(m_Parameters.aTakeOffZone[0], &leaving);
    Frame();
    EXPECT_EQ(&leaving, m_Parameters.aTakeOffZone[0].pWaitZonePlane);
    EXPECT_EQ(1u, leaving.m_nHold);

    landing.m_nState = ANIMATION_STOPPED;
    Frame();
    EXPECT_EQ(PLANE_LANDED, plane.m_nPlaneState);
    // The take-off takes the runway in the same frame.
    EXPECT_EQ(&leaving, m_Parameters.pTakeOffPlane);
    EXPECT_EQ(nullptr, m_Parameters.aTakeOffZone[0].pWaitZonePlane);
    EXPECT_EQ(GAME_TAKE_OFF_ALLOWED | GAME_TAKING_OFF,
              m_Parameters.nFlags & (GAME_LANDING_ALLOWED | GAME_LANDING | GAME_TAKE_OFF_ALLOWED | GAME_TAKING_OFF));
    // No arrival during the take-off.
    m_Parameters.fArrivalTimer = -1.0f;
    plane.m_nPlaneState = PLANE_IDLE;
    Enter(m_Parameters.aLandingZone[4], nullptr);
    Frame();
    EXPECT_EQ(PLANE_IDLE, plane.m_nPlaneState);
    // Off the ground: paid (a freighter less), idle again, the runway open for landings.
    TAnimation door = {};
    for (const auto& [freighter, pay] : {std::pair{false, 45000}, {true, 32000}})
    {
        const i32 money = Money();
        leaving.aAnimation[UNIT_ANIMATION_CARGO_DOOR] = freighter ? &door : nullptr;
        leaving.m_nPlaneState = PLANE_TAKING_OFF;
        m_Parameters.pTakeOffPlane = &leaving;
        Frame();
        EXPECT_EQ(money + pay, Money()) << freighter;
        EXPECT_EQ(PLANE_IDLE, leaving.m_nPlaneState);
        EXPECT_EQ(nullptr, m_Parameters.pTakeOffPlane);
        EXPECT_EQ(GAME_LANDING_ALLOWED, m_Parameters.nFlags & (GAME_LANDING_ALLOWED | GAME_TAKING_OFF)) << freighter;
    }
}

TEST_F(Road, TheLandingQueueHandsAnAircraftDownOneZoneAtATime)
{
    m_Parameters.fArrivalTimer = 100.0f;
    TAICommonUnit& plane = AddPlaneAt(0.0f, 42.0f);
    // Still on its way to zone 1.
    TAICommonUnit& ahead = AddPlaneAt(0.0f, 30.0f);
    m_Parameters.aLandingZone[2] = {};
    m_Parameters.aLandingZone[2].fZ = 40.0f;
    m_Parameters.aLandingZone[2].pWaitZonePlane = &plane;
    Enter(m_Parameters.aLandingZone[1], &ahead);
    Frame();
    EXPECT_EQ(1u, plane.m_nHold) << "zone 1 is taken";
    EXPECT_EQ(&plane, m_Parameters.aLandingZone[2].pWaitZonePlane);
    m_Parameters.aLandingZone[1].pWaitZonePlane = nullptr;
    Frame();
    EXPECT_EQ(&plane, m_Parameters.aLandingZone[1].pWaitZonePlane);
    EXPECT_EQ(1, m_Parameters.aLandingZone[1].nEntered);
    EXPECT_EQ(nullptr, m_Parameters.aLandingZone[2].pWaitZonePlane);
    EXPECT_EQ(0, m_Parameters.aLandingZone[2].nEntered);
    // 8 from its zone it drives on.
    plane.pBody->GetNode()->SetWorldMatrix(Translation(0.0f, 0.0f, 28.0f), TNode::OrdinaryCause());
    plane.SetHold(1);
    Frame();
    EXPECT_EQ(0u, plane.m_nHold);
    EXPECT_EQ(&plane, m_Parameters.aLandingZone[1].pWaitZonePlane);
}

// The first gate and the last idle in turn, the other end's gate busy throughout.
class IdleGate : public Road, public testing::WithParamInterface<i32>
{
};

TEST_P(IdleGate, WaitingAtZone0CostsOneASecondAfter1800sOnlyWhileAGateIdles)
{
    TAICommonUnit& plane = AtZone0();
    TGate& busy = AddGate(GetParam() == GATE_ID_FIRST ? GATE_ID_LAST : GATE_ID_FIRST);
    TGate& gate = AddGate(GetParam());
    for (TGate* taken : {&busy, &gate})
    {
        taken->m_nState = gsParkAirplane;
        taken->pPlane = &AddPlane();
        taken->pPlane->m_nPlaneState = PLANE_TO_GATE;
    }
    // No gate idle: nothing counts.
    for (i32 i = 0; i < 20; ++i)
        Frame(100.0f);
    EXPECT_EQ(1000, Money());
    EXPECT_FLOAT_EQ(0.0f, m_Parameters.fZone0WaitTime);
    EXPECT_EQ(1u, plane.m_nHold);
    // A gate idles: free for 1800 s, then 1 a second.
    gate.m_nState = gsIdle;
    gate.pPlane = nullptr;
    for (i32 i = 0; i < 18; ++i)
        Frame(100.0f);
    for (const auto& [step, money] : {std::pair{0.0f, 1000}, {0.5f, 1000}, {0.75f, 999}, {0.75f, 999}, {0.75f, 998}})
    {
        Frame(step);
        EXPECT_EQ(money, Money()) << m_Parameters.fZone0WaitTime;
    }
}

INSTANTIATE_TEST_SUITE_P(FirstAndLast, IdleGate, testing::Values(GATE_ID_FIRST, GATE_ID_LAST));

TEST_F(Road, AChosenGateTakesTheAircraftOnlyWithTheApronTokenAndABusyOrMissingOneIsDropped)
{
    TAICommonUnit& plane = AtZone0();
    m_Parameters.aLandingZone[0].nEntered = 1;
    TGate& gate = AddGate(3);
    gate.m_nArrivalPath = 5;
    m_Parameters.nChosenGate = 3;
    m_Parameters.nFlags &= ~GAME_APRON_TOKEN;
    Frame();
    EXPECT_EQ(gsIdle, gate.m_nState) << "another aircraft taxis";
    EXPECT_EQ(1u, plane.m_nHold);
    m_Parameters.nFlags |= GAME_APRON_TOKEN;
    Frame();
    EXPECT_EQ(&plane, gate.pPlane);
    EXPECT_EQ(nullptr, m_Parameters.aLandingZone[0].pWaitZonePlane);
    // (gate state, choice, token, aircraft state, path, driving, held, wait reset)
    EXPECT_EQ((std::vector<i32>{gate.m_nState, m_Parameters.nChosenGate, (m_Parameters.nFlags & GAME_APRON_TOKEN) != 0,
                                plane.m_nPlaneState, plane.m_nCurrentPath, i32(plane.m_nDriving), i32(plane.m_nHold),
                                m_Parameters.nWaitReset}),
              (std::vector<i32>{gsParkAirplane, 0, 0, PLANE_TO_GATE, 5, 1, 0, 1}));
    EXPECT_EQ(1u, LogCount("gate 3: gsParkAirplane, aircraft '', money 1000"));

    // A choice of a busy or missing gate is dropped with a line.
    TAICommonUnit& next = AtZone0();
    gate.m_nState = gsLoading;
    m_Parameters.nChosenGate = 3;
    Frame();
    EXPECT_EQ(&plane, gate.pPlane);
    EXPECT_EQ(0, m_Parameters.nChosenGate);
    EXPECT_EQ(&next, m_Parameters.aLandingZone[0].pWaitZonePlane);
    m_Parameters.nChosenGate = 9;
    Frame();
    EXPECT_EQ(0, m_Parameters.nChosenGate);
    EXPECT_EQ(1u, LogCount("the chosen gate 9 is not an idle gate"));
}

// Landed at once into a free zone 0; with an aircraft waiting there, it keeps its place and
// this one taxis down the queue behind it, and each is offered a gate in turn.
class LandAtOnce : public Road, public testing::WithParamInterface<bool>
{
};

TEST_P(LandAtOnce, TakesAFreeZone0TurnedAboutAndEveryWaitingAircraftGetsAGate)
{
    const bool waiting = GetParam();
    m_Parameters.aLandingZone[0].fX = 7.0f;
    m_Parameters.aLandingZone[0].fZ = -3.0f;
    TAICommonUnit* before = waiting ? &AddPlaneAt(7.0f, -3.0f) : nullptr;
    if (before)
    {
        before->m_nPlaneState = PLANE_LANDED;
        Enter(m_Parameters.aLandingZone[0], before);
    }
    TAICommonUnit& plane = AddPlaneAt(100.0f, 50.0f);
    TAnimation landing = {};
    landing.m_nState = ANIMATION_PLAYING;
    plane.aAnimation[UNIT_ANIMATION_LANDING] = &landing;
    Frame();
    ASSERT_EQ(PLANE_LANDING, plane.m_nPlaneState);
    landing.m_nState = ANIMATION_PLAYING;
    landing.m_fTime = 1654.0f;
    Frame();
    EXPECT_EQ(1, m_Parameters.nTouchdownPending) << "not past frame 1654";
    landing.m_fTime = 1654.5f;
    Frame();
    EXPECT_EQ(0, m_Parameters.nTouchdownPending);
    const TMatrix landed = *plane.pBody->GetNode()->GetWorldMatrix();
    landing.m_nState = ANIMATION_STOPPED;
    Frame();
    EXPECT_EQ(PLANE_LANDED, plane.m_nPlaneState);
    EXPECT_EQ(1u, plane.m_nDriving) << "on its first path";
    const TMatrix& after = *plane.pBody->GetNode()->GetWorldMatrix();
    if (!before)
    {
        EXPECT_EQ(&plane, m_Parameters.aLandingZone[0].pWaitZonePlane);
        EXPECT_EQ(nullptr, m_Parameters.aLandingZone[4].pWaitZonePlane);
        EXPECT_EQ(0, m_Parameters.nLandAtOnce);
        ExpectRow(after.aRow[3], 7.0f, 1.0f, -3.0f);
        EXPECT_NEAR(-landed.aRow[2].z, after.aRow[2].z, 1e-4f) << "facing the other way";
        EXPECT_NEAR(-landed.aRow[0].x, after.aRow[0].x, 1e-4f);
        return;
    }
    EXPECT_EQ(before, m_Parameters.aLandingZone[0].pWaitZonePlane);
    EXPECT_EQ(&plane, m_Parameters.aLandingZone[4].pWaitZonePlane);
    EXPECT_NEAR(100.0f, after.aRow[3].x, 1e-3f) << "left where it landed";
    // Each in turn at zone 0 takes the gate chosen for it.
    TGate& first = AddGate(1);
    TGate& second = AddGate(2);
    m_Parameters.fArrivalTimer = 1e9f;
    m_Parameters.nChosenGate = 1;
    Frame();
    EXPECT_EQ(before, first.pPlane);
    for (i32 zone = 4; zone >= 0; --zone)
    {
        plane.pBody->GetNode()->SetWorldMatrix(
            Translation(m_Parameters.aLandingZone[zone].fX, 0.5f, m_Parameters.aLandingZone[zone].fZ),
            TNode::OrdinaryCause());
        Frame();
    }
    EXPECT_EQ(&plane, m_Parameters.aLandingZone[0].pWaitZonePlane);
    m_Parameters.nChosenGate = 2;
    m_Parameters.nFlags |= GAME_APRON_TOKEN;
    Frame();
    EXPECT_EQ(&plane, second.pPlane);
}
INSTANTIATE_TEST_SUITE_P(Zone0, LandAtOnce, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Taken" : "Free"; });
} // namespace
