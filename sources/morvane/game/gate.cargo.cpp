// The gate's machine for a freighter: the same nine states as for passengers, served by the
// cargo legs. The player docks a cargo loader at the door; the door opens, the loader's lift
// rises, the load slides between the hold and the loader, the lift comes down and the door
// closes, each step an animation recorded in one of the gate's four phases.
#include "ageia/dynamicsbody.h"
#include "engine/input/inputaction.h"
#include "engine/system/animation.h"
#include "engine/system/node.h"
#include "igame/vehicles/vehicle.h"
#include "morvane/game/aicommonunit.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gate.h"
#include "morvane/game/gatesteps.h"
#include "morvane/game/taskarea.h"
#include "morvane/ui/gamemenumanager.h"
#include "morvane/ui/uigamemanager.h"
#include "ux/ux.control.h"

#include <algorithm>
#include <cmath>

using namespace GateSteps;

namespace
{
constexpr f32 DEGREES_PER_RADIAN = 57.29578f;

// The front end's docking hint is the vehicle task dialog: up while the player still has to dock,
// gone once docked (it hides itself when the task is no cargo transfer any more, and under the
// menus, where it is not brought back).
void ShowDockingHint(i32 show)
{
    if (!g_pUIGameManager)
        return;
    const bool showing = g_pUIGameManager->IsShowing(UI_SCREEN_VEHICLE_TASK);
    if (show && !showing && !(g_pGameMenuManager && g_pGameMenuManager->IsOverGame()))
        g_pUIGameManager->ShowScreen(UI_SCREEN_VEHICLE_TASK);
    else if (!show && showing)
        g_pUIGameManager->GetScreen(UI_SCREEN_VEHICLE_TASK).GetForm()->Hide(0);
}

bool AtEnd(const TAnimation* animation)
{
    return !animation || animation->m_fTime >= animation->GetLength();
}

bool AtStart(const TAnimation* animation)
{
    return !animation || animation->m_fTime <= 0.0f;
}

void PlayFrom(TAnimation* animation, f32 time)
{
    if (!animation)
        return;
    animation->SetTime(time);
    animation->Play(-1, 0);
}

void PlayBackwards(TAnimation* animation)
{
    if (animation)
        animation->Play(-1, ANIMATION_PLAY_BACKWARD | ANIMATION_PLAY_RESUME);
}

TAnimation* Lift(const TAICommonUnit* loader)
{
    return loader ? loader->aAnimation[UNIT_ANIMATION_CARGO_LIFTER] : nullptr;
}

// The load's place on its loader (the hold's side is (5.5, 0, 10.45)).
TVector LoadPlace(const TAICommonUnit* loader)
{
    return loader && loader->pCargo ? loader->pCargo->GetLocalMatrix().aRow[3] : TVector(0.0f, 0.0f, 0.0f, 1.0f);
}

void PlaceLoad(TAICommonUnit* loader, f32 x, f32 z)
{
    if (!loader || !loader->pCargo)
        return;
    TMatrix local = loader->pCargo->GetLocalMatrix();
    local.aRow[3] = TVector(x, 0.0f, z, 1.0f);
    loader->pCargo->SetLocalMatrix(local, TNode::OrdinaryCause());
}

void ShowLoad(TAICommonUnit* loader, u32 show)
{
    if (loader && loader->pCargo)
        loader->pCargo->Enable(show, 0);
}

// One axis at a time, at most the step this frame; true once it is there.
bool Slide(f32& value, f32 target, f32 step)
{
    if (value < target)
        value = std::min(value + step, target);
    else
        value = std::max(value - step, target);
    return value == target;
}

// The player's loader in the hands of the lift: it neither drives nor falls. Its driving is
// switched by the unit's hold, not by its vehicle's input word: the level's vehicles keep that
// at 0 so that the AI's requests last one frame, and the same loader drives the AI's legs after.
void HoldLoader(TAICommonUnit& loader, u32 hold)
{
    loader.SetHold(hold);
    loader.SetBodyDynamic(hold ? 0 : 1);
}

bool LoaderHeld(const TAICommonUnit& loader)
{
    return loader.m_nHold != 0;
}

// Standing within the task's area: the loader has reached the storage.
bool AtArea(const TTask& task, const TAICommonUnit& loader)
{
    return task.pTaskArea && loader.pVehicle &&
           PointDistance(loader.GetPosition(), task.pTaskArea->Position) <= task.pTaskArea->fRadius &&
           std::fabs(loader.pVehicle->GetSpeed()) < TASK_ARRIVAL_SPEED;
}

void ShowNode(TNode* node, u32 show)
{
    if (node)
        node->Enable(show, 0);
}
} // namespace

TVector TGate::GetDoorPoint() const
{
    const TMatrix& plane = *pPlane->pBody->GetNode()->GetWorldMatrix();
    const TVector& x = plane.aRow[0];
    const TVector& z = plane.aRow[2];
    const TVector& at = plane.aRow[3];
    return TVector(at.x + CARGO_DOOR_FORWARD * z.x - CARGO_DOOR_SIDE * x.x,
                   at.y + CARGO_DOOR_FORWARD * z.y - CARGO_DOOR_SIDE * x.y,
                   at.z + CARGO_DOOR_FORWARD * z.z - CARGO_DOOR_SIDE * x.z, 1.0f);
}

bool TGate::IsDocked(const TAICommonUnit& loader)
{
    if (!pPlane || !pPlane->pBody || !loader.pBody)
        return false;
    const TMatrix& plane = *pPlane->pBody->GetNode()->GetWorldMatrix();
    const TMatrix& body = *loader.pBody->GetNode()->GetWorldMatrix();
    const TVector door = GetDoorPoint();
    const TVector at = loader.GetPosition();
    const f32 distance = PointDistance(at, door);
    const f32 side = (at.x - door.x) * plane.aRow[0].x + (at.z - door.z) * plane.aRow[0].z;
    m_fLoaderDoorDistance = side > 0.0f ? -distance : distance;
    const TVector& a = plane.aRow[2];
    const TVector& b = body.aRow[2];
    const f32 cosine = std::clamp(a.x * b.x + a.y * b.y + a.z * b.z, -1.0f, 1.0f);
    const f32 angle = std::acos(cosine) * DEGREES_PER_RADIAN;
    m_fLoaderDoorAngle = angle;
    const TInputAction* action = g_pGameLogicManager->GetAction();
    return distance < CARGO_DOCK_DISTANCE && angle > CARGO_DOCK_ANGLE_MIN && angle < CARGO_DOCK_ANGLE_MAX && action &&
           action->IsPressed();
}

bool TGate::IsCargoLifterFree() const
{
    const TTask* ownReturn = FindTask(gtCargoStorageToGarage);
    const TTask* ownFetch = FindTask(gtCargoGarageToStorage);
    const DArray<TGate*>& gates = g_pGameLogicManager->Gates();
    for (i32 i = 0; i < gates.GetCount(); ++i)
    {
        const TTask* trip = gates[i]->FindTask(gtCargoGarageToPlane);
        if (!Running(trip))
            continue;
        if (!(trip->m_nDone && Done(ownReturn) && (Done(ownFetch) || !Started(ownFetch))))
            return false;
    }
    return true;
}

i32 TGate::DockingHint() const
{
    const TTask* active = g_pGameLogicManager->GetParameters().pActiveTask;
    if (!active || active->pGate != this || !active->IsPlayerDeploying())
        return -1;
    if (active->m_nType == gtCargoPlaneToStorage)
        return !aCargoPhase[CARGO_PHASE_DOOR_OPEN];
    if (active->m_nType == gtCargoStorageToPlane)
        return !aCargoPhase[CARGO_PHASE_LIFT_RAISED];
    return -1;
}

void TGate::UpdateCargo(TTask* const* tasks, f32 dt)
{
    // While the player drives a load to or from the door, the door's marker shows where.
    TGameParameters& parameters = g_pGameLogicManager->GetParameters();
    const TTask* active = parameters.pActiveTask;
    if (TNode* locator = parameters.pTaskAreaCargoLifterLocator)
    {
        const bool ours = active && active->pGate == this &&
                          (active->m_nType == gtCargoPlaneToStorage || active->m_nType == gtCargoStorageToPlane);
        if (ours && pPlane->pBody)
            locator->SetWorldMatrix(*pPlane->pBody->GetNode()->GetWorldMatrix(), TNode::OrdinaryCause());
        ShowNode(locator, ours ? 1 : 0);
    }
    if (const i32 hint = DockingHint(); hint >= 0)
        ShowDockingHint(hint);
    switch (m_nState)
    {
    case gsParkAirplane:
        if (pPlane->m_nPlaneState == PLANE_PARKED)
        {
            pPlane->SetBodyDynamic(0);
            SetState(gsBeforeUnloading);
        }
        break;
    case gsBeforeUnloading:
        CargoBeforeUnloading(tasks);
        break;
    case gsUnloading:
        CargoUnloading(tasks, dt);
        break;
    case gsPlaneIdle:
        CargoPlaneIdle(tasks, dt);
        break;
    case gsLoading:
        CargoLoading(tasks, dt);
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

void TGate::CargoBeforeUnloading(TTask* const* tasks)
{
    if (Leg(tasks[gtDeployTunnel]))
        StopAIUnit(tasks[gtDeployTunnel]);
    TTask* maintenance = tasks[gtDeployMaintenance];
    Work(maintenance);
    if (Done(maintenance))
        Leg(tasks[gtMaintenanceToGarage]);
    TTask* trip = tasks[gtCargoGarageToPlane];
    StartWhen(trip, IsCargoLifterFree());
    FinishOnArrival(trip);
    if (Done(trip) && Arrived(maintenance) && Arrived(tasks[gtDeployTunnel]))
    {
        m_fUnloadingTimer = 0.0f;
        SetState(gsUnloading);
    }
}

void TGate::CargoUnloading(TTask* const* tasks, f32 dt)
{
    m_fUnloadingTimer += dt;
    if (FinishOnArrival(tasks[gtDeployTunnel]))
        StopAIUnit(tasks[gtDeployTunnel]);
    if (Running(tasks[gtDeployMaintenance]))
        Work(tasks[gtDeployMaintenance]);
    if (Done(tasks[gtDeployMaintenance]))
        Leg(tasks[gtMaintenanceToGarage]);
    i32* phase = aCargoPhase;
    TTask* unload = tasks[gtCargoPlaneToStorage];
    TAICommonUnit* loader = unload ? unload->GetUnit() : nullptr;
    if (unload && !unload->m_nStarted)
    {
        unload->Start();
        unload->m_nNoArrival = 1;
        loader = unload->GetUnit();
        PlaceLoad(loader, CARGO_HOLD_X, CARGO_HOLD_Z);
    }
    else if (unload && loader && !unload->m_nDone)
    {
        TAnimation* door = pPlane->aAnimation[UNIT_ANIMATION_CARGO_DOOR];
        TAnimation* lift = Lift(loader);
        if (unload->IsPlayerDeploying() && !phase[CARGO_PHASE_DOOR_OPEN])
        {
            if (IsDocked(*loader))
            {
                HoldLoader(*loader, 1);
                ShowNode(g_pGameLogicManager->GetParameters().pTaskAreaCargoLifterLocator, 0);
                PlayFrom(door, 0.0f);
                phase[CARGO_PHASE_DOOR_OPEN] = 1;
            }
        }
        else if (phase[CARGO_PHASE_DOOR_OPEN] && !phase[CARGO_PHASE_LIFT_RAISED])
        {
            if (AtEnd(door))
            {
                PlayFrom(lift, 0.0f);
                phase[CARGO_PHASE_LIFT_RAISED] = 1;
            }
        }
        else if (phase[CARGO_PHASE_LIFT_RAISED] && !phase[CARGO_PHASE_LOAD_ON_LOADER])
        {
            if (AtEnd(lift))
            {
                phase[CARGO_PHASE_LOAD_ON_LOADER] = 1;
                ShowLoad(loader, 1);
            }
        }
        else if (phase[CARGO_PHASE_LOAD_ON_LOADER] && !phase[CARGO_PHASE_LOAD_MOVED])
        {
            // Out of the hold: across first, then along.
            TVector load = LoadPlace(loader);
            const f32 step = CARGO_SLIDE_SPEED * dt;
            const bool there = Slide(load.x, 0.0f, step) && Slide(load.z, 0.0f, step);
            PlaceLoad(loader, load.x, load.z);
            if (there && AtEnd(lift))
            {
                PlayBackwards(lift);
                phase[CARGO_PHASE_LOAD_MOVED] = 1;
            }
        }
        else if (phase[CARGO_PHASE_LOAD_MOVED] && !unload->m_nArrived)
        {
            if (AtStart(lift) && LoaderHeld(*loader))
                HoldLoader(*loader, 0);
            if (!LoaderHeld(*loader) && AtArea(*unload, *loader))
                unload->ReachArea();
        }
        if (unload->m_nArrived)
            Work(unload);
    }
    if (Done(unload))
    {
        TTask* back = tasks[gtCargoStorageToGarage];
        if (back && !back->m_nStarted)
        {
            const TTask* trip = tasks[gtCargoGarageToPlane];
            ShowLoad(trip ? trip->GetUnit() : nullptr, 0);
        }
        Leg(back);
    }
    if (m_fUnloadingTimer > CARGO_UNLOADING_TIME && phase[CARGO_PHASE_DOOR_OPEN] &&
        phase[CARGO_PHASE_LOAD_ON_LOADER] && phase[CARGO_PHASE_LOAD_MOVED] && Done(unload) &&
        Done(tasks[gtCargoStorageToGarage]))
    {
        m_fIdleTimer = 0.0f;
        SetState(gsPlaneIdle);
    }
}

void TGate::CargoPlaneIdle(TTask* const* tasks, f32 dt)
{
    m_fIdleTimer += dt;
    if (Running(tasks[gtDeployMaintenance]))
        Work(tasks[gtDeployMaintenance]);
    if (Done(tasks[gtDeployMaintenance]))
        Leg(tasks[gtMaintenanceToGarage]);
    TTask* fuel = tasks[gtDeployFuel];
    Work(fuel);
    if (Done(fuel))
        Leg(tasks[gtFuelToGarage]);
    TTask* fetch = tasks[gtCargoGarageToStorage];
    StartWhen(fetch, IsCargoLifterFree());
    if (Running(fetch) && !fetch->m_nDone)
    {
        const bool working = fetch->IsWorking();
        Work(fetch);
        // The new load goes onto the unloader's lift as the work begins.
        if (!working && fetch->IsWorking())
        {
            const TTask* unload = tasks[gtCargoPlaneToStorage];
            TAICommonUnit* loader = unload ? unload->GetUnit() : nullptr;
            PlaceLoad(loader, 0.0f, 0.0f);
        }
        if (fetch->m_nDone)
            ShowLoad(fetch->GetUnit(), 1);
    }
    if (m_fIdleTimer > CARGO_IDLE_TIME && Arrived(fuel) && Done(tasks[gtMaintenanceToGarage]) && Done(fetch))
    {
        m_fLoadingTimer = 0.0f;
        SetState(gsLoading);
    }
}

void TGate::CargoLoading(TTask* const* tasks, f32 dt)
{
    m_fLoadingTimer += dt;
    TTask* fuel = tasks[gtDeployFuel];
    if (Running(fuel))
        Work(fuel);
    if (Done(fuel))
        Leg(tasks[gtFuelToGarage]);
    if (m_fLoadingTimer > CARGO_LOADING_TIME && Leg(tasks[gtRetreiveTunnel]))
        StopAIUnit(tasks[gtRetreiveTunnel]);
    i32* phase = aCargoPhase;
    TGameParameters& parameters = g_pGameLogicManager->GetParameters();
    TTask* load = tasks[gtCargoStorageToPlane];
    TAICommonUnit* loader = load ? load->GetUnit() : nullptr;
    if (load && !load->m_nStarted)
    {
        load->Start();
        load->m_nNoArrival = 1;
        phase[CARGO_PHASE_LIFT_RAISED] = 0;
        phase[CARGO_PHASE_LOAD_MOVED] = 0;
    }
    else if (load && loader && !load->m_nDone)
    {
        TAnimation* door = pPlane->aAnimation[UNIT_ANIMATION_CARGO_DOOR];
        TAnimation* lift = Lift(loader);
        if (!load->m_nArrived && !phase[CARGO_PHASE_LIFT_RAISED])
        {
            // Loaded at the storage, it is led to the door.
            if (AtArea(*load, *loader))
            {
                ShowNode(parameters.pTaskAreaGroundLocator, 0);
                ShowNode(parameters.pTaskAreaAirLocator, 0);
            }
            if (IsDocked(*loader))
            {
                HoldLoader(*loader, 1);
                ShowNode(parameters.pTaskAreaCargoLifterLocator, 0);
                PlayFrom(lift, 0.0f);
                phase[CARGO_PHASE_LIFT_RAISED] = 1;
            }
        }
        else if (phase[CARGO_PHASE_LIFT_RAISED] && !phase[CARGO_PHASE_LOAD_MOVED])
        {
            if (AtEnd(lift))
            {
                ShowNode(parameters.pTaskAreaGroundLocator, 0);
                ShowNode(parameters.pTaskAreaAirLocator, 0);
                // Into the hold: along first, then across.
                TVector place = LoadPlace(loader);
                const f32 step = CARGO_SLIDE_SPEED * dt;
                const bool there = Slide(place.z, CARGO_HOLD_Z, step) && Slide(place.x, CARGO_HOLD_X, step);
                PlaceLoad(loader, place.x, place.z);
                if (there)
                {
                    PlayBackwards(lift);
                    ShowLoad(loader, 0);
                    phase[CARGO_PHASE_LOAD_MOVED] = 1;
                }
            }
        }
        else if (phase[CARGO_PHASE_LOAD_MOVED])
        {
            if (AtStart(lift) && LoaderHeld(*loader))
                HoldLoader(*loader, 0);
            if (phase[CARGO_PHASE_DOOR_OPEN] && AtStart(lift))
            {
                PlayBackwards(door);
                phase[CARGO_PHASE_DOOR_OPEN] = 0;
            }
            else if (!phase[CARGO_PHASE_DOOR_OPEN] && AtStart(door))
            {
                load->ReachArea();
                load->FinishWork();
            }
        }
    }
    if (Done(load))
        Leg(tasks[gtCargoPlaneToGarage]);
    if (m_fLoadingTimer > CARGO_LOADING_TIME && Done(tasks[gtFuelToGarage]) && phase[CARGO_PHASE_LIFT_RAISED] &&
        phase[CARGO_PHASE_LOAD_MOVED] && Done(load) && Done(tasks[gtCargoPlaneToGarage]) &&
        Done(tasks[gtRetreiveTunnel]))
    {
        SetState(gsWaitForTakeoff);
        pPlane->SetPlaneState(PLANE_READY);
    }
}
