#include "ageia/nxjoint.h"

#include "ageia/nxbody.h"
#include "ageia/nxdynamics.h"
#include "core/math/random.h"
#include "core/system/criticalsection.h"
#include "core/system/log.h"
#include "engine/system/node.h"
#include "platform/physics/nxactor.h"
#include "platform/physics/nxjoint.h"
#include "platform/physics/nxscene.h"

#include <cstring>

namespace
{
constexpr f32 kDegreesToRadians = 0.017453292f;
constexpr f32 kRadiansToDegrees = 57.29578f;
// The prismatic limit point is raised by less than this, so that it never lies on a plane.
constexpr f32 kLimitPointJitter = 0.01f;

// The layer's joint kind of each joint type.
constexpr NxJointType kLayerType[JOINT_TYPE_COUNT] = {
    NX_JOINT_CYLINDRICAL, NX_JOINT_D6,        NX_JOINT_DISTANCE, NX_JOINT_FIXED,    NX_JOINT_POINT_ON_LINE,
    NX_JOINT_POINT_IN_PLANE, NX_JOINT_PRISMATIC, NX_JOINT_PULLEY, NX_JOINT_REVOLUTE, NX_JOINT_SPHERICAL,
};

// Calls f with a default descriptor of the joint type's kind.
template <class F> void WithKind(u32 type, F&& f)
{
    switch (type)
    {
    case JOINT_CYLINDRICAL: f(NxCylindricalJointDesc()); break;
    case JOINT_D6: f(NxD6JointDesc()); break;
    case JOINT_DISTANCE: f(NxDistanceJointDesc()); break;
    case JOINT_FIXED: f(NxFixedJointDesc()); break;
    case JOINT_POINT_ON_LINE: f(NxPointOnLineJointDesc()); break;
    case JOINT_POINT_IN_PLANE: f(NxPointInPlaneJointDesc()); break;
    case JOINT_PRISMATIC: f(NxPrismaticJointDesc()); break;
    case JOINT_PULLEY: f(NxPulleyJointDesc()); break;
    case JOINT_REVOLUTE: f(NxRevoluteJointDesc()); break;
    case JOINT_SPHERICAL: f(NxSphericalJointDesc()); break;
    default: break;
    }
}

// Saves the live joint's state into a descriptor of its kind, lets f change it and loads it back.
template <class D, class F> void Change(NxJoint* joint, F&& f)
{
    auto* kind = static_cast<NxJointOf<D>*>(joint);
    D desc;
    kind->saveToDesc(desc);
    f(desc);
    kind->loadFromDesc(desc);
}

NxVec3 Vec(const TVector& v)
{
    return NxVec3(v.x, v.y, v.z);
}

TVector Point(const NxVec3& v)
{
    return TVector(v.x, v.y, v.z, 1.0f);
}

// A direction of the matrix's space turned into the world.
NxVec3 Turned(const TMatrix& m, const f32* d)
{
    return Vec(m.aRow[0]) * d[0] + Vec(m.aRow[1]) * d[1] + Vec(m.aRow[2]) * d[2];
}

NxVec3 Placed(const TMatrix& m, const f32* p)
{
    return Turned(m, p) + Vec(m.aRow[3]);
}

NxMat34 PoseOfMatrix(const TMatrix& m)
{
    NxMat34 pose;
    pose.setRowMajor44(&m.aRow[0].x);
    return pose;
}

// Keeps -1.0 as "unchanged".
void Keep(f32& value, f32 given)
{
    if (given != -1.0f)
        value = given;
}

// The joint lists of bodies: A through pPrev/pNext and lJointA, B through pPrev2/pNext2 and lJointB.
typedef TNxDynamicsJoint* TNxDynamicsJoint::*TJointLink;

TNxDynamicsJoint* First(const TJointList& list)
{
    return static_cast<TNxDynamicsJoint*>(list.pFirst);
}

bool Linked(const TJointList& list, const TNxDynamicsJoint* joint, TJointLink next, TJointLink prev)
{
    return joint->*prev || joint->*next || First(list) == joint;
}

void Append(TJointList& list, TNxDynamicsJoint* joint, TJointLink next, TJointLink prev)
{
    joint->*prev = static_cast<TNxDynamicsJoint*>(list.pLast);
    joint->*next = nullptr;
    if (list.pLast)
        static_cast<TNxDynamicsJoint*>(list.pLast)->*next = joint;
    else
        list.pFirst = joint;
    list.pLast = joint;
}

void Unlink(TJointList& list, TNxDynamicsJoint* joint, TJointLink next, TJointLink prev)
{
    if (joint->*prev)
        joint->*prev->*next = joint->*next;
    else
        list.pFirst = joint->*next;
    if (joint->*next)
        joint->*next->*prev = joint->*prev;
    else
        list.pLast = joint->*prev;
    joint->*prev = joint->*next = nullptr;
}
} // namespace

TNxDynamicsJoint::TNxDynamicsJoint()
{
    std::memset(reinterpret_cast<u8*>(this) + sizeof(TDynamicsJoint), 0, sizeof(*this) - sizeof(TDynamicsJoint));
    m_nClassName = g_NameTDynamicsJoint.GetId();
    m_RestLocal = m_FrameA = m_FrameB = TMatrix(1.0f);
}

TNxDynamicsBody* TNxDynamicsJoint::BodyA() const
{
    return static_cast<TNxDynamicsBody*>(pBodyA);
}

TNxDynamicsBody* TNxDynamicsJoint::BodyB() const
{
    return static_cast<TNxDynamicsBody*>(pBodyB);
}

void TNxDynamicsJoint::InitDescriptor(u32 type)
{
    m_nType = type;
    std::memset(m_aDescriptor, 0, sizeof m_aDescriptor);
    WithKind(type, [this](auto desc) { std::memcpy(m_aDescriptor, &desc, sizeof desc); });
}

void TNxDynamicsJoint::ForgetLoadedJoint()
{
    m_pJoint = nullptr;
    if (m_nType >= JOINT_TYPE_COUNT)
        TLog::Print(g_pSystemLog, LOG_ERROR, "TNxDynamicsJoint::ForgetLoadedJoint(): error: ",
                    "joint '%s' of type %u is never built", GetNode()->m_Name.GetText(), m_nType);
}

bool TNxDynamicsJoint::IsLinkedA() const
{
    return pBodyA && Linked(BodyA()->lJointA, this, &TNxDynamicsJoint::pNext, &TNxDynamicsJoint::pPrev);
}

bool TNxDynamicsJoint::IsLinkedB() const
{
    return pBodyB && Linked(BodyB()->lJointB, this, &TNxDynamicsJoint::pNext2, &TNxDynamicsJoint::pPrev2);
}

void TNxDynamicsJoint::LinkA()
{
    if (pBodyA && !IsLinkedA())
        Append(BodyA()->lJointA, this, &TNxDynamicsJoint::pNext, &TNxDynamicsJoint::pPrev);
}

void TNxDynamicsJoint::LinkB()
{
    if (pBodyB && !IsLinkedB())
        Append(BodyB()->lJointB, this, &TNxDynamicsJoint::pNext2, &TNxDynamicsJoint::pPrev2);
}

void TNxDynamicsJoint::UnlinkA()
{
    if (IsLinkedA())
        Unlink(BodyA()->lJointA, this, &TNxDynamicsJoint::pNext, &TNxDynamicsJoint::pPrev);
}

void TNxDynamicsJoint::UnlinkB()
{
    if (IsLinkedB())
        Unlink(BodyB()->lJointB, this, &TNxDynamicsJoint::pNext2, &TNxDynamicsJoint::pPrev2);
}

const TVector& TNxDynamicsJoint::AxisOf(const TMatrix& world) const
{
    return m_nType == JOINT_D6 ? world.aRow[0] : world.aRow[2];
}

void TNxDynamicsJoint::__Create()
{
    NxScene* scene = g_pNxDynamicsManager->GetScene();
    TNxDynamicsBody* a = BodyA();
    TNxDynamicsBody* b = BodyB();
    if (m_pJoint || !scene || !pNode || !pNode->IsEnabled() || m_nType >= JOINT_TYPE_COUNT)
        return;
    if (!a || !a->GetActor() || (b && !b->GetActor()))
        return;
    DynamicsSceneLock().Enter();
    m_nBroken = 0;
    pNode->m_nFlags &= ~NODE_DEFERRED;
    // A body's release takes its joints with it: it finds them in its lists.
    LinkA();
    LinkB();
    NxJointDesc& desc = GetDescriptor();
    desc.type = kLayerType[m_nType];
    desc.actor[0] = a->GetActor();
    desc.actor[1] = b ? b->GetActor() : nullptr;
    desc.name = nullptr;
    // The layer takes the local frames from the actors' poses: those of the scene graph.
    const bool fixed = m_nType == JOINT_FIXED;
    NxMat34 saved[2];
    TNxDynamicsBody* bodies[2] = {a, b};
    for (i32 side = 0; side < 2 && !fixed; ++side)
        if (bodies[side])
        {
            saved[side] = bodies[side]->GetActor()->getGlobalPose();
            bodies[side]->GetActor()->setGlobalPose(PoseOfMatrix(*bodies[side]->GetMatrix()));
        }
    const TMatrix& world = *GetMatrix();
    NxJointDesc_SetGlobalAnchor(desc, Vec(world.aRow[3]));
    NxJointDesc_SetGlobalAxis(desc, Vec(AxisOf(world)));
    if (!fixed)
    {
        // The world side gets the node's normal too: with another normal the two frames would
        // disagree and the joint would turn body A at once.
        const NxVec3 normal = Vec(m_nType == JOINT_D6 ? world.aRow[1] : world.aRow[0]);
        for (i32 side = 0; side < 2; ++side)
        {
            desc.localNormal[side] = desc.actor[side] ? desc.actor[side]->getGlobalPose().M.multiplyByTranspose(normal) : normal;
            desc.localNormal[side].normalize();
        }
    }
    desc.userData = this;
    m_pJoint = scene->createJoint(desc);
    const i32 planes = m_nLimitPlaneCount < 0 ? 0 : (m_nLimitPlaneCount > JOINT_LIMIT_PLANE_CAPACITY ? JOINT_LIMIT_PLANE_CAPACITY : m_nLimitPlaneCount);
    if (m_pJoint && planes > 0)
    {
        m_pJoint->setLimitPoint(Placed(world, m_aLimitPoint), m_fLimitPointOnB != 0.0f);
        for (i32 i = 0; i < planes; ++i)
        {
            const TJointLimitPlane& plane = m_aLimitPlane[i];
            m_pJoint->addLimitPlane(Turned(world, plane.aNormal), Placed(world, plane.aPoint), plane.fRestitution);
        }
    }
    for (i32 side = 0; side < 2 && !fixed; ++side)
        if (bodies[side])
            bodies[side]->GetActor()->setGlobalPose(saved[side]);
    DynamicsSceneLock().Leave();
}

void TNxDynamicsJoint::__Release()
{
    if (!m_pJoint)
        return;
    DynamicsSceneLock().Enter();
    SaveDescriptor();
    m_pJoint->getScene().releaseJoint(*m_pJoint);
    m_pJoint = nullptr;
    DynamicsSceneLock().Leave();
}

void TNxDynamicsJoint::SaveDescriptor()
{
    if (!m_pJoint)
        return;
    WithKind(m_nType, [this](auto desc) {
        static_cast<NxJointOf<decltype(desc)>*>(m_pJoint)->saveToDesc(desc);
        std::memcpy(m_aDescriptor, &desc, sizeof desc);
    });
}

void TNxDynamicsJoint::OnEnable(u32 enabled)
{
    if (!enabled)
    {
        UnlinkA();
        UnlinkB();
        __Release();
        return;
    }
    LinkA();
    LinkB();
    if (!m_pJoint && pBodyA && BodyA()->GetActor())
        __Create();
}

void TNxDynamicsJoint::OnNodeUpdate(const TName* cause)
{
    if (g_nDynamicsSynchronize || !m_pJoint)
        return;
    const TMatrix& world = *GetMatrix();
    if (!pBodyB)
    {
        m_pJoint->setGlobalAnchor(Vec(world.aRow[3]));
        // The axis the joint was built with: a six-axis joint's would turn onto Z otherwise.
        m_pJoint->setGlobalAxis(Vec(AxisOf(world)));
    }
    if (cause && cause->GetId() == g_NameTSkeleton.GetId() && pBodyA)
    {
        __Release();
        pNode->SetLocalMatrix(m_RestLocal, TNode::OrdinaryCause());
        SetBodyA(pBodyA);
        __Create();
    }
}

void TNxDynamicsJoint::SetBodyA(TDynamicsBody* body)
{
    if (body != pBodyA)
    {
        UnlinkA();
        pBodyA = body;
        LinkA();
    }
    if (body)
        m_FrameA = TMatrix::MultiplyInverse(*body->GetMatrix(), *GetMatrix());
}

void TNxDynamicsJoint::SetBodyB(TDynamicsBody* body)
{
    RelinkB(body);
    if (body)
        m_FrameB = TMatrix::MultiplyInverse(*body->GetMatrix(), *GetMatrix());
    ReloadFixed();
}

void TNxDynamicsJoint::SetBodyBFrame(TDynamicsBody* body, const TMatrix& matrix)
{
    RelinkB(body);
    m_FrameB = TMatrix::MultiplyInverse(matrix, *GetMatrix());
    ReloadFixed();
}

void TNxDynamicsJoint::RelinkB(TDynamicsBody* body)
{
    if (body == pBodyB)
        return;
    UnlinkB();
    pBodyB = body;
    LinkB();
}

void TNxDynamicsJoint::ReloadFixed()
{
    if (m_pJoint && m_nType == JOINT_FIXED)
        Change<NxFixedJointDesc>(m_pJoint, [](NxFixedJointDesc&) {});
}

u32 TNxDynamicsJoint::GetState()
{
    return m_pJoint ? m_pJoint->getState() : NX_JS_UNBOUND;
}

void TNxDynamicsJoint::SetGlobalAnchor(const TVector& anchor)
{
    if (m_pJoint)
        m_pJoint->setGlobalAnchor(Vec(anchor));
}

void TNxDynamicsJoint::SetGlobalAxis(const TVector& axis)
{
    if (m_pJoint)
        m_pJoint->setGlobalAxis(Vec(axis));
}

TVector TNxDynamicsJoint::GetGlobalAnchor()
{
    return m_pJoint ? Point(m_pJoint->getGlobalAnchor()) : TVector(0.0f, 0.0f, 0.0f, 1.0f);
}

TVector TNxDynamicsJoint::GetGlobalAxis()
{
    return m_pJoint ? Point(m_pJoint->getGlobalAxis()) : TVector(0.0f, 0.0f, 0.0f, 1.0f);
}

void TNxDynamicsJoint::SetBreakable(f32 maxForce, f32 maxTorque)
{
    if (m_pJoint)
        m_pJoint->setBreakable(maxForce, maxTorque);
    SaveDescriptor();
}

void TNxDynamicsJoint::GetBreakable(f32& maxForce, f32& maxTorque)
{
    maxForce = maxTorque = 0.0f;
    if (m_pJoint)
        m_pJoint->getBreakable(maxForce, maxTorque);
}

u32 TNxDynamicsJoint::IsBreakable()
{
    f32 force, torque;
    GetBreakable(force, torque);
    return force > 0.0f || torque > 0.0f ? 1 : 0;
}

void TNxDynamicsJoint::SetSpring(f32 a, f32 b, f32 c, u32 which)
{
    if (!m_pJoint)
        return;
    auto spring = [&](NxSpringDesc& s) {
        s.spring = a;
        s.damper = b;
        Keep(s.targetValue, c);
    };
    if (m_nType == JOINT_REVOLUTE)
        Change<NxRevoluteJointDesc>(m_pJoint, [&](NxRevoluteJointDesc& d) { spring(d.spring); });
    else if (m_nType == JOINT_SPHERICAL)
        Change<NxSphericalJointDesc>(m_pJoint, [&](NxSphericalJointDesc& d) { spring(d.jointSpring); });
    else if (m_nType == JOINT_DISTANCE)
        Change<NxDistanceJointDesc>(m_pJoint, [&](NxDistanceJointDesc& d) { spring(d.spring); });
    else if (m_nType == JOINT_D6)
        Change<NxD6JointDesc>(m_pJoint, [&](NxD6JointDesc& d) {
            NxJointLimitSoftDesc* limits[] = {&d.linearLimit, &d.swing1Limit, &d.swing2Limit, &d.twistLimit.high,
                                              &d.twistLimit.low};
            if (which <= JOINT_SPRING_TWIST_LOW)
            {
                limits[which]->spring = a;
                limits[which]->damping = b;
                Keep(limits[which]->value, c);
                return;
            }
            NxJointDriveDesc* drive = nullptr;
            switch (which)
            {
            case JOINT_SPRING_DRIVE_X: drive = &d.xDrive; break;
            case JOINT_SPRING_DRIVE_Y: drive = &d.yDrive; break;
            case JOINT_SPRING_DRIVE_Z: drive = &d.zDrive; break;
            case JOINT_SPRING_DRIVE_TWIST: drive = &d.twistDrive; break;
            case JOINT_SPRING_DRIVE_SWING: drive = &d.swingDrive; break;
            case JOINT_SPRING_DRIVE_SLERP: drive = &d.slerpDrive; break;
            default: return;
            }
            drive->spring = a;
            drive->damping = b;
            Keep(drive->forceLimit, c);
        });
    SaveDescriptor();
}

void TNxDynamicsJoint::StorePrismaticPlanes(f32 low, f32 high)
{
    std::memset(m_aLimitPlane, 0, sizeof m_aLimitPlane);
    m_aLimitPoint[0] = m_aLimitPoint[1] = m_aLimitPoint[2] = 0.0f;
    m_fLimitPointOnB = 1.0f;
    m_nLimitPlaneCount = 2;
    m_aLimitPlane[0].aNormal[2] = 1.0f;
    m_aLimitPlane[0].aPoint[2] = low;
    m_aLimitPlane[1].aNormal[2] = -1.0f;
    m_aLimitPlane[1].aPoint[2] = high;
}

void TNxDynamicsJoint::SetLimits(f32 low, f32 high)
{
    if (m_nType == JOINT_PRISMATIC)
    {
        // Kept in the node's space as well, so that a rebuild keeps the limits.
        StorePrismaticPlanes(low, high);
        if (!m_pJoint)
            return;
        m_pJoint->purgeLimitPlanes();
        const NxVec3 axis = m_pJoint->getGlobalAxis();
        NxVec3 anchor = m_pJoint->getGlobalAnchor();
        anchor.y += static_cast<f32>(TRandom::Shared().Next()) * (1.0f / 4294967296.0f) * kLimitPointJitter;
        m_pJoint->setLimitPoint(anchor, true);
        m_pJoint->addLimitPlane(axis, anchor + axis * low, 0.0f);
        m_pJoint->addLimitPlane(-axis, anchor + axis * high, 0.0f);
        return;
    }
    if (m_nType != JOINT_DISTANCE)
        return;
    auto distances = [low, high](NxDistanceJointDesc& d) {
        d.minDistance = low;
        d.maxDistance = high;
    };
    if (m_pJoint)
    {
        Change<NxDistanceJointDesc>(m_pJoint, distances);
        SaveDescriptor();
    }
    else
        distances(reinterpret_cast<NxDistanceJointDesc&>(m_aDescriptor));
}

TMatrix TNxDynamicsJoint::GetGlobalFrame()
{
    TMatrix frame(1.0f);
    if (!m_pJoint)
        return frame;
    frame.SetOrientation(Point(m_pJoint->getGlobalAxis()), TVector(0.0f, 1.0f, 0.0f, 1.0f));
    frame.aRow[3] = Point(m_pJoint->getGlobalAnchor());
    return frame;
}

void TNxDynamicsJoint::SetDrivePosition(const TVector& position)
{
    if (NxD6Joint* d6 = m_pJoint ? m_pJoint->isD6Joint() : nullptr)
        d6->setDrivePosition(-Vec(position));
    SaveDescriptor();
}

void TNxDynamicsJoint::SetDriveOrientation(const TVector& axisAngle)
{
    if (NxD6Joint* d6 = m_pJoint ? m_pJoint->isD6Joint() : nullptr)
        d6->setDriveOrientation(NxQuat(axisAngle.w, Vec(axisAngle)));
    SaveDescriptor();
}

void TNxDynamicsJoint::SetDriveLinearVelocity(const TVector& velocity)
{
    if (NxD6Joint* d6 = m_pJoint ? m_pJoint->isD6Joint() : nullptr)
        d6->setDriveLinearVelocity(Vec(velocity));
    SaveDescriptor();
}

void TNxDynamicsJoint::SetDriveAngularVelocity(const TVector& velocity)
{
    if (NxD6Joint* d6 = m_pJoint ? m_pJoint->isD6Joint() : nullptr)
        d6->setDriveAngularVelocity(Vec(velocity));
    SaveDescriptor();
}

void TNxDynamicsJoint::SetAngularLimits(f32 low, f32 high, f32 spring, f32 damping, f32)
{
    if (!m_pJoint)
        return;
    if (m_nType == JOINT_D6)
        Change<NxD6JointDesc>(m_pJoint, [&](NxD6JointDesc& d) {
            d.twistMotion = NX_D6JOINT_MOTION_LIMITED;
            d.twistLimit.low.value = low * kDegreesToRadians;
            d.twistLimit.high.value = high * kDegreesToRadians;
            for (NxJointLimitSoftDesc* limit : {&d.twistLimit.low, &d.twistLimit.high})
            {
                limit->spring = spring;
                limit->damping = damping;
            }
        });
    else if (m_nType == JOINT_REVOLUTE)
        Change<NxRevoluteJointDesc>(m_pJoint, [&](NxRevoluteJointDesc& d) {
            d.flags |= NX_RJF_LIMIT_ENABLED;
            d.limit.low.value = low * kDegreesToRadians;
            d.limit.high.value = high * kDegreesToRadians;
        });
    SaveDescriptor();
}

void TNxDynamicsJoint::SetMotor(f32 velocity, f32 maxForce, i32 freeSpin)
{
    if (!m_pJoint)
        return;
    auto motor = [&](NxMotorDesc& m) {
        m.velTarget = velocity;
        Keep(m.maxForce, maxForce);
        if (freeSpin != -1)
            m.freeSpin = static_cast<NxU32>(freeSpin);
    };
    if (NxRevoluteJoint* revolute = m_pJoint->isRevoluteJoint())
    {
        NxMotorDesc current;
        revolute->getMotor(current);
        motor(current);
        revolute->setMotor(current);
    }
    else if (m_nType == JOINT_PULLEY)
        Change<NxPulleyJointDesc>(m_pJoint, [&](NxPulleyJointDesc& d) { motor(d.motor); });
    else if (m_nType == JOINT_D6)
        Change<NxD6JointDesc>(m_pJoint, [&](NxD6JointDesc& d) {
            d.twistDrive.driveType = NX_D6JOINT_DRIVE_VELOCITY;
            d.twistDrive.spring = 0.0f;
            // A force limit of -1.0 would let the drive push the wrong way: it keeps the limit.
            Keep(d.twistDrive.forceLimit, maxForce);
            // The twist turns about the joint's axis, the first component of the drive.
            d.driveAngularVelocity.x = velocity;
        });
    SaveDescriptor();
}

f32 TNxDynamicsJoint::GetAngle()
{
    NxRevoluteJoint* revolute = m_pJoint ? m_pJoint->isRevoluteJoint() : nullptr;
    return revolute ? revolute->getAngle() * kRadiansToDegrees : 0.0f;
}

f32 TNxDynamicsJoint::GetVelocity()
{
    NxRevoluteJoint* revolute = m_pJoint ? m_pJoint->isRevoluteJoint() : nullptr;
    return revolute ? revolute->getVelocity() : 0.0f;
}
