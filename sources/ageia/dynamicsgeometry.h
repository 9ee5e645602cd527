#pragma once
// TDynamicsGeometry: one collision shape of a rigid body, a node object on its own node.
#include "engine/system/nodeobject.h"

class TDynamicsBody;

// Geometry types.
constexpr u32 GEOMETRY_BOX = 0;
constexpr u32 GEOMETRY_CAPSULE = 1;
constexpr u32 GEOMETRY_CONVEX = 2;
constexpr u32 GEOMETRY_SPHERE = 5;
constexpr u32 GEOMETRY_TRIANGLE_MESH = 6;
constexpr u32 GEOMETRY_WHEEL = 7;

// Wheel parameters.
constexpr u32 WHEEL_MOTOR_TORQUE = 0;
constexpr u32 WHEEL_BRAKE_TORQUE = 1;
constexpr u32 WHEEL_STEER_ANGLE = 2;
constexpr u32 WHEEL_AXLE_SPEED = 3;
constexpr u32 WHEEL_RADIUS = 4;
constexpr u32 WHEEL_SUSPENSION_TRAVEL = 5;
constexpr u32 WHEEL_SUSPENSION_SPRING = 6;
constexpr u32 WHEEL_LONGITUDINAL_TIRE = 7;
constexpr u32 WHEEL_LATERAL_TIRE = 8;
constexpr u32 WHEEL_INVERSE_MASS = 9;
constexpr u32 WHEEL_FLAG_CONTACT_NORMAL = 10;
constexpr u32 WHEEL_FLAG_LATERAL_SLIP = 11;
constexpr u32 WHEEL_FLAG_LONGITUDINAL_SLIP = 12;
constexpr u32 WHEEL_FLAG_UNSCALED_SPRING = 13;
constexpr u32 WHEEL_FLAG_AXLE_SPEED_OVERRIDE = 14;
constexpr u32 WHEEL_FLAG_CLAMPED_FRICTION = 15;
constexpr u32 WHEEL_SUSPENSION_POSITION = 16;
constexpr u32 WHEEL_ROLL_ANGLE = 17;
constexpr u32 WHEEL_PARAMETER_COUNT = 18;

class TDynamicsGeometry : public TNodeObject
{
public:
    // The shape descriptor; flags bit 0x1 makes it a trigger. Null for types without one.
    virtual void* GetDescriptor(u32 flags) = 0;
    virtual u32* GetShapeFlags() = 0;
    virtual u32* GetShapeFlags2() = 0;
    virtual u32 GetGeometryType() = 0;
    virtual const TVector& GetSize() = 0;
    virtual void SetSize(const TVector& size) = 0;
    virtual u32 IsTrigger() = 0;
    virtual TDynamicsBody* GetBody() = 0;
    // -1.0 in a value keeps its current setting.
    virtual void SetWheelParameter(u32 parameter, f32 a, f32 b, f32 c, f32 d, f32 e) = 0;
    virtual f32 GetWheelParameter(u32 parameter) = 0;
    virtual void SetMass(f32 mass) = 0;
    virtual f32 GetMass() = 0;
    virtual void SetGroup(u16 group) = 0;
    virtual u16 GetGroup() = 0;
    virtual void SetGroupsMask(u16 mask) = 0;
    virtual u16 GetGroupsMask() = 0;
    virtual void SetSkinWidth(f32 width) = 0;
    virtual f32 GetSkinWidth() = 0;
    virtual void SetMaterial(u16 index) = 0;
    virtual u16 GetMaterial() = 0;
    virtual void SetSkeletonBone(u32 which, const TMatrix& matrix) = 0;
};
