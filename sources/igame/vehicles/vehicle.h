#pragma once
// TVehicle (stored type 116): a drivable vehicle, a node object whose body, wheels and optional
// steering joint live in the physics layer. Driver requests (drive, brake, reverse, steer,
// handbrake, lights) become per-wheel motor, brake and steering values; gears shift by
// themselves, the speed fades near the top speed, and the vehicle the player drives plays its
// engine sounds. Three kinds share the model: wheeled, wheeled with steering through a joint's
// motor, and tracked (per-side torques, a scrolling track texture).
#include "core/system/templates/sarray.h"
#include "engine/system/nodeobject.h"
#include "igame/vehicles/vehiclesound.h"

#include <cstddef>

class TClusterTypeDecl;
class TDynamicsBody;
class TDynamicsGeometry;
class TDynamicsJoint;
class TLensFlare;
class TLight;

constexpr u16 VEHICLE_TYPE_ID = 116;

constexpr u32 VEHICLE_WHEEL_CAPACITY = 16;
constexpr u32 VEHICLE_AUX_BODY_CAPACITY = 16;
constexpr u32 VEHICLE_FRONT_LIGHT_CAPACITY = 8;
constexpr u32 VEHICLE_LIGHT_CAPACITY = 4;
constexpr i32 VEHICLE_GEAR_CAPACITY = 4;

// Kinds.
constexpr i32 VEHICLE_WHEELED = 0;
constexpr i32 VEHICLE_JOINT_STEERED = 1;
constexpr i32 VEHICLE_TRACKED = 2;

// Flags; the first seven name the lines of the manager's overlay.
constexpr u32 VEHICLE_DRIVING = 0x1;
constexpr u32 VEHICLE_BRAKING = 0x2;
constexpr u32 VEHICLE_STEERING = 0x4;
constexpr u32 VEHICLE_REVERSE = 0x8;
constexpr u32 VEHICLE_DRIVEBACK = 0x10;
constexpr u32 VEHICLE_HANDBRAKE = 0x20;
constexpr u32 VEHICLE_HANDBRAKE_LOCK = 0x40;
constexpr u32 VEHICLE_LIGHTS = 0x80;
constexpr u32 VEHICLE_STEER_PASS = 0x100;
constexpr u32 VEHICLE_JOINT_FEEDBACK = 0x200;
constexpr u32 VEHICLE_STEER_LEFT_KEY = 0x400;
constexpr u32 VEHICLE_STEER_RIGHT_KEY = 0x800;

// Wheel flags.
constexpr u32 VEHICLE_WHEEL_STEERED = 0x1;
constexpr u32 VEHICLE_WHEEL_DRIVEN = 0x2;
constexpr u32 VEHICLE_WHEEL_BRAKED = 0x4;
constexpr u32 VEHICLE_WHEEL_LEFT = 0x8;
constexpr u32 VEHICLE_WHEEL_RIGHT = 0x10;

// A tracked vehicle ignores joystick steering within this much of the centre.
constexpr f32 VEHICLE_TRACK_DEAD_ZONE = 0.108f;

// Incline modes.
constexpr i32 VEHICLE_INCLINE_RULE = 0;
constexpr i32 VEHICLE_INCLINE_CURVE = 1;

struct TVehicleWheel
{
    u32 nFlags;
    f32 fSteerFactor;
    f32 fDriveFactor;
    f32 fBrakeFactor;
};

static_assert(sizeof(TVehicleWheel) == 16);

// Gear g (1 to 4): drive torque, and the speeds (km/h) below which it shifts down and above
// which it shifts up.
struct TVehicleGear
{
    f32 fTorque;
    f32 fShiftDown;
    f32 fShiftUp;
};

static_assert(sizeof(TVehicleGear) == 12);

struct TVehicleParameters
{
    TVehicleParameters();

    // 0 is the start gear.
    i32 nGear;
    // km/h.
    f32 fMaxSpeed;
    f32 fMaxReverseSpeed;
    // Degrees, and degrees per second.
    f32 fMaxSteerAngle;
    f32 fSteerSpeed;
    f32 fSteerReturnSpeed;
    f32 fReverseTorque;
    // Degrees.
    f32 fMaxIncline;
    f32 fIdleBrakeTorque;
    f32 fIdleBrakeGearFactor;
    f32 fBrakeTorque;
    f32 fBrakeGearFactor;
    f32 fRollbackBrakeTorque;
    f32 fHandbrakeTorque;
    TVehicleGear aGear[VEHICLE_GEAR_CAPACITY];
    i32 nGearCount;
    // The path follower's near and far distances.
    f32 fNearDistance;
    f32 fFarDistance;
    // State.
    f32 fDriveTorque;
    f32 fSteerAngle;
    f32 fBrakingTorque;
    f32 fSpeed;
    f32 fIncline;
    // The stored incline curve of mode 1: one flat value (the factor it gives).
    f32 fInclineCurve;
    i32 nInclineMode;
};

static_assert(sizeof(TVehicleParameters) == 144);

class TVehicle : public TNodeObject
{
public:
    TVehicle();

    // Requests, from the vehicle's own update and from AI driving; amounts 0..1, dt seconds.
    void Drive(f32 amount, f32 dt);
    void Brake(f32 amount, f32 dt);
    void Reverse(f32 amount);
    void SetHandbrake(f32 amount);
    void SteerLeft(f32 amount, f32 dt);
    void SteerRight(f32 amount, f32 dt);
    // Signed km/h.
    f32 GetSpeed() const { return Parameters.fSpeed; }
    f32 GetSpeedInclineFactor() const;
    // Falls to 0 over the last 15 % of the top speed, negative above it.
    f32 GetForwardFade() const;
    f32 GetReverseFade() const;
    // The drive torque of the current gear (gear 0: twice gear 1's).
    f32 GetGearTorque() const;

    // One frame: lights, engine sound, input, wheels, speed, gears.
    void Update(f32 dt, i32 active);
    // Samples the manager's driving actions (the player's vehicle only).
    void ReadInput();
    // Cuts stored counts beyond their arrays and replaces unusable parameters, with an error
    // line naming the vehicle's node.
    void CheckStoredData();

    u32 IsFlag(u32 flag) const { return flags & flag; }

    TDynamicsBody* pBody;
    TDynamicsBody* pSecondaryBody;
    TDynamicsJoint* pDriveJoint;
    u32 nameId;
    i32 type;
    // While 0 the vehicle neither reads input nor drives; its lights still follow the flags.
    i32 active;
    // The values last sent to the wheels.
    f32 lastSteer;
    f32 lastDrive;
    f32 lastBrake;
    TVehicleSound Sound;
    SArray<TDynamicsBody*, VEHICLE_AUX_BODY_CAPACITY, 0> aAuxBody;
    TDynamicsBody* pAuxBody1;
    TDynamicsBody* pAuxBody2;
    TDynamicsBody* pAuxBody3;
    TDynamicsBody* pAuxBody4;
    TDynamicsBody* pAuxBody5;
    TDynamicsBody* pAuxBody6;
    SArray<TDynamicsGeometry*, VEHICLE_WHEEL_CAPACITY, 0> aWheelGeometry;
    SArray<TLight*, VEHICLE_FRONT_LIGHT_CAPACITY, 0> aFrontLightNode;
    SArray<TLensFlare*, VEHICLE_FRONT_LIGHT_CAPACITY, 0> aFrontLightLensFlare;
    SArray<TLight*, VEHICLE_LIGHT_CAPACITY, 0> aStopLightNode;
    SArray<TLensFlare*, VEHICLE_LIGHT_CAPACITY, 0> aStopLightLensFlare;
    SArray<TLight*, VEHICLE_LIGHT_CAPACITY, 0> aReverseLightNode;
    SArray<TLensFlare*, VEHICLE_LIGHT_CAPACITY, 0> aReverseLightLensFlare;
    i32 wheelCount;
    TVehicleWheel aWheel[VEHICLE_WHEEL_CAPACITY];
    // The states last applied to the light groups.
    u8 frontLightsOn;
    u8 stopLightsOn;
    u8 reverseLightsOn;
    u8 aPad775;
    TVehicleParameters Parameters;
    // Multiplies the top speed of the forward fade.
    f32 speedLimitFactor;
    u32 flags;
    // Bits of flags whose input was released.
    u32 releaseFlags;
    // Joystick steering and throttle, -1..1.
    f32 steerInput;
    f32 accelInput;
    // Flags copied at the end of each update, for the overlay.
    u32 shownDriveback;
    u32 shownBraking;
    u32 shownSteering;
    u32 shownDriving;
    // Per side of a tracked vehicle.
    f32 leftTorque;
    f32 rightTorque;
    f32 leftBrakeTorque;
    f32 rightBrakeTorque;
    f32 rightSideSpeed;
    f32 leftSideSpeed;
    // Seconds since steering began (the yaw damping of tracks).
    f32 steerHoldTime;
    // Track texture scroll, 0..1.
    f32 trackOffsetLeft;
    f32 trackOffsetRight;
    // Whether released inputs clear their flags.
    i32 inputEnabled;

private:
    void UpdateLights();
    void Steer(f32 target, f32 amount, f32 dt);
    // Answers the axle value of the last driven wheel (1.0 when none is driven).
    f32 UpdateWheeled(f32 dt);
    // The brake, steering return, torque resets and clamps shared by both kinds.
    void SettleTorques(f32 dt, bool tracked);
    void UpdateTracked(f32 dt);
    void TrackWheelStep(const TVehicleWheel& wheel, TDynamicsGeometry* geometry, f32 s, f32 a, f32 b, f32 dt);
    void MeasureSpeed(f32 axle);
    // The automatic gears.
    void Shift();
    TDynamicsGeometry* Wheel(i32 i) const;
    // One wheel value, never a value that is no number.
    static void SendWheel(TDynamicsGeometry* geometry, u32 parameter, f32 value);
};

static_assert(sizeof(TVehicle) == 996);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TVehicle, pBody) == 12);
static_assert(offsetof(TVehicle, pDriveJoint) == 20);
static_assert(offsetof(TVehicle, nameId) == 24);
static_assert(offsetof(TVehicle, lastBrake) == 44);
static_assert(offsetof(TVehicle, Sound) == 48);
static_assert(offsetof(TVehicle, aAuxBody) == 200);
static_assert(offsetof(TVehicle, pAuxBody1) == 268);
static_assert(offsetof(TVehicle, aWheelGeometry) == 292);
static_assert(offsetof(TVehicle, aFrontLightNode) == 360);
static_assert(offsetof(TVehicle, aFrontLightLensFlare) == 396);
static_assert(offsetof(TVehicle, aStopLightNode) == 432);
static_assert(offsetof(TVehicle, aStopLightLensFlare) == 452);
static_assert(offsetof(TVehicle, aReverseLightNode) == 472);
static_assert(offsetof(TVehicle, aReverseLightLensFlare) == 492);
static_assert(offsetof(TVehicle, wheelCount) == 512);
static_assert(offsetof(TVehicle, aWheel) == 516);
static_assert(offsetof(TVehicle, frontLightsOn) == 772);
static_assert(offsetof(TVehicle, Parameters) == 776);
static_assert(offsetof(TVehicle, speedLimitFactor) == 920);
static_assert(offsetof(TVehicle, flags) == 924);
static_assert(offsetof(TVehicle, steerInput) == 932);
static_assert(offsetof(TVehicle, shownDriving) == 952);
static_assert(offsetof(TVehicle, leftTorque) == 956);
static_assert(offsetof(TVehicle, steerHoldTime) == 980);
static_assert(offsetof(TVehicle, inputEnabled) == 992);
#pragma GCC diagnostic pop

const TClusterTypeDecl& VehicleDecl();
