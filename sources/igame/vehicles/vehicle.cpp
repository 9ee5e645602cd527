#include "igame/vehicles/vehicle.h"

#include "ageia/dynamicsbody.h"
#include "ageia/dynamicsgeometry.h"
#include "ageia/dynamicsjoint.h"
#include "core/system/timer.h"
#include "engine/render/light.h"
#include "engine/system/node.h"
#include "igame/effects/lensflare.h"
#include "igame/vehicles/vehiclemanager.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
// The fade falls over the last 15 % of the top speed.
constexpr f32 FADE_START = 0.85f;
constexpr f32 FADE_SPAN = 0.15f;
// Steering slows from half the top speed on, by at most 60 %.
constexpr f32 STEER_SLOWDOWN_START = 0.5f;
constexpr f32 STEER_SLOWDOWN_MAX = 0.6f;
// Near the incline limit the drive fades out over its last 5 %.
constexpr f32 INCLINE_STEEP = 0.95f;
constexpr f32 INCLINE_STEEP_SPAN = 0.05f;
constexpr f32 DOWNHILL_BACK_FACTOR = 1.5f;
constexpr f32 TORQUE_LIMIT = 5000.0f;
// Below this |speed| (km/h) the vehicle stands: gear 0.
constexpr f32 STANDSTILL_SPEED = 0.01f;
// Slower than this (m/s) counts as still.
constexpr f32 VELOCITY_FLOOR = 0.01f;
constexpr f32 KMH_PER_METRE_PER_SECOND = 3.6f;
constexpr f32 DEGREES_PER_RADIAN = 57.29578f;
// "movedown" reverses at this speed (km/h) or below, brakes above it.
constexpr f32 REVERSE_SPEED = 0.5f;
// An analog input counts when half of it is above this.
constexpr f32 INPUT_THRESHOLD = 0.01f;
// The joint-feedback steering: the joint's angle times -1/45.
constexpr f32 JOINT_FEEDBACK_FACTOR = -0.022222223f;

const TName g_NameTVehicle("TVehicle", true);

f32 Finite(f32 value)
{
    return std::isfinite(value) ? value : 0.0f;
}

// Moves value towards target by step without passing it.
f32 Approach(f32 value, f32 target, f32 step)
{
    if (value < target)
        return std::min(value + step, target);
    return std::max(value - step, target);
}

// An analog amount: |input| clamped to [0, 1], or 1.0 when the input is too small to count.
f32 AnalogOrFull(f32 input)
{
    const f32 size = std::fabs(input);
    return size * 0.5f > INPUT_THRESHOLD ? std::clamp(size, 0.0f, 1.0f) : 1.0f;
}

// Enables or disables every node of a light group when its state changed.
template <class TLights, class TFlares> void SwitchLights(u8& state, u32 on, TLights& lights, TFlares& flares)
{
    if (state == on)
        return;
    state = static_cast<u8>(on);
    for (u32 i = 0; i < lights.GetCount(); ++i)
        if (lights[i] && lights[i]->pNode)
            lights[i]->pNode->Enable(on, 0);
    for (u32 i = 0; i < flares.GetCount(); ++i)
        if (flares[i] && flares[i]->pNode)
            flares[i]->pNode->Enable(on, 0);
}
} // namespace

TVehicleParameters::TVehicleParameters()
    : nGear(0), fMaxSpeed(20.0f), fMaxReverseSpeed(5.0f), fMaxSteerAngle(30.0f), fSteerSpeed(30.0f),
      fSteerReturnSpeed(30.0f), fReverseTorque(25.0f), fMaxIncline(30.0f), fIdleBrakeTorque(20.0f),
      fIdleBrakeGearFactor(0.5f), fBrakeTorque(50.0f), fBrakeGearFactor(0.25f), fRollbackBrakeTorque(40.0f),
      fHandbrakeTorque(1000.0f), aGear{{35.0f, 0.0f, 30.0f},
                                       {10.0f, 0.0f, 10.0f},
                                       {10.0f, 0.0f, 10.0f},
                                       {10.0f, 0.0f, 10.0f}},
      nGearCount(1), fNearDistance(5.0f), fFarDistance(6.0f), fDriveTorque(0.0f), fSteerAngle(0.0f),
      fBrakingTorque(0.0f), fSpeed(0.0f), fIncline(0.0f), fInclineCurve(1.0f),
      nInclineMode(VEHICLE_INCLINE_RULE)
{
}

TVehicle::TVehicle()
{
    std::memset(reinterpret_cast<u8*>(this) + sizeof(TNodeObject), 0, sizeof(*this) - sizeof(TNodeObject));
    m_nClassName = g_NameTVehicle.GetId();
    active = 1;
    inputEnabled = 1;
    lastSteer = lastDrive = lastBrake = 1.0f;
    Sound = TVehicleSound();
    Parameters = TVehicleParameters();
    speedLimitFactor = 1.0f;
}

f32 TVehicle::GetSpeedInclineFactor() const
{
    const TVehicleParameters& p = Parameters;
    if (p.nInclineMode == VEHICLE_INCLINE_CURVE)
        return p.fInclineCurve >= 0.0f && p.fInclineCurve <= 1.0f ? p.fInclineCurve : 1.0f;
    // Other modes were reported when the vehicle was loaded.
    if (p.nInclineMode != VEHICLE_INCLINE_RULE)
        return 1.0f;
    const f32 r = p.fIncline / p.fMaxIncline;
    if (std::fabs(r) >= INCLINE_STEEP)
        return p.fIncline >= 0.0f ? (p.fMaxIncline - p.fIncline) / (p.fMaxIncline * INCLINE_STEEP_SPAN)
                                  : 1.0f;
    if (flags & VEHICLE_DRIVING)
        return p.fIncline >= 0.0f ? 1.0f + r : 1.0f;
    if ((flags & VEHICLE_DRIVEBACK) && p.fIncline < 0.0f)
        return DOWNHILL_BACK_FACTOR - r;
    return 1.0f;
}

f32 TVehicle::GetForwardFade() const
{
    const f32 limit = speedLimitFactor * Parameters.fMaxSpeed;
    if (Parameters.fSpeed / limit > FADE_START)
        return (limit - Parameters.fSpeed) / (limit * FADE_SPAN);
    return 1.0f;
}

f32 TVehicle::GetReverseFade() const
{
    const f32 limit = Parameters.fMaxReverseSpeed;
    if (-Parameters.fSpeed / limit > FADE_START)
        return (Parameters.fSpeed + limit) / (limit * FADE_SPAN);
    return 1.0f;
}

f32 TVehicle::GetGearTorque() const
{
    const i32 gear = Parameters.nGear;
    if (gear <= 0)
        return 2.0f * Parameters.aGear[0].fTorque;
    return Parameters.aGear[std::min(gear, VEHICLE_GEAR_CAPACITY) - 1].fTorque;
}

// Requests.

void TVehicle::Drive(f32 amount, f32)
{
    flags |= VEHICLE_DRIVING;
    const f32 factor = GetSpeedInclineFactor();
    if (flags & VEHICLE_REVERSE)
    {
        Parameters.fBrakingTorque = factor * Parameters.fRollbackBrakeTorque * amount;
        flags |= VEHICLE_BRAKING;
        return;
    }
    Parameters.fDriveTorque = factor * GetGearTorque() * GetForwardFade() * amount;
}

void TVehicle::Brake(f32 amount, f32)
{
    const i32 gear = Parameters.nGear;
    const f32 scale = gear < 2 ? 1.0f : static_cast<f32>(gear) * Parameters.fBrakeGearFactor + 1.0f;
    Parameters.fBrakingTorque = amount * scale * Parameters.fBrakeTorque;
    flags &= ~VEHICLE_REVERSE;
    flags |= VEHICLE_BRAKING;
}

void TVehicle::Reverse(f32 amount)
{
    flags |= VEHICLE_DRIVEBACK;
    Parameters.fDriveTorque =
        -(GetSpeedInclineFactor() * Parameters.fReverseTorque * GetReverseFade() * amount);
}

void TVehicle::SetHandbrake(f32 amount)
{
    if (amount > 0.0f)
        flags |= VEHICLE_HANDBRAKE;
    else
        flags &= ~VEHICLE_HANDBRAKE;
    Parameters.fBrakingTorque = Parameters.fHandbrakeTorque * amount;
}

void TVehicle::SteerLeft(f32 amount, f32 dt)
{
    Steer(Parameters.fMaxSteerAngle * amount, amount, dt);
}

void TVehicle::SteerRight(f32 amount, f32 dt)
{
    Steer(-Parameters.fMaxSteerAngle * amount, amount, dt);
}

void TVehicle::Steer(f32 target, f32 amount, f32 dt)
{
    TVehicleParameters& p = Parameters;
    // Tracks turn by their torques: steering drives them too.
    if (type == VEHICLE_TRACKED)
    {
        const f32 factor = GetSpeedInclineFactor();
        if (flags & VEHICLE_DRIVEBACK)
            p.fDriveTorque = -(p.fReverseTorque * GetReverseFade() * factor * amount);
        else
            p.fDriveTorque = GetGearTorque() * GetForwardFade() * factor * amount;
    }
    const f32 k = std::clamp(p.fSpeed / p.fMaxSpeed - STEER_SLOWDOWN_START, 0.0f, STEER_SLOWDOWN_MAX);
    p.fSteerAngle = Approach(p.fSteerAngle, target, (1.0f - k) * p.fSteerSpeed * dt);
    flags |= VEHICLE_STEERING;
}

// The frame.

void TVehicle::Update(f32 dt, i32 activeWord)
{
    UpdateLights();
    if (!activeWord)
        return;
    if (g_pVehicleManager->GetActiveVehicle() == this)
        Sound.Update(*this, static_cast<f32>(g_pTimer->GetTime()), dt);

    // An analog throttle drives by its amount; full throttle only when the key asked for it.
    const u32 keyDriving = flags & VEHICLE_DRIVING;
    if (accelInput > 0.0f && accelInput * 0.5f > INPUT_THRESHOLD)
        Drive(std::clamp(accelInput, 0.0f, 1.0f), dt);
    if (keyDriving)
        Drive(1.0f, dt);
    // An analog brake or reverse, divided by the joystick sensitivity once when it was read.
    if (accelInput < 0.0f && std::fabs(accelInput) * 0.5f > INPUT_THRESHOLD)
    {
        accelInput = std::fabs(accelInput);
        if (Parameters.fSpeed > REVERSE_SPEED)
            Brake(std::clamp(accelInput, 0.0f, 1.0f), dt);
        else
            Reverse(std::clamp(accelInput, 0.0f, 1.0f));
    }
    if (flags & VEHICLE_REVERSE)
        Reverse(AnalogOrFull(accelInput));
    if (flags & VEHICLE_BRAKING)
        Brake(AnalogOrFull(accelInput), dt);

    // Steering: keys first; a track's joystick has a dead zone.
    flags |= VEHICLE_STEER_PASS;
    const f32 deadZone = type == VEHICLE_TRACKED ? VEHICLE_TRACK_DEAD_ZONE : 0.0f;
    const u32 left = flags & VEHICLE_STEER_LEFT_KEY;
    const u32 right = flags & VEHICLE_STEER_RIGHT_KEY;
    bool steered = true;
    if (left && !right)
        SteerLeft(1.0f, dt);
    else if (steerInput < -deadZone)
    {
        steerInput += deadZone;
        SteerLeft(std::fabs(steerInput), dt);
    }
    else if (right && !left)
        SteerRight(1.0f, dt);
    else if (steerInput > deadZone)
    {
        steerInput -= deadZone;
        SteerRight(std::fabs(steerInput), dt);
    }
    else
        steered = false;
    if (steered)
    {
        flags &= ~VEHICLE_STEER_PASS;
        steerHoldTime += dt;
    }

    f32 axle = 1.0f;
    if (type == VEHICLE_TRACKED)
        UpdateTracked(dt);
    else
        axle = UpdateWheeled(dt);
    MeasureSpeed(axle);
    Shift();

    shownDriveback = flags & VEHICLE_DRIVEBACK;
    shownBraking = flags & VEHICLE_BRAKING;
    shownSteering = flags & VEHICLE_STEERING;
    shownDriving = flags & VEHICLE_DRIVING;

    if (!inputEnabled)
    {
        steerInput = accelInput = 0.0f;
        flags &= ~(VEHICLE_DRIVING | VEHICLE_BRAKING | VEHICLE_STEERING | VEHICLE_REVERSE |
                   VEHICLE_DRIVEBACK | VEHICLE_HANDBRAKE | VEHICLE_STEER_LEFT_KEY | VEHICLE_STEER_RIGHT_KEY);
        return;
    }
    for (u32 bit : {VEHICLE_DRIVING, VEHICLE_STEERING, VEHICLE_STEER_LEFT_KEY, VEHICLE_STEER_RIGHT_KEY})
        if (releaseFlags & bit)
        {
            flags &= ~bit;
            releaseFlags &= ~bit;
        }
    if (releaseFlags & VEHICLE_BRAKING)
    {
        flags &= ~(VEHICLE_BRAKING | VEHICLE_REVERSE | VEHICLE_DRIVEBACK);
        releaseFlags &= ~VEHICLE_BRAKING;
    }
}

void TVehicle::UpdateLights()
{
    SwitchLights(frontLightsOn, (flags & VEHICLE_LIGHTS) ? 1u : 0u, aFrontLightNode, aFrontLightLensFlare);
    SwitchLights(stopLightsOn, (flags & VEHICLE_BRAKING) ? 1u : 0u, aStopLightNode, aStopLightLensFlare);
    SwitchLights(reverseLightsOn, (flags & VEHICLE_REVERSE) ? 1u : 0u, aReverseLightNode,
                 aReverseLightLensFlare);
}

void TVehicle::SettleTorques(f32 dt, bool tracked)
{
    TVehicleParameters& p = Parameters;
    const u32 idleMask =
        VEHICLE_BRAKING | VEHICLE_DRIVING | VEHICLE_DRIVEBACK | (tracked ? VEHICLE_STEERING : 0u);
    if (!(flags & idleMask))
    {
        const i32 gear = p.nGear;
        const f32 scale = gear < 2 ? 1.0f : static_cast<f32>(gear) * p.fIdleBrakeGearFactor + 1.0f;
        p.fBrakingTorque = scale * p.fIdleBrakeTorque;
    }
    else if (!(flags & VEHICLE_BRAKING))
        p.fBrakingTorque = 0.0f;
    if (!(flags & VEHICLE_STEERING))
        p.fSteerAngle = Approach(p.fSteerAngle, 0.0f, p.fSteerReturnSpeed * dt);
    if (tracked ? !(flags & (VEHICLE_DRIVING | VEHICLE_STEERING | VEHICLE_DRIVEBACK))
                : !(flags & VEHICLE_DRIVING) && p.fDriveTorque > 0.0f)
        p.fDriveTorque = 0.0f;
    if (!(flags & VEHICLE_DRIVEBACK) && p.fSpeed < 0.0f && p.fDriveTorque < 0.0f)
        p.fDriveTorque = 0.0f;
    if ((flags & VEHICLE_REVERSE) && p.fSpeed >= 0.0f && !(flags & VEHICLE_DRIVEBACK))
        flags &= ~VEHICLE_REVERSE;
    if (flags & VEHICLE_HANDBRAKE)
        p.fBrakingTorque = p.fHandbrakeTorque;
    // Nothing that is no number stays in the state the wheels are sent.
    p.fDriveTorque = std::clamp(Finite(p.fDriveTorque), -TORQUE_LIMIT, TORQUE_LIMIT);
    p.fBrakingTorque = std::clamp(Finite(p.fBrakingTorque), -TORQUE_LIMIT, TORQUE_LIMIT);
    p.fSteerAngle = Finite(p.fSteerAngle);
}

TDynamicsGeometry* TVehicle::Wheel(i32 i) const
{
    return static_cast<u32>(i) < aWheelGeometry.GetCount() ? aWheelGeometry[static_cast<u32>(i)] : nullptr;
}

void TVehicle::SendWheel(TDynamicsGeometry* geometry, u32 parameter, f32 value)
{
    geometry->SetWheelParameter(parameter, Finite(value), -1.0f, -1.0f, -1.0f, -1.0f);
}

f32 TVehicle::UpdateWheeled(f32 dt)
{
    SettleTorques(dt, false);
    TVehicleParameters& p = Parameters;
    const bool steer = p.fSteerAngle != lastSteer;
    const bool drive = p.fDriveTorque != lastDrive;
    const bool brake = p.fBrakingTorque != lastBrake;
    if (type == VEHICLE_JOINT_STEERED && pDriveJoint)
    {
        const u32 feedback = VEHICLE_STEER_PASS | VEHICLE_JOINT_FEEDBACK;
        if ((flags & feedback) != feedback)
        {
            if (steer)
                pDriveJoint->SetMotor(p.fSteerAngle, -1.0f, -1);
        }
        else if (const f32 angle = Finite(pDriveJoint->GetAngle()); angle != 0.0f)
            pDriveJoint->SetMotor(angle * JOINT_FEEDBACK_FACTOR, -1.0f, -1);
    }
    f32 axle = 1.0f;
    for (i32 i = 0; i < wheelCount; ++i)
    {
        TDynamicsGeometry* geometry = Wheel(i);
        if (!geometry)
            continue;
        const TVehicleWheel& wheel = aWheel[i];
        if ((wheel.nFlags & VEHICLE_WHEEL_STEERED) && steer)
            SendWheel(geometry, WHEEL_STEER_ANGLE, wheel.fSteerFactor * p.fSteerAngle);
        if (wheel.nFlags & VEHICLE_WHEEL_DRIVEN)
        {
            if (drive)
                SendWheel(geometry, WHEEL_MOTOR_TORQUE, wheel.fDriveFactor * p.fDriveTorque);
            axle = geometry->GetWheelParameter(WHEEL_AXLE_SPEED);
        }
        if ((wheel.nFlags & VEHICLE_WHEEL_BRAKED) && brake)
            SendWheel(geometry, WHEEL_BRAKE_TORQUE, wheel.fBrakeFactor * p.fBrakingTorque);
    }
    lastSteer = p.fSteerAngle;
    lastDrive = p.fDriveTorque;
    lastBrake = p.fBrakingTorque;
    return axle;
}

void TVehicle::MeasureSpeed(f32 axle)
{
    TVehicleParameters& p = Parameters;
    if (!pBody)
    {
        p.fSpeed = p.fIncline = 0.0f;
        return;
    }
    f32 velocity = Finite(pBody->GetLinearVelocity().Length());
    if (velocity < VELOCITY_FLOOR)
        velocity = 0.0f;
    const TVector& forward = pBody->GetMatrix()->aRow[2];
    const f32 length = forward.Length();
    p.fIncline =
        length > 0.0f ? std::asin(std::clamp(forward.y / length, -1.0f, 1.0f)) * DEGREES_PER_RADIAN : 0.0f;
    p.fSpeed = velocity * KMH_PER_METRE_PER_SECOND;
    const bool backwards = type == VEHICLE_TRACKED ? (flags & VEHICLE_REVERSE) != 0 : axle < 0.0f;
    if (backwards)
        p.fSpeed = -p.fSpeed;
}

void TVehicle::Shift()
{
    TVehicleParameters& p = Parameters;
    // Tracks also shift while they only steer: a spot turn drives them.
    const bool tracked = type == VEHICLE_TRACKED;
    const u32 steering = tracked ? flags & VEHICLE_STEERING : 0u;
    if ((tracked && !(flags & (VEHICLE_DRIVING | VEHICLE_STEERING))) ||
        std::fabs(p.fSpeed) < STANDSTILL_SPEED)
    {
        p.nGear = 0;
        return;
    }
    if (p.fSpeed < 0.0f && !steering)
        return;
    const bool starts = (flags & VEHICLE_DRIVING) || (steering && !(flags & VEHICLE_DRIVEBACK));
    const i32 count = std::clamp(p.nGearCount, 1, VEHICLE_GEAR_CAPACITY);
    p.nGear = std::clamp(p.nGear, 0, count);
    const i32 start = p.nGear;
    // Each pass moves one gear; more passes than gears are never needed.
    for (i32 pass = 0; pass <= VEHICLE_GEAR_CAPACITY; ++pass)
    {
        if (p.nGear == 0)
        {
            if (!starts)
                break;
            p.nGear = 1;
        }
        const TVehicleGear& gear = p.aGear[p.nGear - 1];
        if (p.fSpeed > gear.fShiftUp)
        {
            if (++p.nGear >= count)
            {
                p.nGear = count;
                break;
            }
        }
        else if (p.fSpeed < gear.fShiftDown)
        {
            if (--p.nGear <= 1)
            {
                p.nGear = steering ? 1 : 0;
                break;
            }
        }
        else
            break;
        if (p.nGear == start)
            break;
    }
}
