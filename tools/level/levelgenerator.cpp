#include "levelgenerator.h"
#include "leveleffects.h"
#include "aerodromeaircraft.h"
#include "aerodromebuilder.h"
#include "aerodromecurves.h"
#include "aerodromedamage.h"
#include "aerodromeeffects.h"
#include "aerodromegates.h"
#include "aerodromeground.h"
#include "aerodromescenery.h"
#include "aerodromeunits.h"
#include "aerodromevehicles.h"

#include "ageia/nxcollisionmanager.h"
#include "ageia/nxdynamics.h"
#include "core/cluster/cluster.h"
#include "core/system/string.h"
#include "directx/render/dxcameramanager.h"
#include "engine/input/inputmanager.h"
#include "engine/render/camera.h"
#include "engine/system/animationmanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/propmanager.h"
#include "engine/system/repository.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/skeletonmanager.h"
#include "igame/vehicles/vehicle.h"
#include "igame/vehicles/vehiclemanager.h"
#include "levelballistics.h"
#include "levelclips.h"
#include "levelgame.h"
#include "levelvegetation.h"
#include "levelrenderscene.h"
#include "morvane/game/aicommonunit.h"
#include "morvane/game/crossroadarea.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gate.h"
#include "morvane/game/orbitcamera.h"
#include "morvane/game/orbitcameramanager.h"
#include "morvane/game/trafficvehicle.h"
#include "repositorywriter.h"
#include "scenerepositories.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

using namespace AerodromePlan;

namespace
{
constexpr f32 TOWER_NEAR_CLIP = 2.0f;
constexpr f32 TOWER_FAR_CLIP = 6000.0f;
constexpr const char* PARTIAL = ".partial";

std::string Path(const char* folder, const char* name, const char* suffix = "")
{
    return std::string(folder) + "/" + name + suffix;
}

u64 FileSize(const std::string& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<u64>(size);
}

// The tower's view: from its cab over the apron towards the runway.
TMatrix TowerEye()
{
    TMatrix eye(1.0f);
    eye.SetOrientation(TVector(TOWER_LOOK_AT.x - TOWER_EYE.x, TOWER_LOOK_AT.y - TOWER_EYE.y,
                               TOWER_LOOK_AT.z - TOWER_EYE.z, 0.0f)
                           .Normalized(),
                       TVector(0.0f, 1.0f, 0.0f, 0.0f));
    eye.aRow[3] = TVector(TOWER_EYE.x, TOWER_EYE.y, TOWER_EYE.z, 1.0f);
    return eye;
}

// "Tower_Orbit_Camera": its pivot where the tower looks, its arm back up to the cab. The pivot
// takes 0.9 of a downward pitch, the camera the rest.
void AddTowerCamera(TAerodromeBuilder& builder)
{
    const f32 dx = TOWER_EYE.x - TOWER_LOOK_AT.x, dy = TOWER_EYE.y - TOWER_LOOK_AT.y, dz = TOWER_EYE.z - TOWER_LOOK_AT.z;
    const f32 across = std::sqrt(dx * dx + dz * dz);
    const f32 arm = std::sqrt(across * across + dy * dy);
    const f32 pitch = std::atan2(dy, across) * 57.29578f / (1.0f - ORBIT_SPLIT_MIN);
    TNode* pivot = builder.AddNode("tower_pivot", nullptr, Placement(TOWER_LOOK_AT));
    TOrbitCamera& tower = MakeLevelOrbitCamera(builder.Store<TOrbitCamera>(), GAME_TOWER_CAMERA, pivot, "tower_camera",
                                               pitch, {arm, arm * 0.5f, arm * 1.5f}, TOWER_FAR_CLIP);
    tower.m_fYaw = std::atan2(-dx, -dz) * 57.29578f;
    tower.pCamera->m_fNearClip = TOWER_NEAR_CLIP;
}

// The limits the game leaves to its data: crossroad queues of 32, curve and point indices inside
// their pools, vehicles without a zero limit.
std::vector<std::string> CheckLimits(const TCurvePoolBuilder& curves, const TCurvePoolBuilder& traffic)
{
    std::vector<std::string> errors;
    TGameLogicManager& game = *g_pGameLogicManager;
    for (i32 i = 0; i < game.Crossroads().GetCount(); ++i)
    {
        const TCrossroadArea& crossroad = *game.Crossroads()[i];
        const u32 reaching = CountUnitsReaching(curves, {crossroad.fX, crossroad.fY, crossroad.fZ}, crossroad.fRadius);
        if (reaching > AERODROME_CROSSROAD_CAPACITY)
            errors.push_back(StringFormat("crossroad %d: %u units reach it, its queue holds %u", i, reaching,
                                          AERODROME_CROSSROAD_CAPACITY));
    }
    const i32 count = static_cast<i32>(curves.GetCurveCount());
    const auto inside = [&](i32 path) { return path >= -1 && path < count; };
    for (i32 i = 0; i < game.Units().GetCount(); ++i)
        if (!inside(game.Units()[i]->m_nFirstPath) || !inside(game.Units()[i]->m_nSecondPath))
            errors.push_back(StringFormat("unit %d: a path outside the %d curves", i, count));
    for (i32 i = 0; i < game.Gates().GetCount(); ++i)
    {
        const TGate& gate = *game.Gates()[i];
        for (i32 path : {gate.m_nArrivalPath, gate.m_nTaxiPath, gate.m_nDeparturePath})
            if (path < 0 || path >= count)
                errors.push_back(StringFormat("gate %d: a path outside the %d curves", gate.m_nId, count));
    }
    for (i32 i = 0; i < game.TrafficVehicles().GetCount(); ++i)
    {
        const TTrafficVehicle& car = *game.TrafficVehicles()[i];
        if (car.nCurve >= traffic.GetCurveCount() || car.nSegment + 1u >= traffic.GetCurve(car.nCurve).size())
            errors.push_back(StringFormat("traffic car %d: its curve or segment lies outside its pool", i));
    }
    for (i32 i = 0; i < g_pVehicleManager->Vehicles().GetCount(); ++i)
    {
        const TVehicle& vehicle = *g_pVehicleManager->Vehicles()[i];
        const TVehicleParameters& p = vehicle.Parameters;
        for (f32 limit : {p.fMaxSpeed, p.fMaxReverseSpeed, p.fMaxSteerAngle, p.fMaxIncline, p.fNearDistance,
                          p.fFarDistance})
            if (!(limit > 0.0f))
            {
                errors.push_back(StringFormat("vehicle '%s': a limit of %g", vehicle.GetNode()->m_Name.GetText(), limit));
                break;
            }
    }
    return errors;
}

// Lists the manager after the count unless it is there.
i32 List(TClusterManager** managers, i32 count, TClusterManager* manager)
{
    if (std::find(managers, managers + count, manager) == managers + count)
        managers[count++] = manager;
    return count;
}

// Builds the level and writes it to the partial files; the errors, if any.
std::vector<std::string> Build(const char* folder, TAerodromeReport& report)
{
    const std::string level = Path(folder, MORVANE_REPOSITORY, PARTIAL);
    const std::string cookedPath = Path(folder, MORVANE_COOKED_REPOSITORY, PARTIAL);
    // The cooked meshes are appended to a streamed repository of a header only.
    TRepositoryWriter cookedHeader(MORVANE_COOKED_REPOSITORY_ID, REPOSITORY_STREAMED);
    if (!cookedHeader.Write(cookedPath.c_str(), nullptr, 0, false))
        return {StringFormat("'%s' cannot be written", cookedPath.c_str())};
    TRepository cooked(MORVANE_COOKED_REPOSITORY_ID, REPOSITORY_STREAMED, TName(MORVANE_COOKED_REPOSITORY, true));
    if (!cooked.OpenStreamed(cookedPath.c_str(), true))
        return {StringFormat("'%s' cannot be opened", cookedPath.c_str())};

    TRepositoryWriter writer(MORVANE_REPOSITORY_ID, 0);
    writer.AddDependency(MORVANE_COOKED_REPOSITORY_ID);
    writer.AddDependency(SHADER_REPOSITORY_ID);
    TNode* root = g_pNodeManager->CreateNode("morvane");
    BeginLevelRenderScene(writer, root, TowerEye(), TOWER_NEAR_CLIP, TOWER_FAR_CLIP);
    auto builder = std::make_unique<TAerodromeBuilder>(writer, cooked, root, GetLevelNormalQueue());

    // Every record list's manager: room for more lists than the level has.
    TClusterManager* extra[64];
    i32 count = AddAerodromeGround(*builder, extra, 0);
    MakeAerodromeEngineSounds(*builder);
    TCurvePoolBuilder curves;
    const TServiceUnits units = AddServiceUnits(*builder, curves);
    const TAerodromeAircraft aircraft = AddAerodromeAircraft(*builder, curves);
    TAICommonUnit& followMe = AddFollowMeUnit(*builder);
    TGameParameters& parameters = AddAerodromeGates(*builder, curves, units, aircraft, followMe);
    count = AddAerodromeScenery(*builder, parameters, extra, count);
    count = AddAerodromeDamage(*builder, extra, count);
    AddTowerCamera(*builder);
    curves.Write(*builder, "CommonUnit");
    TCurvePoolBuilder traffic;
    traffic.Add(PublicRoad());
    std::vector<std::string> errors = CheckLimits(curves, traffic);
    report.nUnits = static_cast<u32>(g_pGameLogicManager->Units().GetCount());
    report.nCurves = curves.GetCurveCount();

    count = AddLevelSounds(writer, root, extra, count);
    count = AddLevelBallistics(writer, extra, count);
    count = AddLevelEffects(writer, root, extra, count);
    count = AddAerodromeEffects(*builder, extra, count);
    count = AddAerodromeVegetation(writer, root, extra, count);
    count = EndLevelRenderScene(writer, extra, count);
    TClusterManager* managers[128];
    i32 listed = TRepositoryWriter::SceneManagers(managers);
    for (TClusterManager* manager :
         {static_cast<TClusterManager*>(g_pSkeletonManager), static_cast<TClusterManager*>(g_pAnimationManager),
          static_cast<TClusterManager*>(g_pPropManager), static_cast<TClusterManager*>(g_pNxDynamicsManager),
          static_cast<TClusterManager*>(g_pNxCollisionManager), static_cast<TClusterManager*>(g_pVehicleManager)})
        managers[listed++] = manager;
    for (i32 i = 0; i < count; ++i)
        listed = List(managers, listed, extra[i]);
    listed = List(managers, listed, &TInputManager::Instance());
    listed = List(managers, listed, g_pOrbitCameraManager);
    listed = List(managers, listed, g_pGameLogicManager);
    if (errors.empty() && !writer.Write(level.c_str(), managers, listed, true))
        errors.push_back(StringFormat("'%s' cannot be written", level.c_str()));
    g_pCluster->Clear();
    builder.reset();
    return errors;
}
} // namespace

TAerodromeReport WriteAerodrome(const char* folder)
{
    TAerodromeReport report;
    g_pCluster->Clear();
    // The level's materials name the shaders the game loads with it.
    const std::string shaders = Path(folder, "shaders.data");
    if (std::filesystem::exists(shaders))
        g_pResourceManager->LoadRepository(shaders.c_str(), 0);
    report.aError = Build(folder, report);
    g_pCluster->Clear();
    g_pResourceManager->CloseRepositories(0);

    std::error_code error;
    for (const char* name : {MORVANE_COOKED_REPOSITORY, MORVANE_REPOSITORY})
    {
        const std::string partial = Path(folder, name, PARTIAL);
        if (report.aError.empty())
        {
            std::filesystem::rename(partial, Path(folder, name), error);
            if (error)
                report.aError.push_back(StringFormat("'%s' cannot be renamed: %s", partial.c_str(), error.message().c_str()));
        }
        // Nothing half written stays behind.
        std::filesystem::remove(partial, error);
        std::filesystem::remove(partial + ".uncompressed", error);
    }
    if (report.aError.empty())
    {
        report.nLevelBytes = FileSize(Path(folder, MORVANE_REPOSITORY));
        report.nCookedBytes = FileSize(Path(folder, MORVANE_COOKED_REPOSITORY));
    }
    return report;
}
