// The game's frame: the clock, the rain cycle, the arrival of aircraft, the landing, the two
// queues of wait zones, the take-off and its pay, then each gate, unit and crossroad. All of its
// state lives in the level's parameter record, so a saved game resumes the road exactly.
#include "ageia/dynamicsbody.h"
#include "core/math/random.h"
#include "core/system/log.h"
#include "engine/system/animation.h"
#include "engine/system/command/deferredvariable.h"
#include "engine/system/node.h"
#include "igame/effects/atmospherechange.h"
#include "igame/effects/atmospheremanager.h"
#include "igame/effects/effectsmanager.h"
#include "morvane/game/aicommonunit.h"
#include "morvane/game/crossroadarea.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gate.h"
#include "morvane/ui/gamemenumanager.h"
#include "morvane/ui/soundplayer.h"
#include "xaudio2/randomindex.h"

#include <algorithm>

namespace
{
TDeferredVariable s_LensFlares("effect_lensflares");
TDeferredVariable s_NextCargoPlane("next_cargo_plane");
TDeferredVariable s_LandImmediately("cheating_land_immediately");

// Arrivals come sooner by a minute each time, down to two minutes apart.
constexpr f32 ARRIVAL_SPEED_UP = 60.0f;
constexpr f32 ARRIVAL_INTERVAL_MIN = 120.0f;
// The landing animation's frame at which the wheels touch the runway.
constexpr f32 TOUCHDOWN_FRAME = 1654.0f;
// A landed aircraft put straight into zone 0 is turned to face the gates, this high.
constexpr f32 LAND_AT_ONCE_TURN = 180.0f;
constexpr f32 LAND_AT_ONCE_HEIGHT = 1.0f;
// Waiting in landing zone 0 while a gate idles costs 1 a second after this long.
constexpr f32 ZONE_0_FREE_WAIT = 1800.0f;
constexpr f32 PENALTY_PERIOD = 1.0f;
constexpr i32 PASSENGER_PAY = 45000;
constexpr i32 CARGO_PAY = 32000;
// Rain: the dry spell of 20 to 45 minutes, the rain of 4 to 8.
constexpr f32 RAIN_DRY_MINUTES = 20.0f;
constexpr f32 RAIN_DRY_MINUTES_RANDOM = 25.0f;
constexpr f32 RAIN_WET_MINUTES = 4.0f;
constexpr f32 RAIN_WET_MINUTES_RANDOM = 4.0f;
// The look moves to the rain's effect settings once it rains, and back once it stops.
constexpr f32 RAIN_EFFECTS_SECONDS = 10.0f;
constexpr f32 DRY_EFFECTS_SECONDS = 8.0f;

// A fresh draw of the shared generator in [0, 1).
f32 UnitDraw()
{
    return static_cast<f32>(static_cast<f64>(TRandom::Shared().Next()) / 4294967296.0);
}

bool IsStopped(const TAnimation* animation)
{
    return !animation || animation->m_nState == ANIMATION_STOPPED;
}

TVector ZonePosition(const TWaitZone& zone)
{
    return TVector(zone.fX, zone.fY, zone.fZ, 1.0f);
}

void Enter(TWaitZone& zone, TAICommonUnit* plane)
{
    zone.pWaitZonePlane = plane;
    zone.nEntered = plane ? 1 : 0;
}

// One aircraft of a queue at its zone: drives on while away from it, moves down a zone when
// the lower one is free, holds otherwise. True when it stands at zone 0, for the caller.
template <class TZones> bool StepQueue(TZones& zones, u32 index)
{
    TAICommonUnit* plane = zones[index].pWaitZonePlane;
    if (PointDistance(plane->GetPosition(), ZonePosition(zones[index])) >= WAIT_ZONE_RADIUS)
    {
        plane->SetHold(0);
        return false;
    }
    if (index == 0)
        return true;
    if (zones[index - 1].pWaitZonePlane)
        plane->SetHold(1);
    else
    {
        Enter(zones[index - 1], plane);
        Enter(zones[index], nullptr);
    }
    return false;
}

void PlayLandingTakeOff(TAICommonUnit& plane)
{
    if (g_pSoundPlayerManager)
        g_pSoundPlayerManager->PlayPlaneLandingTakeOff(plane.pPlaneSoundLocator);
}
} // namespace

void TGameLogicManager::UpdateManager(f32 step)
{
    TGameParameters& parameters = GetParameters();
    if (!parameters.nStarted)
    {
        if (!TakeNewGameStartedFlag())
            return;
        MarkGameStarted();
        if (g_pGameMenuManager)
            g_pGameMenuManager->PushWindow("NewGameWelcome");
    }
    s_LensFlares.SetInt(1);
    parameters.fGameClock += step;
    parameters.fArrivalTimer -= step;
    parameters.fNextRainTimer -= step;
    UpdateRain(parameters, step);
    UpdateArrival(parameters);
    UpdateLanding(parameters);
    UpdateLandingZones(parameters, step);
    UpdateTakeOffZones(parameters);
    UpdateTakeOff(parameters);
    for (i32 i = 0; i < m_aGate.GetCount(); ++i)
        m_aGate[i]->Update(step);
    for (i32 i = 0; i < m_aUnit.GetCount(); ++i)
        m_aUnit[i]->UpdateDrive(step);
    for (i32 i = 0; i < m_aCrossroad.GetCount(); ++i)
        m_aCrossroad[i]->Update(m_aUnit, step);
}

void TGameLogicManager::UpdateRain(TGameParameters& parameters, f32 dt)
{
    if (parameters.fNextRainTimer >= 0.0f)
        return;
    // The sky's rain blend; a level without one has no rain.
    TAtmosphereChange* change = g_pAtmosphereManager ? g_pAtmosphereManager->GetFirstChange() : nullptr;
    if (parameters.nRainScheduled)
    {
        if (parameters.fSavedTransition != 0.0f)
        {
            if (change)
                change->SetBlend(parameters.fSavedTransition, 1);
            parameters.fSavedTransition = 0.0f;
        }
        if (change)
            change->SetBlend(1.0f, 0);
        parameters.nRainScheduled = 0;
        parameters.nRainEffectsPending = 1;
    }
    if (!change || change->GetBlend() != 1.0f)
        return;
    if (parameters.nRainEffectsPending)
    {
        parameters.nRainEffectsPending = 0;
        if (g_pSoundPlayerManager)
            g_pSoundPlayerManager->SetRainSound(1);
        if (g_pEffectsManager)
            g_pEffectsManager->StartTransition("Effects_Rain", RAIN_EFFECTS_SECONDS);
    }
    parameters.fRainDurationTimer -= dt;
    if (parameters.fRainDurationTimer >= 0.0f)
        return;
    change->SetBlend(0.0f, 0);
    parameters.fNextRainTimer = (RAIN_DRY_MINUTES + RAIN_DRY_MINUTES_RANDOM * UnitDraw()) * 60.0f;
    parameters.fRainDurationTimer = (RAIN_WET_MINUTES + RAIN_WET_MINUTES_RANDOM * UnitDraw()) * 60.0f;
    parameters.nRainScheduled = 1;
    if (g_pSoundPlayerManager)
        g_pSoundPlayerManager->SetRainSound(0);
    if (g_pEffectsManager)
        g_pEffectsManager->StartTransition("Effects", DRY_EFFECTS_SECONDS);
}

void TGameLogicManager::UpdateArrival(TGameParameters& parameters)
{
    TLandingWaitZone& entry = parameters.aLandingZone[GAME_WAIT_ZONE_COUNT - 1];
    if ((parameters.nFlags & GAME_LANDING) || entry.nEntered || !(parameters.nFlags & GAME_LANDING_ALLOWED) ||
        parameters.fArrivalTimer >= 0.0f)
        return;
    TAICommonUnit* plane = nullptr;
    if (s_NextCargoPlane.GetValue().ToInt() == 0)
    {
        TAICommonUnit* idle[GAME_PLANE_CAPACITY];
        i32 count = 0;
        for (u32 i = 0; i < parameters.aPlane.GetCount(); ++i)
            if (parameters.aPlane[i] && parameters.aPlane[i]->m_nPlaneState == PLANE_IDLE)
                idle[count++] = parameters.aPlane[i];
        if (count == 0)
            return;
        const i32 last = count - 1;
        plane = idle[RandomIndex(TRandom::Shared(), &last)];
    }
    else
    {
        for (u32 i = 0; !plane && i < parameters.aPlane.GetCount(); ++i)
            if (parameters.aPlane[i] && parameters.aPlane[i]->m_nPlaneState == PLANE_IDLE &&
                parameters.aPlane[i]->IsCargoAircraft())
                plane = parameters.aPlane[i];
        s_NextCargoPlane.SetInt(0);
        if (!plane)
            return;
    }
    parameters.pLandingPlane = plane;
    plane->SetPlaneState(PLANE_LANDING);
    parameters.nTouchdownPending = 1;
    parameters.nFlags = (parameters.nFlags & ~GAME_TAKE_OFF_ALLOWED) | GAME_LANDING;
    PlayLandingTakeOff(*plane);
    parameters.fArrivalInterval = std::max(parameters.fArrivalInterval - ARRIVAL_SPEED_UP, ARRIVAL_INTERVAL_MIN);
    parameters.fArrivalTimer = parameters.fArrivalInterval;
    Enter(entry, plane);
}

void TGameLogicManager::UpdateLanding(TGameParameters& parameters)
{
    if (!(parameters.nFlags & GAME_LANDING))
        return;
    TAICommonUnit* plane = parameters.pLandingPlane;
    const TAnimation* landing = plane ? plane->aAnimation[UNIT_ANIMATION_LANDING] : nullptr;
    if (!IsStopped(landing))
    {
        if (parameters.nTouchdownPending && landing->m_fTime > TOUCHDOWN_FRAME)
        {
            parameters.nTouchdownPending = 0;
            if (g_pSoundPlayerManager)
                g_pSoundPlayerManager->PlayTouchdown();
        }
        return;
    }
    // A landing without its aircraft (a damaged image) only gives the runway back.
    if (plane)
    {
        plane->EndLandingAnimation();
        // Only into a free zone 0: an aircraft waiting there keeps its place and its gate
        // choice, and this one taxis down the queue behind it.
        TWaitZone& zone0 = parameters.aLandingZone[0];
        if ((s_LandImmediately.GetValue().ToInt() != 0 || parameters.nLandAtOnce) && !zone0.pWaitZonePlane)
        {
            Enter(zone0, plane);
            Enter(parameters.aLandingZone[GAME_WAIT_ZONE_COUNT - 1], nullptr);
            if (plane->pBody)
            {
                TNode* node = plane->pBody->GetNode();
                TMatrix turned = TMatrix::Multiply(TMatrix::RotationY(LAND_AT_ONCE_TURN), *node->GetWorldMatrix());
                turned.aRow[3] = TVector(zone0.fX, LAND_AT_ONCE_HEIGHT, zone0.fZ, 1.0f);
                node->SetWorldMatrix(turned, TNode::OrdinaryCause());
            }
            parameters.nLandAtOnce = 0;
        }
    }
    parameters.nFlags = (parameters.nFlags & ~GAME_LANDING) | GAME_TAKE_OFF_ALLOWED;
    if (plane)
        plane->SetPlaneState(PLANE_LANDED);
}

void TGameLogicManager::UpdateLandingZones(TGameParameters& parameters, f32 dt)
{
    for (u32 i = 0; i < parameters.aLandingZone.GetCount(); ++i)
        if (parameters.aLandingZone[i].pWaitZonePlane && StepQueue(parameters.aLandingZone, i))
            ServeLandingZone0(parameters, dt);
}

void TGameLogicManager::ServeLandingZone0(TGameParameters& parameters, f32 dt)
{
    TLandingWaitZone& zone0 = parameters.aLandingZone[0];
    TAICommonUnit* plane = zone0.pWaitZonePlane;
    if (g_pGameMenuManager)
        g_pGameMenuManager->ShowGateSelectionMenu();
    if (parameters.nWaitReset)
    {
        parameters.fZone0WaitTime = 0.0f;
        parameters.fPenaltySecond = 0.0f;
        parameters.nWaitReset = 0;
    }
    TGate* gate = parameters.nChosenGate != 0 ? FindGate(parameters.nChosenGate) : nullptr;
    // Only an idle gate takes an aircraft: a choice of another (a damaged image) is dropped.
    if (parameters.nChosenGate != 0 && (!gate || gate->m_nState != gsIdle))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TGameLogicManager::UpdateManager(): error: ",
                    "the chosen gate %d is not an idle gate: choice dropped", parameters.nChosenGate);
        parameters.nChosenGate = 0;
        gate = nullptr;
    }
    if (!gate || !(parameters.nFlags & GAME_APRON_TOKEN))
    {
        for (i32 id = GATE_ID_FIRST; id <= GATE_ID_LAST; ++id)
        {
            const TGate* idle = FindGate(id);
            if (!idle || idle->m_nState != gsIdle)
                continue;
            parameters.fZone0WaitTime += dt;
            if (parameters.fZone0WaitTime > ZONE_0_FREE_WAIT)
            {
                parameters.fPenaltySecond += dt;
                if (parameters.fPenaltySecond > PENALTY_PERIOD)
                {
                    AddMoney(-1);
                    parameters.fPenaltySecond = 0.0f;
                }
            }
            break;
        }
        plane->SetHold(1);
        return;
    }
    gate->pPlane = plane;
    gate->SetState(gsParkAirplane);
    parameters.nChosenGate = 0;
    parameters.nFlags &= ~GAME_APRON_TOKEN;
    plane->SetPlaneState(PLANE_TO_GATE);
    plane->SetPath(gate->m_nArrivalPath);
    plane->SetHold(0);
    Enter(zone0, nullptr);
    parameters.nWaitReset = 1;
}

void TGameLogicManager::UpdateTakeOffZones(TGameParameters& parameters)
{
    for (u32 i = 0; i < parameters.aTakeOffZone.GetCount(); ++i)
    {
        TTakeOffWaitZone& zone = parameters.aTakeOffZone[i];
        if (!zone.pWaitZonePlane || !StepQueue(parameters.aTakeOffZone, i))
            continue;
        TAICommonUnit* plane = zone.pWaitZonePlane;
        if (!(parameters.nFlags & GAME_TAKE_OFF_ALLOWED) || (parameters.nFlags & GAME_TAKING_OFF))
        {
            plane->SetHold(1);
            continue;
        }
        parameters.nFlags = (parameters.nFlags & ~GAME_LANDING_ALLOWED) | GAME_TAKING_OFF;
        PlayLandingTakeOff(*plane);
        parameters.pTakeOffPlane = plane;
        plane->SetHold(0);
        Enter(zone, nullptr);
    }
}

void TGameLogicManager::UpdateTakeOff(TGameParameters& parameters)
{
    TAICommonUnit* plane = parameters.pTakeOffPlane;
    if (!plane || plane->m_nPlaneState != PLANE_TAKING_OFF || !IsStopped(plane->aAnimation[UNIT_ANIMATION_TAKE_OFF]))
        return;
    AddMoney(plane->IsCargoAircraft() ? CARGO_PAY : PASSENGER_PAY);
    parameters.pTakeOffPlane = nullptr;
    plane->SetPlaneState(PLANE_IDLE);
    parameters.nFlags = (parameters.nFlags & ~GAME_TAKING_OFF) | GAME_LANDING_ALLOWED;
}
