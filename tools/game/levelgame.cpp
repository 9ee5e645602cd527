#include "levelgame.h"
#include "levelrenderscene.h"
#include "levelvehicles.h"

#include "core/system/string.h"
#include "directx/render/dxcameramanager.h"
#include "engine/input/inputmanager.h"
#include "engine/render/camera.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/prop.h"
#include "engine/system/propdata.h"
#include "engine/system/propdatapool.h"
#include "engine/system/propmanager.h"
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
#include "repositorywriter.h"

#include <algorithm>
#include <deque>
#include <memory>

const char* const g_aLevelOrbitAction[LEVEL_ORBIT_ACTIONS] = {"orbitleft",   "orbitright", "orbitup",
                                                               "orbitdown",   "orbitrotate", "orbitzoomin",
                                                               "orbitzoomout"};

namespace
{
// The heading and pitch (degrees) of the level camera's line of sight (-2, -14, 45).
constexpr f32 LEVEL_TOWER_YAW = -2.5448f;
constexpr f32 LEVEL_TOWER_PITCH = 17.2655f;

TMatrix Place(f32 x, f32 y, f32 z)
{
    TMatrix m(1.0f);
    m.aRow[3] = TVector(x, y, z, 1.0f);
    return m;
}

TNode* Node(const char* name, TNode* parent, f32 x, f32 y, f32 z)
{
    TNode* node = g_pNodeManager->CreateNode(name);
    parent->AddChild(node);
    node->SetLocalMatrix(Place(x, y, z), TNode::OrdinaryCause());
    return node;
}

// Lists the manager after count unless it is there (the scene's own records bring the props).
i32 AddManager(TClusterManager** managers, i32 count, TClusterManager* manager)
{
    if (std::find(managers, managers + count, manager) == managers + count)
        managers[count++] = manager;
    return count;
}

// The game's records; they hang on the level's nodes until the writer clears the cluster.
struct TLevelGame
{
    ~TLevelGame()
    {
        for (TOrbitCamera& camera : aCamera)
            camera.pNode = nullptr;
        Prop.pNode = nullptr;
    }

    TOrbitCamera& OrbitCamera(const char* name, TNode* pivot, const char* arm, f32 pitch,
                              std::initializer_list<f32> levels)
    {
        return MakeLevelOrbitCamera(aCamera, name, pivot, arm, pitch, levels, 200.0f);
    }

    std::deque<TOrbitCamera> aCamera;
    TPropData Form;
    TPropDataPool Pool{};
    TProp Prop;
    TAICommonUnit FollowMeUnit;
    TGameParameters Parameters;
    TGate Gate;
    TTask Maintenance{};
    TTask FollowMeTask{};
    TTaskArea Area{};
};

std::unique_ptr<TLevelGame> s_pGame;
} // namespace

TOrbitCamera& MakeLevelOrbitCamera(std::deque<TOrbitCamera>& store, const char* name, TNode* pivot, const char* arm,
                                   f32 pitch, std::initializer_list<f32> levels, f32 farClip)
{
    TOrbitCamera& orbit = store.emplace_back();
    orbit.m_Name = TName(name, true);
    pivot->AddObject(&orbit);
    orbit.pNodeX = Node(arm, pivot, 0.0f, 0.0f, -levels.begin()[0]);
    TCamera* camera = g_pDxCameraManager->__CreateCamera(orbit.pNodeX);
    camera->m_fFocalLength = 35.0f;
    camera->m_fHorizontalAperture = 1.417f;
    camera->m_fVerticalAperture = 0.945f;
    camera->m_fNearClip = 0.5f;
    camera->m_fFarClip = farClip;
    orbit.pCamera = camera;
    TInputManager& input = TInputManager::Instance();
    TInputAction** actions[LEVEL_ORBIT_ACTIONS] = {&orbit.pRotateLeft, &orbit.pRotateRight, &orbit.pRotateUp,
                                                   &orbit.pRotateDown, &orbit.pRotation,    &orbit.pZoomIn,
                                                   &orbit.pZoomOut};
    for (u32 i = 0; i < LEVEL_ORBIT_ACTIONS; ++i)
        *actions[i] = input.CreateAction(TName(g_aLevelOrbitAction[i], true), 0);
    orbit.m_fPitch = pitch;
    for (f32 length : levels)
        orbit.aZoomLevel[orbit.m_nZoomLevelCount++] = TVector(0.0f, 0.0f, -length, 1.0f);
    orbit.m_fArmLength = levels.begin()[0];
    g_pOrbitCameraManager->Cameras().Add(&orbit);
    return orbit;
}

i32 AddLevelGame(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count)
{
    s_pGame = std::make_unique<TLevelGame>();
    TLevelGame& game = *s_pGame;
    TNode* cart = g_pNodeManager->FindNode(TName(LEVEL_CART).GetId());

    // The tower looks at the apron as the level's camera does: its pivot 60 in front of that
    // camera on its line of sight, the heading and pitch of that line (a positive pitch looks
    // down); right button held turns it, the wheel zooms.
    game.OrbitCamera(GAME_TOWER_CAMERA, Node("tower_pivot", level, 37.4333f, -0.0736f, -30.2501f), "tower_camera",
                     LEVEL_TOWER_PITCH, {60.0f, 90.0f, 30.0f}).m_fYaw = LEVEL_TOWER_YAW;

    // The follow-me car: the level's cart, seen as a box, its camera turning with it behind it
    // (a positive pitch looks down on the pivot).
    AddLevelBoxMesh(writer, cart, "followme_body", TVector(0.8f, 0.3f, 1.5f, 1.0f));
    TNode* pivot = Node(GAME_FOLLOW_ME_CAMERA, cart, 0.0f, 1.0f, 0.0f);
    TOrbitCamera& follow = game.OrbitCamera(GAME_FOLLOW_ME_CAMERA, pivot, "followme_camera", 15.0f,
                                            {9.0f, 14.0f, 20.0f});
    follow.m_nFlags = ORBIT_FOLLOW_PARENT_HEADING;
    DArray<TVehicle*>& vehicles = g_pVehicleManager->Vehicles();
    for (i32 i = 0; i < vehicles.GetCount(); ++i)
        if (vehicles[i]->GetNode() == cart)
            vehicles[i]->nameId = TName(GAME_FOLLOW_ME_VEHICLE, true).GetId();
    TNode* drive = Node(StringFormat("%s_Vdrive", GAME_FOLLOW_ME_UNIT), cart, 0.0f, 1.0f, 0.0f);

    // Its prop's one full form names the cart's pieces; the form has no node tree of its own.
    game.Form.m_Name.Set(GAME_FOLLOW_ME_UNIT, true);
    const TNamedNode named[] = {{TName(GAME_FOLLOW_ME_VEHICLE, true).GetId(), cart},
                                {TName(GAME_FOLLOW_ME_CAMERA, true).GetId(), pivot},
                                {drive->m_Name.GetId(), drive}};
    std::copy(std::begin(named), std::end(named), game.Form.aSubNode);
    game.Form.m_nSubNodeCount = 3;
    std::sort(game.Form.aSubNode, game.Form.aSubNode + 3,
              [](const TNamedNode& a, const TNamedNode& b) { return a.nName < b.nName; });
    game.Pool.aFree[game.Pool.m_nFreeCount++] = &game.Form;
    Node("followme_prop", level, 0.0f, 0.0f, 0.0f)->AddObject(&game.Prop);
    game.Prop.pPropDataPool = &game.Pool;
    game.Prop.m_nFlags = PROP_NO_IMPOSTER | PROP_KEEP;
    g_pPropManager->PropData().Add(&game.Form);
    g_pPropManager->Pools().Add(&game.Pool);
    g_pPropManager->Props().Add(&game.Prop);
    game.FollowMeUnit.pProp = &game.Prop;

    // Gate 1 asks the player for maintenance in front of the box; the follow-me task is last.
    game.Gate.m_nId = 1;
    game.Area.Position = TVector(0.0f, 0.0f, 12.0f, 1.0f);
    game.Area.Transform = Place(0.0f, 0.0f, 12.0f);
    game.Area.fRadius = 3.0f;
    TTask& maintenance = game.Maintenance;
    maintenance.m_nType = gtDeployMaintenance;
    maintenance.pGate = &game.Gate;
    maintenance.pTaskArea = &game.Area;
    maintenance.pPlayerVehicle = &game.FollowMeUnit;
    maintenance.m_fDeadline = 120.0f;
    maintenance.m_fBaseWorkTime = 20.0f;
    maintenance.m_fExtraWorkTime = 60.0f;
    game.Gate.aGateTask.Add(&maintenance);
    game.FollowMeTask.m_nType = gtTaxi;
    game.FollowMeTask.pPlayerVehicle = &game.FollowMeUnit;

    TGameParameters& parameters = game.Parameters;
    for (TNode** locator : {&parameters.pTaskAreaGroundLocator, &parameters.pTaskAreaAirLocator,
                            &parameters.pTaskAreaCargoLifterLocator})
    {
        *locator = Node("task_area_locator", level, 0.0f, 0.0f, 0.0f);
        (*locator)->Enable(0, 0);
    }

    TGameLogicManager& logic = *g_pGameLogicManager;
    logic.Parameters().Add(&parameters);
    logic.Units().Add(&game.FollowMeUnit);
    logic.TaskAreas().Add(&game.Area);
    logic.Gates().Add(&game.Gate);
    logic.Tasks().Add(&maintenance);
    logic.Tasks().Add(&game.FollowMeTask);

    count = AddManager(managers, count, &TInputManager::Instance());
    managers[count++] = g_pOrbitCameraManager;
    managers[count++] = g_pGameLogicManager;
    return count;
}
