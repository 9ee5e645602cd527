#pragma once
// Joint descriptors. Like shape descriptors they are plain records kept inside the engine's
// stored joints (408 bytes at most): the first word names the kind. A joint's frame in each
// actor is its local anchor with the axes (local axis, local normal, axis x normal); the axis is
// the joint's primary axis (the revolute's hinge, the prismatic's slide, the D6's twist).
#include <cfloat>
#include "platform/physics/nxquat.h"
#include "platform/physics/nxshapedesc.h"

class NxActor;

enum NxJointType {
    NX_JOINT_PRISMATIC = 0,
    NX_JOINT_REVOLUTE,
    NX_JOINT_CYLINDRICAL,
    NX_JOINT_SPHERICAL,
    NX_JOINT_POINT_ON_LINE,
    NX_JOINT_POINT_IN_PLANE,
    NX_JOINT_DISTANCE,
    NX_JOINT_PULLEY,
    NX_JOINT_FIXED,
    NX_JOINT_D6,
    NX_JOINT_COUNT,
};

enum NxJointState { NX_JS_UNBOUND = 0, NX_JS_SIMULATING = 1, NX_JS_BROKEN = 2 };
enum NxJointFlag { NX_JF_COLLISION_ENABLED = 1 << 0, NX_JF_VISUALIZATION = 1 << 1 };

struct NxJointDesc
{
    NxJointType type;
    NxActor* actor[2] = {nullptr, nullptr}; // actor[1] null: the world
    NxVec3 localNormal[2] = {NxVec3(1, 0, 0), NxVec3(1, 0, 0)};
    NxVec3 localAxis[2] = {NxVec3(0, 0, 1), NxVec3(0, 0, 1)};
    NxVec3 localAnchor[2];
    NxReal maxForce = FLT_MAX;  // breaking force; at the limit the joint breaks
    NxReal maxTorque = FLT_MAX; // breaking torque
    const char* name = nullptr;
    void* userData = nullptr;
    NxU32 jointFlags = NX_JF_VISUALIZATION;

    explicit NxJointDesc(NxJointType kind) : type(kind) {}
};
static_assert(sizeof(NxJointDesc) == 104);

struct NxJointLimitDesc
{
    NxReal value = 0;
    NxReal restitution = 0;
    NxReal hardness = 1;
};

struct NxJointLimitPairDesc
{
    NxJointLimitDesc low, high;
};

struct NxMotorDesc
{
    NxReal velTarget = FLT_MAX;
    NxReal maxForce = 0;
    NxU32 freeSpin = 0; // carried only
};

enum NxRevoluteJointFlag { NX_RJF_LIMIT_ENABLED = 1 << 0, NX_RJF_MOTOR_ENABLED = 1 << 1, NX_RJF_SPRING_ENABLED = 1 << 2 };

struct NxRevoluteJointDesc : NxJointDesc
{
    NxJointLimitPairDesc limit; // radians
    NxMotorDesc motor;
    NxSpringDesc spring;
    NxReal projectionDistance = 1;
    NxReal projectionAngle = 0.0872f;
    NxU32 flags = 0;
    NxU32 projectionMode = 0;
    NxRevoluteJointDesc() : NxJointDesc(NX_JOINT_REVOLUTE) {}
};

enum NxSphericalJointFlag {
    NX_SJF_TWIST_LIMIT_ENABLED = 1 << 0,
    NX_SJF_SWING_LIMIT_ENABLED = 1 << 1,
    NX_SJF_TWIST_SPRING_ENABLED = 1 << 2,
    NX_SJF_SWING_SPRING_ENABLED = 1 << 3,
    NX_SJF_JOINT_SPRING_ENABLED = 1 << 4,
};

struct NxSphericalJointDesc : NxJointDesc
{
    NxVec3 swingAxis = NxVec3(0, 0, 1);
    NxReal projectionDistance = 1;
    NxJointLimitPairDesc twistLimit;
    NxJointLimitDesc swingLimit;
    NxSpringDesc twistSpring;
    NxSpringDesc swingSpring;
    NxSpringDesc jointSpring; // pulls the bodies' anchors together
    NxU32 flags = 0;
    NxU32 projectionMode = 0;
    NxSphericalJointDesc() : NxJointDesc(NX_JOINT_SPHERICAL) {}
};

enum NxDistanceJointFlag { NX_DJF_MAX_DISTANCE_ENABLED = 1 << 0, NX_DJF_MIN_DISTANCE_ENABLED = 1 << 1,
                           NX_DJF_SPRING_ENABLED = 1 << 2 };

struct NxDistanceJointDesc : NxJointDesc
{
    NxReal maxDistance = 0;
    NxReal minDistance = 0;
    NxSpringDesc spring; // towards the target distance
    NxU32 flags = 0;
    NxDistanceJointDesc() : NxJointDesc(NX_JOINT_DISTANCE) {}
};

struct NxFixedJointDesc : NxJointDesc
{
    NxFixedJointDesc() : NxJointDesc(NX_JOINT_FIXED) {}
};

struct NxPrismaticJointDesc : NxJointDesc
{
    NxPrismaticJointDesc() : NxJointDesc(NX_JOINT_PRISMATIC) {}
};

struct NxCylindricalJointDesc : NxJointDesc
{
    NxCylindricalJointDesc() : NxJointDesc(NX_JOINT_CYLINDRICAL) {}
};

struct NxPointOnLineJointDesc : NxJointDesc
{
    NxPointOnLineJointDesc() : NxJointDesc(NX_JOINT_POINT_ON_LINE) {}
};

struct NxPointInPlaneJointDesc : NxJointDesc
{
    NxPointInPlaneJointDesc() : NxJointDesc(NX_JOINT_POINT_IN_PLANE) {}
};

enum NxPulleyJointFlag { NX_PJF_IS_RIGID = 1 << 0, NX_PJF_MOTOR_ENABLED = 1 << 1 };

// Anchors hang from two pulley points (world) on a rope of the distance; the stiffness and the
// motor are carried only.
struct NxPulleyJointDesc : NxJointDesc
{
    NxVec3 pulley[2];
    NxReal distance = 0;
    NxReal stiffness = 1;
    NxReal ratio = 1;
    NxU32 flags = 0;
    NxMotorDesc motor;
    NxPulleyJointDesc() : NxJointDesc(NX_JOINT_PULLEY) {}
};

enum NxD6JointMotion { NX_D6JOINT_MOTION_LOCKED = 0, NX_D6JOINT_MOTION_LIMITED, NX_D6JOINT_MOTION_FREE };
enum NxD6JointDriveType { NX_D6JOINT_DRIVE_POSITION = 1 << 0, NX_D6JOINT_DRIVE_VELOCITY = 1 << 1 };
enum NxD6JointFlag { NX_D6JOINT_SLERP_DRIVE = 1 << 0, NX_D6JOINT_GEAR_ENABLED = 1 << 1 };

struct NxJointLimitSoftDesc
{
    NxReal value = 0;
    NxReal restitution = 0;
    NxReal spring = 0;
    NxReal damping = 0;
};

struct NxJointLimitSoftPairDesc
{
    NxJointLimitSoftDesc low, high;
};

struct NxJointDriveDesc
{
    NxU32 driveType = 0;
    NxReal spring = 0;
    NxReal damping = 0;
    NxReal forceLimit = FLT_MAX;
};

// Twist is about the joint's axis (X of its frame), swing 1 about the normal (Y), swing 2
// about Z. The drive's angular velocity is in the joint frame: x twist, y swing 1, z swing 2.
struct NxD6JointDesc : NxJointDesc
{
    NxU32 xMotion = NX_D6JOINT_MOTION_FREE, yMotion = NX_D6JOINT_MOTION_FREE, zMotion = NX_D6JOINT_MOTION_FREE;
    NxU32 swing1Motion = NX_D6JOINT_MOTION_FREE, swing2Motion = NX_D6JOINT_MOTION_FREE,
          twistMotion = NX_D6JOINT_MOTION_FREE;
    NxJointLimitSoftDesc linearLimit;
    NxJointLimitSoftDesc swing1Limit;
    NxJointLimitSoftDesc swing2Limit;
    NxJointLimitSoftPairDesc twistLimit;
    NxJointDriveDesc xDrive, yDrive, zDrive;
    NxJointDriveDesc swingDrive, twistDrive, slerpDrive;
    NxVec3 drivePosition;
    NxQuat driveOrientation;
    NxVec3 driveLinearVelocity;
    NxVec3 driveAngularVelocity;
    NxU32 projectionMode = 0;
    NxReal projectionDistance = 0.1f;
    NxReal projectionAngle = 0.0872f;
    NxReal gearRatio = 1;
    NxU32 flags = 0;
    NxD6JointDesc() : NxJointDesc(NX_JOINT_D6) {}
};

constexpr std::size_t kLargestJointDesc = 408;
static_assert(sizeof(NxRevoluteJointDesc) <= kLargestJointDesc && sizeof(NxSphericalJointDesc) <= kLargestJointDesc);
static_assert(sizeof(NxDistanceJointDesc) <= kLargestJointDesc && sizeof(NxPulleyJointDesc) <= kLargestJointDesc);
static_assert(sizeof(NxD6JointDesc) <= kLargestJointDesc);

// Fill a descriptor's local anchors, or axes and normals, from a world anchor or axis and the
// actors' current poses.
void NxJointDesc_SetGlobalAnchor(NxJointDesc& desc, const NxVec3& anchor);
void NxJointDesc_SetGlobalAxis(NxJointDesc& desc, const NxVec3& axis);
