// A freighter's whole turnaround on the aerodrome, with the player's part played as a player
// would: the loader taken from the menu, backed onto the freighter's door square to it and
// "action" pressed; the load carried to the storage; the new load brought to the door and
// docked the same way; then the take-off and its pay.
#include "turnaroundfixture.h"

#include "engine/input/inputaction.h"
#include "engine/system/command/variable.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/taskarea.h"
#include "support/testinput.h"

#include <cmath>

namespace
{
// The freighter takes off after about 2,300 s.
constexpr f32 kCargoTurnaroundLimit = 3500.0f;
constexpr i32 kCargoPay = 32000;

class CargoTurnaround : public Turnaround
{
protected:
    void SetUp() override
    {
        Turnaround::SetUp();
        Game().GetAction()->Bind(&m_Action, nullptr);
        // Asked for before it ever landed (stored as with the password).
        TDeferredVariable cargo("next_cargo_plane");
        ASSERT_NE(nullptr, cargo.GetVariable());
        cargo.GetVariable()->Store(1);
    }
    void TearDown() override
    {
        Game().GetAction()->Bind(nullptr, nullptr);
        Turnaround::TearDown();
    }

    // Where the player has driven the loader: standing on the ground at a place, its heading
    // turned from the freighter's by the degrees.
    static void PlaceLoader(TAICommonUnit& loader, const TVector& at, const TMatrix& plane, f32 degrees)
    {
        const f32 angle = degrees / 57.29578f;
        const f32 c = std::cos(angle), s = std::sin(angle);
        const TVector& x = plane.aRow[0];
        const TVector& z = plane.aRow[2];
        TMatrix place = *loader.pBody->GetNode()->GetWorldMatrix();
        place.aRow[0] = TVector(x.x * c - z.x * s, x.y * c - z.y * s, x.z * c - z.z * s, 0.0f);
        place.aRow[1] = plane.aRow[1];
        place.aRow[2] = TVector(z.x * c + x.x * s, z.y * c + x.y * s, z.z * c + x.z * s, 0.0f);
        place.aRow[3] = TVector(at.x, place.aRow[3].y, at.z, 1.0f);
        loader.pBody->GetNode()->SetWorldMatrix(place, TNode::OrdinaryCause());
        if (loader.pBody->IsDynamic())
        {
            loader.pBody->SetLinearVelocity(TVector(0.0f, 0.0f, 0.0f, 0.0f));
            loader.pBody->SetAngularVelocity(TVector(0.0f, 0.0f, 0.0f, 0.0f));
        }
    }

    // The load's place on the loader (none while the loader is out of the scene).
    static TVector Load(const TAICommonUnit* loader)
    {
        return loader && loader->pCargo ? loader->pCargo->GetLocalMatrix().aRow[3] : TVector(0.0f, 0.0f, 0.0f, 0.0f);
    }

    TTestInput m_Action{"cargo_action"};
};

TEST_F(CargoTurnaround, ThePlayerDocksTheLoaderForTheUnloadingAndTheLoadingAndTheFreighterIsPaid)
{
    TGameParameters& parameters = Game().GetParameters();
    TGate& gate = *Game().FindGate(1);
    TTask& unload = *gate.FindTask(gtCargoPlaneToStorage);
    TTask& load = *gate.FindTask(gtCargoStorageToPlane);
    TAICommonUnit* plane = nullptr;
    // Each state the gate enters and the frame it does.
    std::vector<std::pair<i32, i32>> stages;
    i32 frame = 0;
    // Per transfer: the frames at which the player missed and docked, and the axes the load
    // moved along, in order.
    i32 misses = 0, docks = 0;
    std::vector<char> unloadAxes, loadAxes;
    TVector loaded(0.0f, 0.0f, 0.0f, 1.0f);
    i32 money = parameters.nMoney, paid = 0;
    f32 time = 0.0f;
    while (time < kCargoTurnaroundLimit && !(stages.size() > 1 && gate.m_nState == gsIdle && plane &&
                                             plane->m_nPlaneState == PLANE_IDLE))
    {
        if (!plane && parameters.aLandingZone[0].pWaitZonePlane)
        {
            plane = parameters.aLandingZone[0].pWaitZonePlane;
            parameters.nChosenGate = 1;
        }
        m_Action.Set(0.0f);
        TTask* docking = gate.m_nState == gsUnloading && unload.IsDeploying() && !gate.aCargoPhase[CARGO_PHASE_DOOR_OPEN]
                             ? &unload
                         : gate.m_nState == gsLoading && load.IsDeploying() && !gate.aCargoPhase[CARGO_PHASE_LIFT_RAISED]
                             ? &load
                             : nullptr;
        if (docking && docking->GetUnit())
        {
            // Taken from the menu, then backed onto the door square to the freighter (facing
            // away, so that the AI can drive it off afterwards). The first try stops short.
            if (!docking->m_nTakenOver)
                Game().ActivateTask(docking);
            const TMatrix& at = *plane->pBody->GetNode()->GetWorldMatrix();
            TVector door = gate.GetDoorPoint();
            const bool miss = misses == docks;
            if (miss)
                door = TVector(door.x - at.aRow[0].x * 0.6f, door.y, door.z - at.aRow[0].z * 0.6f, 1.0f);
            PlaceLoader(*docking->GetUnit(), door, at, -90.0f);
            m_Action.Set(1.0f);
            (miss ? misses : docks) += 1;
        }
        // Freed by the lift with the load aboard, the loader is driven to the storage.
        if (gate.m_nState == gsUnloading && gate.aCargoPhase[CARGO_PHASE_LOAD_MOVED] && !unload.m_nArrived &&
            !unload.GetUnit()->m_nHold)
            PlaceLoader(*unload.GetUnit(), unload.pTaskArea->Position, *plane->pBody->GetNode()->GetWorldMatrix(),
                        0.0f);

        const i32 before = gate.m_nState;
        const i32 phases = gate.aCargoPhase[CARGO_PHASE_DOOR_OPEN] + gate.aCargoPhase[CARGO_PHASE_LIFT_RAISED];
        TAICommonUnit* loader = gate.m_nState == gsUnloading ? unload.GetUnit()
                                : gate.m_nState == gsLoading ? load.GetUnit()
                                                             : nullptr;
        const TVector was = Load(loader);
        Frame();
        time += kGameFrame;
        ++frame;
        if (gate.m_nState != before)
            stages.push_back({gate.m_nState, frame});
        if (docking && misses > docks)
            EXPECT_EQ(phases, gate.aCargoPhase[CARGO_PHASE_DOOR_OPEN] + gate.aCargoPhase[CARGO_PHASE_LIFT_RAISED])
                << "docked 0.6 from the door at " << time;
        // The load slides half a unit a second, along one axis at a time.
        // (It is put at the hold, and back on the unloader's lift, at a stroke.)
        const TVector now = Load(loader);
        const f32 dx = std::fabs(now.x - was.x), dz = std::fabs(now.z - was.z);
        if (loader && gate.m_nState == before && now.w != 0.0f && was.w != 0.0f && std::max(dx, dz) < 1.0f)
        {
            // The second axis starts at the latest in the frame the first one gets there.
            const bool out = before == gsUnloading;
            EXPECT_FALSE(dx > 0.0f && dz > 0.0f && (out ? now.x != 0.0f : now.z != CARGO_HOLD_Z)) << time;
            EXPECT_LE(dx, CARGO_SLIDE_SPEED * kGameFrame * 1.001f) << time;
            EXPECT_LE(dz, CARGO_SLIDE_SPEED * kGameFrame * 1.001f) << time;
            std::vector<char>& axes = out ? unloadAxes : loadAxes;
            const char axis = dx > 0.0f && dz > 0.0f ? (out ? 'z' : 'x') : dx > 0.0f ? 'x' : dz > 0.0f ? 'z' : 0;
            if (axis && (axes.empty() || axes.back() != axis))
                axes.push_back(axis);
            if (before == gsLoading)
                loaded = now;
        }
        if (parameters.nMoney - money == kCargoPay)
            paid += kCargoPay;
        money = parameters.nMoney;
    }
    ASSERT_NE(nullptr, plane);
    EXPECT_TRUE(plane->IsCargoAircraft());
    EXPECT_LT(time, kCargoTurnaroundLimit);
    std::vector<i32> states;
    for (const auto& stage : stages)
        states.push_back(stage.first);
    ASSERT_EQ((std::vector<i32>{gsParkAirplane, gsBeforeUnloading, gsUnloading, gsPlaneIdle, gsLoading,
                                gsWaitForTakeoff, gsProceedingToTakeoff, gsTakeOff, gsIdle}),
              states);
    const auto seconds = [&](u32 stage) { return (stages[stage + 1].second - stages[stage].second) / 30.0; };
    EXPECT_GT(seconds(2), CARGO_UNLOADING_TIME);
    EXPECT_GT(seconds(3), CARGO_IDLE_TIME);
    EXPECT_GT(seconds(4), CARGO_LOADING_TIME);
    EXPECT_EQ(2, misses);
    EXPECT_EQ(2, docks);
    // Out of the hold across, then along; into it along, then across.
    EXPECT_EQ((std::vector<char>{'x', 'z'}), unloadAxes);
    EXPECT_EQ((std::vector<char>{'z', 'x'}), loadAxes);
    EXPECT_FLOAT_EQ(CARGO_HOLD_X, loaded.x);
    EXPECT_FLOAT_EQ(CARGO_HOLD_Z, loaded.z);
    EXPECT_EQ(kCargoPay, paid);
    for (const i32 phase : gate.aCargoPhase)
        EXPECT_EQ(0, phase);
    // Both loaders drove home, the AI's way (their requests last one frame).
    for (const TTask* task : {&unload, &load})
    {
        const TAICommonUnit& unit = *task->pPlayerVehicle;
        EXPECT_EQ(0u, unit.m_nHold);
        EXPECT_EQ(0u, unit.m_nDriving);
        if (unit.pVehicle)
            EXPECT_EQ(0, unit.pVehicle->inputEnabled);
    }
    const std::string log = m_Folder.SystemLog();
    EXPECT_NE(std::string::npos, log.find("gate 1: gsLoading, aircraft '"));
    EXPECT_NE(std::string::npos, log.find("gate 1: gsTakeOff, aircraft '"));
    EXPECT_NE(std::string::npos, log.find("': state 11, gate "));
}
} // namespace
