// A freighter's whole turnaround on the aerodrome, with the player's part played as a player
// would: the loader taken from the menu, backed onto the freighter's door square to it and
// "action" pressed; the load carried to the storage; the new load brought to the door and
// docked the same way; then the take-off and its pay. CI plays the road's three steps, the later
// two from states the whole road saved near them.
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
// The states the whole road saves: just before the loading, and late in it.
constexpr const char* kLoadingState = "cargo-loading.save";
constexpr f32 kLoadingStateAt = CARGO_IDLE_TIME - 10.0f;
constexpr const char* kCargoTakeOffState = "cargo-takeoff.save";
constexpr f32 kCargoTakeOffStateAt = CARGO_LOADING_TIME - 20.0f;

// The road played so far: each state the gate entered and the time its clock gave the state it
// left; per transfer, the player's misses and docks and the axes the load moved along, in order.
struct TCargoPlay
{
    TAICommonUnit* pPlane = nullptr;
    std::vector<std::pair<i32, f32>> aStage;
    i32 nMisses = 0, nDocks = 0;
    std::vector<char> aUnloadAxis, aLoadAxis;
    TVector Loaded{0.0f, 0.0f, 0.0f, 1.0f};
    i32 nMoney = 0, nPaid = 0;
    f32 fTime = 0.0f;
    bool bSavedLoading = false, bSavedTakeOff = false;
};

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

    // The states the gate entered.
    static std::vector<i32> States(const TCargoPlay& play)
    {
        std::vector<i32> states;
        for (const auto& stage : play.aStage)
            states.push_back(stage.first);
        return states;
    }

    // The load's place on the loader (none while the loader is out of the scene).
    static TVector Load(const TAICommonUnit* loader)
    {
        return loader && loader->pCargo ? loader->pCargo->GetLocalMatrix().aRow[3] : TVector(0.0f, 0.0f, 0.0f, 0.0f);
    }

    // The road as the player plays it, until the stop says so or the freighter is idle again
    // after its take-off.
    template <typename TStop>
    void Play(TCargoPlay& play, TStop stop)
    {
        TGameParameters& parameters = Game().GetParameters();
        TGate& gate = *Game().FindGate(1);
        TTask& unload = *gate.FindTask(gtCargoPlaneToStorage);
        TTask& load = *gate.FindTask(gtCargoStorageToPlane);
        if (!play.pPlane)
            play.pPlane = gate.pPlane;
        play.nMoney = parameters.nMoney;
        while (play.fTime < kCargoTurnaroundLimit && !stop() &&
               !(!play.aStage.empty() && gate.m_nState == gsIdle && play.pPlane && play.pPlane->m_nPlaneState == PLANE_IDLE))
        {
            if (!play.pPlane && parameters.aLandingZone[0].pWaitZonePlane)
            {
                play.pPlane = parameters.aLandingZone[0].pWaitZonePlane;
                parameters.nChosenGate = 1;
            }
            TAICommonUnit* plane = play.pPlane;
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
                const bool miss = play.nMisses == play.nDocks;
                if (miss)
                    door = TVector(door.x - at.aRow[0].x * 0.6f, door.y, door.z - at.aRow[0].z * 0.6f, 1.0f);
                PlaceLoader(*docking->GetUnit(), door, at, -90.0f);
                m_Action.Set(1.0f);
                (miss ? play.nMisses : play.nDocks) += 1;
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
            if (WholeRoad() && gate.m_nState == gsPlaneIdle && gate.m_fIdleTimer > kLoadingStateAt && !play.bSavedLoading)
            {
                WriteState(kLoadingState);
                play.bSavedLoading = true;
            }
            if (WholeRoad() && gate.m_nState == gsLoading && gate.m_fLoadingTimer > kCargoTakeOffStateAt && !play.bSavedTakeOff)
            {
                WriteState(kCargoTakeOffState);
                play.bSavedTakeOff = true;
            }
            const f32 clock = gate.m_nState == gsUnloading ? gate.m_fUnloadingTimer
                              : gate.m_nState == gsPlaneIdle ? gate.m_fIdleTimer
                              : gate.m_nState == gsLoading   ? gate.m_fLoadingTimer
                                                             : 0.0f;
            Frame();
            play.fTime += kGameFrame;
            // The clock took this frame too before the gate moved on.
            if (gate.m_nState != before)
                play.aStage.push_back({gate.m_nState, clock + kGameFrame});
            if (docking && play.nMisses > play.nDocks)
                EXPECT_EQ(phases, gate.aCargoPhase[CARGO_PHASE_DOOR_OPEN] + gate.aCargoPhase[CARGO_PHASE_LIFT_RAISED])
                    << "docked 0.6 from the door at " << play.fTime;
            // The load slides half a unit a second, along one axis at a time.
            // (It is put at the hold, and back on the unloader's lift, at a stroke.)
            const TVector now = Load(loader);
            const f32 dx = std::fabs(now.x - was.x), dz = std::fabs(now.z - was.z);
            if (loader && gate.m_nState == before && now.w != 0.0f && was.w != 0.0f && std::max(dx, dz) < 1.0f)
            {
                // The second axis starts at the latest in the frame the first one gets there.
                const bool out = before == gsUnloading;
                EXPECT_FALSE(dx > 0.0f && dz > 0.0f && (out ? now.x != 0.0f : now.z != CARGO_HOLD_Z)) << play.fTime;
                EXPECT_LE(dx, CARGO_SLIDE_SPEED * kGameFrame * 1.001f) << play.fTime;
                EXPECT_LE(dz, CARGO_SLIDE_SPEED * kGameFrame * 1.001f) << play.fTime;
                std::vector<char>& axes = out ? play.aUnloadAxis : play.aLoadAxis;
                const char axis = dx > 0.0f && dz > 0.0f ? (out ? 'z' : 'x') : dx > 0.0f ? 'x' : dz > 0.0f ? 'z' : 0;
                if (axis && (axes.empty() || axes.back() != axis))
                    axes.push_back(axis);
                if (before == gsLoading)
                    play.Loaded = now;
            }
            if (parameters.nMoney - play.nMoney == kCargoPay)
                play.nPaid += kCargoPay;
            play.nMoney = parameters.nMoney;
        }
    }

    // After the take-off: logged, cargo phases cleared, both loaders home the AI's way.
    void ExpectGateCleared(const TGate& gate)
    {
        ExpectTakeOffLogged();
        for (const i32 phase : gate.aCargoPhase)
            EXPECT_EQ(0, phase);
        for (const i32 type : {gtCargoPlaneToStorage, gtCargoStorageToPlane})
        {
            const TAICommonUnit& unit = *gate.FindTask(type)->pPlayerVehicle;
            EXPECT_EQ(0u, unit.m_nHold);
            EXPECT_EQ(0u, unit.m_nDriving);
            if (unit.pVehicle)
                EXPECT_EQ(0, unit.pVehicle->inputEnabled);
        }
    }

    TTestInput m_Action{"cargo_action"};
};

TEST_F(CargoTurnaround, ThePlayerDocksTheLoaderForTheUnloadingAndTheLoadingAndTheFreighterIsPaid)
{
    if (!WholeRoad())
        GTEST_SKIP() << "the whole road is played with VESTAMOR_WHOLE_ROAD=1";
    TGate& gate = *Game().FindGate(1);
    TCargoPlay play;
    Play(play, [] { return false; });
    ASSERT_NE(nullptr, play.pPlane);
    EXPECT_TRUE(play.pPlane->IsCargoAircraft());
    EXPECT_LT(play.fTime, kCargoTurnaroundLimit);
    ASSERT_EQ((std::vector<i32>{gsParkAirplane, gsBeforeUnloading, gsUnloading, gsPlaneIdle, gsLoading,
                                gsWaitForTakeoff, gsProceedingToTakeoff, gsTakeOff, gsIdle}),
              States(play));
    EXPECT_GT(play.aStage[3].second, CARGO_UNLOADING_TIME);
    EXPECT_GT(play.aStage[4].second, CARGO_IDLE_TIME);
    EXPECT_GT(play.aStage[5].second, CARGO_LOADING_TIME);
    EXPECT_EQ(std::pair(2, 2), std::pair(play.nMisses, play.nDocks));
    // Out of the hold across, then along; into it along, then across.
    EXPECT_EQ((std::vector<char>{'x', 'z'}), play.aUnloadAxis);
    EXPECT_EQ((std::vector<char>{'z', 'x'}), play.aLoadAxis);
    EXPECT_EQ(std::pair(CARGO_HOLD_X, CARGO_HOLD_Z), std::pair(play.Loaded.x, play.Loaded.z));
    EXPECT_EQ(kCargoPay, play.nPaid);
    ExpectGateCleared(gate);
    EXPECT_NE(std::string::npos, m_Folder.SystemLog().find("gate 1: gsLoading, aircraft '"));
}

// The road's three steps that are the player's or end it, the later ones from the states the
// whole road saved near them: the unloading's docking and the load carried out; the loading's
// docking and the load carried into the hold; the loading's end, the take-off and its pay.
TEST_F(CargoTurnaround, ThePlayerDocksTheLoaderForEachTransferAndTheFreighterIsPaid)
{
    TGate& gate = *Game().FindGate(1);
    const TTask& unload = *gate.FindTask(gtCargoPlaneToStorage);
    TCargoPlay out;
    Play(out, [&] { return unload.m_nArrived != 0; });
    ASSERT_NE(nullptr, out.pPlane);
    EXPECT_TRUE(out.pPlane->IsCargoAircraft());
    EXPECT_EQ(std::pair(1, 1), std::pair(out.nMisses, out.nDocks));
    EXPECT_EQ((std::vector<char>{'x', 'z'}), out.aUnloadAxis);
    EXPECT_TRUE(unload.m_nArrived);

    ASSERT_NO_FATAL_FAILURE(LoadState(kLoadingState));
    ASSERT_EQ(gsPlaneIdle, gate.m_nState);
    const f32 idle = gate.m_fIdleTimer;
    TCargoPlay in;
    // Until the load is in the hold (the unloading's phases are cleared once the loading runs).
    Play(in, [&] { return (in.nDocks > 0 && gate.aCargoPhase[CARGO_PHASE_LOAD_MOVED]) || in.aStage.size() > 1; });
    ASSERT_FALSE(in.aStage.empty());
    EXPECT_EQ(gsLoading, in.aStage[0].first);
    EXPECT_GT(in.aStage[0].second, CARGO_IDLE_TIME);
    EXPECT_GT(in.aStage[0].second, idle);
    EXPECT_EQ(std::pair(1, 1), std::pair(in.nMisses, in.nDocks));
    EXPECT_EQ((std::vector<char>{'z', 'x'}), in.aLoadAxis);
    EXPECT_EQ(std::pair(CARGO_HOLD_X, CARGO_HOLD_Z), std::pair(in.Loaded.x, in.Loaded.z));

    ASSERT_NO_FATAL_FAILURE(LoadState(kCargoTakeOffState));
    ASSERT_EQ(gsLoading, gate.m_nState);
    TCargoPlay end;
    Play(end, [] { return false; });
    ASSERT_EQ((std::vector<i32>{gsWaitForTakeoff, gsProceedingToTakeoff, gsTakeOff, gsIdle}), States(end));
    EXPECT_GT(end.aStage[0].second, CARGO_LOADING_TIME);
    EXPECT_EQ(kCargoPay, end.nPaid);
    ExpectGateCleared(gate);
}
} // namespace
