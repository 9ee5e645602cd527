// The aerodrome the build writes, loaded as the game loads it with the game's managers begun,
// and walked: every name the game looks up resolves, every unit's prop takes its form and links,
// every gate has its tasks and paths, damageable props fall.
#include "aerodromefixture.h"

#include "aerodromeaircraft.h"
#include "aerodromedamage.h"
#include "aerodromeeffects.h"
#include "ageia/collisionmanager.h"
#include "engine/render/camera.h"
#include "engine/render/mesh.h"
#include "engine/system/animation.h"
#include "engine/system/animationdata.h"
#include "engine/system/nodemanager.h"
#include "engine/system/propdata.h"
#include "ifx/particlemanager.h"
#include "igame/damage/damageactor.h"
#include "igame/damage/damagemanager.h"
#include "igame/effects/decalmanager.h"
#include "igame/effects/decalprojection.h"
#include "igame/effects/lensflaremanager.h"
#include "igame/gamematerial/gamematerialmanager.h"
#include "leveldecals.h"
#include "levelflares.h"
#include "levelparticles.h"

#include <cstdio>
#include <sstream>

namespace
{
class Aerodrome : public AerodromeTest
{
protected:
    // A unit shown at its home drives six seconds of its first path: it moves, is never blocked,
    // stays on its wheels and near its front point.
    void ExpectDrivesItsFirstPath(TAICommonUnit& unit)
    {
        unit.SetPath(UNIT_NO_PATH);
        ASSERT_NE(unit.pBody, nullptr);
        const TVector start = unit.GetPosition();
        u32 blocked = 0;
        for (i32 frame = 0; frame < static_cast<i32>(6.0f / kFrame); ++frame)
        {
            unit.UpdateDrive(kFrame);
            blocked |= unit.m_nBlocked;
            Step(1);
        }
        const TVector end = unit.GetPosition();
        EXPECT_GT(std::hypot(end.x - start.x, end.z - start.z), 3.0f) << unit.GetName();
        EXPECT_EQ(blocked, 0u) << unit.GetName();
        EXPECT_NEAR(end.y, start.y, 0.3f) << unit.GetName();
        const TVector drive = unit.pVDriveNode->GetWorldMatrix()->Translation();
        EXPECT_LT(std::hypot(drive.x - unit.FrontPoint.x, drive.z - unit.FrontPoint.z), 15.0f) << unit.GetName();
    }
};
} // namespace

TEST_F(Aerodrome, LoadsWithoutAnErrorLineStartsFromTheTowerAndHasEverySound)
{
    // The lines of the load, but the shader manager's: this test has no device to make effects.
    std::istringstream log(m_Folder.SystemLog().substr(m_Folder.SystemLog().find("LoadRepository")));
    for (std::string line; std::getline(log, line);)
        if (line.find("TDxShaderManager") == std::string::npos)
        {
            EXPECT_EQ(line.find("error"), std::string::npos) << line;
            EXPECT_EQ(line.find("warning"), std::string::npos) << line;
        }
    ASSERT_NE(g_pOrbitCameraManager->GetCurrentCamera(), nullptr);
    EXPECT_EQ(g_pOrbitCameraManager->GetCurrentCamera(), Camera("Tower_Orbit_Camera"));
    EXPECT_NE(Camera("FollowMe_plr_pData_OrbCam"), nullptr);
    EXPECT_NE(g_pNodeManager->FindNode(TName("FollowMe_plr_pData_Veh").GetId()), nullptr);

    TDynamicsSettings settings{};
    void* data = nullptr;
    i32 size = 0;
    ASSERT_EQ(Manager().GetData(0, data, size), 0);
    std::memcpy(&settings, data, sizeof settings);
    EXPECT_EQ(std::vector<f32>({settings.aGravity[0], settings.aGravity[1], settings.fRate,
                                static_cast<f32>(settings.nMaxSubSteps)}),
              std::vector<f32>({0.0f, -9.8f, 120.0f, 8.0f}));
    // Every sound the game's player names.
    TSoundPlayerManager& player = *g_pSoundPlayerManager;
    for (u32 i = 0; i < SOUND_NAME_COUNT; ++i)
        EXPECT_NE(player.ResolveSound(player.Named(static_cast<ESoundName>(i))), nullptr) << g_aSoundName[i];
    EXPECT_EQ(player.MusicList().GetCount(), 1);
    EXPECT_EQ(player.AnnouncementList().GetCount(), 7);
}

// The tower's first view, once its arm has settled, shows every stand, both queues and the
// runway's landing end between the title bar (63 of 1200) and the status bar (155), clear of the
// camera buttons at the right (117), on every aspect the Video tab offers.
TEST_F(Aerodrome, TheTowersFirstViewShowsTheWholeAerodromeBetweenTheBars)
{
    TOrbitCamera* tower = Camera("Tower_Orbit_Camera");
    ASSERT_NE(tower, nullptr);
    for (i32 i = 0; i < 300; ++i)
        g_pOrbitCameraManager->UpdateManager(kFrame);
    std::vector<std::pair<std::string, TPlanPoint>> places;
    for (u32 gate = 1; gate <= PLAN_GATE_COUNT; ++gate)
        places.emplace_back("stand " + std::to_string(gate), StandPosition(gate));
    for (u32 zone = 0; zone < PLAN_ZONE_COUNT; ++zone)
    {
        places.emplace_back("landing zone " + std::to_string(zone), LandingZone(zone));
        places.emplace_back("take-off zone " + std::to_string(zone), TakeOffZone(zone));
    }
    places.emplace_back("landing end", AerodromePlan::LANDING_END);
    for (const auto& [width, height] : {std::pair{1920, 1080}, std::pair{1920, 1200}, std::pair{1024, 768},
                                        std::pair{1280, 1024}})
    {
        tower->pCamera->UpdateProjection(width, height);
        tower->pCamera->UpdateView();
        const TMatrix& m = tower->pCamera->m_ViewProjection;
        const f32 top = 1.0f - 2.0f * 63.0f / 1200.0f, bottom = -1.0f + 2.0f * 155.0f / 1200.0f;
        const f32 side = 1.0f - 2.0f * 117.0f / 1200.0f * static_cast<f32>(height) / static_cast<f32>(width);
        for (const auto& [name, at] : places)
        {
            f32 clip[4];
            for (u32 c = 0; c < 4; ++c)
                clip[c] = at.x * (&m.aRow[0].x)[c] + at.y * (&m.aRow[1].x)[c] + at.z * (&m.aRow[2].x)[c] +
                          (&m.aRow[3].x)[c];
            SCOPED_TRACE(name + " at " + std::to_string(width) + " x " + std::to_string(height));
            ASSERT_GT(clip[3], 0.0f) << "in front of the camera";
            const f32 x = clip[0] / clip[3], y = clip[1] / clip[3];
            EXPECT_LT(std::fabs(x), side) << x;
            EXPECT_LT(y, top);
            EXPECT_GT(y, bottom);
        }
    }
}

TEST_F(Aerodrome, EveryUnitsPropTakesItsFormAndLinksItsPieces)
{
    ASSERT_EQ(Game().Units().GetCount(), 130) << "15 services at 8 gates, 9 aircraft and the follow-me car";
    u32 aircraft = 0, cargoAircraft = 0, loaders = 0, kinds[3] = {};
    for (i32 i = 0; i < Game().Units().GetCount(); ++i)
    {
        TAICommonUnit& unit = *Game().Units()[i];
        ASSERT_NE(unit.pProp, nullptr) << i;
        unit.ShowProp();
        EXPECT_TRUE(unit.pVehicle && unit.pBody && unit.pVDriveNode && unit.pOrbitCamera) << i;
        if (unit.pVehicle)
        {
            ++kinds[unit.pVehicle->type];
            // The drive point lies 1.0 below a point inside its own chassis.
            const TVector drive = unit.pVDriveNode->GetWorldMatrix()->aRow[3];
            const TVector body = unit.pBody->GetNode()->GetWorldMatrix()->aRow[3];
            EXPECT_LT(std::fabs(drive.y + 1.0f - body.y), 3.0f) << i;
            // The airliner turns its nose wheels by its own limit, the services by the default.
            EXPECT_EQ(unit.pVehicle->Parameters.fMaxSteerAngle, unit.IsAircraft() ? 60.0f : 35.0f) << i;
            // A track turns by its sides: its left wheels stand at +x.
            for (i32 w = 0; unit.pVehicle->type == VEHICLE_TRACKED && w < unit.pVehicle->wheelCount; ++w)
                EXPECT_EQ((unit.pVehicle->aWheel[w].nFlags & VEHICLE_WHEEL_LEFT) != 0,
                          unit.pVehicle->aWheelGeometry[w]->GetNode()->GetLocalMatrix().aRow[3].x > 0.0f) << i;
        }
        // The gates' number plates: "Decal<g>" shows gate g's.
        const TNode* decals = unit.pProp->pPropData->FindNode(TName("Decals").GetId());
        for (i32 g = 0; decals && g < decals->GetChildCount(); ++g)
            EXPECT_EQ(static_cast<const TMesh*>(decals->GetChild(g)->FindObject(g_NameTMesh.GetId()))
                          ->pMeshData->m_Name.GetId(),
                      TName(("decal_" + std::to_string(g + 1)).c_str()).GetId()) << i;
        if (unit.IsAircraft())
        {
            ++aircraft;
            EXPECT_TRUE(unit.pSkeleton && unit.pPlaneSoundLocator) << i;
            for (u32 a : {UNIT_ANIMATION_LANDING, UNIT_ANIMATION_TAKE_OFF, UNIT_ANIMATION_ENGINE_IDLE})
                ASSERT_NE(unit.aAnimation[a], nullptr) << i << " animation " << a;
            cargoAircraft += unit.IsCargoAircraft();
            // The landing's keys, every frame of them: a glide of 3 degrees down to touchdown.
            TAnimationData& landing = *unit.aAnimation[UNIT_ANIMATION_LANDING]->pAnimationData;
            TAnimationKey start, touchdown, end;
            ASSERT_TRUE(landing.Require() == 0 && landing.SampleTrack(start, 0, 0.0f) &&
                        landing.SampleTrack(touchdown, 0, LANDING_TOUCHDOWN_FRAME) &&
                        landing.SampleTrack(end, 0, LANDING_FRAMES)) << i;
            const f32 glide = start.aPosition[1] / (touchdown.aPosition[2] - start.aPosition[2]);
            EXPECT_NEAR(glide, std::tan(3.0f / 57.29578f), 1e-4f) << i;
        }
        if (unit.aAnimation[UNIT_ANIMATION_CARGO_LIFTER])
        {
            ++loaders;
            EXPECT_NE(unit.pCargo, nullptr) << i;
        }
    }
    EXPECT_EQ(aircraft, 9u);
    EXPECT_EQ(cargoAircraft, 1u);
    EXPECT_EQ(loaders, 16u) << "an unloader and a loader at each gate";
    EXPECT_GE(kinds[VEHICLE_TRACKED], 1u);
    EXPECT_GE(kinds[VEHICLE_JOINT_STEERED], 1u);
    Step(2);
}

TEST_F(Aerodrome, EveryGateHasItsTasksAndPaths)
{
    const TGameParameters& parameters = Game().GetParameters();
    ASSERT_EQ(parameters.aPlane.GetCount(), 9);
    EXPECT_EQ(parameters.aLandingZone.GetCount(), 5);
    EXPECT_EQ(parameters.aTakeOffZone.GetCount(), 5);
    EXPECT_TRUE(parameters.pTaskAreaGroundLocator && parameters.pTaskAreaAirLocator &&
                parameters.pTaskAreaCargoLifterLocator);

    TCurvePool& pool = *Game().FindCurvePool(TName(GAME_UNIT_CURVE_POOL).GetId());
    // Its block: 16 bytes a point, then 16 a curve.
    ASSERT_EQ(pool.m_nDataSize, (pool.m_nPointCount + pool.m_nCurveCount) * 16);
    // Whether the curve's record finds the plan's points in the block.
    const auto holds = [&pool](i32 index, const TPlanPath& path) {
        const TCurveRecord* curve = pool.GetCurve(index);
        return curve && curve->nPointCount == path.size() &&
               std::equal(path.begin(), path.end(), &pool.GetPoint(*curve, 0),
                          [](const TPlanPoint& p, const TVector& v) { return p.x == v.x && p.y == v.y && p.z == v.z; });
    };
    ASSERT_EQ(Game().Gates().GetCount(), 8);
    for (u32 id = 1; id <= PLAN_GATE_COUNT; ++id)
    {
        const TGate& gate = *Game().Gates()[static_cast<i32>(id) - 1];
        EXPECT_EQ(gate.m_nId, static_cast<i32>(id));
        ASSERT_EQ(gate.aGateTask.GetCount(), 33) << id;
        for (i32 t = 0; t < 33; ++t)
        {
            const TTask& task = *gate.aGateTask[t];
            EXPECT_TRUE(task.m_nType == t && task.pGate == &gate) << "gate " << id << " task " << t;
            // Its unit is its service's at this gate: the path it drives is the plan's.
            const TPlanTask& plan = g_aPlanTask[t];
            const TAICommonUnit* unit = task.pPlayerVehicle;
            EXPECT_TRUE(unit && holds(plan.nPath ? unit->m_nSecondPath : unit->m_nFirstPath,
                                      UnitPath(static_cast<u32>(plan.nService), id, static_cast<u32>(plan.nPath))))
                << "gate " << id << " task " << t;
        }
        // The cargo legs are the player's: only a player docks.
        for (i32 t : {28, 31})
            EXPECT_EQ(gate.aGateTask[t]->GetAILevel(), 0) << id;
        EXPECT_TRUE(holds(gate.m_nArrivalPath, ArrivalPath(id)) && holds(gate.m_nTaxiPath, TaxiPath(id)) &&
                    holds(gate.m_nDeparturePath, DeparturePath())) << id;
    }
    // The follow-me task comes last.
    EXPECT_EQ(Game().GetFollowMeTask()->pPlayerVehicle, Game().Units()[Game().Units().GetCount() - 1]);
    EXPECT_GE(Game().Crossroads().GetCount(), 2);
}

// A service unit drives its first path on the ground; a jointed bus's obstacle ray must not meet
// its own front half, and each half rests on its axle.
TEST_F(Aerodrome, AServiceUnitAndAJointedBusDriveTheirFirstPathsOnTheirWheels)
{
    ExpectDrivesItsFirstPath(*Game().Units()[0]);
    TAICommonUnit* bus = nullptr;
    for (u32 i = 0; i < Game().Units().GetCount() && !bus; ++i)
    {
        TAICommonUnit& unit = *Game().Units()[i];
        unit.ShowProp();
        if (unit.pSecBody)
            bus = &unit;
        else
            unit.Stop(1);
    }
    ASSERT_NE(bus, nullptr);
    ExpectDrivesItsFirstPath(*bus);
}

// Barriers and light poles: props whose damage actors knock them down below half their health.
TEST_F(Aerodrome, DamageablePropsFallBelowHalfTheirHealth)
{
    ASSERT_EQ(g_pDamageManager->Actors().GetCount(),
              static_cast<i32>(AERODROME_BARRIERS + AERODROME_LIGHT_POLES));
    for (i32 i = 0; i < g_pDamageManager->Actors().GetCount(); ++i)
    {
        TDamageActor& actor = *g_pDamageManager->Actors()[i];
        ASSERT_EQ(actor.GetStateCount(), 2u) << i;
        EXPECT_NE(actor.FindProp(), nullptr) << i;
        EXPECT_TRUE(actor.aNode[0]->IsEnabled()) << i;
        EXPECT_FALSE(actor.aNode[1]->IsEnabled()) << i;
    }
    TNode* barrier = g_pNodeManager->FindNode(TName("apron_barrier_2").GetId());
    ASSERT_NE(barrier, nullptr);
    TDamageActor* actor = static_cast<TDamageActor*>(barrier->FindObject(g_NameTDamageActor.GetId()));
    ASSERT_NE(actor, nullptr);
    actor->OnEnable(1);
    // Hits at its foot: a little under half its health leaves it standing, a little over fells it.
    const TVector at = barrier->GetWorldMatrix()->Translation();
    for (const f32 share : {0.45f, 0.1f})
    {
        EXPECT_EQ(actor->state, 0) << share;
        g_pDamageManager->AddDamage({share * actor->maxHealth, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f}, at, 0);
        g_pDamageManager->ThreadUpdateManager(kFrame);
        g_pDamageManager->UpdateManager(kFrame);
    }
    EXPECT_LT(actor->health, AERODROME_DAMAGE_THRESHOLD * actor->maxHealth);
    EXPECT_EQ(actor->state, 1);
    EXPECT_FALSE(actor->aNode[0]->IsEnabled());
    EXPECT_TRUE(actor->aNode[1]->IsEnabled());
}
