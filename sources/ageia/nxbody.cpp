#include "ageia/nxbody.h"

#include "ageia/nxcollisionmesh.h"
#include "ageia/nxcollisionmeshdata.h"
#include "ageia/nxdynamics.h"
#include "ageia/nxgeometry.h"
#include "ageia/nxjoint.h"
#include "ageia/nxpose.h"
#include "ageia/skeletonbinding.h"
#include "core/system/abort.h"
#include "core/system/log.h"
#include "core/system/timer.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/skeleton.h"
#include "platform/physics/nxactor.h"
#include "platform/physics/nxscene.h"

#include <cmath>
#include <cstring>

namespace
{
// Engine body flags and the layer's flags they stand for: body flags, then actor flags.
struct TFlagMap
{
    u32 nEngine;
    u32 nBody;
    u32 nActor;
};

constexpr TFlagMap kFlagMap[] = {
    {BODY_FLAG_DISABLE_GRAVITY, NX_BF_DISABLE_GRAVITY, 0},
    {0x2, NX_BF_FROZEN_POS_X, 0},
    {0x4, NX_BF_FROZEN_POS_Y, 0},
    {0x8, NX_BF_FROZEN_POS_Z, 0},
    {0x10, NX_BF_FROZEN_ROT_X, 0},
    {0x20, NX_BF_FROZEN_ROT_Y, 0},
    {BODY_FLAG_FROZEN_ROT_Z, NX_BF_FROZEN_ROT_Z, 0},
    {BODY_FLAG_FROZEN_POS, NX_BF_FROZEN_POS, 0},
    {BODY_FLAG_FROZEN_ROT, NX_BF_FROZEN_ROT, 0},
    {BODY_FLAG_FROZEN, NX_BF_FROZEN, 0},
    {BODY_FLAG_KINEMATIC, NX_BF_KINEMATIC, 0},
    {BODY_FLAG_FILTER_SLEEP_VEL, NX_BF_FILTER_SLEEP_VEL, 0},
    {BODY_FLAG_VISUALIZATION, NX_BF_VISUALIZATION, 0},
    {BODY_FLAG_DISABLE_COLLISION, 0, NX_AF_DISABLE_COLLISION},
    {BODY_FLAG_DISABLE_RESPONSE, 0, NX_AF_DISABLE_RESPONSE},
    {BODY_FLAG_CONTACT_MODIFICATION, 0, NX_AF_CONTACT_MODIFICATION},
    {BODY_FLAG_FORCE_CONE_FRICTION, 0, NX_AF_FORCE_CONE_FRICTION},
    {BODY_FLAG_USER_PAIR_FILTERING, 0, NX_AF_USER_ACTOR_PAIR_FILTERING},
};

constexpr f32 kMaxFloat = 3.4028235e38f;

void CheckUnlocked(const char* function)
{
    if (g_ManagerManager.GetLockState() == MANAGER_LOCK_LOCKED)
        __Abort(function, "sources/ageia/nxbody", __LINE__, "manager system 'initialize' is locked");
}
} // namespace

TNxDynamicsBody::TNxDynamicsBody()
{
    std::memset(reinterpret_cast<u8*>(this) + 12, 0, sizeof(*this) - 12);
    m_nClassName = g_NameTDynamicsBody.GetId();
    m_nState = BODY_STATE_DYNAMIC;
    new (&m_BodyDesc) NxBodyDesc();
    m_UserData = {COLLISION_USER_BODY, this};
    m_Bind = TMatrix(1.0f);
    m_nSkeletonIndex = SKELETON_NO_BONE;
}

bool TNxDynamicsBody::HasActor(const char* operation)
{
    if (m_pActor)
        return true;
    static bool s_bSaid = false;
    if (!s_bSaid)
        TLog::Print(g_pSystemLog, LOG_ERROR, "TNxDynamicsBody::HasActor(): error: ", "'%s': %s without an actor",
                    GetNode()->m_Name.GetText(), operation);
    s_bSaid = true;
    return false;
}

TDynamicsGeometry* TNxDynamicsBody::GetGeometry(i32 index)
{
    return aGeometry[index];
}

TDynamicsGeometry* TNxDynamicsBody::__CreateGeometry(TNode* node, u32 type)
{
    CheckUnlocked("TNxDynamicsBody::__CreateGeometry");
    if (m_nGeometryCount >= BODY_GEOMETRY_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TNxDynamicsBody::__CreateGeometry(): error: ",
                    "'%s': more than %d geometries refused", GetNode()->m_Name.GetText(), BODY_GEOMETRY_CAPACITY);
        return nullptr;
    }
    if (type <= GEOMETRY_WHEEL && !TNxDynamicsGeometry::HasDescriptor(type))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TNxDynamicsBody::__CreateGeometry(): error: ",
                    "'%s': geometry type %u has no shape: refused", GetNode()->m_Name.GetText(), type);
        return nullptr;
    }
    TNxDynamicsGeometry* geometry = g_pNxDynamicsManager->NewGeometry();
    if (node)
    {
        node->AddObject(geometry);
        node->m_nFlags &= ~NODE_DEFERRED;
    }
    aGeometry[m_nGeometryCount++] = geometry;
    geometry->pBody = this;
    geometry->m_nType = type;
    geometry->InitDescriptor(type);
    return geometry;
}

TDynamicsGeometry* TNxDynamicsBody::__CreateGeometryFromObject(TNxCollisionMesh* mesh, u32 type)
{
    if (type != GEOMETRY_CONVEX && type != GEOMETRY_TRIANGLE_MESH)
        return nullptr;
    auto* geometry = static_cast<TNxDynamicsGeometry*>(__CreateGeometry(mesh->pNode, type));
    if (!geometry)
        return nullptr;
    geometry->pCollisionData = mesh->pCollisionMeshData;
    mesh->pGeometry = geometry;
    return geometry;
}

void TNxDynamicsBody::__Create()
{
    NxScene* scene = g_pNxDynamicsManager->GetScene();
    if (m_pActor || !scene)
        return;
    NxActorDesc desc;
    const TMatrix world = UnscaledPose(*GetMatrix(), "TNxDynamicsBody::__Create(): warning: ", GetNode()->m_Name.GetText());
    desc.globalPose = PoseOf(world);
    i32 solid = 0;
    for (i32 i = 0; i < m_nGeometryCount; ++i)
    {
        aGeometry[i]->AddToActor(desc, world);
        if (!(aGeometry[i]->GetShapeFlags() && (*aGeometry[i]->GetShapeFlags() & 0x7)))
            ++solid;
    }
    if (solid == 0)
        m_BodyDesc.massSpaceInertia.set(1.0f, 1.0f, 1.0f);
    if (m_nState & BODY_STATE_INERTIA_FROM_MASS)
        m_BodyDesc.massSpaceInertia.set(m_BodyDesc.mass, m_BodyDesc.mass, m_BodyDesc.mass);
    desc.body = &m_BodyDesc;
    desc.flags = m_nActorFlags;
    desc.contactReportFlags = m_nContactReportFlags;
    desc.group = m_nGroup;
    desc.dominanceGroup = m_nDominanceGroup;
    m_pActor = scene->createActor(desc);
    if (!m_pActor)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TNxDynamicsBody::__Create(): error: ", "'%s': no actor made",
                    GetNode()->m_Name.GetText());
        return;
    }
    m_pActor->setCMassOffsetLocalPose(m_BodyDesc.massLocalPose);
    m_UserData = {COLLISION_USER_BODY, this};
    m_pActor->userData = &m_UserData;
    for (NxU32 i = 0; i < m_pActor->getNbShapes(); ++i)
    {
        NxShape* shape = m_pActor->getShapes()[i];
        const auto* data = static_cast<const TCollisionUserData*>(shape->userData);
        if (data && data->nKind == COLLISION_USER_GEOMETRY)
            static_cast<TNxDynamicsGeometry*>(data->pObject)->SetShape(shape);
    }
    TNode* node = GetNode();
    node->m_nFlags &= ~NODE_DEFERRED;
    if (!node->IsEnabled())
    {
        for (i32 i = 0; i < m_nGeometryCount; ++i)
            aGeometry[i]->OnEnable(0);
        OnEnable(0);
    }
    else if (IsDynamic() && !m_pActor->isSleeping())
    {
        // The layer reports only changes of sleep state: a body born awake is moving now.
        g_pNxDynamicsManager->AddAwake(this);
    }
    m_nFramesSinceWake = 0;
}

void TNxDynamicsBody::__Release()
{
    if (!m_pActor)
        return;
    // The layer drops the actor's joints with it: the joints save their state first.
    for (TDynamicsJoint* joint = lJointA.pFirst; joint; joint = static_cast<TNxDynamicsJoint*>(joint)->pNext)
        static_cast<TNxDynamicsJoint*>(joint)->__Release();
    for (TDynamicsJoint* joint = lJointB.pFirst; joint; joint = static_cast<TNxDynamicsJoint*>(joint)->pNext2)
        static_cast<TNxDynamicsJoint*>(joint)->__Release();
    g_pNxDynamicsManager->RemoveAwake(this);
    m_pActor->getScene().releaseActor(*m_pActor);
    m_pActor = nullptr;
    for (i32 i = 0; i < m_nGeometryCount; ++i)
        aGeometry[i]->SetShape(nullptr);
}

void TNxDynamicsBody::SetKinematic(bool kinematic)
{
    if (kinematic)
        m_BodyDesc.flags |= NX_BF_KINEMATIC;
    else
        m_BodyDesc.flags &= ~NxU32(NX_BF_KINEMATIC);
    if (!m_pActor)
        return;
    if (kinematic)
        m_pActor->raiseBodyFlag(NX_BF_KINEMATIC);
    else
        m_pActor->clearBodyFlag(NX_BF_KINEMATIC);
}

void TNxDynamicsBody::OnEnable(u32 enabled)
{
    if (enabled)
    {
        if (!m_pActor)
            __Create();
        if (IsDynamic())
        {
            m_nFramesSinceWake = 0;
            SetKinematic(false);
        }
        else
            UpdateWheels(0.0f);
        return;
    }
    SetKinematic(true);
    if (m_pActor)
        m_pActor->putToSleep();
}

void TNxDynamicsBody::OnNodeUpdate(const TName*)
{
    if (g_nDynamicsSynchronize || !m_pActor)
        return;
    const TMatrix world = *GetMatrix();
    const NxMat34 target = PoseOf(world);
    const NxMat34 old = m_pActor->getGlobalPose();
    if (target == old)
        return;
    if (GetNode()->IsEnabled() && (m_BodyDesc.flags & NX_BF_KINEMATIC))
        m_pActor->moveGlobalPose(target);
    else
    {
        m_pActor->setGlobalPose(target);
        WakeUp(1.0f);
    }
    UpdateSkeletonJoint();
    CarryFixedJoints();
    if (m_nState & BODY_STATE_NODE_DRIVEN)
    {
        // The node moved the body: its velocity is the move over the frame.
        const f32 dt = g_pTimer ? g_pTimer->GetGameTimeStep() : 0.0f;
        const NxVec3 v = dt > 0.0f ? (target.t - old.t) * (1.0f / dt) : NxVec3();
        m_pActor->setLinearVelocity(v);
        m_pActor->setLinearMomentum(v * m_pActor->getMass());
    }
}

void TNxDynamicsBody::CarryFixedJoints()
{
    TNxDynamicsJoint* joints[BODY_CARRIED_JOINT_CAPACITY];
    i32 count = 0;
    for (auto* joint = static_cast<TNxDynamicsJoint*>(lJointB.pFirst); joint && count < BODY_CARRIED_JOINT_CAPACITY;
         joint = joint->pNext2)
        if (joint->GetType() == JOINT_FIXED && joint->pNode && joint->pNode->IsEnabled())
            joints[count++] = joint;
    if (count == 0)
        return;
    TMatrix world = *GetMatrix();
    for (i32 i = 0; i < count; ++i)
    {
        joints[i]->pNode->Enable(0, 0);
        if (joints[i]->pBodyA)
        {
            joints[i]->pBodyA->OnNodeUpdate(TNode::OrdinaryCause());
            world = *GetMatrix();
        }
    }
    m_pActor->setGlobalPose(PoseOf(world));
    for (i32 i = 0; i < count; ++i)
        joints[i]->pNode->Enable(1, 0);
}

u32& TNxDynamicsBody::GetFlagsCopy()
{
    static u32 s_nCopy;
    s_nCopy = m_nBodyFlags;
    return s_nCopy;
}

void TNxDynamicsBody::SetFlags(u32 flags)
{
    m_nBodyFlags = flags;
    // The union of what is asked, set and cleared once: a combined freeze that is off must not
    // undo a single-axis one.
    u32 bodyOn = 0, bodyMapped = 0, actorOn = 0, actorMapped = 0;
    for (const TFlagMap& map : kFlagMap)
    {
        bodyMapped |= map.nBody;
        actorMapped |= map.nActor;
        if (flags & map.nEngine)
        {
            bodyOn |= map.nBody;
            actorOn |= map.nActor;
        }
    }
    m_BodyDesc.flags = (m_BodyDesc.flags & ~bodyMapped) | bodyOn;
    m_nActorFlags = (m_nActorFlags & ~actorMapped) | actorOn;
    if (!m_pActor)
        return;
    for (u32 bit = 1; bit; bit <<= 1)
    {
        if (bodyMapped & bit)
            (bodyOn & bit) ? m_pActor->raiseBodyFlag(NxBodyFlag(bit)) : m_pActor->clearBodyFlag(NxBodyFlag(bit));
        if (actorMapped & bit)
            (actorOn & bit) ? m_pActor->raiseActorFlag(NxActorFlag(bit)) : m_pActor->clearActorFlag(NxActorFlag(bit));
    }
}

void TNxDynamicsBody::SetFrameUpdate(u32 on)
{
    if (on)
    {
        if (GetNode()->IsEnabled() && !(m_nState & BODY_STATE_FRAME_UPDATE))
        {
            g_pNxDynamicsManager->AddFrameUpdate(this);
            m_nState |= BODY_STATE_FRAME_UPDATE;
        }
    }
    else if (m_nState & BODY_STATE_FRAME_UPDATE)
        g_pNxDynamicsManager->RemoveFrameUpdate(this);
}

void TNxDynamicsBody::SetGroup(u16 group)
{
    m_nGroup = group;
    if (m_pActor)
        m_pActor->setGroup(group);
}

void TNxDynamicsBody::SetDominanceGroup(u16 group)
{
    m_nDominanceGroup = group;
    if (m_pActor)
        m_pActor->setDominanceGroup(group);
}

u32 TNxDynamicsBody::IsActorDynamic()
{
    return HasActor("IsActorDynamic") && m_pActor->isDynamic() ? 1 : 0;
}

f32 TNxDynamicsBody::GetKineticEnergy()
{
    return HasActor("GetKineticEnergy") ? m_pActor->computeKineticEnergy() : 0.0f;
}

void TNxDynamicsBody::SetDynamic(u32 mode)
{
    if (mode)
        m_nState |= BODY_STATE_DYNAMIC;
    else
        m_nState &= ~BODY_STATE_DYNAMIC;
    SetKinematic(mode == 0);
    if (!m_pActor)
        return;
    if (!mode)
    {
        g_pNxDynamicsManager->RemoveAwake(this);
        UpdateWheels(0.0f);
        return;
    }
    m_pActor->setLinearVelocity(NxVec3());
    m_pActor->setAngularVelocity(NxVec3());
    if (mode & 0x2)
    {
        OnNodeUpdate(TNode::OrdinaryCause());
        WakeUp(10.0f);
    }
}

void TNxDynamicsBody::SetMass(f32 mass)
{
    m_BodyDesc.mass = mass;
    if (m_pActor)
        m_pActor->setMass(mass);
}

TVector TNxDynamicsBody::GetCenterOfMass()
{
    return Vector(m_BodyDesc.massLocalPose.t);
}

void TNxDynamicsBody::SetCenterOfMass(const TVector& center)
{
    m_BodyDesc.massLocalPose.t = NxVector(center);
    if (m_pActor)
        m_pActor->setCMassOffsetLocalPosition(m_BodyDesc.massLocalPose.t);
}

void TNxDynamicsBody::SetLinearDamping(f32 damping)
{
    m_BodyDesc.linearDamping = damping;
    if (m_pActor)
        m_pActor->setLinearDamping(damping);
}

void TNxDynamicsBody::SetAngularDamping(f32 damping)
{
    m_BodyDesc.angularDamping = damping;
    if (m_pActor)
        m_pActor->setAngularDamping(damping);
}

void TNxDynamicsBody::SetLinearVelocity(const TVector& velocity)
{
    m_BodyDesc.linearVelocity = NxVector(velocity);
    if (m_pActor)
        m_pActor->setLinearVelocity(m_BodyDesc.linearVelocity);
}

void TNxDynamicsBody::SetAngularVelocity(const TVector& velocity)
{
    m_BodyDesc.angularVelocity = NxVector(velocity);
    if (m_pActor)
        m_pActor->setAngularVelocity(m_BodyDesc.angularVelocity);
}

TVector TNxDynamicsBody::GetLinearVelocity()
{
    return HasActor("GetLinearVelocity") ? Vector(m_pActor->getLinearVelocity()) : Vector(NxVec3());
}

TVector TNxDynamicsBody::GetAngularVelocity()
{
    return HasActor("GetAngularVelocity") ? Vector(m_pActor->getAngularVelocity()) : Vector(NxVec3());
}

void TNxDynamicsBody::SetMaxAngularVelocity(f32 velocity)
{
    m_BodyDesc.maxAngularVelocity = velocity;
    if (m_pActor)
        m_pActor->setMaxAngularVelocity(velocity);
}

void TNxDynamicsBody::SetLinearMomentum(const TVector& momentum)
{
    if (HasActor("SetLinearMomentum"))
        m_pActor->setLinearMomentum(NxVector(momentum));
}

void TNxDynamicsBody::SetAngularMomentum(const TVector& momentum)
{
    if (HasActor("SetAngularMomentum"))
        m_pActor->setAngularMomentum(NxVector(momentum));
}

TVector TNxDynamicsBody::GetLinearMomentum()
{
    return HasActor("GetLinearMomentum") ? Vector(m_pActor->getLinearMomentum()) : Vector(NxVec3());
}

TVector TNxDynamicsBody::GetAngularMomentum()
{
    return HasActor("GetAngularMomentum") ? Vector(m_pActor->getAngularMomentum()) : Vector(NxVec3());
}

void TNxDynamicsBody::AddForceAtPosition(const TVector& force, const TVector& position, u32 mode, u32 wake)
{
    if (HasActor("AddForceAtPosition"))
        m_pActor->addForceAtPos(NxVector(force), NxVector(position), NxForceMode(mode), wake != 0);
}

void TNxDynamicsBody::AddForce(const TVector& force, u32 mode, u32 wake)
{
    if (HasActor("AddForce"))
        m_pActor->addForce(NxVector(force), NxForceMode(mode), wake != 0);
}

void TNxDynamicsBody::AddTorque(const TVector& torque, u32 mode, u32 wake)
{
    if (HasActor("AddTorque"))
        m_pActor->addTorque(NxVector(torque), NxForceMode(mode), wake != 0);
}

TVector TNxDynamicsBody::GetPointVelocity(const TVector& point)
{
    return HasActor("GetPointVelocity") ? Vector(m_pActor->getPointVelocity(NxVector(point))) : Vector(NxVec3());
}

u32 TNxDynamicsBody::IsSleeping()
{
    return HasActor("IsSleeping") && m_pActor->isGroupSleeping() ? 1 : 0;
}

void TNxDynamicsBody::WakeUp(f32 counter)
{
    if (!m_pActor)
        return;
    m_pActor->wakeUp(counter);
    if (GetNode()->IsEnabled())
        g_pNxDynamicsManager->AddAwake(this);
}

void TNxDynamicsBody::PutToSleep(u32 mode)
{
    if (m_pActor && !m_nSleepMarker)
        m_pActor->putToSleep();
    if (mode == 1)
    {
        m_nState |= BODY_STATE_SLEEP_REQUESTED;
        m_nFramesSinceWake = 0;
    }
    else if (mode == 2)
    {
        m_nState |= BODY_STATE_HOLD_STILL;
        m_nFramesSinceWake = 0;
    }
}

void TNxDynamicsBody::SetPairFlags(TDynamicsBody* other, u32 flags)
{
    NxActor* actor = static_cast<TNxDynamicsBody*>(other)->m_pActor;
    if (HasActor("SetPairFlags") && actor)
        m_pActor->getScene().setActorPairFlags(*m_pActor, *actor, flags);
}

void TNxDynamicsBody::SetContactReport(u32 flags, f32 threshold)
{
    m_nContactReportFlags = flags;
    m_BodyDesc.contactReportThreshold = threshold == -1.0f ? kMaxFloat : threshold;
    if (!m_pActor)
        return;
    m_pActor->setContactReportFlags(flags);
    m_pActor->setContactReportThreshold(m_BodyDesc.contactReportThreshold);
}

void TNxDynamicsBody::HoldStill()
{
    if (!m_pActor)
        return;
    m_pActor->setLinearVelocity(NxVec3());
    m_pActor->setAngularVelocity(NxVec3());
    m_pActor->setLinearMomentum(NxVec3());
    m_pActor->setAngularMomentum(NxVec3());
}

void TNxDynamicsBody::SetSkeletonJoint(TSkeleton* skeleton, const TSkeletonBone* bone)
{
    pSkeleton = skeleton;
    m_nSkeletonIndex = SKELETON_NO_BONE;
    const TSkeletonData* data = skeleton ? skeleton->pSkeletonData : nullptr;
    if (!data)
        return;
    const u32 count = data->GetBoneCount();
    for (u32 i = 0; i < count; ++i)
        if (&data->aBone[i] == bone)
            m_nSkeletonIndex = static_cast<i32>(i);
    if (m_nSkeletonIndex == SKELETON_NO_BONE)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TNxDynamicsBody::SetSkeletonJoint(): error: ",
                    "Can't find joint index for '%s' on skeleton '%s'.", bone->Name.GetText(), data->GetNameText());
        return;
    }
    const TMatrix& skeletonWorld = *skeleton->GetMatrix();
    m_Bind = TMatrix::Multiply(TMatrix::Multiply(bone->Bind.Inverse(), skeletonWorld), GetMatrix()->Inverse());
}

void TNxDynamicsBody::UpdateSkeletonJoint()
{
    if (pSkeleton)
        WriteBoundMatrix(pSkeleton, m_nSkeletonIndex, TMatrix::Multiply(m_Bind, *GetMatrix()));
}

void TNxDynamicsBody::UpdateWheels(f32 dt)
{
    for (i32 i = 0; i < m_nGeometryCount; ++i)
        aGeometry[i]->UpdateWheelVisual(*aGeometry[i]->GetMatrix(), dt, false);
}
