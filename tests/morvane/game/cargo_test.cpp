// A gate's service of a freighter: the cargo lifter shared between gates, docking the loader
// at the door (its distance and angle limits, the "action" key), the load sliding one axis at
// a time, the phases of the next freighter, the stages' least times.
#include "engine/input/inputaction.h"
#include "engine/system/animation.h"
#include "morvane/game/gameenums.h"
#include "support/testinput.h"
#include "gamefixture.h"

#include <tuple>

namespace
{
class Cargo : public GameTest
{
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        m_Parameters.nStarted = 1;
        Game().OnRepositoryLoad("");
        Game().GetAction()->Bind(&m_Action, nullptr);
        m_pGate = &Gate(1);
        m_pPlane = &AddUnit();
        m_pPlane->m_nAircraft = 1;
        m_pPlane->aAnimation[UNIT_ANIMATION_CARGO_DOOR] = &m_Door;
        m_pPlane->pBody = Box("freighter", 0.0f, 0.5f, 0.0f);
        m_pPlane->m_nPlaneState = PLANE_PARKED;
        m_pGate->pPlane = m_pPlane;
        // The player's loader, its load node under it.
        // As the level's: its requests last one frame, the AI drives it too.
        TVehicle& vehicle = AddVehicle("loader", 20.0f, 0.0f);
        vehicle.inputEnabled = 0;
        m_pLoader = &AddUnit();
        m_pLoader->pVehicle = &vehicle;
        m_pLoader->pBody = vehicle.pBody;
        m_pLoader->pCargo = g_pNodeManager->CreateNode("loader_cargo");
        vehicle.GetNode()->AddChild(m_pLoader->pCargo);
        Task(gtCargoPlaneToStorage).pPlayerVehicle = m_pLoader;
        Task(gtCargoStorageToPlane).pPlayerVehicle = m_pLoader;
    }
    void TearDown() override
    {
        Game().GetAction()->Bind(nullptr, nullptr);
        GameTest::TearDown();
    }

    // A gate with the cargo tasks, done by the player's vehicles.
    TGate& Gate(i32 id)
    {
        TGate& gate = AddGate(id);
        for (const i32 type : {gtDeployMaintenance, gtMaintenanceToGarage, gtDeployTunnel, gtRetreiveTunnel,
                               gtDeployFuel, gtFuelToGarage, gtCargoGarageToStorage, gtCargoStorageToPlane,
                               gtCargoPlaneToGarage, gtCargoGarageToPlane, gtCargoPlaneToStorage,
                               gtCargoStorageToGarage})
            AddTask(&gate, type).m_fDeadline = 900.0f;
        return gate;
    }
    TTask& Task(i32 type, TGate* gate = nullptr) { return *(gate ? gate : m_pGate)->FindTask(type); }

    // The loader placed at the door's distance and turned from the freighter's heading.
    void PlaceLoader(f32 distance, f32 degrees)
    {
        const TVector door = m_pGate->GetDoorPoint();
        TMatrix place = TMatrix::RotationY(degrees);
        place.aRow[3] = TVector(door.x + distance, door.y, door.z, 1.0f);
        m_pLoader->pBody->GetNode()->SetWorldMatrix(place, TNode::OrdinaryCause());
    }
    bool DockedWithAction()
    {
        m_Action.Set(1.0f);
        const bool docked = m_pGate->IsDocked(*m_pLoader);
        m_Action.Set(0.0f);
        return docked;
    }
    TVector Load() const { return m_pLoader->pCargo->GetLocalMatrix().aRow[3]; }

    TGate* m_pGate = nullptr;
    TAICommonUnit* m_pPlane = nullptr;
    TAICommonUnit* m_pLoader = nullptr;
    TAnimation m_Door = {};
    TTestInput m_Action{"cargo_action"};
};

TEST_F(Cargo, DockingNeedsLessThanHalfAUnitAnAngleStrictlyBetween85And95AndTheActionKeyAndLeavesItsOffsetAndAngle)
{
    PlaceLoader(0.0f, 90.0f);
    EXPECT_TRUE(DockedWithAction());
    EXPECT_FALSE(m_pGate->IsDocked(*m_pLoader)) << "without the key";
    const std::tuple<f32, f32, bool> places[] = {{0.0f, 85.0f, false}, {0.0f, 95.0f, false},  {0.0f, 84.0f, false},
                                                 {0.0f, 96.0f, false}, {0.0f, 0.0f, false},   {0.0f, 85.2f, true},
                                                 {0.0f, 94.8f, true},  {0.0f, 270.0f, true},  {0.49f, 90.0f, true},
                                                 {0.5f, 90.0f, false}};
    for (const auto& [distance, degrees, docked] : places)
    {
        PlaceLoader(distance, degrees);
        EXPECT_EQ(DockedWithAction(), docked) << distance << " " << degrees;
    }
    // The test leaves the offset (negative on the aircraft's right, +x here) and the unsigned
    // angle for the front end.
    for (const auto& [distance, degrees, offset, angle] :
         {std::tuple{0.5f, 80.0f, -0.5f, 80.0f}, {-0.25f, 263.0f, 0.25f, 97.0f}})
    {
        PlaceLoader(distance, degrees);
        EXPECT_FALSE(m_pGate->IsDocked(*m_pLoader));
        EXPECT_NEAR(offset, m_pGate->GetDockingOffset(), 1e-4f);
        EXPECT_NEAR(angle, m_pGate->GetDockingAngle(), 1e-2f);
    }
}

TEST_F(Cargo, OneLoaderTripAtATimeAcrossTheGates)
{
    TGate& other = Gate(2);
    EXPECT_TRUE(m_pGate->IsCargoLifterFree());
    TTask& trip = Task(gtCargoGarageToPlane, &other);
    trip.m_nStarted = 1;
    EXPECT_FALSE(m_pGate->IsCargoLifterFree());
    trip.m_nDone = 1;
    EXPECT_FALSE(m_pGate->IsCargoLifterFree()) << "our own load is not back in the garage";
    Task(gtCargoStorageToGarage).m_nStarted = Task(gtCargoStorageToGarage).m_nDone = 1;
    EXPECT_TRUE(m_pGate->IsCargoLifterFree());
    Task(gtCargoGarageToStorage).m_nStarted = 1;
    EXPECT_FALSE(m_pGate->IsCargoLifterFree()) << "our fetch is under way";
    Task(gtCargoGarageToStorage).m_nDone = 1;
    EXPECT_TRUE(m_pGate->IsCargoLifterFree());
    // A gate whose trip is under way holds back the next gates' legs 30 and 27.
    m_pGate->m_nState = gsBeforeUnloading;
    trip.m_nDone = 0;
    m_pGate->Update(1.0f);
    EXPECT_EQ(0, Task(gtCargoGarageToPlane).m_nStarted);
    trip.m_nDone = 1;
    m_pGate->Update(1.0f);
    EXPECT_EQ(1, Task(gtCargoGarageToPlane).m_nStarted);
}

TEST_F(Cargo, TheLoadSlidesOutAcrossFirstThenAlongAtHalfAUnitASecond)
{
    m_pGate->m_nState = gsUnloading;
    TTask& unload = Task(gtCargoPlaneToStorage);
    m_pGate->Update(0.1f);
    EXPECT_EQ(1, unload.m_nStarted);
    EXPECT_EQ(1, unload.m_nNoArrival);
    EXPECT_FLOAT_EQ(5.5f, Load().x);
    EXPECT_FLOAT_EQ(10.45f, Load().z);
    // The player takes the loader to the door and docks; the door and lift have no animations
    // here, so they are open and up at once.
    unload.MarkTakenOver();
    PlaceLoader(0.0f, 90.0f);
    m_Action.Set(1.0f);
    m_pGate->Update(0.1f);
    m_Action.Set(0.0f);
    EXPECT_EQ(1, m_pGate->aCargoPhase[CARGO_PHASE_DOOR_OPEN]);
    EXPECT_EQ(ANIMATION_PLAYING, m_Door.m_nState) << "the freighter's door opens";
    EXPECT_EQ(1u, m_pLoader->m_nHold) << "held by the lift";
    EXPECT_FALSE(m_pLoader->pBody->IsDynamic());
    m_pGate->Update(0.1f);
    m_pGate->Update(0.1f);
    EXPECT_EQ(1, m_pGate->aCargoPhase[CARGO_PHASE_LOAD_ON_LOADER]);
    m_pGate->Update(2.0f);
    EXPECT_FLOAT_EQ(4.5f, Load().x);
    EXPECT_FLOAT_EQ(10.45f, Load().z);
    for (i32 i = 0; i < 9; ++i)
        m_pGate->Update(1.0f);
    EXPECT_FLOAT_EQ(0.0f, Load().x);
    EXPECT_FLOAT_EQ(9.95f, Load().z) << "along once across is done";
    for (i32 i = 0; i < 30 && !m_pGate->aCargoPhase[CARGO_PHASE_LOAD_MOVED]; ++i)
        m_pGate->Update(1.0f);
    EXPECT_FLOAT_EQ(0.0f, Load().z);
    EXPECT_EQ(1, m_pGate->aCargoPhase[CARGO_PHASE_LOAD_MOVED]);
    m_pGate->Update(0.1f);
    EXPECT_EQ(0u, m_pLoader->m_nHold) << "free to drive to the storage";
    EXPECT_TRUE(m_pLoader->pBody->IsDynamic());
    EXPECT_EQ(0, m_pLoader->pVehicle->inputEnabled) << "its requests still last one frame";
}

// The player serves a freighter from parking to take-off: the other legs arrive when their
// vehicles would, the loader docks at the door at 90 degrees with "action" pressed, carries
// the load to the storage and brings the new one.
TEST_F(Cargo, AFreighterIsServedThroughEveryStageWithTheLoaderDockedByThePlayer)
{
    TTaskArea& storage = AddArea(60.0f, 0.0f, 6.0f);
    Task(gtCargoPlaneToStorage).pTaskArea = &storage;
    Task(gtCargoStorageToPlane).pTaskArea = &storage;
    m_pGate->m_nState = gsParkAirplane;
    std::vector<std::pair<i32, f32>> stages;
    f32 time = 0.0f;
    for (i32 second = 0; second < 4000 && m_pGate->m_nState != gsIdle; ++second)
    {
        const i32 before = m_pGate->m_nState;
        m_pGate->Update(1.0f);
        time += 1.0f;
        if (m_pGate->m_nState != before)
            stages.push_back({m_pGate->m_nState, time});
        for (u32 i = 0; i < m_pGate->aGateTask.GetCount(); ++i)
        {
            TTask& task = *m_pGate->aGateTask[i];
            if (task.IsDeploying() && !task.m_nNoArrival)
                task.ReachArea();
        }
        TTask& unload = Task(gtCargoPlaneToStorage);
        TTask& load = Task(gtCargoStorageToPlane);
        TTask* docking = m_pGate->m_nState == gsUnloading && unload.IsDeploying() &&
                                 !m_pGate->aCargoPhase[CARGO_PHASE_DOOR_OPEN]
                             ? &unload
                         : m_pGate->m_nState == gsLoading && load.IsDeploying() &&
                                 !m_pGate->aCargoPhase[CARGO_PHASE_LIFT_RAISED]
                             ? &load
                             : nullptr;
        if (docking)
        {
            docking->MarkTakenOver();
            PlaceLoader(0.0f, 90.0f);
            m_Action.Set(1.0f);
        }
        else
            m_Action.Set(0.0f);
        // Freed by the lift with the load aboard, the loader drives to the storage.
        if (m_pGate->m_nState == gsUnloading && m_pGate->aCargoPhase[CARGO_PHASE_LOAD_MOVED] &&
            !m_pLoader->m_nHold)
            m_pLoader->pBody->GetNode()->SetWorldMatrix(Translation(60.0f, 0.5f, 0.0f), TNode::OrdinaryCause());
    }
    ASSERT_EQ(gsIdle, m_pGate->m_nState);
    ASSERT_EQ(8u, stages.size());
    EXPECT_EQ(gsBeforeUnloading, stages[0].first);
    EXPECT_GT(stages[2].second - stages[1].second, CARGO_UNLOADING_TIME);
    EXPECT_GT(stages[3].second - stages[2].second, CARGO_IDLE_TIME);
    EXPECT_GT(stages[4].second - stages[3].second, CARGO_LOADING_TIME);
    EXPECT_EQ(gsWaitForTakeoff, stages[4].first);
    EXPECT_EQ(PLANE_LEAVING, m_pPlane->m_nPlaneState);
    // The new load went into the hold, the loader drives again.
    EXPECT_FLOAT_EQ(5.5f, Load().x);
    EXPECT_FLOAT_EQ(10.45f, Load().z);
    EXPECT_EQ(0u, m_pLoader->m_nHold);
    EXPECT_EQ(0, m_pLoader->pVehicle->inputEnabled);
    for (const i32 phase : m_pGate->aCargoPhase)
        EXPECT_EQ(0, phase);
}
} // namespace
