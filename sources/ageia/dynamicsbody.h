#pragma once
// TDynamicsBody: the physics side of a scene object, one simulated actor with up to 42
// geometries. Vectors returned by value have w = 1.
#include "engine/system/nodeobject.h"

class TNxCollisionMesh;
class TSkeleton;
struct TSkeletonBone;
class TDynamicsGeometry;

// State bits.
constexpr u32 BODY_STATE_SLEEP_REQUESTED = 0x1;
constexpr u32 BODY_STATE_DYNAMIC = 0x2;
constexpr u32 BODY_STATE_INERTIA_FROM_MASS = 0x4;
constexpr u32 BODY_STATE_HOLD_STILL = 0x8;
constexpr u32 BODY_STATE_FRAME_UPDATE = 0x10;
constexpr u32 BODY_STATE_NODE_DRIVEN = 0x4000000;

constexpr i32 BODY_GEOMETRY_CAPACITY = 42;

class TDynamicsBody : public TNodeObject
{
public:
    virtual void __Create() = 0;
    virtual void __Release() = 0;
    virtual i32 GetGeometryCount() = 0;
    virtual TDynamicsGeometry* GetGeometry(i32 index) = 0;
    virtual TDynamicsGeometry* __CreateGeometryFromObject(TNxCollisionMesh* mesh, u32 type) = 0;
    virtual TDynamicsGeometry* __CreateGeometry(TNode* node, u32 type) = 0;
    // bone: a record of the skeleton data's bone table.
    virtual void SetSkeletonJoint(TSkeleton* skeleton, const TSkeletonBone* bone) = 0;
    virtual u32& GetFlags() = 0;
    virtual u32& GetFlagsCopy() = 0;
    virtual void SetFlags(u32 flags) = 0;
    virtual void SetFrameUpdate(u32 on) = 0;
    virtual u32 IsFrameUpdate() = 0;
    virtual void SetGroup(u16 group) = 0;
    virtual u16 GetGroup() = 0;
    virtual void SetDominanceGroup(u16 group) = 0;
    virtual u16 GetDominanceGroup() = 0;
    virtual u32 IsActorDynamic() = 0;
    virtual f32 GetKineticEnergy() = 0;
    virtual u32 IsDynamic() = 0;
    virtual void SetDynamic(u32 mode) = 0;
    virtual void SetMass(f32 mass) = 0;
    virtual f32 GetMass() = 0;
    virtual TVector GetCenterOfMass() = 0;
    virtual void SetCenterOfMass(const TVector& center) = 0;
    virtual void SetLinearDamping(f32 damping) = 0;
    virtual f32 GetLinearDamping() = 0;
    virtual void SetAngularDamping(f32 damping) = 0;
    virtual f32 GetAngularDamping() = 0;
    virtual void SetLinearVelocity(const TVector& velocity) = 0;
    virtual void SetAngularVelocity(const TVector& velocity) = 0;
    virtual TVector GetLinearVelocity() = 0;
    virtual TVector GetAngularVelocity() = 0;
    virtual void SetMaxAngularVelocity(f32 velocity) = 0;
    virtual f32 GetMaxAngularVelocity() = 0;
    virtual void SetLinearMomentum(const TVector& momentum) = 0;
    virtual void SetAngularMomentum(const TVector& momentum) = 0;
    virtual TVector GetLinearMomentum() = 0;
    virtual TVector GetAngularMomentum() = 0;
    virtual void AddForceAtPosition(const TVector& force, const TVector& position, u32 mode, u32 wake) = 0;
    virtual void AddForce(const TVector& force, u32 mode, u32 wake) = 0;
    virtual void AddTorque(const TVector& torque, u32 mode, u32 wake) = 0;
    virtual TVector GetPointVelocity(const TVector& point) = 0;
    virtual u32 IsSleeping() = 0;
    virtual u32 IsAsleep() = 0;
    virtual void WakeUp(f32 counter) = 0;
    virtual void PutToSleep(u32 mode) = 0;
    // The body's pose into the bound bone or pose constraint.
    virtual void UpdateSkeletonJoint() = 0;
    virtual void SetPairFlags(TDynamicsBody* other, u32 flags) = 0;
    virtual void SetContactReport(u32 flags, f32 threshold) = 0;
};
