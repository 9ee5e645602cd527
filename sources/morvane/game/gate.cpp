#include "morvane/game/gate.h"

#include "ageia/dynamicsbody.h"
#include "core/math/random.h"
#include "core/system/log.h"
#include "engine/system/node.h"
#include "engine/system/prop.h"
#include "igame/vehicles/vehicle.h"
#include "morvane/game/aicommonunit.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gatesteps.h"
#include "morvane/game/task.h"

#include <algorithm>
#include <cstring>
#include <iterator>

using namespace GateSteps;

namespace
{
// The service whose second leg is bought with it.
i32 PairedTask(i32 type)
{
    switch (type)
    {
    case gtDeployLuggage:
        return gtLuggageToGate;
    case gtDeployBus:
        return gtBusToGate;
    default:
        return -1;
    }
}

void RaiseLevel(TTask* task)
{
    if (task && task->pAIUnit && task->pAIUnit->m_nAILevel < UNIT_AI_LEVEL_MAX)
        ++task->pAIUnit->m_nAILevel;
}

f32 UnitDraw()
{
    return static_cast<f32>(static_cast<f64>(TRandom::Shared().Next()) / 4294967296.0);
}

TVector Point(const TGamePoint& point)
{
    return TVector(point.x, point.y, point.z, 1.0f);
}

void SetBrake(TAICommonUnit& plane, f32 amount)
{
    if (plane.pVehicle)
        plane.pVehicle->SetHandbrake(amount);
}
} // namespace

TGate::TGate()
{
    std::memset(static_cast<void*>(this), 0, sizeof *this);
    m_nBusFlag = GATE_FLAG_NOT_DRAWN;
    m_nSecondFlag = GATE_FLAG_NOT_DRAWN;
}

void TGate::Update(f32 dt)
{
    for (u32 i = 0; i < aGateTask.GetCount(); ++i)
        if (aGateTask[i])
            aGateTask[i]->Update(dt);
    // A gate whose aircraft went missing (a damaged image) has nothing to serve.
    if (m_nState != gsIdle && !pPlane)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TGate::Update(): error: ", "gate %d has no aircraft in state %d: idle",
                    m_nId, m_nState);
        SetState(gsIdle);
        return;
    }
    TTask* tasks[TASK_TYPE_COUNT];
    for (i32 type = 0; type < TASK_TYPE_COUNT; ++type)
        tasks[type] = FindTask(type);
    if (pPlane && pPlane->IsCargoAircraft())
    {
        UpdateCargo(tasks, dt);
        return;
    }
    switch (m_nState)
    {
    case gsParkAirplane:
        ParkAirplane();
        break;
    case gsBeforeUnloading:
        BeforeUnloading(tasks);
        break;
    case gsUnloading:
        Unloading(tasks, dt);
        break;
    case gsPlaneIdle:
        PlaneIdle(tasks, dt);
        break;
    case gsLoading:
        Loading(tasks, dt);
        break;
    case gsWaitForTakeoff:
        WaitForTakeoff(tasks);
        break;
    case gsProceedingToTakeoff:
        ProceedingToTakeoff(tasks);
        break;
    case gsTakeOff:
        TakeOff();
        break;
    default:
        break;
    }
}

void TGate::SetState(i32 state)
{
    m_nState = state;
    TGameName name;
    GetGateStateName(state, name);
    TLog::Print(g_pSystemLog, LOG_INFO, "", "gate %d: %s, aircraft '%s', money %d", m_nId, name.GetText(),
                pPlane ? pPlane->GetName() : "", g_pGameLogicManager->GetParameters().nMoney);
}

void TGate::ParkAirplane()
{
    // Drawn once per aircraft, the bus first.
    if (m_nBusFlag == GATE_FLAG_NOT_DRAWN)
        m_nBusFlag = UnitDraw() > GATE_BUS_CHANCE ? 1 : 0;
    if (m_nSecondFlag == GATE_FLAG_NOT_DRAWN)
        m_nSecondFlag = UnitDraw() < GATE_SECOND_CHANCE ? 1 : 0;
    if (pPlane->m_nPlaneState != PLANE_PARKED)
        return;
    pPlane->SetBodyDynamic(0);
    SetState(gsBeforeUnloading);
}

void TGate::ServeChains(TTask* const* tasks, bool startHeads)
{
    TTask* maintenance = tasks[gtDeployMaintenance];
    if (startHeads || Running(maintenance))
        Work(maintenance);
    if (maintenance && maintenance->IsArrived() && m_nSecondFlag == 1)
        StartWhen(tasks[gtDeployExtCleaning], true);
    if (Done(maintenance))
    {
        Leg(tasks[gtMaintenanceToGarage]);
        StartWhen(tasks[gtDeployRepairs], true);
    }
    for (const i32 type : {gtDeployRepairs, gtDeployExtCleaning})
        WorkThenReturn(tasks[type], tasks[type + 1]);
    TTask* luggage = tasks[gtDeployLuggage];
    if (startHeads || Running(luggage))
        Work(luggage);
    if (Done(luggage))
        Work(tasks[gtLuggageToTerminal]);
    if (Done(luggage) && Done(tasks[gtLuggageToTerminal]))
        Work(tasks[gtLuggageToGate]);
    if (Done(luggage) && Done(tasks[gtLuggageToTerminal]) && Done(tasks[gtLuggageToGate]))
        Leg(tasks[gtLuggageToGarage]);
}

void TGate::BeforeUnloading(TTask* const* tasks)
{
    if (Leg(tasks[gtDeployTunnel]))
        StopAIUnit(tasks[gtDeployTunnel]);
    const bool bus = m_nBusFlag == 1;
    if (bus)
    {
        if (Leg(tasks[gtDeployStairs]))
            SetUnitWorking(tasks[gtDeployStairs], 1);
        if (Arrived(tasks[gtDeployStairs]))
            Work(tasks[gtDeployBus]);
    }
    ServeChains(tasks, true);
    if (Arrived(tasks[gtDeployMaintenance]) && Arrived(tasks[gtDeployTunnel]) && Arrived(tasks[gtDeployLuggage]) &&
        (!bus || (Arrived(tasks[gtDeployStairs]) && Arrived(tasks[gtDeployBus]))))
    {
        m_fUnloadingTimer = 0.0f;
        SetState(gsUnloading);
    }
}

void TGate::Unloading(TTask* const* tasks, f32 dt)
{
    m_fUnloadingTimer += dt;
    TTask* cleaning = tasks[gtDeployIntCleaning];
    StartWhen(cleaning, m_fUnloadingTimer > GATE_INTERIOR_CLEANING_AFTER);
    WorkThenReturn(cleaning, tasks[gtIntCleaningToGarage]);
    if (FinishOnArrival(tasks[gtDeployTunnel]))
        StopAIUnit(tasks[gtDeployTunnel]);
    const bool bus = m_nBusFlag == 1;
    if (bus)
    {
        if (FinishOnArrival(tasks[gtDeployStairs]))
            SetUnitWorking(tasks[gtDeployStairs], 1);
        if (Arrived(tasks[gtDeployStairs]))
            Work(tasks[gtDeployBus]);
        TTask* toTerminal = tasks[gtBusToTerminal];
        if (Done(tasks[gtDeployBus]))
        {
            StartWhen(toTerminal, m_fUnloadingTimer > GATE_BUS_TO_TERMINAL_AFTER);
            FinishOnArrival(toTerminal);
        }
    }
    ServeChains(tasks, false);
    if (m_fUnloadingTimer > GATE_STAGE_TIME && Started(cleaning) && Arrived(tasks[gtDeployRepairs]) &&
        (!bus || Started(tasks[gtBusToTerminal])))
    {
        m_fIdleTimer = 0.0f;
        SetState(gsPlaneIdle);
    }
}

void TGate::PlaneIdle(TTask* const* tasks, f32 dt)
{
    m_fIdleTimer += dt;
    TTask* cleaning = tasks[gtDeployIntCleaning];
    WorkThenReturn(cleaning, tasks[gtIntCleaningToGarage]);
    const bool bus = m_nBusFlag == 1;
    if (bus)
        FinishOnArrival(tasks[gtBusToTerminal]);
    ServeChains(tasks, false);
    TTask* fuel = tasks[gtDeployFuel];
    Work(fuel);
    if (Done(fuel))
        Leg(tasks[gtFuelToGarage]);
    TTask* catering = tasks[gtDeployCatering];
    StartWhen(catering, m_fIdleTimer > GATE_CATERING_AFTER);
    WorkThenReturn(catering, tasks[gtCateringToGarage]);
    if (m_fIdleTimer > GATE_STAGE_TIME && Arrived(catering) && Arrived(fuel) && Done(tasks[gtMaintenanceToGarage]) &&
        Done(tasks[gtRepairsToGarage]) && Done(tasks[gtLuggageToTerminal]) &&
        (!Running(tasks[gtDeployExtCleaning]) || Done(tasks[gtExtCleaningToGarage])) &&
        (!bus || Done(tasks[gtBusToTerminal])))
    {
        m_fLoadingTimer = 0.0f;
        SetState(gsLoading);
    }
}

void TGate::Loading(TTask* const* tasks, f32 dt)
{
    m_fLoadingTimer += dt;
    TTask* cleaning = tasks[gtDeployIntCleaning];
    WorkThenReturn(cleaning, tasks[gtIntCleaningToGarage]);
    const bool bus = m_nBusFlag == 1;
    if (bus)
    {
        TTask* stairs = tasks[gtStairsToGarage];
        if (m_fLoadingTimer > GATE_STAGE_TIME && stairs && !stairs->m_nStarted && Arrived(tasks[gtBusToGarage]))
        {
            stairs->Start();
            SetUnitWorking(tasks[gtDeployStairs], 0);
        }
        FinishOnArrival(stairs);
        if (m_fLoadingTimer > GATE_BUS_TO_GATE_AFTER)
        {
            Work(tasks[gtBusToGate]);
            if (Done(tasks[gtBusToGate]))
                Leg(tasks[gtBusToGarage]);
        }
    }
    Work(tasks[gtLuggageToGate]);
    if (Done(tasks[gtLuggageToGate]))
        Leg(tasks[gtLuggageToGarage]);
    for (const i32 type : {gtDeployFuel, gtDeployCatering})
        WorkThenReturn(tasks[type], tasks[type + 1]);
    if (m_fLoadingTimer > GATE_STAGE_TIME && Leg(tasks[gtRetreiveTunnel]))
        StopAIUnit(tasks[gtRetreiveTunnel]);
    if (m_fLoadingTimer > GATE_STAGE_TIME && Done(tasks[gtIntCleaningToGarage]) &&
        Done(tasks[gtLuggageToGarage]) && Done(tasks[gtFuelToGarage]) && Done(tasks[gtCateringToGarage]) &&
        Done(tasks[gtRetreiveTunnel]) && (!bus || (Done(tasks[gtStairsToGarage]) && Done(tasks[gtBusToGarage]))))
    {
        SetState(gsWaitForTakeoff);
        pPlane->SetPlaneState(PLANE_READY);
    }
}

void TGate::WaitForTakeoff(TTask* const* tasks)
{
    TGameParameters& parameters = g_pGameLogicManager->GetParameters();
    TTask* deployTaxi = tasks[gtDeployTaxi];
    const bool playerLeads = deployTaxi && deployTaxi->GetAILevel() == 0;
    if (playerLeads)
    {
        Leg(deployTaxi);
        if (!deployTaxi->IsArrived())
            return;
    }
    // One aircraft taxis on the apron at a time, and none while a gate choice is pending.
    if (!(parameters.nFlags & GAME_APRON_TOKEN) || parameters.nChosenGate != 0)
        return;
    parameters.nFlags &= ~GAME_APRON_TOKEN;
    SetState(gsProceedingToTakeoff);
    pPlane->SetPlaneState(PLANE_TAXIING);
    pPlane->SetBodyDynamic(1);
    // Led or not, the aircraft follows the taxi path; a led one keeps behind its car.
    pPlane->SetPath(m_nTaxiPath);
    if (playerLeads)
    {
        FinishOnArrival(deployTaxi);
        StartWhen(tasks[gtTaxi], true);
    }
}

void TGate::ProceedingToTakeoff(TTask* const* tasks)
{
    const TGameParameters& parameters = g_pGameLogicManager->GetParameters();
    TTask* taxi = tasks[gtTaxi];
    const TVector at = pPlane->GetPosition();
    if (taxi && taxi->m_nStarted && !taxi->m_nArrived)
    {
        const TAICommonUnit* car = taxi->pPlayerVehicle;
        const bool behind = car && PointDistance(car->GetPosition(), at) > GATE_FOLLOW_DISTANCE;
        SetBrake(*pPlane, behind ? 1.0f : 0.0f);
    }
    const TVector end = Point(parameters.TaxiEnd);
    if (PointDistance(at, end) >= GATE_TAXI_END_DISTANCE)
        return;
    SetBrake(*pPlane, 1.0f);
    bool clear = true;
    DArray<TAICommonUnit*>& units = g_pGameLogicManager->Units();
    for (i32 i = 0; clear && i < units.GetCount(); ++i)
    {
        const TAICommonUnit& unit = *units[i];
        if (unit.pBody && !unit.IsBusy() && unit.pProp && unit.pProp->GetNode()->IsEnabled() &&
            PointDistance(unit.GetPosition(), end) < GATE_CLEAR_DISTANCE)
            clear = false;
    }
    if (Running(taxi))
    {
        if (!taxi->m_nArrived)
        {
            taxi->ReachArea();
            taxi->FinishWork();
            StartWhen(tasks[gtTaxiToGarage], true);
        }
        Leg(tasks[gtTaxiToGarage]);
        if (!Done(tasks[gtTaxiToGarage]))
            return;
    }
    TTakeOffWaitZone& entry = g_pGameLogicManager->GetParameters().aTakeOffZone[GAME_WAIT_ZONE_COUNT - 1];
    if (!clear || entry.nEntered)
        return;
    pPlane->SetPath(m_nDeparturePath);
    pPlane->SetPlaneState(PLANE_TO_RUNWAY);
    SetState(gsTakeOff);
    SetBrake(*pPlane, 0.0f);
}

void TGate::TakeOff()
{
    TGameParameters& parameters = g_pGameLogicManager->GetParameters();
    if (pPlane->m_nPlaneState != PLANE_TO_RUNWAY ||
        PointDistance(pPlane->GetPosition(), Point(parameters.TakeOffQueueEntry)) >= GATE_CLEAR_DISTANCE)
        return;
    parameters.nFlags |= GAME_APRON_TOKEN;
    TTakeOffWaitZone& entry = parameters.aTakeOffZone[GAME_WAIT_ZONE_COUNT - 1];
    entry.pWaitZonePlane = pPlane;
    entry.nEntered = 1;
    pPlane->SetPlaneState(PLANE_LEAVING);
    ClearForNextAircraft();
    SetState(gsIdle);
    pPlane = nullptr;
}

void TGate::ClearForNextAircraft()
{
    for (u32 i = 0; i < aGateTask.GetCount(); ++i)
        if (TTask* task = aGateTask[i])
            task->m_nStarted = task->m_nTakenOver = task->m_nArrived = task->m_nWorking = task->m_nDone =
                task->m_nCountdownStarted = 0;
    m_nBusFlag = GATE_FLAG_NOT_DRAWN;
    m_nSecondFlag = GATE_FLAG_NOT_DRAWN;
    // The next freighter's unloading needs every phase clear.
    std::fill(std::begin(aCargoPhase), std::end(aCargoPhase), 0);
}

TTask* TGate::FindTask(i32 type) const
{
    for (u32 i = 0; i < aGateTask.GetCount(); ++i)
        if (aGateTask[i] && aGateTask[i]->m_nType == type)
            return aGateTask[i];
    return nullptr;
}

TTask* TGate::GetServiceTask(i32 kind) const
{
    const i32 type = GetServiceTaskType(kind);
    return type < 0 ? nullptr : FindTask(type);
}

void TGate::LevelUpService(i32 type)
{
    TTask* task = FindTask(type);
    // The top level is not sold again.
    if (task && task->pAIUnit && task->GetAILevel() < UNIT_AI_LEVEL_MAX)
    {
        RaiseLevel(task);
        RaiseLevel(FindTask(PairedTask(type)));
        g_pGameLogicManager->AddMoney(-task->GetCurrentLevelPrice());
    }
    g_pGameLogicManager->CheckGameCompleted();
}
