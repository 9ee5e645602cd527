// A gate's service of a passenger aircraft: the stages' least times, when each service may
// start, the order of the tasks per state, the random flags drawn once per aircraft, the apron
// token that lets one aircraft taxi at a time, and the led taxi that gets its path.
#include "core/math/random.h"
#include "morvane/game/gameenums.h"
#include "gamefixture.h"

#include <array>

namespace
{
constexpr f32 kStep = 1.0f;
// Seconds a service takes to reach the aircraft in these tests, and the work it does.
constexpr f32 kDrive = 20.0f;
constexpr f32 kWork = 30.0f;

struct TTaskLog
{
    i32 nStartState = -1;
    f32 fStartTime = -1.0f;
    // Seconds into the gate's current stage when the task started.
    f32 fStageTime = -1.0f;
    f32 fDoneTime = -1.0f;
};

class Gates : public GameTest
{
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        m_Parameters.nStarted = 1;
        m_pGate = &AddGate(1);
        // Every task the passenger machine knows, done by the player's vehicles (without areas
        // they arrive when the test says so).
        for (i32 type = 0; type <= gtTaxiToGarage; ++type)
        {
            TTask& task = AddTask(m_pGate, type);
            task.m_fDeadline = 600.0f;
            task.m_fBaseWorkTime = kWork;
        }
        LeadInAnAircraft();
    }

    // A passenger aircraft on its way to the gate, the apron token taken.
    void LeadInAnAircraft()
    {
        m_pPlane = &AddUnit();
        m_pPlane->m_nAircraft = 1;
        m_pPlane->m_nPlaneState = PLANE_TO_GATE;
        m_pGate->pPlane = m_pPlane;
        m_pGate->m_nState = gsParkAirplane;
        m_Parameters.nFlags &= ~GAME_APRON_TOKEN;
    }

    TTask& Task(i32 type) { return *m_pGate->FindTask(type); }

    f32 StageTime() const
    {
        const i32 state = m_pGate->m_nState;
        return state == gsUnloading  ? m_pGate->m_fUnloadingTimer
               : state == gsPlaneIdle ? m_pGate->m_fIdleTimer
               : state == gsLoading   ? m_pGate->m_fLoadingTimer
                                      : 0.0f;
    }

    // One second of the gate; then each started task the player drives arrives kDrive seconds
    // after its start (the led taxi arrives through the gate itself), and the parked aircraft
    // parks.
    void Step()
    {
        const i32 before = m_pGate->m_nState;
        m_pGate->Update(kStep);
        m_fTime += kStep;
        if (m_pGate->m_nState != before)
            m_aState.push_back({m_pGate->m_nState, m_fTime, before});
        for (i32 type = 0; type <= gtTaxiToGarage; ++type)
        {
            TTask& task = Task(type);
            TTaskLog& log = m_aLog[type];
            if (task.m_nStarted && log.fStartTime < 0.0f)
                log = {m_pGate->m_nState, m_fTime, StageTime(), -1.0f};
            if (task.m_nDone && log.fDoneTime < 0.0f)
                log.fDoneTime = m_fTime;
            if (type != gtTaxi && task.IsDeploying() && m_fTime - log.fStartTime >= kDrive)
                task.ReachArea();
        }
    }

    // Steps until the gate is in the state (at most the seconds given).
    bool RunUntil(i32 state, f32 seconds)
    {
        for (f32 end = m_fTime + seconds; m_fTime < end; )
        {
            if (m_pGate->m_nState == state)
                return true;
            Step();
        }
        return m_pGate->m_nState == state;
    }

    struct TChange
    {
        i32 nState;
        f32 fTime;
        i32 nFrom;
    };

    TGate* m_pGate = nullptr;
    TAICommonUnit* m_pPlane = nullptr;
    f32 m_fTime = 0.0f;
    std::array<TTaskLog, gtTaxiToGarage + 1> m_aLog;
    std::vector<TChange> m_aState;
};

TEST_F(Gates, ParkedAircraftOneAfterTheOtherAreServedThroughEveryStageWithItsLeastTimesAndTasksInOrder)
{
    // A second aircraft at the same gate, once the first has left, is served alike: every task
    // and stage timer starts again.
    for (int aircraft = 0; aircraft < 2; ++aircraft)
    {
        SCOPED_TRACE(aircraft);
        if (aircraft == 1)
        {
            // The served aircraft leaves through the take-off queue's entry and another is led in.
            m_pGate->m_nState = gsTakeOff;
            m_pPlane->m_nPlaneState = PLANE_TO_RUNWAY;
            Step();
            ASSERT_EQ(gsIdle, m_pGate->m_nState);
            LeadInAnAircraft();
            m_aLog = {};
            m_aState.clear();
        }
        m_pGate->m_nBusFlag = 1;
        m_pGate->m_nSecondFlag = 1;
        Step();
        EXPECT_EQ(gsParkAirplane, m_pGate->m_nState);
        m_pPlane->SetPlaneState(PLANE_PARKED);
        ASSERT_TRUE(RunUntil(gsWaitForTakeoff, 6000.0f));
        // The stages last more than 900 s each, however fast the services are.
        ASSERT_GE(m_aState.size(), 5u);
        for (u32 i = 2; i < 5; ++i)
        {
            EXPECT_EQ(static_cast<i32>(gsUnloading + i - 2), m_aState[i].nFrom);
            EXPECT_GT(m_aState[i].fTime - m_aState[i - 1].fTime, GATE_STAGE_TIME);
        }
        // Services that wait for their time into a stage.
        const struct
        {
            i32 type, state;
            f32 after;
        } waits[] = {{gtDeployIntCleaning, gsUnloading, GATE_INTERIOR_CLEANING_AFTER},
                     {gtBusToTerminal, gsUnloading, GATE_BUS_TO_TERMINAL_AFTER},
                     {gtDeployCatering, gsPlaneIdle, GATE_CATERING_AFTER},
                     {gtBusToGate, gsLoading, GATE_BUS_TO_GATE_AFTER},
                     {gtRetreiveTunnel, gsLoading, GATE_STAGE_TIME},
                     {gtStairsToGarage, gsLoading, GATE_STAGE_TIME}};
        for (const auto& wait : waits)
        {
            EXPECT_EQ(wait.state, m_aLog[wait.type].nStartState) << wait.type;
            EXPECT_GT(m_aLog[wait.type].fStageTime, wait.after) << wait.type;
            EXPECT_LT(m_aLog[wait.type].fStageTime, wait.after + 2.0f * kStep) << wait.type;
        }
        // The first services come while the aircraft waits to unload, fuel during the idle spell.
        for (const i32 type : {gtDeployTunnel, gtDeployStairs, gtDeployMaintenance, gtDeployLuggage})
            EXPECT_EQ(gsBeforeUnloading, m_aLog[type].nStartState) << type;
        EXPECT_EQ(gsPlaneIdle, m_aLog[gtDeployFuel].nStartState);
        // A return leg follows its service's work; the luggage goes out, then in.
        const std::pair<i32, i32> follows[] = {
            {gtDeployMaintenance, gtMaintenanceToGarage}, {gtDeployMaintenance, gtDeployRepairs},
            {gtDeployRepairs, gtRepairsToGarage},         {gtDeployExtCleaning, gtExtCleaningToGarage},
            {gtDeployLuggage, gtLuggageToTerminal},       {gtLuggageToTerminal, gtLuggageToGate},
            {gtLuggageToGate, gtLuggageToGarage},         {gtDeployIntCleaning, gtIntCleaningToGarage},
            {gtDeployFuel, gtFuelToGarage},               {gtDeployCatering, gtCateringToGarage},
            {gtDeployBus, gtBusToTerminal},               {gtBusToGate, gtBusToGarage}};
        for (const auto& [first, second] : follows)
        {
            ASSERT_GE(m_aLog[first].fDoneTime, 0.0f) << first;
            EXPECT_GE(m_aLog[second].fStartTime, m_aLog[first].fDoneTime) << first << " then " << second;
        }
        EXPECT_GE(m_aLog[gtDeployExtCleaning].fStartTime, m_aLog[gtDeployMaintenance].fStartTime + kDrive);
        EXPECT_GE(m_aLog[gtDeployBus].fStartTime, m_aLog[gtDeployStairs].fStartTime + kDrive);
        EXPECT_EQ(PLANE_READY, m_pPlane->m_nPlaneState);
    }
}

TEST_F(Gates, TheRandomFlagsAreDrawnOnceBusFirstAndReturnWhenTheAircraftLeaves)
{
    // A seed whose first draw is below one half and second above 0.6: no bus, no cleaning, and
    // the other order would give both.
    u32 seed = 1;
    for (;; ++seed)
    {
        TRandom draws(seed);
        const f64 first = static_cast<f64>(draws.Next()) / 4294967296.0;
        const f64 second = static_cast<f64>(draws.Next()) / 4294967296.0;
        if (first < 0.5 && second > 0.6)
            break;
    }
    TRandom::Shared().Seed(seed);
    Step();
    EXPECT_EQ(0, m_pGate->m_nBusFlag);
    EXPECT_EQ(0, m_pGate->m_nSecondFlag);
    // Drawn once: the next frames keep them.
    m_pGate->m_nBusFlag = 1 - m_pGate->m_nBusFlag;
    const i32 kept = m_pGate->m_nBusFlag;
    Step();
    EXPECT_EQ(kept, m_pGate->m_nBusFlag);
    // At the take-off queue the gate lets go, the flags to be drawn for the next aircraft.
    m_pGate->m_nState = gsTakeOff;
    m_pPlane->m_nPlaneState = PLANE_TO_RUNWAY;
    Task(gtDeployFuel).m_nStarted = Task(gtDeployFuel).m_nDone = 1;
    Step();
    // (gate state, flags, fuel started and done, aircraft state, entered take-off zone 4, token)
    EXPECT_EQ((std::vector<i32>{m_pGate->m_nState, m_pGate->m_nBusFlag, m_pGate->m_nSecondFlag,
                                Task(gtDeployFuel).m_nStarted, Task(gtDeployFuel).m_nDone, m_pPlane->m_nPlaneState,
                                m_Parameters.aTakeOffZone[4].nEntered, (m_Parameters.nFlags & GAME_APRON_TOKEN) != 0}),
              (std::vector<i32>{gsIdle, GATE_FLAG_NOT_DRAWN, GATE_FLAG_NOT_DRAWN, 0, 0, PLANE_LEAVING, 1, 1}));
    EXPECT_EQ(nullptr, m_pGate->pPlane);
    EXPECT_EQ(m_pPlane, m_Parameters.aTakeOffZone[4].pWaitZonePlane);
}

TEST_F(Gates, AnAircraftLeavesItsGateOnlyWithTheApronTokenAndNoGateChoicePending)
{
    m_pGate->m_nState = gsWaitForTakeoff;
    m_pPlane->m_nPlaneState = PLANE_READY;
    // The deploy-taxi unit is the AI's: the aircraft taxis alone.
    TAICommonUnit& car = AddUnit(1);
    Task(gtDeployTaxi).pAIUnit = &car;
    m_pGate->m_nTaxiPath = 3;
    Step();
    EXPECT_EQ(gsWaitForTakeoff, m_pGate->m_nState) << "another aircraft is on the apron";
    m_Parameters.nFlags |= GAME_APRON_TOKEN;
    m_Parameters.nChosenGate = 2;
    Step();
    EXPECT_EQ(gsWaitForTakeoff, m_pGate->m_nState) << "an arrival's gate is being chosen";
    m_Parameters.nChosenGate = 0;
    Step();
    EXPECT_EQ((std::vector<i32>{m_pGate->m_nState, (m_Parameters.nFlags & GAME_APRON_TOKEN) != 0, m_pPlane->m_nPlaneState,
                                m_pPlane->m_nCurrentPath, i32(m_pPlane->m_nDriving)}),
              (std::vector<i32>{gsProceedingToTakeoff, 0, PLANE_TAXIING, 3, 1}));
}

TEST_F(Gates, ALedAircraftGetsItsTaxiPathAndKeepsBehindItsCar)
{
    m_pGate->m_nState = gsWaitForTakeoff;
    m_pPlane->m_nPlaneState = PLANE_READY;
    m_pGate->m_nTaxiPath = 3;
    m_Parameters.nFlags |= GAME_APRON_TOKEN;
    // The player's follow-me car leads: it must reach the aircraft first.
    Step();
    EXPECT_EQ(gsWaitForTakeoff, m_pGate->m_nState);
    Step();
    ASSERT_TRUE(RunUntil(gsProceedingToTakeoff, 2.0f * kDrive));
    EXPECT_EQ(1, Task(gtDeployTaxi).m_nDone);
    EXPECT_EQ(1, Task(gtTaxi).m_nStarted);
    EXPECT_EQ(3, m_pPlane->m_nCurrentPath);
    EXPECT_EQ(1u, m_pPlane->m_nDriving);

    // The aircraft brakes while its car is more than 18 away.
    TVehicle& planeVehicle = AddVehicle("plane_vehicle", 0.0f, 0.0f);
    m_pPlane->pVehicle = &planeVehicle;
    m_pPlane->pBody = planeVehicle.pBody;
    TAICommonUnit& car = AddUnit();
    car.pBody = AddVehicle("car", 0.0f, 18.5f).pBody;
    Task(gtTaxi).pPlayerVehicle = &car;
    m_Parameters.TaxiEnd = {500.0f, 0.0f, 0.0f, 0};
    Step();
    EXPECT_TRUE(planeVehicle.flags & VEHICLE_HANDBRAKE);
    car.pBody->GetNode()->SetWorldMatrix(Translation(0.0f, 0.5f, 17.5f), TNode::OrdinaryCause());
    Step();
    EXPECT_FALSE(planeVehicle.flags & VEHICLE_HANDBRAKE);
}
} // namespace
