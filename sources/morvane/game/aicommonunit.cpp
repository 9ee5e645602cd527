#include "morvane/game/aicommonunit.h"

#include "ageia/collisionmanager.h"
#include "ageia/dynamicsbody.h"
#include "core/math/ray.h"
#include "core/system/log.h"
#include "core/system/string.h"
#include "engine/system/animation.h"
#include "engine/system/animationmanager.h"
#include "engine/system/command/deferredvariable.h"
#include "engine/system/node.h"
#include "engine/system/prop.h"
#include "engine/system/propdata.h"
#include "engine/system/skeleton.h"
#include "igame/vehicles/vehicle.h"
#include "morvane/game/curvepool.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gate.h"
#include "morvane/game/orbitcamera.h"
#include "morvane/game/task.h"
#include "morvane/ui/soundplayer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
TDeferredVariable s_LandImmediately("cheating_land_immediately");
const TName s_NameTVehicle("TVehicle");
const TName s_NameTOrbitCamera("TOrbitCamera");
const TName s_NameDecals("Decals");
const TName s_NamePlaneSoundLocator("PlaneSoundLocator");

// The skeleton flags an aircraft's own animations drive it with.
constexpr u32 UNIT_SKELETON_ANIMATED = 0x8 | 0x2;
// The channel entries of the skeleton's instruction list: the engine-idle pose's register and
// the two animations.
constexpr u8 CHANNEL_CURRENT = 0;
constexpr u8 CHANNEL_SECOND = 1;
constexpr u8 CHANNEL_REST = 33;

constexpr f32 DEGREES_PER_RADIAN = 57.29578f;

// x and z of the vector, made unit length (zero stays zero).
TVector Flat(const TVector& v)
{
    const f32 length = std::sqrt(v.x * v.x + v.z * v.z);
    return length > 0.0f ? TVector(v.x / length, 0.0f, v.z / length, 0.0f) : TVector(0.0f, 0.0f, 0.0f, 0.0f);
}

// The angle in degrees between two unit vectors.
f32 AngleBetween(const TVector& a, const TVector& b)
{
    const f32 cosine = std::clamp(a.x * b.x + a.y * b.y + a.z * b.z, -1.0f, 1.0f);
    return std::acos(cosine) * DEGREES_PER_RADIAN;
}

// The prop data's node of the name formed from the pattern and the prop data's name.
TNode* NamedNode(const TPropData& data, const char* pattern)
{
    return data.FindNode(TName(StringFormat(pattern, data.m_Name.GetText())).GetId());
}

TAnimation* NamedAnimation(const TPropData& data, const char* pattern)
{
    return g_pAnimationManager
               ? g_pAnimationManager->FindAnimation(TName(StringFormat(pattern, data.m_Name.GetText())).GetId())
               : nullptr;
}

void Play(TAnimation* animation, f32 time)
{
    if (!animation)
        return;
    animation->SetTime(time);
    animation->Play(-1, 0);
}

void Stop(TAnimation* animation)
{
    if (animation)
        animation->Stop();
}

void Rest(TDynamicsBody* body, const TMatrix& matrix)
{
    if (!body)
        return;
    body->GetNode()->SetWorldMatrix(matrix, TNode::OrdinaryCause());
    if (body->IsDynamic())
    {
        const TVector zero(0.0f, 0.0f, 0.0f, 1.0f);
        body->SetLinearVelocity(zero);
        body->SetAngularVelocity(zero);
    }
}
} // namespace

f32 PointDistance(const TVector& a, const TVector& b)
{
    const f32 dx = a.x - b.x;
    const f32 dy = a.y - b.y;
    const f32 dz = a.z - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

TAICommonUnit::TAICommonUnit()
{
    std::memset(reinterpret_cast<u8*>(this) + sizeof(TAICommonUnitBase), 0,
                sizeof *this - sizeof(TAICommonUnitBase));
    aPrice[0] = 5000;
    aPrice[1] = 10000;
    aPrice[2] = 20000;
    m_nFirstPath = UNIT_NO_PATH;
    m_nSecondPath = UNIT_NO_PATH;
    m_fSpeedScale = 1.0f;
}

void TAICommonUnit::LinkScene(TPropData* data)
{
    if (!data)
        return;
    pVDriveNode = NamedNode(*data, "%s_Vdrive");
    TNode* vehicleNode = NamedNode(*data, "%s_Veh");
    pVehicle = vehicleNode ? static_cast<TVehicle*>(vehicleNode->FindObject(s_NameTVehicle.GetId())) : nullptr;
    pBody = pVehicle ? pVehicle->pBody : nullptr;
    // A form taken after the path was set drives at the unit's pace too (a pooled form's vehicle
    // keeps its last user's).
    if (pVehicle)
        pVehicle->speedLimitFactor = m_fSpeedScale;
    pSecBody = pVehicle ? pVehicle->pSecondaryBody : nullptr;
    TNode* cameraNode = NamedNode(*data, "%s_OrbCam");
    pOrbitCamera =
        cameraNode ? static_cast<TOrbitCamera*>(cameraNode->FindObject(s_NameTOrbitCamera.GetId())) : nullptr;

    // Exactly the decal of the unit's gate shows.
    if (TNode* decals = data->FindNode(s_NameDecals.GetId()))
    {
        decals->Enable(1, 0);
        const i32 gate = pTask ? pTask->GetGateId() : 0;
        for (i32 i = 0; i < decals->GetChildCount(); ++i)
            decals->GetChild(i)->Enable(gate == i + 1 ? 1 : 0, 0);
    }

    if (TNode* skeletonNode = NamedNode(*data, "%s_Skeleton"))
    {
        pSkeleton = static_cast<TSkeleton*>(skeletonNode->FindObject(g_NameTSkeleton.GetId()));
        const char* const names[UNIT_ANIMATION_COUNT] = {"%s_AniLanding", "%s_AniTakeOff", "%s_EngineIdle",
                                                         "%s_CargoDoor", "%s_CargoLifter"};
        for (u32 i = 0; i < UNIT_ANIMATION_COUNT; ++i)
            aAnimation[i] = NamedAnimation(*data, names[i]);
        pPlaneSoundLocator = data->FindNode(s_NamePlaneSoundLocator.GetId());
    }

    pCargo = NamedNode(*data, "%s_Cargo");
    if (pCargo)
        pCargo->Enable(0, 0);

    // The bodies' places at the first link are the ones the unit goes back to.
    if (!m_nLinked)
    {
        SaveBodyMatrices();
        m_nLinked = 1;
    }
}

void TAICommonUnit::LearnKind(const TPropData& form)
{
    aAnimation[UNIT_ANIMATION_CARGO_DOOR] = NamedAnimation(form, "%s_CargoDoor");
}

void TAICommonUnit::UnlinkScene()
{
    if (m_nLinked)
        RestoreBodies();
    pBody = pSecBody = nullptr;
    pVehicle = nullptr;
    pOrbitCamera = nullptr;
    pVDriveNode = nullptr;
    pSkeleton = nullptr;
    pCargo = nullptr;
}

void TAICommonUnit::SetPlaneState(i32 state)
{
    const i32 old = m_nPlaneState;
    // The end of the take-off gives the form back: its line still names the form it flew.
    const TName flown = pProp && pProp->pPropData ? pProp->pPropData->m_Name : TName();
    // A landing shows the aircraft first: its prop's form links the skeleton and animations.
    if (old == PLANE_IDLE && state == PLANE_LANDING)
        ShowProp();
    TAnimation* landing = aAnimation[UNIT_ANIMATION_LANDING];
    TAnimation* takeOff = aAnimation[UNIT_ANIMATION_TAKE_OFF];
    TAnimation* idle = aAnimation[UNIT_ANIMATION_ENGINE_IDLE];
    if (old == PLANE_IDLE && state == PLANE_LANDING)
    {
        SetSkeletonFlags(UNIT_SKELETON_ANIMATED, 1);
        SetBodyDynamic(1);
        if (pSkeleton)
        {
            pSkeleton->Function.aAnimation[0] = landing;
            pSkeleton->Function.aAnimation[1] = idle;
        }
        AppendChannel(CHANNEL_CURRENT);
        AppendChannel(CHANNEL_SECOND);
        i32& skip = g_pGameLogicManager->GetParameters().nSkipLandingAnimation;
        if (s_LandImmediately.GetValue().ToInt() == 0 && skip == 0)
        {
            Play(landing, 0.0f);
            if (idle)
                idle->Play(-1, 0);
        }
        else
        {
            if (landing)
                landing->SetTime(landing->GetLength() - 1.0f);
            skip = 0;
        }
    }
    else if (old == PLANE_LANDING && state == PLANE_LANDED)
    {
        ClearChannels();
        if (pSkeleton)
            pSkeleton->Function.aAnimation[0] = idle;
        AppendChannel(CHANNEL_REST);
        AppendChannel(CHANNEL_CURRENT);
        Play(idle, 0.0f);
        ::Stop(landing);
    }
    else if (old == PLANE_TO_GATE && state == PLANE_PARKED)
    {
        g_pGameLogicManager->GetParameters().nFlags |= GAME_APRON_TOKEN;
        ClearChannels();
        ::Stop(idle);
    }
    else if (old == PLANE_PARKED && state == PLANE_READY)
    {
        ClearChannels();
        if (pSkeleton)
            pSkeleton->Function.aAnimation[0] = idle;
        AppendChannel(CHANNEL_REST);
        AppendChannel(CHANNEL_CURRENT);
        Play(idle, 0.0f);
    }
    else if (old == PLANE_LEAVING && state == PLANE_TAKING_OFF)
    {
        SetBodyDynamic(0);
        RestoreBodies();
        SetSkeletonFlags(UNIT_SKELETON_ANIMATED, 1);
        ClearChannels();
        if (pSkeleton)
        {
            pSkeleton->Function.aAnimation[0] = takeOff;
            pSkeleton->Function.aAnimation[1] = idle;
        }
        AppendChannel(CHANNEL_CURRENT);
        AppendChannel(CHANNEL_SECOND);
        Play(takeOff, 0.0f);
    }
    else if (old == PLANE_TAKING_OFF && state == PLANE_IDLE)
    {
        SetBodyDynamic(1);
        SetSkeletonFlags(UNIT_SKELETON_ANIMATED, 0);
        ClearChannels();
        ::Stop(idle);
        ::Stop(takeOff);
        EnablePropNode(0);
    }
    m_nPlaneState = state;
    if (state == old)
        return;
    LogPlaneState(pProp && pProp->pPropData ? GetName() : flown.GetId() ? flown.GetPrintText() : GetName());
    if (g_pSoundPlayerManager)
        g_pSoundPlayerManager->UpdateAirplane(this);
}

void TAICommonUnit::LogPlaneState(const char* name) const
{
    const TGate* gate = g_pGameLogicManager->FindGateOf(this);
    TLog::Print(g_pSystemLog, LOG_INFO, "", "aircraft '%s': state %d, gate %d, money %d", name, m_nPlaneState,
                gate ? gate->m_nId : 0, g_pGameLogicManager->GetParameters().nMoney);
}

const char* TAICommonUnit::GetName() const
{
    // Loaded node names carry no text; the prop data's name (the game keeps its texts) does.
    if (pProp && pProp->pPropData)
        return pProp->pPropData->m_Name.GetPrintText();
    return pProp ? pProp->GetNode()->m_Name.GetPrintText() : "";
}

TVector TAICommonUnit::GetPosition() const
{
    if (pBody)
        return pBody->GetNode()->GetWorldMatrix()->aRow[3];
    if (pProp)
        return pProp->GetNode()->GetWorldMatrix()->aRow[3];
    return TVector(0.0f, 0.0f, 0.0f, 1.0f);
}

void TAICommonUnit::SetPath(i32 curve)
{
    m_nCurrentPath = curve == UNIT_NO_PATH ? m_nFirstPath : curve;
    m_fPathParameter = 0.0f;
    m_nPointIndex = 0;
    m_nDriving = 1;
    m_nEndReached = 0;
    m_fSpeedScale = !pTask                ? 1.0f
                    : m_nAILevel == 1     ? UNIT_SPEED_SCALE_LEVEL_1
                    : m_nAILevel == 2     ? UNIT_SPEED_SCALE_LEVEL_2
                                          : 1.0f;
    if (pVehicle)
        pVehicle->speedLimitFactor = m_fSpeedScale;
    ShowProp();
}

void TAICommonUnit::Stop(u32 hide)
{
    m_nDriving = 0;
    m_nEndReached = 0;
    if (hide)
        EnablePropNode(0);
}

void TAICommonUnit::UpdateDrive(f32 dt)
{
    if (!m_nDriving)
        return;
    TCurvePool* pool = g_pGameLogicManager->FindCurvePool(TName(GAME_UNIT_CURVE_POOL).GetId());
    if (!pool || pool->Require() != 0)
        return;
    // A unit whose prop has no form has nothing to drive with.
    if (!pVehicle || !pBody || !pVDriveNode)
        return;
    const TCurveRecord* curve = pool->GetCurve(m_nCurrentPath);
    if (!curve || m_nPointIndex < 0 || static_cast<u32>(m_nPointIndex) + 1 >= curve->nPointCount)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TAICommonUnit::UpdateDrive(): error: ",
                    "unit '%s': path %d, point %d lies outside the pool '%s': stopped",
                    GetName(), m_nCurrentPath, m_nPointIndex,
                    GAME_UNIT_CURVE_POOL);
        Stop(0);
        return;
    }
    f32& t = m_fPathParameter;
    TVector p0 = pool->GetPoint(*curve, static_cast<u32>(m_nPointIndex));
    TVector p1 = pool->GetPoint(*curve, static_cast<u32>(m_nPointIndex) + 1);
    if (t >= 1.0f && !m_nEndReached)
    {
        if (curve->nPointCount == static_cast<u32>(m_nPointIndex) + 2)
            m_nEndReached = 1;
        else
        {
            ++m_nPointIndex;
            t = 0.0f;
            p0 = p1;
            p1 = pool->GetPoint(*curve, static_cast<u32>(m_nPointIndex) + 1);
        }
    }
    const TVector segment(p1.x - p0.x, p1.y - p0.y, p1.z - p0.z, 0.0f);
    FrontPoint = TVector(p0.x + segment.x * t, p0.y + segment.y * t, p0.z + segment.z * t, 1.0f);

    const TMatrix& drive = *pVDriveNode->GetWorldMatrix();
    const TVector& at = drive.aRow[3];
    const TVector toFront(FrontPoint.x - at.x, FrontPoint.y - at.y, FrontPoint.z - at.z, 0.0f);
    const f32 distance = toFront.Length();
    const TVector ahead = Flat(toFront);
    const TVector forward = Flat(drive.aRow[2]);

    // Steering towards the front point.
    const TVehicleParameters& limits = pVehicle->Parameters;
    const f32 angle = AngleBetween(forward, ahead);
    // A vehicle without a steering limit steers fully.
    const f32 steer = pVehicle->type == VEHICLE_JOINT_STEERED ? std::clamp(angle / 180.0f, 0.0f, 1.0f)
                      : limits.fMaxSteerAngle > 0.0f         ? std::min(angle / limits.fMaxSteerAngle, 1.0f)
                                                              : 1.0f;
    // Aimed straight at its front point it makes no steer request: a tracked vehicle turning by
    // nothing would brake both its tracks and stand at full drive. Tracks steer by driving, so
    // a tracked service vehicle past its path's end, which is to roll to rest, makes none
    // either: turning on the spot towards an end point it stood off from, it crept away in
    // circles into whatever stood there. (An aircraft still drives to its end point.)
    const bool tracksAtEnd = pVehicle->type == VEHICLE_TRACKED && m_nEndReached && !m_nAircraft;
    if (steer > 0.0f && !tracksAtEnd && forward.z * ahead.x - forward.x * ahead.z > 0.0f)
        pVehicle->SteerLeft(steer, dt);
    else if (steer > 0.0f && !tracksAtEnd)
        pVehicle->SteerRight(steer, dt);

    m_nBlocked = !m_nHold && !m_nAircraft && IsObstacleAhead(at, forward) ? 1 : 0;
    if (m_nBlocked)
    {
        // Past the limit the unit drives on through what blocks it; the time keeps growing.
        if (m_fBlockedTime > UNIT_BLOCKED_GIVE_UP)
            m_nBlocked = 0;
        m_fBlockedTime += dt;
    }
    else
        m_fBlockedTime = 0.0f;
    if (m_nHold || m_nBlocked)
    {
        pVehicle->Brake(1.0f, dt);
        return;
    }

    const TVector along = segment.Normalized();
    // The front point's pace is per second: a long frame moves it as far as the short frames
    // it stands for, or the unit would crawl through every corner behind it.
    const f32 frontStep = UNIT_FRONT_STEP * dt / UNIT_FRONT_STEP_FRAME;
    if (distance >= limits.fFarDistance && !m_nEndReached)
    {
        pVehicle->Drive(1.0f, dt);
        // The front point fell behind the unit: it moves on.
        if (AngleBetween(ahead, along) > 90.0f)
            t = std::min(t + frontStep, 1.0f);
        return;
    }
    if (!m_nEndReached)
        t = std::min(t + frontStep, 1.0f);
    bool crawling = false;
    if (m_nAircraft && m_nEndReached)
    {
        if (AngleBetween(ahead, along) >= 90.0f)
        {
            pBody->SetLinearVelocity(TVector(0.0f, 0.0f, 0.0f, 0.0f));
            pBody->SetAngularVelocity(TVector(0.0f, 0.0f, 0.0f, 0.0f));
            if (distance < limits.fNearDistance)
                pVehicle->Brake(1.0f, dt);
        }
        else
        {
            // Still short of its end point: it crawls on, slower the nearer it is.
            crawling = true;
            if (pVehicle->GetSpeed() > (distance * 0.1f + 0.2f) * limits.fMaxSpeed)
                pVehicle->Brake(0.8f, dt);
            else
                pVehicle->Drive(1.0f, dt);
        }
    }
    else if (distance < limits.fNearDistance)
        pVehicle->Brake(1.0f, dt);
    if (m_nEndReached && !crawling && pBody->GetLinearVelocity().Length() < UNIT_STANDING_SPEED)
        Arrive();
}

bool TAICommonUnit::IsObstacleAhead(const TVector& from, const TVector& forward) const
{
    if (!g_pCollisionManager)
        return false;
    const f32 top = pVehicle->Parameters.fMaxSpeed;
    const f32 length = top > 0.0f ? std::max(pVehicle->GetSpeed() / top * UNIT_RAY_PER_SPEED, UNIT_RAY_MIN) : UNIT_RAY_MIN;
    const TVector start(from.x, from.y + 1.0f, from.z, 1.0f);
    const TVector end(start.x + forward.x * length, start.y, start.z + forward.z * length, 1.0f);
    TCollisionHit hit = {};
    hit.nFilter = UNIT_RAY_FILTER;
    return g_pCollisionManager->RayCast(TRay(start, end), hit, 0) != 0;
}

void TAICommonUnit::Arrive()
{
    m_nDriving = 0;
    m_nEndReached = 0;
    if (m_nAircraft)
    {
        if (m_nPlaneState == PLANE_TO_GATE)
            SetPlaneState(PLANE_PARKED);
        else if (m_nPlaneState == PLANE_LEAVING)
            SetPlaneState(PLANE_TAKING_OFF);
        return;
    }
    if (!pTask)
    {
        // Nowhere to be: it vanishes.
        EnablePropNode(0);
        return;
    }
    // An area the task's own update reached already is not paid twice.
    if (!pTask->m_nArrived)
        pTask->ReachArea();
    Stop(pTask->m_nHideOnArrival ? 1 : 0);
}

void TAICommonUnit::EndLandingAnimation()
{
    SetSkeletonFlags(UNIT_SKELETON_ANIMATED, 0);
    SetPath(UNIT_NO_PATH);
    SaveBodyMatrices();
}

void TAICommonUnit::SaveBodyMatrices()
{
    if (pBody)
        aSavedMatrix[0] = *pBody->GetNode()->GetWorldMatrix();
    if (pSecBody)
        aSavedMatrix[1] = *pSecBody->GetNode()->GetWorldMatrix();
}

void TAICommonUnit::RestoreBodies()
{
    Rest(pBody, aSavedMatrix[0]);
    Rest(pSecBody, aSavedMatrix[1]);
}

void TAICommonUnit::ShowProp()
{
    EnablePropNode(1);
    if (pProp && !pProp->pPropData)
        pProp->Update(1);
}

void TAICommonUnit::ClearChannels()
{
    if (pSkeleton)
        pSkeleton->Function.nInstructionCount = 0;
}

void TAICommonUnit::AppendChannel(u8 parameter)
{
    if (!pSkeleton)
        return;
    TBlendProgram& program = pSkeleton->Function;
    // The list holds eight entries; a stored count beyond is the skeleton's own to cut.
    if (program.nInstructionCount >= BLEND_PROGRAM_SIZE)
        return;
    TBlendInstruction& entry = program.aInstruction[program.nInstructionCount++];
    entry.nOperation = BLEND_COPY;
    entry.nDestination = 0;
    entry.nOperandA = parameter;
    entry.nOperandB = BLEND_OPERAND_NONE;
}

void TAICommonUnit::SetSkeletonFlags(u32 bits, u32 set)
{
    if (!pSkeleton)
        return;
    if (set)
        pSkeleton->m_nFlags |= bits;
    else
        pSkeleton->m_nFlags &= ~bits;
}

void TAICommonUnit::SetBodyDynamic(u32 dynamic)
{
    if (pBody)
        pBody->SetDynamic(dynamic);
}

void TAICommonUnit::EnablePropNode(u32 enable)
{
    if (pProp)
        pProp->GetNode()->Enable(enable, 0);
}
