// The start of a turnaround on the aerodrome, played by the game itself without drawing: the
// first aircraft arrives, is sent to gate 1 as the menu would send it, drives its path to the
// gate and parks, and the gate's first services set out on theirs; then the whole turnaround,
// through every state of the aircraft and the gate to the take-off and its pay.
#include "turnaroundfixture.h"

#include "engine/system/command/variable.h"
#include "igame/vehicles/vehicle.h"
#include "morvane/game/gameenums.h"

namespace
{
// The aircraft parks at gate 1 after about 30 s.
constexpr f32 kParkingLimit = 150.0f;
// Rolling through the stands' corners at pace, the freighter parks at gate 3 after about 50 s
// (crawling through them it took twice that).
constexpr f32 kFreighterParkingLimit = 70.0f;
// The whole turnaround at gate 1 takes off after about 4,100 s.
constexpr f32 kTurnaroundLimit = 5000.0f;

TEST_F(Turnaround, TheFirstArrivalIsSentToGate1ParksThereAndTheFirstServicesSetOut)
{
    TGameParameters& parameters = Game().GetParameters();
    TGate& gate = *Game().FindGate(1);
    TAICommonUnit* plane = nullptr;
    std::vector<i32> planeStates, gateStates;
    f32 time = 0.0f, parked = -1.0f;
    while (time < kParkingLimit && (parked < 0.0f || time < parked + 5.0f))
    {
        // The player picks gate 1 for the aircraft waiting in zone 0.
        if (!plane && parameters.aLandingZone[0].pWaitZonePlane)
        {
            plane = parameters.aLandingZone[0].pWaitZonePlane;
            parameters.nChosenGate = 1;
        }
        Frame();
        time += kGameFrame;
        if (plane && (planeStates.empty() || planeStates.back() != plane->m_nPlaneState))
            planeStates.push_back(plane->m_nPlaneState);
        if (gateStates.empty() || gateStates.back() != gate.m_nState)
            gateStates.push_back(gate.m_nState);
        if (parked < 0.0f && gate.m_nState == gsBeforeUnloading)
            parked = time;
    }
    ASSERT_NE(nullptr, plane);
    // Landed at once in zone 0 on the first frame (where it was picked), then sent on.
    EXPECT_EQ((std::vector<i32>{PLANE_TO_GATE, PLANE_PARKED}), planeStates);
    EXPECT_EQ((std::vector<i32>{gsIdle, gsParkAirplane, gsBeforeUnloading}), gateStates);
    EXPECT_EQ(plane, gate.pPlane);
    EXPECT_EQ(0, parameters.nChosenGate);
    EXPECT_TRUE(parameters.nFlags & GAME_APRON_TOKEN) << "given back once parked";
    EXPECT_FALSE(parameters.nFlags & GAME_LANDING);
    EXPECT_EQ(1740.0f, parameters.fArrivalInterval);
    // Parked near the gate's arrival path's end, still.
    EXPECT_LT(plane->pBody->GetLinearVelocity().Length(), UNIT_STANDING_SPEED);
    // The tunnel, maintenance and luggage are on their way, driven by the AI.
    for (const i32 type : {gtDeployTunnel, gtDeployMaintenance, gtDeployLuggage})
    {
        const TTask& task = *gate.FindTask(type);
        EXPECT_EQ(1, task.m_nStarted) << type;
        ASSERT_NE(nullptr, task.pAIUnit) << type;
        EXPECT_TRUE(task.pAIUnit->m_nDriving || task.m_nArrived) << type;
        EXPECT_EQ(0u, task.pAIUnit->m_nBlocked) << type;
    }
    EXPECT_EQ(1000, parameters.nMoney);
    const std::string log = m_Folder.SystemLog();
    EXPECT_NE(std::string::npos, log.find("gate 1: gsParkAirplane, aircraft '"));
    EXPECT_NE(std::string::npos, log.find("gate 1: gsBeforeUnloading, aircraft '"));
    EXPECT_NE(std::string::npos, log.find("': state 3, gate 0, money 1000"));
    EXPECT_NE(std::string::npos, log.find("': state 5, gate 1, money 1000"));
}

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
TEST_F(Turnaround, TheFirstAircraftIsServedThroughEveryStateTakesOffAndIsPaid)
{
    TGameParameters& parameters = Game().GetParameters();
    TGate& gate = *Game().FindGate(1);
    TAICommonUnit* plane = nullptr;
    std::vector<i32> planeStates, gateStates;
    i32 money = parameters.nMoney;
    i32 paid = 0, arrivalPay = 0, lateSeconds = 0;
    f32 time = 0.0f;
    while (time < kTurnaroundLimit && !(plane && plane->m_nPlaneState == PLANE_IDLE && !planeStates.empty() &&
                                         planeStates.back() == PLANE_IDLE))
    {
        if (!plane && parameters.aLandingZone[0].pWaitZonePlane)
        {
            plane = parameters.aLandingZone[0].pWaitZonePlane;
            parameters.nChosenGate = 1;
        }
        std::vector<u32> arrived;
        for (i32 type = gtDeployMaintenance; type <= gtTaxiToGarage; ++type)
            arrived.push_back(gate.FindTask(type) ? gate.FindTask(type)->m_nArrived : 0u);
        Frame();
        time += kGameFrame;
        if (plane && (planeStates.empty() || planeStates.back() != plane->m_nPlaneState))
            planeStates.push_back(plane->m_nPlaneState);
        if (gateStates.empty() || gateStates.back() != gate.m_nState)
            gateStates.push_back(gate.m_nState);
        // Every change of money is a task's arrival pay, a late second or the take-off's pay.
        const i32 change = parameters.nMoney - money;
        money = parameters.nMoney;
        bool reached = false;
        for (i32 type = gtDeployMaintenance; type <= gtTaxiToGarage; ++type)
            reached |= gate.FindTask(type) && gate.FindTask(type)->m_nArrived && !arrived[static_cast<u32>(type)];
        if (change == 45000 && plane && plane->m_nPlaneState == PLANE_IDLE)
            paid += change;
        else if (change > 0)
        {
            EXPECT_TRUE(reached) << "money " << change << " at " << time << " s with no task arriving";
            arrivalPay += change;
        }
        else if (change < 0)
        {
            EXPECT_EQ(-1, change) << time;
            lateSeconds -= change;
        }
    }
    ASSERT_NE(nullptr, plane);
    EXPECT_LT(time, kTurnaroundLimit);
    EXPECT_EQ((std::vector<i32>{PLANE_TO_GATE, PLANE_PARKED, PLANE_READY, PLANE_TAXIING, PLANE_TO_RUNWAY,
                                PLANE_LEAVING, PLANE_TAKING_OFF, PLANE_IDLE}),
              planeStates);
    EXPECT_EQ((std::vector<i32>{gsIdle, gsParkAirplane, gsBeforeUnloading, gsUnloading, gsPlaneIdle, gsLoading,
                                gsWaitForTakeoff, gsProceedingToTakeoff, gsTakeOff, gsIdle}),
              gateStates);
    EXPECT_EQ(45000, paid);
    EXPECT_GT(arrivalPay, 0);
    EXPECT_EQ(1000 + 45000 + arrivalPay - lateSeconds, parameters.nMoney);
    const std::string log = m_Folder.SystemLog();
    EXPECT_NE(std::string::npos, log.find("gate 1: gsTakeOff, aircraft '"));
    EXPECT_NE(std::string::npos, log.find("': state 11, gate "));
}
} // namespace
