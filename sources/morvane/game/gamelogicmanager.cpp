#include "morvane/game/gamelogicmanager.h"

#include "core/cluster/cluster.h"
#include "core/system/datetime.h"
#include "core/system/log.h"
#include "engine/input/inputmanager.h"
#include "engine/render/camera.h"
#include "engine/render/device.h"
#include "engine/render/rendermanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/prop.h"
#include "engine/system/propdatapool.h"
#include "engine/system/propmanager.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/statemanager.h"
#include "igame/vehicles/vehicle.h"
#include "igame/vehicles/vehiclemanager.h"
#include "morvane/game/aicommonunit.h"
#include "morvane/game/crossroadarea.h"
#include "morvane/game/curvepool.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/gametypes.h"
#include "morvane/game/gate.h"
#include "morvane/game/orbitcameramanager.h"
#include "morvane/game/task.h"
#include "morvane/game/taskarea.h"
#include "morvane/game/trafficvehicle.h"
#include "morvane/ui/gamemenumanager.h"

#include <algorithm>
#include <climits>

TGameLogicManager* g_pGameLogicManager = nullptr;

const char* const GAME_FOLLOW_ME_UNIT = "FollowMe_plr_pData";
const char* const GAME_TOWER_CAMERA = "Tower_Orbit_Camera";
const char* const GAME_UNIT_CURVE_POOL = "CommonUnit";
const char* const GAME_TRAFFIC_CURVE_POOL = "TrafficCurve";
const char* const GAME_FOLLOW_ME_CAMERA = "FollowMe_plr_pData_OrbCam";
const char* const GAME_FOLLOW_ME_VEHICLE = "FollowMe_plr_pData_Veh";

namespace
{
TGameLogicManager s_Manager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("GameLogic", "GameLogic", &g_pGameLogicManager, &s_Manager);
const char* const kLoadError = "TGameLogicManager::OnClusterLoad(): error: ";
// The names the game looks up, kept with their texts.
const TName s_aGameName[] = {TName(GAME_FOLLOW_ME_UNIT, true), TName(GAME_TOWER_CAMERA, true),
                             TName(GAME_FOLLOW_ME_CAMERA, true), TName(GAME_FOLLOW_ME_VEHICLE, true),
                             TName(GAME_UNIT_CURVE_POOL, true), TName(GAME_TRAFFIC_CURVE_POOL, true)};
const char* const kCarInputMode[GAME_CAR_INPUT_MODES] = {"carinputmode1", "carinputmode2", "carinputmode3",
                                                         "carinputmode4", "carinputmode5", "carinputmode6"};

template <class TArray> void CutCount(TArray& array, const char* what, i32 record)
{
    if (array.GetCount() <= TArray::GetCapacity())
        return;
    TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "%s %d: %u entries cut to %u", what, record,
                array.GetCount(), TArray::GetCapacity());
    array.SetCount(TArray::GetCapacity());
}

TInputAction* Action(const char* name)
{
    return TInputManager::Instance().CreateAction(TName(name, true), 0);
}

void EnableNode(TNode* node, u32 enable)
{
    if (node)
        node->Enable(enable, 0);
}
} // namespace

TGameLogicManager::TGameLogicManager()
    : m_pManagement(nullptr), m_pAction(nullptr), m_pTowerCam(nullptr), m_apCarInputMode(),
      m_pPowerLineCurves(nullptr)
{
    nLayer = INPUT_FOCUS_NO_LAYER;
    // The game's step runs once per frame with the frame's game time.
    m_nChannel = 0;
    if (!g_pCluster)
        return;
    RegisterArray(&GameParametersDecl(), &m_aParameters);
    RegisterArray(&CurvePoolDecl(), &m_aCurvePool);
    RegisterArray(&AICommonUnitDecl(), &m_aUnit);
    RegisterArray(&TaskAreaDecl(), &m_aTaskArea);
    RegisterArray(&CrossroadAreaDecl(), &m_aCrossroad);
    RegisterArray(&GateDecl(), &m_aGate);
    RegisterArray(&TaskDecl(), &m_aTask);
    RegisterArray(&TrafficVehicleDecl(), &m_aTrafficVehicle);
    RegisterId(GAME_LOGIC_MANAGER_ID);
}

i32 TGameLogicManager::GetDataSize()
{
    return m_NameTexts.Build(m_aUnit).GetCount();
}

i32 TGameLogicManager::GetData(i32 index, void*& data, i32& size)
{
    if (index != 0)
        return 1;
    DArray<u8>& block = m_NameTexts.Build(m_aUnit);
    data = block.GetData();
    size = block.GetCount();
    return 0;
}

i32 TGameLogicManager::SetData(i32 index, const void* data, i32 size)
{
    return index == 0 ? TGameNameTexts::Register(data, size) : 1;
}

void TGameLogicManager::BeginManager()
{
    AddMethod();
    SetGameSummarySource(this);
}

void TGameLogicManager::AddMethod()
{
    g_pCluster->AddListener(this);
    g_pResourceManager->AddMethod(this);
    if (g_pDeviceManager)
        g_pDeviceManager->AddMethod(this);
    g_pStateManager->RegisterStateObject(this);
    TInputManager::Instance().RegisterInputFocus(this, GAME_LOGIC_FOCUS_LAYER);
    // The units' props tell the prop manager's listeners: a prop's own listener word is a stored
    // reference, which a state image could not save pointing here.
    if (g_pPropManager)
    {
        DArray<TPropMethods*>& listeners = g_pPropManager->Listeners();
        TPropMethods** end = listeners.GetData() + listeners.GetCount();
        if (std::find(listeners.GetData(), end, static_cast<TPropMethods*>(this)) == end)
            listeners.Add(this);
    }
}

void TGameLogicManager::RenderManager()
{
    TCamera* camera = g_pRenderManager ? g_pRenderManager->GetCurrentCamera() : nullptr;
    if (!camera)
        return;
    m_Scenery.DrawTraffic(FindCurvePool(TName(GAME_TRAFFIC_CURVE_POOL).GetId()), m_aTrafficVehicle,
                          GetParameters().pTrafficShader, *camera, g_ManagerManager.GetStepTime(m_nChannel));
    m_Scenery.DrawPowerLines(m_pPowerLineCurves, camera->m_Placement.Translation());
}

void TGameLogicManager::OnClusterLoad()
{
    CheckStoredData();
    RequireCurvePools();
    BindUnits();
    if (g_pOrbitCameraManager)
        g_pOrbitCameraManager->SelectCameraByName(TName(GAME_TOWER_CAMERA).GetId());
    CreateActions();
    m_pPowerLineCurves = g_pNodeManager->FindNode(TName("PowerLineCurves").GetId());
    // The line buffer needs a device; programs without one (tests) go on without it.
    m_Scenery.OnClusterLoad(m_pPowerLineCurves);
    if (g_pVehicleManager)
        for (i32 i = 0; i < g_pVehicleManager->Vehicles().GetCount(); ++i)
            g_pVehicleManager->Vehicles()[i]->flags &= ~VEHICLE_DRIVING;
}

void TGameLogicManager::OnClusterUnload()
{
    // The input manager replaces its actions with the next level's.
    m_pManagement = m_pAction = m_pTowerCam = nullptr;
    std::fill(std::begin(m_apCarInputMode), std::end(m_apCarInputMode), nullptr);
    m_pPowerLineCurves = nullptr;
}

void TGameLogicManager::OnRepositoryLoad(const char*)
{
    CreateActions();
}

void TGameLogicManager::OnDeviceRestore()
{
    RequireCurvePools();
}

void TGameLogicManager::UpdateFocus(f32 step)
{
    if (g_pVehicleManager)
        g_pVehicleManager->HandleInput();
    if (g_pOrbitCameraManager)
        g_pOrbitCameraManager->HandleInput(step);
}

void TGameLogicManager::OnPropActivate(TPropData* data, TProp* prop)
{
    if (TAICommonUnit* unit = FindUnit(prop))
        unit->LinkScene(data);
}

void TGameLogicManager::OnPropDeactivate(TProp* prop, TPropData*)
{
    if (TAICommonUnit* unit = FindUnit(prop))
        unit->UnlinkScene();
}

u32 TGameLogicManager::GetAILevel(u32 gateId, u32 serviceKind)
{
    const TGate* gate = FindGate(static_cast<i32>(gateId));
    const TTask* task = gate ? gate->GetServiceTask(static_cast<i32>(serviceKind)) : nullptr;
    return task ? static_cast<u32>(task->GetAILevel()) : 0;
}

TGameParameters& TGameLogicManager::GetParameters()
{
    return m_aParameters.GetCount() > 0 ? *m_aParameters[0] : m_Parameters;
}

void TGameLogicManager::AddMoney(i32 amount)
{
    i32& money = GetParameters().nMoney;
    money = static_cast<i32>(std::clamp<i64>(static_cast<i64>(money) + amount, INT_MIN, INT_MAX));
}

TGate* TGameLogicManager::FindGate(i32 id) const
{
    for (i32 i = 0; i < m_aGate.GetCount(); ++i)
        if (m_aGate[i]->m_nId == id)
            return m_aGate[i];
    return nullptr;
}

TGate* TGameLogicManager::FindGateOf(const TAICommonUnit* plane) const
{
    for (i32 i = 0; plane && i < m_aGate.GetCount(); ++i)
        if (m_aGate[i]->pPlane == plane)
            return m_aGate[i];
    return nullptr;
}

TCurvePool* TGameLogicManager::FindCurvePool(u32 nameId) const
{
    for (i32 i = 0; i < m_aCurvePool.GetCount(); ++i)
        if (m_aCurvePool[i]->m_PoolName.GetId() == nameId)
            return m_aCurvePool[i];
    return nullptr;
}

TTask* TGameLogicManager::GetFollowMeTask() const
{
    return m_aTask.GetCount() > 0 ? m_aTask[m_aTask.GetCount() - 1] : nullptr;
}

TAICommonUnit* TGameLogicManager::FindUnit(const TProp* prop) const
{
    for (i32 i = 0; prop && i < m_aUnit.GetCount(); ++i)
        if (m_aUnit[i]->pProp == prop)
            return m_aUnit[i];
    return nullptr;
}

void TGameLogicManager::SwitchToTowerCamera()
{
    if (g_pVehicleManager)
        g_pVehicleManager->SetActiveVehicleIndex(-1);
    if (g_pOrbitCameraManager)
        g_pOrbitCameraManager->SelectCameraByName(TName(GAME_TOWER_CAMERA).GetId());
    ShowLocators(0);
    GetParameters().pActiveTask = nullptr;
}

void TGameLogicManager::SwitchToFollowMe()
{
    TTask* task = GetFollowMeTask();
    if (!task)
        return;
    GetParameters().pActiveTask = task;
    // The player is about to drive it: the car is in the scene.
    if (task->pPlayerVehicle)
        task->pPlayerVehicle->ShowProp();
    if (g_pVehicleManager)
        g_pVehicleManager->SetActiveVehicleByName(TName(GAME_FOLLOW_ME_VEHICLE).GetId());
    if (g_pOrbitCameraManager)
        g_pOrbitCameraManager->SelectCameraByName(TName(GAME_FOLLOW_ME_CAMERA).GetId());
}

void TGameLogicManager::ActivateTask(TTask* task)
{
    if (!task || !task->m_nStarted || task->m_nDone)
        return;
    if (!task->m_nArrived && !task->m_nWorking && !task->m_nTakenOver)
        task->MarkTakenOver();
    TAICommonUnit* unit = task->GetUnit();
    if (!unit || !unit->pVehicle)
        return;
    TGameParameters& parameters = GetParameters();
    if (const TTaskArea* area = task->pTaskArea)
    {
        const f32 scale = 2.0f * area->fRadius;
        TMatrix place = area->Transform;
        for (u32 axis = 0; axis < 3; ++axis)
            place.aRow[axis].Scale(scale);
        const f32 y = place.aRow[3].y;
        const std::pair<TNode*, f32> locators[] = {{parameters.pTaskAreaAirLocator, GAME_AIR_LOCATOR_HEIGHT},
                                                   {parameters.pTaskAreaGroundLocator, GAME_GROUND_LOCATOR_HEIGHT}};
        for (const auto& [node, height] : locators)
        {
            if (!node)
                continue;
            place.aRow[3].y = y + height;
            node->SetWorldMatrix(place, TNode::OrdinaryCause());
            node->Enable(1, 0);
        }
    }
    parameters.pActiveTask = task;
    if (g_pVehicleManager)
    {
        if (task->m_nAI)
            g_pVehicleManager->SetActiveVehicleIndex(-1);
        else
            g_pVehicleManager->SetActiveVehicle(unit->pVehicle);
    }
    if (g_pOrbitCameraManager)
        g_pOrbitCameraManager->SelectCamera(unit->pOrbitCamera);
}

bool TGameLogicManager::IsFollowMeActive()
{
    TTask* active = GetParameters().pActiveTask;
    return active && active == GetFollowMeTask();
}

void TGameLogicManager::MarkGameStarted()
{
    TGameParameters& parameters = GetParameters();
    parameters.nGameStartTime = GetLocalFileTime();
    parameters.fGameClock = 0.0f;
    parameters.nStarted = 1;
}

bool TGameLogicManager::CheckGameCompleted()
{
    if (m_aGate.GetCount() == 0)
        return false;
    for (i32 i = 0; i < m_aGate.GetCount(); ++i)
        for (i32 kind = 0; kind < SERVICE_KIND_COUNT; ++kind)
        {
            const TTask* task = m_aGate[i]->GetServiceTask(kind);
            if (task && task->GetAILevel() < UNIT_AI_LEVEL_MAX)
                return false;
        }
    if (g_pGameMenuManager)
        g_pGameMenuManager->PushWindow("GameCompleted");
    return true;
}

void TGameLogicManager::CreateActions()
{
    m_pManagement = Action("management");
    m_pAction = Action("action");
    m_pTowerCam = Action("towercam");
    for (u32 i = 0; i < GAME_CAR_INPUT_MODES; ++i)
        m_apCarInputMode[i] = Action(kCarInputMode[i]);
}

void TGameLogicManager::CheckStoredData()
{
    for (i32 i = 0; i < m_aParameters.GetCount(); ++i)
        m_aParameters[i]->CheckStoredData();
    for (i32 i = 0; i < m_aCrossroad.GetCount(); ++i)
        CutCount(m_aCrossroad[i]->aAIUnit, "crossroad", i);
    for (i32 i = 0; i < m_aGate.GetCount(); ++i)
    {
        TGate& gate = *m_aGate[i];
        CutCount(gate.aGateTask, "gate", gate.m_nId);
        // The units' pool's counts come with its record (its block loads later); without the
        // pool no unit drives at all.
        const TCurvePool* paths = FindCurvePool(TName(GAME_UNIT_CURVE_POOL).GetId());
        for (const i32 path : {gate.m_nArrivalPath, gate.m_nTaxiPath, gate.m_nDeparturePath})
            if (paths && (path < 0 || static_cast<u32>(path) >= paths->m_nCurveCount))
            {
                TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "gate %d: path %d lies outside the %u curves of '%s'",
                            gate.m_nId, path, paths->m_nCurveCount, GAME_UNIT_CURVE_POOL);
                break;
            }
        if (gate.m_nId < GATE_ID_FIRST || gate.m_nId > GATE_ID_LAST)
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "gate %d: the id lies outside %d to %d", gate.m_nId,
                        GATE_ID_FIRST, GATE_ID_LAST);
        for (i32 j = 0; j < i; ++j)
            if (m_aGate[j]->m_nId == gate.m_nId)
            {
                TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "gate %d: the id is repeated", gate.m_nId);
                break;
            }
    }
}

void TGameLogicManager::BindUnits()
{
    for (i32 i = 0; i < m_aUnit.GetCount(); ++i)
    {
        TAICommonUnit& unit = *m_aUnit[i];
        TProp* prop = unit.pProp;
        if (!prop)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "unit %d has no prop: skipped", i);
            continue;
        }
        prop->m_nFlags |= PROP_NOTIFY;
        if (prop->pPropData)
            unit.LinkScene(prop->pPropData);
        else if (unit.m_nAircraft && prop->pPropDataPool && prop->pPropDataPool->m_nFreeCount > 0 &&
                 prop->pPropDataPool->aFree[0])
            unit.LearnKind(*prop->pPropDataPool->aFree[0]);
    }
}

void TGameLogicManager::RequireCurvePools()
{
    for (i32 i = 0; i < m_aCurvePool.GetCount(); ++i)
        m_aCurvePool[i]->Require();
}

void TGameLogicManager::ShowLocators(u32 show)
{
    const TGameParameters& parameters = GetParameters();
    EnableNode(parameters.pTaskAreaGroundLocator, show);
    EnableNode(parameters.pTaskAreaAirLocator, show);
    if (!show)
        EnableNode(parameters.pTaskAreaCargoLifterLocator, 0);
}
