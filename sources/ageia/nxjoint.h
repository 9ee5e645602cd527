#pragma once
// TNxDynamicsJoint: a joint over the physics layer (stored type 82, 796 bytes). The layer's
// descriptor of the joint's kind lies inside the object: built from it when the node is enabled
// and body A has an actor, and written back from the live joint by its setters and when it is
// released, so limits, motors and springs survive a release and reach stored images. Limit planes and the limit point are kept in the joint
// node's space and placed at the node each time the joint is built.
#include "ageia/dynamicsjoint.h"
#include "platform/physics/nxjointdesc.h"

class NxJoint;
class TNxDynamicsBody;

constexpr i32 JOINT_LIMIT_PLANE_CAPACITY = 4;
constexpr u32 JOINT_DESCRIPTOR_SIZE = 408;
static_assert(kLargestJointDesc == JOINT_DESCRIPTOR_SIZE);

struct TJointLimitPlane
{
    f32 aNormal[3];
    f32 fRestitution;
    f32 aPoint[3];
    f32 fW;
};

static_assert(sizeof(TJointLimitPlane) == 32);

class TNxDynamicsJoint : public TDynamicsJoint
{
public:
    TNxDynamicsJoint();

    void OnEnable(u32 enabled) override;
    void OnNodeUpdate(const TName* cause) override;
    TDynamicsBody* GetBodyA() override { return pBodyA; }
    TDynamicsBody* GetBodyB() override { return pBodyB; }
    void SetBodyA(TDynamicsBody* body) override;
    void SetBodyBFrame(TDynamicsBody* body, const TMatrix& matrix) override;
    u32 GetState() override;
    u32 GetType() override { return m_nType; }
    void SetGlobalAnchor(const TVector& anchor) override;
    void SetGlobalAxis(const TVector& axis) override;
    TVector GetGlobalAnchor() override;
    TVector GetGlobalAxis() override;
    void SetFrameA(const TMatrix& frame) override { m_FrameA = frame; }
    void SetFrameB(const TMatrix& frame) override { m_FrameB = frame; }
    void SetBreakable(f32 maxForce, f32 maxTorque) override;
    void GetBreakable(f32& maxForce, f32& maxTorque) override;
    u32 IsBreakable() override;
    u32 IsBroken() override { return m_nBroken; }
    void SetSpring(f32 a, f32 b, f32 c, u32 which) override;
    void SetLimits(f32 low, f32 high) override;
    TMatrix GetGlobalFrame() override;
    void SetDrivePosition(const TVector& position) override;
    void SetDriveOrientation(const TVector& axisAngle) override;
    void SetDriveLinearVelocity(const TVector& velocity) override;
    void SetDriveAngularVelocity(const TVector& velocity) override;
    void SetAngularLimits(f32 low, f32 high, f32 spring, f32 damping, f32 unused) override;
    void SetMotor(f32 velocity, f32 maxForce, i32 freeSpin) override;
    f32 GetAngle() override;
    f32 GetVelocity() override;
    virtual void SetBodyB(TDynamicsBody* body);

    // The layer's default descriptor of the type; the type is stored.
    void InitDescriptor(u32 type);
    // Builds the physics joint (node enabled, body A with an actor, body B without one skipped).
    void __Create();
    // Saves the live joint into the descriptor and releases it.
    void __Release();
    NxJoint* GetJoint() const { return m_pJoint; }
    NxJointDesc& GetDescriptor() { return *reinterpret_cast<NxJointDesc*>(m_aDescriptor); }
    // Loaded records carry the saving program's physics joint: forgotten; a type outside the
    // table is reported and the joint is never built.
    void ForgetLoadedJoint();

    NxJoint* m_pJoint;
    TDynamicsBody* pBodyA;
    TDynamicsBody* pBodyB;
    u32 m_nType;
    f32 m_aLimitPoint[3];
    // Non-zero: the limit point belongs to body B.
    f32 m_fLimitPointOnB;
    i32 m_nLimitPlaneCount;
    TJointLimitPlane m_aLimitPlane[JOINT_LIMIT_PLANE_CAPACITY];
    u32 m_nBroken;
    // The node's local matrix, restored when a skeleton update rebuilds the joint.
    TMatrix m_RestLocal;
    alignas(4) u8 m_aDescriptor[JOINT_DESCRIPTOR_SIZE];
    TMatrix m_FrameA;
    TMatrix m_FrameB;
    TNxDynamicsJoint* pPrev;
    TNxDynamicsJoint* pNext;
    TNxDynamicsJoint* pPrev2;
    TNxDynamicsJoint* pNext2;

private:
    // The live joint's state into the descriptor: stored images written while the joint lives
    // carry what its setters changed.
    void SaveDescriptor();
    bool IsLinkedA() const;
    bool IsLinkedB() const;
    void LinkA();
    void LinkB();
    void UnlinkA();
    void UnlinkB();
    void RelinkB(TDynamicsBody* body);
    // The joint's axis among the node's: X for a six-axis joint, Z otherwise.
    const TVector& AxisOf(const TMatrix& world) const;
    // A built fixed joint is loaded again from its own state.
    void ReloadFixed();
    // The stored plane list for a prismatic joint: two planes across the node's Z axis.
    void StorePrismaticPlanes(f32 low, f32 high);
    TNxDynamicsBody* BodyA() const;
    TNxDynamicsBody* BodyB() const;
};

static_assert(sizeof(TNxDynamicsJoint) == 796);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TNxDynamicsJoint, m_pJoint) == 12);
static_assert(offsetof(TNxDynamicsJoint, pBodyA) == 16);
static_assert(offsetof(TNxDynamicsJoint, pBodyB) == 20);
static_assert(offsetof(TNxDynamicsJoint, m_nType) == 24);
static_assert(offsetof(TNxDynamicsJoint, m_aLimitPlane) == 48);
static_assert(offsetof(TNxDynamicsJoint, m_nBroken) == 176);
static_assert(offsetof(TNxDynamicsJoint, m_RestLocal) == 180);
static_assert(offsetof(TNxDynamicsJoint, m_aDescriptor) == 244);
static_assert(offsetof(TNxDynamicsJoint, m_FrameA) == 652);
static_assert(offsetof(TNxDynamicsJoint, pPrev) == 780);
static_assert(offsetof(TNxDynamicsJoint, pNext2) == 792);
#pragma GCC diagnostic pop
