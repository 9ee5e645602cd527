#pragma once
// TNxDynamicsGeometry: a body's shape over the physics layer. The complete shape descriptor of
// its type lies inside the object (stored images carry it): it is what the body hands to the
// layer when it builds its actor, and what setters change while no shape exists.
#include "ageia/collisionuserdata.h"
#include "ageia/dynamicsgeometry.h"
#include "platform/physics/nxshapedesc.h"

struct NxActorDesc;
class NxShape;
class NxWheelShape;
class TNxCollisionMeshData;
class TSkeleton;

constexpr u32 GEOMETRY_DESCRIPTOR_SIZE = 256;
// Wheel update flag: the suspension offset comes from the stored suspension position.
constexpr u32 WHEEL_UPDATE_STORED_SUSPENSION = 0x1;

class TNxDynamicsGeometry : public TDynamicsGeometry
{
public:
    TNxDynamicsGeometry();

    void OnEnable(u32 enabled) override;
    void OnNodeUpdate(const TName* cause) override;
    void* GetDescriptor(u32 flags) override;
    u32* GetShapeFlags() override;
    u32* GetShapeFlags2() override { return GetShapeFlags(); }
    u32 GetGeometryType() override { return m_nType; }
    const TVector& GetSize() override { return m_Size; }
    void SetSize(const TVector& size) override;
    u32 IsTrigger() override;
    TDynamicsBody* GetBody() override { return pBody; }
    void SetWheelParameter(u32 parameter, f32 a, f32 b, f32 c, f32 d, f32 e) override;
    f32 GetWheelParameter(u32 parameter) override;
    void SetMass(f32 mass) override;
    f32 GetMass() override;
    void SetGroup(u16 group) override;
    u16 GetGroup() override;
    void SetGroupsMask(u16 mask) override;
    u16 GetGroupsMask() override;
    void SetSkinWidth(f32 width) override;
    f32 GetSkinWidth() override;
    void SetMaterial(u16 index) override;
    u16 GetMaterial() override;
    // When bone index which (0 or 1) is a bone: local x matrix into it.
    void SetSkeletonBone(u32 which, const TMatrix& matrix) override;

    // The wheel's visual pose from the top of its suspension: the suspension offset, the roll
    // grown by the axle speed over dt and the steering, written into the bound bone or
    // constraint. simulated: the pose is the simulated shape's, and a wheel without a bone of
    // index 1 is told "DUpdateWheel" (its steering follows a constraint).
    void UpdateWheelVisual(TMatrix pose, f32 dt, bool simulated);

    // Clears the descriptor area and fills the layer's defaults of the type; types without a
    // descriptor (3, 4, above 7) are left empty.
    void InitDescriptor(u32 type);
    // Whether the type has a shape descriptor.
    static bool HasDescriptor(u32 type);
    // Appends the descriptor, with this geometry as its user data, to the actor's; the shape
    // sits where its node is relative to the actor's pose.
    void AddToActor(NxActorDesc& actor, const TMatrix& actorWorld);
    NxShape* GetShape() const { return m_pShape; }
    void SetShape(NxShape* shape) { m_pShape = shape; }

    u32 m_nType;
    TVector m_Size;
    u32 m_nReserved32;
    u32 m_aReserved36[3];
    f32 m_fReserved48;
    TDynamicsBody* pBody;
    NxShape* m_pShape;
    TCollisionUserData m_UserData;
    TSkeleton* pSkeleton;
    i32 m_anBone[2];
    TMatrix m_Local;
    f32 m_fRollAngle;
    alignas(4) u8 m_aDescriptor[GEOMETRY_DESCRIPTOR_SIZE];
    f32 m_fAxleSpeed;
    f32 m_fSuspensionPosition;
    u32 m_nWheelUpdateFlags;
    TNxCollisionMeshData* pCollisionData;
    u32 m_nReserved420;

private:
    NxShapeDesc* Desc() { return reinterpret_cast<NxShapeDesc*>(m_aDescriptor); }
    NxWheelShapeDesc* WheelDesc() { return reinterpret_cast<NxWheelShapeDesc*>(m_aDescriptor); }
    // The live wheel shape, or null (not a wheel, or no shape).
    NxWheelShape* LiveWheel();
    // The layer's kind word of the type: loaded images carry whatever was stored.
    void RefreshKind();
    void WakeBody();
    // The steering follows the heading of the bone of the constraint that bone index 1 names.
    void FollowSteeringConstraint();
    u32 BodyIsDynamic();
};

static_assert(sizeof(TNxDynamicsGeometry) == 424);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TNxDynamicsGeometry, m_nType) == 12);
static_assert(offsetof(TNxDynamicsGeometry, m_Size) == 16);
static_assert(offsetof(TNxDynamicsGeometry, m_nReserved32) == 32);
static_assert(offsetof(TNxDynamicsGeometry, m_fReserved48) == 48);
static_assert(offsetof(TNxDynamicsGeometry, pBody) == 52);
static_assert(offsetof(TNxDynamicsGeometry, m_UserData) == 60);
static_assert(offsetof(TNxDynamicsGeometry, pSkeleton) == 68);
static_assert(offsetof(TNxDynamicsGeometry, m_anBone) == 72);
static_assert(offsetof(TNxDynamicsGeometry, m_Local) == 80);
static_assert(offsetof(TNxDynamicsGeometry, m_aDescriptor) == 148);
static_assert(offsetof(TNxDynamicsGeometry, m_fAxleSpeed) == 404);
static_assert(offsetof(TNxDynamicsGeometry, pCollisionData) == 416);
#pragma GCC diagnostic pop
