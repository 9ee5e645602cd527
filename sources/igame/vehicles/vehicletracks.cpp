// The tracked vehicle's wheel update: side speeds from the axles, then per powered wheel the
// torque and brake of its side by the turning case, and the track texture's scroll.
#include "ageia/dynamicsbody.h"
#include "ageia/dynamicsgeometry.h"
#include "igame/vehicles/trackshaderparameters.h"
#include "igame/vehicles/vehicle.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr f32 TRACK_TORQUE_LIMIT = 9999.9f;
// Turning is slow below this |speed| (km/h).
constexpr f32 TURN_SLOW_SPEED = 2.0f;
// Straight: the slower side catches up by this much of the ratio of the sides.
constexpr f32 SIDE_CATCH_UP_DIFFERENCE = 0.1f;
constexpr f32 SIDE_CATCH_UP_MINIMUM = 0.01f;
constexpr f32 SIDE_CATCH_UP_TORQUE = 10.0f;
// The texture moves by the side speed times this per second.
constexpr f32 TRACK_SCROLL = 0.005f;
// The yaw damping grows the hold time by this factor, up to the maximum.
constexpr f32 HOLD_GROWTH = 1.2f;
constexpr f32 HOLD_MAXIMUM = 3.0f;
constexpr f32 YAW_MIN_STEP = 0.3f;
constexpr f32 SPOT_TURN_OUTER = 1.4f;
constexpr f32 DRIVE_TURN_OUTER = 1.5f;
constexpr f32 BACK_TURN_INNER = 2.0f;

// A scroll offset kept in [0, 1).
f32 Wrap(f32 offset)
{
    return std::isfinite(offset) ? offset - std::floor(offset) : 0.0f;
}

f32 LimitTrack(f32 value)
{
    return std::clamp(std::isfinite(value) ? value : 0.0f, -TRACK_TORQUE_LIMIT, TRACK_TORQUE_LIMIT);
}

// The lowest (a) and, in a spot turn, the highest or lowest (b) axle value of a side.
struct TSide
{
    f32 a;
    f32 b;
    bool marked;
};
} // namespace

void TVehicle::UpdateTracked(f32 dt)
{
    SettleTorques(dt, true);
    const TVehicleParameters& p = Parameters;
    // 0.5 is straight, above it left.
    const f32 s = (p.fSteerAngle / p.fMaxSteerAngle + 1.0f) * 0.5f;
    const bool spotTurn = (flags & VEHICLE_STEERING) && !(flags & (VEHICLE_DRIVING | VEHICLE_DRIVEBACK));
    const bool reverse = (flags & VEHICLE_REVERSE) != 0;
    const bool fast = std::fabs(p.fSpeed) >= TURN_SLOW_SPEED;
    TSide left{p.fMaxSpeed, 0.0f, false};
    TSide right{p.fMaxSpeed, 0.0f, false};
    for (i32 i = 0; i < wheelCount; ++i)
    {
        TDynamicsGeometry* geometry = Wheel(i);
        const u32 wheelFlags = aWheel[i].nFlags;
        if (!geometry || !(wheelFlags & (VEHICLE_WHEEL_LEFT | VEHICLE_WHEEL_RIGHT)))
            continue;
        const f32 v = geometry->GetWheelParameter(WHEEL_AXLE_SPEED);
        const bool isLeft = (wheelFlags & VEHICLE_WHEEL_LEFT) != 0;
        TSide& side = isLeft ? left : right;
        if (!spotTurn)
        {
            side.a = std::min(side.a, v);
            continue;
        }
        const bool inner = isLeft ? s <= 0.5f : s >= 0.5f;
        if (inner && !reverse)
            side.b = std::max(side.b, v);
        else if (inner || !fast)
            side.b = std::min(side.b, v);
        else
        {
            side.a = std::min(side.a, v);
            side.marked = true;
        }
    }
    leftSideSpeed = spotTurn && !left.marked ? left.b : left.a;
    rightSideSpeed = spotTurn && !right.marked ? right.b : right.a;
    for (i32 i = 0; i < wheelCount; ++i)
        if (TDynamicsGeometry* geometry = Wheel(i); geometry && (aWheel[i].nFlags & VEHICLE_WHEEL_STEERED))
            TrackWheelStep(aWheel[i], geometry, s, -leftSideSpeed, -rightSideSpeed, dt);
}

void TVehicle::TrackWheelStep(const TVehicleWheel& wheel, TDynamicsGeometry* geometry, f32 s, f32 a, f32 b,
                              f32 dt)
{
    const TVehicleParameters& p = Parameters;
    trackOffsetLeft = Wrap(trackOffsetLeft + a * dt * TRACK_SCROLL);
    trackOffsetRight = Wrap(trackOffsetRight + b * dt * TRACK_SCROLL);
    SetTrackShaderOffsets(trackOffsetLeft, trackOffsetRight);

    const u32 driving = flags & VEHICLE_DRIVING;
    const u32 steering = flags & VEHICLE_STEERING;
    const u32 driveback = flags & VEHICLE_DRIVEBACK;
    const u32 braking = flags & VEHICLE_BRAKING;
    const bool idle = !driving && !steering && !driveback;
    const bool forwards = driving && !steering;
    const bool straight = forwards || (driveback && !driving && !steering);
    const bool spotTurn = steering && !driving && !driveback;
    const bool driveTurn = driving && steering && !driveback;
    const bool backTurn = driveback && steering && !driving;
    const bool brakeTurn = steering && braking;
    const bool isLeft = (wheel.nFlags & VEHICLE_WHEEL_LEFT) != 0;
    const bool fast = std::fabs(p.fSpeed) >= TURN_SLOW_SPEED;
    const f32 drive = p.fDriveTorque;
    f32 torque = 0.0f;
    f32 brake = p.fBrakingTorque;

    if (straight || idle)
    {
        torque = idle ? 0.0f : drive;
        // The body's yaw is damped towards 0 while the tracks do not turn.
        steerHoldTime = std::min(steerHoldTime * HOLD_GROWTH, HOLD_MAXIMUM);
        if (pBody)
        {
            TVector spin = pBody->GetAngularVelocity();
            f32 step = std::fabs(dt / steerHoldTime * spin.y);
            // Also when that is no number (no hold time yet).
            if (!(step > YAW_MIN_STEP))
                step = YAW_MIN_STEP;
            spin.y = std::fabs(spin.y) <= step ? 0.0f : spin.y - std::copysign(step, spin.y);
            pBody->SetAngularVelocity(spin);
        }
        steerHoldTime -= dt;
        if (braking)
            brake = p.fHandbrakeTorque;
    }
    else if (isLeft ? s < 0.5f : s > 0.5f)
    {
        // The outer side of the turn.
        if (spotTurn)
        {
            if (braking)
                torque = 0.0f;
            else if (fast && !(flags & VEHICLE_REVERSE))
            {
                brake = 0.0f;
                torque = drive;
            }
            else if (fast)
            {
                brake = p.fBrakeTorque;
                torque = 0.0f;
            }
            else
                torque = drive * SPOT_TURN_OUTER;
        }
        if (driveTurn)
        {
            torque = drive * DRIVE_TURN_OUTER;
            brake = 0.0f;
        }
        if (backTurn)
        {
            brake = p.fBrakeTorque;
            torque = 0.0f;
        }
        if (brakeTurn)
            brake = p.fBrakeTorque;
    }
    else
    {
        // The inner side.
        if (spotTurn)
        {
            if (std::fabs(p.fSpeed) <= TURN_SLOW_SPEED)
            {
                torque = -drive * SPOT_TURN_OUTER;
                brake = 0.0f;
            }
            else if (flags & VEHICLE_REVERSE)
                torque = -drive;
            else
            {
                torque = 0.0f;
                brake = p.fBrakeTorque;
            }
        }
        if (driveTurn)
        {
            torque = 0.0f;
            brake = p.fBrakeTorque;
        }
        if (backTurn)
            torque = drive * BACK_TURN_INNER;
        if (brakeTurn)
            brake = p.fHandbrakeTorque;
    }

    if (forwards)
    {
        const f32 own = isLeft ? a : b;
        const f32 other = isLeft ? b : a;
        if (other - own > SIDE_CATCH_UP_DIFFERENCE && std::fabs(other) > SIDE_CATCH_UP_MINIMUM)
            torque += std::fabs(own / other) * SIDE_CATCH_UP_TORQUE;
    }
    if (flags & (VEHICLE_HANDBRAKE | VEHICLE_HANDBRAKE_LOCK))
        brake = p.fHandbrakeTorque;

    const f32 sideTorque = LimitTrack(wheel.fDriveFactor * torque);
    const f32 sideBrake = LimitTrack(wheel.fBrakeFactor * brake);
    (isLeft ? leftTorque : rightTorque) = sideTorque;
    (isLeft ? leftBrakeTorque : rightBrakeTorque) = sideBrake;
    SendWheel(geometry, WHEEL_MOTOR_TORQUE, sideTorque);
    SendWheel(geometry, WHEEL_BRAKE_TORQUE, sideBrake);
}
