#include "ageia/nxgeometry.h"

#include "ageia/nxbody.h"
#include "ageia/nxcollisionmesh.h"
#include "ageia/nxcollisionmeshdata.h"
#include "ageia/nxdynamics.h"
#include "ageia/nxreports.h"
#include "ageia/skeletonbinding.h"
#include "core/system/log.h"
#include "engine/system/node.h"
#include "engine/system/skeleton.h"
#include "engine/system/skeletonpose.h"
#include "platform/physics/nxactor.h"
#include "platform/physics/nxshapes.h"
#include "platform/physics/nxwheelshape.h"

#include <cmath>
#include <cstring>
#include <new>

namespace
{
constexpr f32 kDegrees = 57.29578f;
constexpr f32 kRadians = 0.017453292f;

// A value of a multi-value set: -1.0 keeps the current one.
void Keep(f32& target, f32 value)
{
    if (value != -1.0f)
        target = value;
}

void SetWheelFlag(u32& flags, u32 bit, f32 on)
{
    flags = on != 0.0f ? flags | bit : flags & ~bit;
}

// The update cause of the wheels' steering constraint, made on first use.
const TName& DUpdateWheel()
{
    static const TName s_Name("DUpdateWheel", true);
    return s_Name;
}

NxShapeType KindOf(u32 type)
{
    switch (type)
    {
    case GEOMETRY_BOX: return NX_SHAPE_BOX;
    case GEOMETRY_CAPSULE: return NX_SHAPE_CAPSULE;
    case GEOMETRY_CONVEX: return NX_SHAPE_CONVEX;
    case GEOMETRY_SPHERE: return NX_SHAPE_SPHERE;
    case GEOMETRY_TRIANGLE_MESH: return NX_SHAPE_MESH;
    default: return NX_SHAPE_WHEEL;
    }
}
} // namespace

TNxDynamicsGeometry::TNxDynamicsGeometry()
{
    std::memset(reinterpret_cast<u8*>(this) + 12, 0, sizeof(*this) - 12);
    m_nClassName = g_NameTDynamicsGeometry.GetId();
    m_Size = TVector(1.0f, 1.0f, 1.0f, 1.0f);
    m_nReserved32 = 2;
    m_fReserved48 = 0.1f;
    m_anBone[0] = m_anBone[1] = -1;
    m_Local = TMatrix(1.0f);
}

bool TNxDynamicsGeometry::HasDescriptor(u32 type)
{
    return type <= GEOMETRY_WHEEL && type != 3 && type != 4;
}

void TNxDynamicsGeometry::InitDescriptor(u32 type)
{
    std::memset(m_aDescriptor, 0, sizeof m_aDescriptor);
    switch (type)
    {
    case GEOMETRY_BOX: new (m_aDescriptor) NxBoxShapeDesc(); break;
    case GEOMETRY_CAPSULE: new (m_aDescriptor) NxCapsuleShapeDesc(); break;
    case GEOMETRY_CONVEX: new (m_aDescriptor) NxConvexShapeDesc(); break;
    case GEOMETRY_SPHERE: new (m_aDescriptor) NxSphereShapeDesc(); break;
    case GEOMETRY_TRIANGLE_MESH: new (m_aDescriptor) NxTriangleMeshShapeDesc(); break;
    case GEOMETRY_WHEEL:
        new (m_aDescriptor) NxWheelShapeDesc();
        m_fAxleSpeed = 0.0f;
        m_fSuspensionPosition = 0.0f;
        break;
    default: break;
    }
}

void TNxDynamicsGeometry::RefreshKind()
{
    Desc()->type = KindOf(m_nType);
}

void* TNxDynamicsGeometry::GetDescriptor(u32 flags)
{
    if (!HasDescriptor(m_nType))
        return nullptr;
    RefreshKind();
    if (flags & 0x1)
        Desc()->shapeFlags |= 0x7;
    return m_aDescriptor;
}

u32* TNxDynamicsGeometry::GetShapeFlags()
{
    return HasDescriptor(m_nType) ? &Desc()->shapeFlags : nullptr;
}

u32 TNxDynamicsGeometry::IsTrigger()
{
    return HasDescriptor(m_nType) && (Desc()->shapeFlags & 0x1) ? 1 : 0;
}

void TNxDynamicsGeometry::AddToActor(NxActorDesc& actor, const TMatrix& actorWorld)
{
    if (!HasDescriptor(m_nType))
        return;
    RefreshKind();
    if (pNode)
    {
        const TMatrix local = TMatrix::MultiplyInverse(*GetMatrix(), actorWorld);
        Desc()->localPose.setRowMajor44(&local.aRow[0].x);
    }
    if (m_nType == GEOMETRY_CONVEX || m_nType == GEOMETRY_TRIANGLE_MESH)
    {
        TNxCollisionMeshData* data = pCollisionData;
        if (data)
            data->Require();
        if (m_nType == GEOMETRY_CONVEX)
            reinterpret_cast<NxConvexShapeDesc*>(m_aDescriptor)->meshData = data ? data->ConvexMesh() : nullptr;
        else
            reinterpret_cast<NxTriangleMeshShapeDesc*>(m_aDescriptor)->meshData = data ? data->TriangleMesh() : nullptr;
    }
    // A stored callback word only says that the wheel wants one: it becomes the manager's.
    if (m_nType == GEOMETRY_WHEEL && WheelDesc()->wheelContactModify)
        WheelDesc()->wheelContactModify = &DynamicsWheelContactReport();
    m_UserData = {COLLISION_USER_GEOMETRY, this};
    Desc()->userData = &m_UserData;
    Desc()->name = nullptr;
    actor.shapes.push_back(Desc());
}

NxWheelShape* TNxDynamicsGeometry::LiveWheel()
{
    return m_nType == GEOMETRY_WHEEL && m_pShape ? static_cast<NxWheelShape*>(m_pShape) : nullptr;
}

void TNxDynamicsGeometry::WakeBody()
{
    if (pBody)
        pBody->WakeUp(1.0f);
}

u32 TNxDynamicsGeometry::BodyIsDynamic()
{
    return pBody && pBody->IsDynamic();
}

void TNxDynamicsGeometry::OnEnable(u32 enabled)
{
    if (!HasDescriptor(m_nType))
        return;
    const u32 bits = NX_SF_DISABLE_COLLISION | NX_SF_DISABLE_RAYCASTING;
    Desc()->shapeFlags = enabled ? Desc()->shapeFlags & ~bits : Desc()->shapeFlags | bits;
    if (m_pShape)
    {
        m_pShape->setFlag(NX_SF_DISABLE_COLLISION, !enabled);
        m_pShape->setFlag(NX_SF_DISABLE_RAYCASTING, !enabled);
    }
}

void TNxDynamicsGeometry::OnNodeUpdate(const TName* cause)
{
    if (cause && cause->GetId() == DUpdateWheel().GetId())
    {
        FollowSteeringConstraint();
        return;
    }
    if (g_nDynamicsSynchronize || !m_pShape)
        return;
    NxMat34 pose;
    pose.setRowMajor44(&GetMatrix()->aRow[0].x);
    m_pShape->setGlobalPose(pose);
    WakeBody();
}

void TNxDynamicsGeometry::SetSize(const TVector& size)
{
    if (size.x == m_Size.x && size.y == m_Size.y && size.z == m_Size.z)
        return;
    m_Size = size;
    switch (m_nType)
    {
    case GEOMETRY_BOX: reinterpret_cast<NxBoxShapeDesc*>(m_aDescriptor)->dimensions.set(size.x, size.y, size.z); break;
    case GEOMETRY_CAPSULE:
        reinterpret_cast<NxCapsuleShapeDesc*>(m_aDescriptor)->radius = size.x;
        reinterpret_cast<NxCapsuleShapeDesc*>(m_aDescriptor)->height = size.y;
        break;
    case GEOMETRY_SPHERE: reinterpret_cast<NxSphereShapeDesc*>(m_aDescriptor)->radius = size.x; break;
    case GEOMETRY_WHEEL: WheelDesc()->radius = size.x; break;
    default: break;
    }
    if (!m_pShape)
        return;
    switch (m_nType)
    {
    case GEOMETRY_BOX: static_cast<NxBoxShape*>(m_pShape)->setDimensions(NxVec3(size.x, size.y, size.z)); break;
    case GEOMETRY_CAPSULE:
        static_cast<NxCapsuleShape*>(m_pShape)->setDimensions(size.x, size.y);
        break;
    case GEOMETRY_SPHERE: static_cast<NxSphereShape*>(m_pShape)->setRadius(size.x); break;
    case GEOMETRY_WHEEL:
        static_cast<NxWheelShape*>(m_pShape)->setRadius(size.x);
        static_cast<NxWheelShape*>(m_pShape)->setSuspensionTravel(size.y);
        break;
    case GEOMETRY_CONVEX: break;
    default:
        TLog::Print(g_pSystemLog, LOG_ERROR, "TNxDynamicsGeometry::SetSize(): error: ", "invalid geometry type %d",
                    static_cast<i32>(m_nType));
        break;
    }
}

void TNxDynamicsGeometry::SetWheelParameter(u32 parameter, f32 a, f32 b, f32 c, f32 d, f32 e)
{
    if (m_nType != GEOMETRY_WHEEL)
        return;
    RefreshKind();
    NxWheelShapeDesc& w = *WheelDesc();
    NxWheelShape* live = LiveWheel();
    switch (parameter)
    {
    case WHEEL_MOTOR_TORQUE: w.motorTorque = a; break;
    case WHEEL_BRAKE_TORQUE: w.brakeTorque = a; break;
    case WHEEL_STEER_ANGLE: w.steerAngle = a * kRadians; break;
    case WHEEL_AXLE_SPEED:
        m_fAxleSpeed = a;
        if (live && BodyIsDynamic())
            live->setAxleSpeed(a);
        live = nullptr;
        break;
    case WHEEL_RADIUS: w.radius = a; break;
    case WHEEL_SUSPENSION_TRAVEL: w.suspensionTravel = a; break;
    case WHEEL_SUSPENSION_SPRING:
        Keep(w.suspension.spring, a);
        Keep(w.suspension.damper, b);
        Keep(w.suspension.targetValue, c);
        break;
    case WHEEL_LONGITUDINAL_TIRE:
    case WHEEL_LATERAL_TIRE:
    {
        NxTireFunctionDesc& f =
            parameter == WHEEL_LATERAL_TIRE ? w.lateralTireForceFunction : w.longitudalTireForceFunction;
        Keep(f.asymptoteSlip, a);
        Keep(f.asymptoteValue, b);
        Keep(f.extremumSlip, c);
        Keep(f.extremumValue, d);
        Keep(f.stiffnessFactor, e);
        break;
    }
    case WHEEL_INVERSE_MASS: w.inverseWheelMass = a; break;
    case WHEEL_FLAG_CONTACT_NORMAL: SetWheelFlag(w.wheelFlags, 0x1, a); break;
    case WHEEL_FLAG_LATERAL_SLIP: SetWheelFlag(w.wheelFlags, 0x2, a); break;
    case WHEEL_FLAG_LONGITUDINAL_SLIP: SetWheelFlag(w.wheelFlags, 0x4, a); break;
    case WHEEL_FLAG_UNSCALED_SPRING: SetWheelFlag(w.wheelFlags, 0x8, a); break;
    case WHEEL_FLAG_AXLE_SPEED_OVERRIDE: SetWheelFlag(w.wheelFlags, 0x10, a); break;
    case WHEEL_FLAG_CLAMPED_FRICTION: SetWheelFlag(w.wheelFlags, 0x40, a); break;
    case WHEEL_SUSPENSION_POSITION: m_fSuspensionPosition = a; live = nullptr; break;
    case WHEEL_ROLL_ANGLE: m_fRollAngle = a; live = nullptr; break;
    default: return;
    }
    if (live)
    {
        live->setMotorTorque(w.motorTorque);
        live->setBrakeTorque(w.brakeTorque);
        live->setSteerAngle(w.steerAngle);
        live->setRadius(w.radius);
        live->setSuspensionTravel(w.suspensionTravel);
        live->setSuspension(w.suspension);
        live->setLongitudalTireForceFunction(w.longitudalTireForceFunction);
        live->setLateralTireForceFunction(w.lateralTireForceFunction);
        live->setInverseWheelMass(w.inverseWheelMass);
        live->setWheelFlags(w.wheelFlags);
    }
    WakeBody();
}

f32 TNxDynamicsGeometry::GetWheelParameter(u32 parameter)
{
    if (m_nType != GEOMETRY_WHEEL)
        return -1.0f;
    const NxWheelShapeDesc& w = *WheelDesc();
    NxWheelShape* live = LiveWheel();
    switch (parameter)
    {
    case WHEEL_MOTOR_TORQUE: return w.motorTorque;
    case WHEEL_BRAKE_TORQUE: return w.brakeTorque;
    case WHEEL_STEER_ANGLE: return (live ? live->getSteerAngle() : w.steerAngle) * kDegrees;
    case WHEEL_AXLE_SPEED: return live && BodyIsDynamic() ? live->getAxleSpeed() : m_fAxleSpeed;
    case WHEEL_RADIUS: return w.radius;
    case WHEEL_SUSPENSION_TRAVEL: return w.suspensionTravel;
    case WHEEL_INVERSE_MASS: return w.inverseWheelMass;
    case WHEEL_FLAG_CONTACT_NORMAL: return (w.wheelFlags & 0x1) ? 1.0f : 0.0f;
    case WHEEL_FLAG_LATERAL_SLIP: return (w.wheelFlags & 0x2) ? 1.0f : 0.0f;
    case WHEEL_FLAG_LONGITUDINAL_SLIP: return (w.wheelFlags & 0x4) ? 1.0f : 0.0f;
    case WHEEL_FLAG_UNSCALED_SPRING: return (w.wheelFlags & 0x8) ? 1.0f : 0.0f;
    case WHEEL_FLAG_AXLE_SPEED_OVERRIDE: return (w.wheelFlags & 0x10) ? 1.0f : 0.0f;
    case WHEEL_FLAG_CLAMPED_FRICTION: return (w.wheelFlags & 0x40) ? 1.0f : 0.0f;
    case WHEEL_SUSPENSION_POSITION:
    {
        if (!live || !BodyIsDynamic())
            return m_fSuspensionPosition;
        NxWheelContactData contact;
        return live->getContact(contact) ? contact.contactPosition - w.radius : w.suspensionTravel;
    }
    case WHEEL_ROLL_ANGLE: return m_fRollAngle;
    default: return -1.0f;
    }
}

void TNxDynamicsGeometry::SetMass(f32 mass)
{
    if (!m_pShape && HasDescriptor(m_nType))
        Desc()->mass = mass;
}

f32 TNxDynamicsGeometry::GetMass()
{
    return HasDescriptor(m_nType) ? Desc()->mass : 0.0f;
}

void TNxDynamicsGeometry::SetGroup(u16 group)
{
    if (!HasDescriptor(m_nType))
        return;
    Desc()->group = group;
    if (m_pShape)
        m_pShape->setGroup(group);
}

u16 TNxDynamicsGeometry::GetGroup()
{
    return HasDescriptor(m_nType) ? Desc()->group : 0;
}

void TNxDynamicsGeometry::SetGroupsMask(u16 mask)
{
    if (!HasDescriptor(m_nType))
        return;
    Desc()->groupsMask.bits0 = mask;
    if (m_pShape)
        m_pShape->setGroupsMask(Desc()->groupsMask);
}

u16 TNxDynamicsGeometry::GetGroupsMask()
{
    return HasDescriptor(m_nType) ? static_cast<u16>(Desc()->groupsMask.bits0) : 0;
}

void TNxDynamicsGeometry::SetSkinWidth(f32 width)
{
    if (!HasDescriptor(m_nType))
        return;
    Desc()->skinWidth = width;
    if (m_pShape)
        m_pShape->setSkinWidth(width);
}

f32 TNxDynamicsGeometry::GetSkinWidth()
{
    return HasDescriptor(m_nType) ? Desc()->skinWidth : 0.0f;
}

void TNxDynamicsGeometry::SetMaterial(u16 index)
{
    if (!HasDescriptor(m_nType))
        return;
    Desc()->materialIndex = index;
    if (m_pShape && m_pShape->getMaterial() != index)
        m_pShape->setMaterial(index);
}

u16 TNxDynamicsGeometry::GetMaterial()
{
    return HasDescriptor(m_nType) ? Desc()->materialIndex : 0;
}

void TNxDynamicsGeometry::FollowSteeringConstraint()
{
    if (m_nType != GEOMETRY_WHEEL)
        return;
    // Only constraint codes name constraints: -2 to -9 name nothing.
    const TSkeletonConstraint* constraint = BoundConstraint(pSkeleton, m_anBone[1]);
    if (!constraint)
        return;
    TSkeletonPose* pose = pSkeleton->pSkeletonPose;
    if (constraint->nBone < 0 || static_cast<u32>(constraint->nBone) >= pose->GetBoneCount(pSkeleton))
        return;
    const TVector& z = pose->m_pWorkingPrevious[constraint->nBone].aRow[2];
    const f32 heading = std::atan2(z.x, z.z) * kDegrees;
    if (std::fabs(GetWheelParameter(WHEEL_STEER_ANGLE) - heading) > 0.5f)
        SetWheelParameter(WHEEL_STEER_ANGLE, heading, -1.0f, -1.0f, -1.0f, -1.0f);
}

void TNxDynamicsGeometry::SetSkeletonBone(u32 which, const TMatrix& matrix)
{
    if (which < 2 && m_anBone[which] >= 0)
        WriteBoundMatrix(pSkeleton, m_anBone[which], TMatrix::Multiply(m_Local, matrix));
}

void TNxDynamicsGeometry::UpdateWheelVisual(TMatrix pose, f32 dt, bool simulated)
{
    if (m_nType != GEOMETRY_WHEEL || !pSkeleton)
        return;
    const TVector up = pose.aRow[1];
    const f32 offset = (m_nWheelUpdateFlags & WHEEL_UPDATE_STORED_SUSPENSION)
                           ? m_fSuspensionPosition
                           : -GetWheelParameter(WHEEL_SUSPENSION_POSITION);
    pose.aRow[3] = TVector(pose.aRow[3].x + up.x * offset, pose.aRow[3].y + up.y * offset,
                           pose.aRow[3].z + up.z * offset, 1.0f);
    m_fRollAngle += GetWheelParameter(WHEEL_AXLE_SPEED) * dt * kDegrees;
    const TMatrix rotation = WheelRotation(m_fRollAngle, GetWheelParameter(WHEEL_STEER_ANGLE));
    if (m_anBone[1] >= 0)
        SetSkeletonBone(1, pose);
    else if (simulated)
        OnNodeUpdate(&DUpdateWheel());
    if (m_anBone[0] != SKELETON_NO_BONE)
        WriteBoundMatrix(pSkeleton, m_anBone[0], TMatrix::Multiply(TMatrix::Multiply(m_Local, rotation), pose));
}
