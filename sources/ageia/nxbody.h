#pragma once
// TNxDynamicsBody: a rigid body over a physics-layer actor. It keeps a copy of every property
// (the body descriptor lies inside the object), so properties set before the actor exists are
// handed over when __Create builds it, and __Release drops the actor but keeps them.
#include "ageia/collisionuserdata.h"
#include "ageia/dynamicsbody.h"
#include "core/math/quaternion.h"
#include "platform/physics/nxactordesc.h"

class NxActor;
class TDynamicsJoint;
class TDynamicsListener;
class TNxDynamicsGeometry;
class TScript;
class TSkeleton;

// Interpolated poses of bodies on the per-frame list: from the start to the end pose over the
// start and end times.
struct TBodyInterpolation
{
    TQuaternion StartRotation;
    f32 aStartPosition[3];
    f32 fStartTime;
    TQuaternion EndRotation;
    f32 aEndPosition[3];
    f32 fEndTime;
};

static_assert(sizeof(TBodyInterpolation) == 64);

struct TJointList
{
    TDynamicsJoint* pFirst;
    TDynamicsJoint* pLast;
};

// Engine body flags (SetFlags).
constexpr u32 BODY_FLAG_DISABLE_GRAVITY = 0x1;
constexpr u32 BODY_FLAG_FROZEN_POS_X = 0x2;
constexpr u32 BODY_FLAG_FROZEN_ROT_Z = 0x40;
constexpr u32 BODY_FLAG_FROZEN_POS = 0x80;
constexpr u32 BODY_FLAG_FROZEN_ROT = 0x100;
constexpr u32 BODY_FLAG_FROZEN = 0x200;
constexpr u32 BODY_FLAG_KINEMATIC = 0x400;
constexpr u32 BODY_FLAG_FILTER_SLEEP_VEL = 0x2000;
constexpr u32 BODY_FLAG_VISUALIZATION = 0x4000;
constexpr u32 BODY_FLAG_DISABLE_COLLISION = 0x100000;
constexpr u32 BODY_FLAG_DISABLE_RESPONSE = 0x200000;
constexpr u32 BODY_FLAG_CONTACT_MODIFICATION = 0x400000;
constexpr u32 BODY_FLAG_FORCE_CONE_FRICTION = 0x800000;
constexpr u32 BODY_FLAG_USER_PAIR_FILTERING = 0x1000000;

// The fixed joints a moved body takes along, at most.
constexpr i32 BODY_CARRIED_JOINT_CAPACITY = 256;

class TNxDynamicsBody : public TDynamicsBody
{
public:
    TNxDynamicsBody();

    void OnEnable(u32 enabled) override;
    void OnNodeUpdate(const TName* cause) override;
    void __Create() override;
    void __Release() override;
    i32 GetGeometryCount() override { return m_nGeometryCount; }
    TDynamicsGeometry* GetGeometry(i32 index) override;
    TDynamicsGeometry* __CreateGeometryFromObject(TNxCollisionMesh* mesh, u32 type) override;
    TDynamicsGeometry* __CreateGeometry(TNode* node, u32 type) override;
    void SetSkeletonJoint(TSkeleton* skeleton, const TSkeletonBone* bone) override;
    u32& GetFlags() override { return m_nBodyFlags; }
    u32& GetFlagsCopy() override;
    void SetFlags(u32 flags) override;
    void SetFrameUpdate(u32 on) override;
    u32 IsFrameUpdate() override { return (m_nState & BODY_STATE_FRAME_UPDATE) ? 1 : 0; }
    void SetGroup(u16 group) override;
    u16 GetGroup() override { return m_nGroup; }
    void SetDominanceGroup(u16 group) override;
    u16 GetDominanceGroup() override { return m_nDominanceGroup; }
    u32 IsActorDynamic() override;
    f32 GetKineticEnergy() override;
    u32 IsDynamic() override { return (m_nState & BODY_STATE_DYNAMIC) ? 1 : 0; }
    void SetDynamic(u32 mode) override;
    void SetMass(f32 mass) override;
    f32 GetMass() override { return m_BodyDesc.mass; }
    TVector GetCenterOfMass() override;
    void SetCenterOfMass(const TVector& center) override;
    void SetLinearDamping(f32 damping) override;
    f32 GetLinearDamping() override { return m_BodyDesc.linearDamping; }
    void SetAngularDamping(f32 damping) override;
    f32 GetAngularDamping() override { return m_BodyDesc.angularDamping; }
    void SetLinearVelocity(const TVector& velocity) override;
    void SetAngularVelocity(const TVector& velocity) override;
    TVector GetLinearVelocity() override;
    TVector GetAngularVelocity() override;
    void SetMaxAngularVelocity(f32 velocity) override;
    f32 GetMaxAngularVelocity() override { return m_BodyDesc.maxAngularVelocity; }
    void SetLinearMomentum(const TVector& momentum) override;
    void SetAngularMomentum(const TVector& momentum) override;
    TVector GetLinearMomentum() override;
    TVector GetAngularMomentum() override;
    void AddForceAtPosition(const TVector& force, const TVector& position, u32 mode, u32 wake) override;
    void AddForce(const TVector& force, u32 mode, u32 wake) override;
    void AddTorque(const TVector& torque, u32 mode, u32 wake) override;
    TVector GetPointVelocity(const TVector& point) override;
    u32 IsSleeping() override;
    u32 IsAsleep() override { return m_nSleepMarker != 0 ? 1 : 0; }
    void WakeUp(f32 counter) override;
    void PutToSleep(u32 mode) override;
    void UpdateSkeletonJoint() override;
    void SetPairFlags(TDynamicsBody* other, u32 flags) override;
    void SetContactReport(u32 flags, f32 threshold) override;

    NxActor* GetActor() const { return m_pActor; }
    // The visual poses of the wheels from their nodes, rolled on over dt.
    void UpdateWheels(f32 dt);
    // Zero linear and angular velocity and momentum.
    void HoldStill();

    TScript* pScript;
    TDynamicsListener* pMethods;
    TBodyInterpolation m_Interpolation;
    u32 m_nState;
    u16 m_nGroup;
    u16 m_nDominanceGroup;
    i32 m_nFramesSinceWake;
    u32 m_nSleepMarker;
    NxActor* m_pActor;
    u32 m_nBodyFlags;
    i32 m_nGeometryCount;
    TNxDynamicsGeometry* aGeometry[BODY_GEOMETRY_CAPACITY];
    TNxDynamicsBody* pNext;
    TNxDynamicsBody* pPrev;
    TNxDynamicsBody* pNext2;
    TNxDynamicsBody* pPrev2;
    TJointList lJointA;
    TJointList lJointB;
    u32 m_nReserved312;
    NxBodyDesc m_BodyDesc;
    u32 m_nActorFlags;
    u32 m_nContactReportFlags;
    TCollisionUserData m_UserData;
    TSkeleton* pSkeleton;
    i32 m_nSkeletonIndex;
    TMatrix m_Bind;

private:
    // Null actor calls are refused with one log line per body.
    bool HasActor(const char* operation);
    // A moved body B takes its fixed joints along: they are released and built again at the
    // new relative place.
    void CarryFixedJoints();
    void SetKinematic(bool kinematic);
    static TVector Vector(const NxVec3& v) { return TVector(v.x, v.y, v.z, 1.0f); }
    static NxVec3 NxVector(const TVector& v) { return NxVec3(v.x, v.y, v.z); }
};

static_assert(sizeof(TNxDynamicsBody) == 540);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TNxDynamicsBody, pScript) == 12);
static_assert(offsetof(TNxDynamicsBody, pMethods) == 16);
static_assert(offsetof(TNxDynamicsBody, m_nState) == 84);
static_assert(offsetof(TNxDynamicsBody, m_nGeometryCount) == 108);
static_assert(offsetof(TNxDynamicsBody, aGeometry) == 112);
static_assert(offsetof(TNxDynamicsBody, pNext) == 280);
static_assert(offsetof(TNxDynamicsBody, pPrev) == 284);
static_assert(offsetof(TNxDynamicsBody, pNext2) == 288);
static_assert(offsetof(TNxDynamicsBody, pPrev2) == 292);
static_assert(offsetof(TNxDynamicsBody, lJointA) == 296);
static_assert(offsetof(TNxDynamicsBody, lJointB) == 304);
static_assert(offsetof(TNxDynamicsBody, m_BodyDesc) == 316);
static_assert(offsetof(TNxDynamicsBody, m_BodyDesc) + offsetof(NxBodyDesc, wakeUpCounter) == 404);
static_assert(offsetof(TNxDynamicsBody, m_BodyDesc) + offsetof(NxBodyDesc, flags) == 424);
static_assert(offsetof(TNxDynamicsBody, m_BodyDesc) + offsetof(NxBodyDesc, contactReportThreshold) == 448);
static_assert(offsetof(TNxDynamicsBody, m_UserData) == 460);
static_assert(offsetof(TNxDynamicsBody, pSkeleton) == 468);
static_assert(offsetof(TNxDynamicsBody, m_Bind) == 476);
#pragma GCC diagnostic pop
