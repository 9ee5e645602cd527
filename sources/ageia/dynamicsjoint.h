#pragma once
// TDynamicsJoint: a constraint between two bodies, or a body and the world, a node object on
// its own node: the node's position is the anchor and its axes give the joint's axis and
// normal. Operations that need the physics joint do nothing (or answer 0) while it is not
// built. Angles are degrees; vectors returned have w = 1.
#include "engine/system/nodekindnames.h"
#include "engine/system/nodeobject.h"

class TDynamicsBody;

constexpr u32 JOINT_TYPE_COUNT = 10;
// Joint types.
constexpr u32 JOINT_CYLINDRICAL = 0;
constexpr u32 JOINT_D6 = 1;
constexpr u32 JOINT_DISTANCE = 2;
// The fixed joint, which bodies moved by their nodes carry along.
constexpr u32 JOINT_FIXED = 3;
constexpr u32 JOINT_POINT_ON_LINE = 4;
constexpr u32 JOINT_POINT_IN_PLANE = 5;
constexpr u32 JOINT_PRISMATIC = 6;
constexpr u32 JOINT_PULLEY = 7;
constexpr u32 JOINT_REVOLUTE = 8;
constexpr u32 JOINT_SPHERICAL = 9;

// SetSpring's `which` for six-degrees-of-freedom joints: limits, then drives.
constexpr u32 JOINT_SPRING_LINEAR_LIMIT = 0;
constexpr u32 JOINT_SPRING_SWING1_LIMIT = 1;
constexpr u32 JOINT_SPRING_SWING2_LIMIT = 2;
constexpr u32 JOINT_SPRING_TWIST_HIGH = 3;
constexpr u32 JOINT_SPRING_TWIST_LOW = 4;
constexpr u32 JOINT_SPRING_DRIVE_X = 10;
constexpr u32 JOINT_SPRING_DRIVE_Y = 11;
constexpr u32 JOINT_SPRING_DRIVE_Z = 12;
constexpr u32 JOINT_SPRING_DRIVE_TWIST = 20;
constexpr u32 JOINT_SPRING_DRIVE_SWING = 21;
constexpr u32 JOINT_SPRING_DRIVE_SLERP = 22;

class TDynamicsJoint : public TNodeObject
{
public:
    virtual TDynamicsBody* GetBodyA() = 0;
    virtual TDynamicsBody* GetBodyB() = 0;
    virtual void SetBodyA(TDynamicsBody* body) = 0;
    // As SetBodyB, frame B taken against the matrix instead of body B's node.
    virtual void SetBodyBFrame(TDynamicsBody* body, const TMatrix& matrix) = 0;
    // 0 unbound, 1 simulating, 2 broken.
    virtual u32 GetState() = 0;
    virtual u32 GetType() = 0;
    virtual void SetGlobalAnchor(const TVector& anchor) = 0;
    virtual void SetGlobalAxis(const TVector& axis) = 0;
    virtual TVector GetGlobalAnchor() = 0;
    virtual TVector GetGlobalAxis() = 0;
    virtual void SetFrameA(const TMatrix& frame) = 0;
    virtual void SetFrameB(const TMatrix& frame) = 0;
    virtual void SetBreakable(f32 maxForce, f32 maxTorque) = 0;
    virtual void GetBreakable(f32& maxForce, f32& maxTorque) = 0;
    virtual u32 IsBreakable() = 0;
    virtual u32 IsBroken() = 0;
    // c of -1.0 keeps the current value.
    virtual void SetSpring(f32 a, f32 b, f32 c, u32 which) = 0;
    virtual void SetLimits(f32 low, f32 high) = 0;
    // Forward the global axis, up (0, 1, 0), at the global anchor; identity while not built.
    virtual TMatrix GetGlobalFrame() = 0;
    virtual void SetDrivePosition(const TVector& position) = 0;
    // Axis x, y, z and the angle in degrees as w.
    virtual void SetDriveOrientation(const TVector& axisAngle) = 0;
    virtual void SetDriveLinearVelocity(const TVector& velocity) = 0;
    virtual void SetDriveAngularVelocity(const TVector& velocity) = 0;
    // The fifth value is read by no joint kind.
    virtual void SetAngularLimits(f32 low, f32 high, f32 spring, f32 damping, f32 unused) = 0;
    // maxForce -1.0 and freeSpin -1 keep the current values.
    virtual void SetMotor(f32 velocity, f32 maxForce, i32 freeSpin) = 0;
    virtual f32 GetAngle() = 0;
    virtual f32 GetVelocity() = 0;
};
