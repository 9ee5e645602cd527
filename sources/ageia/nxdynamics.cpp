#include "ageia/nxdynamics.h"

#include "ageia/nxbody.h"
#include "ageia/nxdynamicsdebug.h"
#include "ageia/nxgeometry.h"
#include "ageia/nxheightfield.h"
#include "ageia/nxjoint.h"
#include "ageia/nxmaterial.h"
#include "ageia/nxreports.h"
#include "ageia/physicstypes.h"
#include "ageia/skeletonbinding.h"
#include "core/cluster/cluster.h"
#include "core/math/quaternion.h"
#include "core/system/abort.h"
#include "core/system/criticalsection.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "core/system/timer.h"
#include "engine/system/command/command.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/scenetypes.h"
#include "engine/system/statemanager.h"
#include "platform/physics/nxphysicssdk.h"
#include "platform/physics/nxscene.h"

#include <cmath>
#include <cstring>

u32 g_nDynamicsSynchronize = 0;
TNxDynamicsManager* g_pNxDynamicsManager = nullptr;

namespace
{
const char* const kSource = "sources/ageia/nxdynamics";
constexpr u32 SDK_VERSION = 0x02080100;

TNxDynamicsManager s_Manager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Dynamics", "Nx", &g_pNxDynamicsManager, &s_Manager);
TDynamicsManager* const s_pInterface = (g_pDynamicsManager = &s_Manager);

class Tphysics_hardwareVariable : public TVariable
{
public:
    Tphysics_hardwareVariable() : TVariable("physics_hardware", "AGEIA Physx hardware.", VARIABLE_STARTUP)
    {
        m_Value.SetInt(0);
    }
    void OnChange() override {}
    i32 Get() const { return m_Value.ToInt(); }
};

class Tphysics_framerateVariable : public TVariable
{
public:
    Tphysics_framerateVariable() : TVariable("physics_framerate", "AGEIA Physx framerate.", VARIABLE_STARTUP)
    {
        m_Value.SetFloat(60.0f);
    }
    // The next scene made takes steps of 1 / rate.
    void OnChange() override
    {
        const f32 rate = m_Value.ToFloat();
        if (rate > 0.0f)
            s_Manager.SetStep(1.0f / rate);
    }
};

Tphysics_hardwareVariable s_physics_hardware;
Tphysics_framerateVariable s_physics_framerate;

// The remote debugger of the physics engine is not part of this build.
class TCommandageia_debug : public TCommand
{
public:
    void Execute(TCommandInstruction&, u32 prepare) override
    {
        if (prepare == COMMAND_RUN)
            TCommandManager::Instance().PrintError("AGEIA Remoter Debugger error: disabled in final build");
    }
};

TCommandageia_debug s_Commandageia_debug;
const u32 s_nCommandRegistered =
    TCommandManager::Instance().RegisterCommand("ageia_debug", "", "", &s_Commandageia_debug, 0);

void CheckUnlocked(const char* function)
{
    if (g_ManagerManager.GetLockState() == MANAGER_LOCK_LOCKED)
        __Abort(function, kSource, __LINE__, "manager system 'initialize' is locked");
}

// The node's new world matrix, stored as its local matrix relative to its parent.
void PlaceNode(TNode* node, const TMatrix& world)
{
    TNode* parent = node->GetParent();
    const TMatrix local = parent ? TMatrix::Multiply(world, parent->GetWorldMatrix()->Inverse()) : world;
    node->m_Local = local;
    node->UpdateWorldMatrix(TNode::OrdinaryCause());
}

// The two body lists, linked through a pair of the body's fields each.
typedef TNxDynamicsBody* TNxDynamicsBody::*TBodyLink;

void Append(TNxDynamicsBody*& first, TNxDynamicsBody*& last, TNxDynamicsBody* body, TBodyLink next, TBodyLink prev)
{
    body->*prev = last;
    body->*next = nullptr;
    (last ? last->*next : first) = body;
    last = body;
}

void Unlink(TNxDynamicsBody*& first, TNxDynamicsBody*& last, TNxDynamicsBody* body, TBodyLink next, TBodyLink prev)
{
    (body->*prev ? body->*prev->*next : first) = body->*next;
    (body->*next ? body->*next->*prev : last) = body->*prev;
    body->*prev = body->*next = nullptr;
}

TMatrix PoseMatrix(const NxMat34& pose)
{
    TMatrix m;
    pose.getRowMajor44(&m.aRow[0].x);
    return m;
}
} // namespace

TCriticalSection& DynamicsSceneLock()
{
    static TCriticalSection s_Lock;
    return s_Lock;
}

TNxDynamicsManager::TNxDynamicsManager()
    : m_pSDK(nullptr), m_pScene(nullptr), m_pSceneQuery(nullptr), m_fStep(1.0f / 120.0f), m_Settings{},
      m_pAwakeFirst(nullptr), m_pAwakeLast(nullptr), m_pFrameFirst(nullptr), m_pFrameLast(nullptr),
      m_nLoadedTypes(0)
{
    // The simulation step is fixed-rate work: update worker list 1 (inline without workers).
    m_nWorker = 1;
    m_Settings.fStaticFriction = 0.5f;
    m_Settings.fDynamicFriction = 0.5f;
    m_Settings.fRate = 120.0f;
    m_Settings.nMaxSubSteps = 8;
    if (!g_pCluster)
        return;
    RegisterId(DYNAMICS_MANAGER_ID);
    RegisterArray(&DynamicsMaterialDecl(), &m_aMaterial);
    RegisterArray(&DynamicsGeometryDecl(), &m_aGeometry);
    RegisterArray(&DynamicsBodyDecl(), &m_aBody);
    RegisterArray(&DynamicsJointDecl(), &m_aJoint);
    RegisterArray(&DynamicsPropProxyDecl(), &m_aPropProxy);
}

TNxDynamicsManager::~TNxDynamicsManager()
{
    FreeOwned(DYNAMICS_JOINT_TYPE_ID);
    FreeOwned(DYNAMICS_BODY_TYPE_ID);
    FreeOwned(DYNAMICS_GEOMETRY_TYPE_ID);
    FreeOwned(DYNAMICS_MATERIAL_TYPE_ID);
    m_aOwnedJoint.Free();
    m_aOwnedBody.Free();
    m_aOwnedGeometry.Free();
    m_aOwnedMaterial.Free();
}

void TNxDynamicsManager::FreeOwned(u32 typeId)
{
    // Objects leave their nodes first: the node array may already be gone at tear-down.
    if (typeId == DYNAMICS_JOINT_TYPE_ID)
    {
        for (i32 i = 0; i < m_aOwnedJoint.GetCount(); ++i)
        {
            m_aOwnedJoint[i]->pNode = nullptr;
            MemoryDelete(m_aOwnedJoint[i]);
        }
        m_aOwnedJoint.SetCount(0);
    }
    else if (typeId == DYNAMICS_BODY_TYPE_ID)
    {
        for (i32 i = 0; i < m_aOwnedBody.GetCount(); ++i)
        {
            m_aOwnedBody[i]->pNode = nullptr;
            MemoryDelete(m_aOwnedBody[i]);
        }
        m_aOwnedBody.SetCount(0);
    }
    else if (typeId == DYNAMICS_GEOMETRY_TYPE_ID)
    {
        for (i32 i = 0; i < m_aOwnedGeometry.GetCount(); ++i)
        {
            m_aOwnedGeometry[i]->pNode = nullptr;
            MemoryDelete(m_aOwnedGeometry[i]);
        }
        m_aOwnedGeometry.SetCount(0);
    }
    else if (typeId == DYNAMICS_MATERIAL_TYPE_ID)
    {
        for (i32 i = 0; i < m_aOwnedMaterial.GetCount(); ++i)
            MemoryDelete(m_aOwnedMaterial[i]);
        m_aOwnedMaterial.SetCount(0);
    }
}

i32 TNxDynamicsManager::SetArray(u32 typeId, void*, i32 count)
{
    // The holder now lists the cluster's objects: the ones made here are no longer used.
    FreeOwned(typeId);
    if (typeId == DYNAMICS_BODY_TYPE_ID)
        m_pAwakeFirst = m_pAwakeLast = m_pFrameFirst = m_pFrameLast = nullptr;
    // The loaded objects are not whole yet (their virtual tables come later): the load's end
    // forgets their words.
    if (count > 0 && typeId >= DYNAMICS_MATERIAL_TYPE_ID && typeId <= DYNAMICS_JOINT_TYPE_ID)
        m_nLoadedTypes |= 1u << (typeId - DYNAMICS_MATERIAL_TYPE_ID);
    return 0;
}

void TNxDynamicsManager::ForgetLoadedWords(u32 typeId)
{
    if (typeId == DYNAMICS_JOINT_TYPE_ID)
        for (i32 i = 0; i < m_aJoint.GetCount(); ++i)
            m_aJoint[i]->ForgetLoadedJoint();
    if (typeId == DYNAMICS_MATERIAL_TYPE_ID)
        for (i32 i = 0; i < m_aMaterial.GetCount(); ++i)
            m_aMaterial[i]->m_pMaterial = nullptr;
    if (typeId == DYNAMICS_GEOMETRY_TYPE_ID)
        for (i32 i = 0; i < m_aGeometry.GetCount(); ++i)
            m_aGeometry[i]->SetShape(nullptr);
    if (typeId == DYNAMICS_BODY_TYPE_ID)
        for (i32 i = 0; i < m_aBody.GetCount(); ++i)
        {
            TNxDynamicsBody* body = m_aBody[i];
            body->m_pActor = nullptr;
            body->m_nState &= ~BODY_STATE_FRAME_UPDATE;
            if (body->m_nGeometryCount < 0 || body->m_nGeometryCount > BODY_GEOMETRY_CAPACITY)
            {
                TLog::Print(g_pSystemLog, LOG_ERROR, "TNxDynamicsManager::SetArray(): error: ",
                            "body '%s': %d geometries cut to %d", body->GetNode()->m_Name.GetText(),
                            body->m_nGeometryCount, BODY_GEOMETRY_CAPACITY);
                body->m_nGeometryCount = body->m_nGeometryCount < 0 ? 0 : BODY_GEOMETRY_CAPACITY;
            }
        }
}

i32 TNxDynamicsManager::GetData(i32, void*& data, i32& size)
{
    data = &m_Settings;
    size = DYNAMICS_SETTINGS_SIZE;
    return 0;
}

i32 TNxDynamicsManager::SetData(i32, const void* data, i32 size)
{
    // Stored data may be short or long: at most the block is copied, and the pair counts are
    // kept within their 32 words.
    if (size > DYNAMICS_SETTINGS_SIZE)
        size = DYNAMICS_SETTINGS_SIZE;
    if (size > 0)
        std::memcpy(&m_Settings, data, static_cast<u32>(size));
    const i32 counts[2] = {m_Settings.nGroupPairCount, m_Settings.nDominancePairCount};
    for (i32 i = 0; i < 2; ++i)
        if (counts[i] < 0 || counts[i] > DYNAMICS_PAIR_CAPACITY)
            TLog::Print(g_pSystemLog, LOG_ERROR, "TNxDynamicsManager::SetData(): error: ",
                        "%d pair words: kept to %d", counts[i], DYNAMICS_PAIR_CAPACITY);
    auto clamp = [](i32 n) { return n < 0 ? 0 : (n > DYNAMICS_PAIR_CAPACITY ? DYNAMICS_PAIR_CAPACITY : n); };
    m_Settings.nGroupPairCount = clamp(m_Settings.nGroupPairCount);
    m_Settings.nDominancePairCount = clamp(m_Settings.nDominancePairCount);
    return 0;
}

i32 TNxDynamicsManager::InitializeManager()
{
    // Initialised again without a finalize between (a second program start-up in one process):
    // the first SDK goes with its scene, and what stood in it is made again at the next load.
    _ReleaseSdk();
    TLog::Print(g_pSystemLog, LOG_INFO, "TNxDynamicsManager::InitializeManager(): ", "AGEIA physics SDK version %d.%d.%d",
                2, 8, 1);
    NxPhysicsSDKDesc desc;
    m_pSDK = NxCreatePhysicsSDK(SDK_VERSION, nullptr, &DynamicsErrorStream(), desc);
    if (!m_pSDK)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TNxDynamicsManager::InitializeManager(): error: ",
                    "unable to create AGEIA physics");
        return 1;
    }
    m_pSDK->setParameter(NX_SKIN_WIDTH, 0.01f);
    _CreateScene();
    return 0;
}

void TNxDynamicsManager::_CreateScene()
{
    CheckUnlocked("TNxDynamicsManager::_CreateScene");
    NxSceneDesc desc;
    desc.gravity.set(0.0f, -9.8f, 0.0f);
    desc.userNotify = &DynamicsUserNotify();
    desc.userContactModify = &DynamicsContactModify();
    desc.userTriggerReport = &DynamicsTriggerReport();
    desc.userContactReport = &DynamicsContactReport();
    desc.maxTimestep = 1.0f / 60.0f;
    desc.maxIter = 8;
    desc.timeStepMethod = NX_TIMESTEP_FIXED;
    desc.flags = NX_SF_DISABLE_SCENE_MUTEX;
    desc.simType = s_physics_hardware.Get() != 0 ? NX_SIMULATION_HW : NX_SIMULATION_SW;
    m_pScene = m_pSDK->createScene(desc);
    if (!m_pScene && desc.simType == NX_SIMULATION_HW)
    {
        desc.simType = NX_SIMULATION_SW;
        m_pScene = m_pSDK->createScene(desc);
    }
    if (!m_pScene)
        __Abort("TNxDynamicsManager::_CreateScene", kSource, __LINE__, "unable to create AGEIA physx scene");
    m_pScene->setTiming(m_fStep, static_cast<NxU32>(std::ceil(0.2f / m_fStep)), NX_TIMESTEP_FIXED);
    NxMaterial* standard = m_pScene->getMaterialFromIndex(0);
    standard->setRestitution(0.0f);
    standard->setStaticFriction(0.5f);
    standard->setDynamicFriction(0.5f);
    m_pScene->setGroupCollisionFlag(1, 1, false);
    m_pScene->setFilterOps(NX_FILTEROP_OR, NX_FILTEROP_OR, NX_FILTEROP_AND);
    m_pScene->setFilterBool(true);
    NxGroupsMask zero;
    zero.bits0 = zero.bits1 = zero.bits2 = zero.bits3 = 0;
    m_pScene->setFilterConstant0(zero);
    m_pScene->setFilterConstant1(zero);
    NxSceneQueryDesc queryDesc;
    queryDesc.executeMode = NX_SQE_ASYNCHRONOUS;
    queryDesc.report = &DynamicsSceneQueryReport();
    m_pSceneQuery = m_pScene->createSceneQuery(queryDesc);
}

void TNxDynamicsManager::FinalizeManager()
{
    _ReleaseSdk();
    m_nListenerCount = 0;
}

void TNxDynamicsManager::_ReleaseSdk()
{
    if (m_pScene)
    {
        _ReleaseObjects();
        TNxHeightFieldArray::ForgetScene();
        m_pSDK->releaseScene(*m_pScene);
    }
    if (m_pSDK)
        m_pSDK->release();
    m_pScene = nullptr;
    m_pSceneQuery = nullptr;
    m_pSDK = nullptr;
}

void TNxDynamicsManager::BeginManager()
{
    g_pCluster->AddListener(this);
    g_pResourceManager->AddMethod(this);
    g_pStateManager->RegisterStateObject(this);
}

void TNxDynamicsManager::RenderManager()
{
    TNxDynamicsDebug::Render(*this);
}

void TNxDynamicsManager::ThreadUpdateManager(f32 step)
{
    if (!m_pScene)
        return;
    Lock();
    m_pScene->flushStream();
    f32 remaining = step;
    while (remaining > DYNAMICS_MAX_SIMULATE)
    {
        m_pScene->simulate(DYNAMICS_MAX_SIMULATE);
        m_pScene->fetchResults(NX_RIGID_BODY_FINISHED, true);
        remaining -= DYNAMICS_MAX_SIMULATE;
    }
    m_pScene->simulate(remaining);
    m_pScene->fetchResults(NX_RIGID_BODY_FINISHED, true);
    Unlock();
}

void TNxDynamicsManager::Interpolate(TNxDynamicsBody* body)
{
    const TBodyInterpolation& at = body->m_Interpolation;
    f32 f = 0.0f;
    if (at.fEndTime - at.fStartTime > 0.0001f)
    {
        const f32 now = g_pTimer ? g_pTimer->GetGameTime() : 0.0f;
        f = (now - at.fStartTime) / (at.fEndTime - at.fStartTime);
        f = f < -2.0f ? -2.0f : (f > 3.0f ? 3.0f : f);
    }
    TMatrix world = TQuaternion::Slerp(at.StartRotation, at.EndRotation, f).ToMatrix();
    for (i32 i = 0; i < 3; ++i)
        (&world.aRow[3].x)[i] = at.aStartPosition[i] + (at.aEndPosition[i] - at.aStartPosition[i]) * f;
    world.aRow[3].w = 1.0f;
    PlaceNode(body->pNode, world);
}

void TNxDynamicsManager::UpdateManager(f32 dt)
{
    TNxHeightField::ProcessRequests();
    for (TNxDynamicsBody* body = m_pFrameFirst; body; body = body->pNext2)
    {
        if (body->m_Interpolation.fEndTime > 0.0f && body->pNode)
            Interpolate(body);
        body->UpdateWheels(dt);
    }
    g_nDynamicsSynchronize = 1;
    for (TNxDynamicsBody* body = m_pAwakeFirst; body;)
    {
        // A body made kinematic below may leave the list.
        TNxDynamicsBody* next = body->pNext;
        WriteBack(body, dt);
        body = next;
    }
    g_nDynamicsSynchronize = 0;
}

void TNxDynamicsManager::WriteBack(TNxDynamicsBody* body, f32 dt)
{
    if (!body->IsDynamic() || !body->GetActor() || !body->pNode)
        return;
    if (body->IsAsleep() && body->m_nFramesSinceWake < DYNAMICS_HOLD_FRAMES)
        body->PutToSleep(0);
    if (body->m_nState & BODY_STATE_HOLD_STILL)
    {
        if (body->m_nFramesSinceWake < DYNAMICS_HOLD_FRAMES)
            body->HoldStill();
        else
            body->m_nState &= ~BODY_STATE_HOLD_STILL;
    }
    ++body->m_nFramesSinceWake;
    if (body->m_nState & BODY_STATE_NODE_DRIVEN)
        return;
    NxActor* actor = body->GetActor();
    const NxMat34 pose = actor->getGlobalPose();
    if (pose.t.y < DYNAMICS_FLOOR)
    {
        body->SetDynamic(0);
        return;
    }
    TNode* node = body->pNode;
    TVector v = body->GetLinearVelocity();
    const f32 speed = v.Length();
    const f32 previous = node->m_Vector.Length();
    if (speed <= DYNAMICS_SPEED_LIMIT && speed - previous <= DYNAMICS_SPEED_JUMP)
    {
        PlaceNode(node, PoseMatrix(pose));
        node->SetVector(v);
        WriteWheels(body, dt);
        return;
    }
    // Blown up: the node goes on from where it was, slowly, and the body is held still for a
    // few frames.
    body->m_nState |= BODY_STATE_HOLD_STILL;
    body->m_nFramesSinceWake = 0;
    if (speed >= 1e-30f)
        v.Scale((speed - previous > DYNAMICS_SPEED_JUMP ? DYNAMICS_JUMP_SPEED : DYNAMICS_SPEED_LIMIT) / speed);
    TMatrix world = *node->GetWorldMatrix();
    world.aRow[3] = TVector(world.aRow[3].x + v.x * dt, world.aRow[3].y + v.y * dt, world.aRow[3].z + v.z * dt, 1.0f);
    g_nDynamicsSynchronize = 0;
    PlaceNode(node, world);
    g_nDynamicsSynchronize = 1;
    node->SetVector(v);
    body->HoldStill();
    WriteWheels(body, dt);
}

void TNxDynamicsManager::WriteWheels(TNxDynamicsBody* body, f32 dt)
{
    for (i32 i = 0; i < body->m_nGeometryCount; ++i)
    {
        TNxDynamicsGeometry* geometry = body->aGeometry[i];
        if (geometry->m_nType != GEOMETRY_WHEEL || !geometry->pSkeleton || !geometry->GetShape())
            continue;
        TMatrix pose = PoseMatrix(geometry->GetShape()->getGlobalPose());
        NormalizeAxes(pose);
        geometry->UpdateWheelVisual(pose, dt, true);
    }
    body->UpdateSkeletonJoint();
}

TDynamicsMaterial* TNxDynamicsManager::GetMaterial(i32 index)
{
    return m_aMaterial[index];
}

TDynamicsMaterial* TNxDynamicsManager::CreateMaterial(const TName& name)
{
    TNxDynamicsMaterial* material = MemoryNew<TNxDynamicsMaterial>();
    m_aOwnedMaterial.Add(material);
    m_aMaterial.Add(material);
    material->m_Name = name;
    material->m_nIndex = static_cast<u16>(m_aMaterial.GetCount());
    return material;
}

TDynamicsBody* TNxDynamicsManager::GetBody(i32 index)
{
    return m_aBody[index];
}

TDynamicsBody* TNxDynamicsManager::CreateBody(TNode* node)
{
    TNxDynamicsBody* body = MemoryNew<TNxDynamicsBody>();
    m_aOwnedBody.Add(body);
    m_aBody.Add(body);
    if (node)
        node->AddObject(body);
    return body;
}

TNxDynamicsGeometry* TNxDynamicsManager::NewGeometry()
{
    TNxDynamicsGeometry* geometry = MemoryNew<TNxDynamicsGeometry>();
    m_aOwnedGeometry.Add(geometry);
    m_aGeometry.Add(geometry);
    return geometry;
}

TDynamicsJoint* TNxDynamicsManager::FindJoint(const TName& name)
{
    for (i32 i = 0; i < m_aJoint.GetCount(); ++i)
    {
        const TNode* node = m_aJoint[i]->pNode;
        if ((node ? node->m_Name.GetId() : 0) == name.GetId())
            return m_aJoint[i];
    }
    return nullptr;
}

TDynamicsJoint* TNxDynamicsManager::GetJoint(i32 index)
{
    return m_aJoint[index];
}

TDynamicsJoint* TNxDynamicsManager::CreateJoint(TNode* node, u32 type)
{
    CheckUnlocked("TNxDynamicsManager::CreateJoint");
    if (type >= JOINT_TYPE_COUNT)
        __Abort("TNxDynamicsManager::CreateJoint", kSource, __LINE__, "unimplemented");
    TNxDynamicsJoint* joint = MemoryNew<TNxDynamicsJoint>();
    joint->InitDescriptor(type);
    m_aOwnedJoint.Add(joint);
    m_aJoint.Add(joint);
    if (node)
    {
        joint->m_RestLocal = node->GetLocalMatrix();
        node->AddObject(joint);
    }
    return joint;
}

void TNxDynamicsManager::SetGravity(const TVector& gravity)
{
    m_Settings.aGravity[0] = gravity.x;
    m_Settings.aGravity[1] = gravity.y;
    m_Settings.aGravity[2] = gravity.z;
    m_Settings.aGravity[3] = gravity.w;
    if (m_pScene)
        m_pScene->setGravity(NxVec3(gravity.x, gravity.y, gravity.z));
}

void TNxDynamicsManager::GetGravity(TVector& gravity)
{
    NxVec3 g;
    if (m_pScene)
        m_pScene->getGravity(g);
    gravity = TVector(g.x, g.y, g.z, 1.0f);
}

void TNxDynamicsManager::SetBodyPairCollision(TDynamicsBody* a, TDynamicsBody* b, u32 enable)
{
    NxActor* actorA = static_cast<TNxDynamicsBody*>(a)->GetActor();
    NxActor* actorB = static_cast<TNxDynamicsBody*>(b)->GetActor();
    if (!m_pScene || !actorA || !actorB)
        return;
    const NxU32 flags = m_pScene->getActorPairFlags(*actorA, *actorB);
    m_pScene->setActorPairFlags(*actorA, *actorB, enable ? flags & ~NxU32(NX_IGNORE_PAIR) : flags | NX_IGNORE_PAIR);
}

void TNxDynamicsManager::SetGeometryPairCollision(TDynamicsGeometry* a, TDynamicsGeometry* b, u32 enable)
{
    NxShape* shapeA = static_cast<TNxDynamicsGeometry*>(a)->GetShape();
    NxShape* shapeB = static_cast<TNxDynamicsGeometry*>(b)->GetShape();
    if (!m_pScene || !shapeA || !shapeB)
        return;
    const NxU32 flags = m_pScene->getShapePairFlags(*shapeA, *shapeB);
    m_pScene->setShapePairFlags(*shapeA, *shapeB, enable ? flags & ~NxU32(NX_IGNORE_PAIR) : flags | NX_IGNORE_PAIR);
}

void TNxDynamicsManager::SetGroupPairFlags(u16 group1, u16 group2, u32 flags)
{
    if (m_pScene)
        m_pScene->setActorGroupPairFlags(group1, group2, flags);
}

void TNxDynamicsManager::SetGroupCollision(u16 group1, u16 group2, u32 enable)
{
    if (m_pScene)
        m_pScene->setGroupCollisionFlag(group1, group2, enable != 0);
}

void TNxDynamicsManager::SetGroupDominance(u16 group1, u16 group2, u32 dominant)
{
    if (!m_pScene || group1 == group2)
        return;
    m_pScene->setDominanceGroupPair(group1, group2, dominant ? 0.0f : 1.0f, 1.0f);
}

void TNxDynamicsManager::Lock()
{
    DynamicsSceneLock().Enter();
}

void TNxDynamicsManager::Unlock()
{
    DynamicsSceneLock().Leave();
}

void TNxDynamicsManager::_ApplySettings()
{
    const TDynamicsSettings& s = m_Settings;
    m_pScene->setGravity(NxVec3(s.aGravity[0], s.aGravity[1], s.aGravity[2]));
    m_pScene->setTiming(s.fRate > 0.0f ? 1.0f / s.fRate : m_fStep, s.nMaxSubSteps, NX_TIMESTEP_FIXED);
    for (i32 i = 0; i < s.nGroupPairCount; ++i)
    {
        const u16 word = s.anGroupPair[i];
        m_pScene->setGroupCollisionFlag(PairGroup1(word), PairGroup2(word), PairFlag(word));
    }
    for (i32 i = 0; i < s.nDominancePairCount; ++i)
    {
        const u16 word = s.anDominancePair[i];
        m_pScene->setDominanceGroupPair(PairGroup1(word), PairGroup2(word), PairFlag(word) ? 0.0f : 1.0f, 1.0f);
    }
    NxMaterial* standard = m_pScene->getMaterialFromIndex(0);
    standard->setRestitution(s.fRestitution);
    standard->setStaticFriction(s.fStaticFriction);
    standard->setDynamicFriction(s.fDynamicFriction);
}

void TNxDynamicsManager::_RecreateObjects()
{
    for (i32 i = 0; i < m_aMaterial.GetCount(); ++i)
        m_aMaterial[i]->__Create(*m_pScene);
    for (i32 i = 0; i < m_aBody.GetCount(); ++i)
        m_aBody[i]->__Create();
    for (i32 i = 0; i < m_aJoint.GetCount(); ++i)
        m_aJoint[i]->__Create();
}

void TNxDynamicsManager::_ReleaseObjects()
{
    // Each joint keeps its live state in its descriptor for the rebuild.
    for (i32 i = 0; i < m_aJoint.GetCount(); ++i)
        m_aJoint[i]->__Release();
    for (i32 i = 0; i < m_aBody.GetCount(); ++i)
        m_aBody[i]->__Release();
    for (i32 i = 0; i < m_aMaterial.GetCount(); ++i)
        m_aMaterial[i]->__Release();
    m_pAwakeFirst = m_pAwakeLast = nullptr;
}

void TNxDynamicsManager::OnClusterLoad()
{
    for (u32 typeId = DYNAMICS_MATERIAL_TYPE_ID; typeId <= DYNAMICS_JOINT_TYPE_ID; ++typeId)
        if (m_nLoadedTypes & (1u << (typeId - DYNAMICS_MATERIAL_TYPE_ID)))
            ForgetLoadedWords(typeId);
    m_nLoadedTypes = 0;
    if (!m_pScene)
        return;
    _ReleaseObjects();
    // Links of loaded bodies are the saving program's lists: only the per-frame list is kept.
    for (i32 i = 0; i < m_aBody.GetCount(); ++i)
    {
        TNxDynamicsBody* body = m_aBody[i];
        body->pNext = body->pPrev = nullptr;
        if (!(body->m_nState & BODY_STATE_FRAME_UPDATE))
            body->pNext2 = body->pPrev2 = nullptr;
    }
    TNxHeightFieldArray::ForgetScene();
    m_pSDK->releaseScene(*m_pScene);
    m_pScene = nullptr;
    _CreateScene();
    _ApplySettings();
    _RecreateObjects();
}

void TNxDynamicsManager::OnClusterUnload()
{
    if (m_pScene)
        _ReleaseObjects();
    while (m_pFrameFirst)
        RemoveFrameUpdate(m_pFrameFirst);
    m_pAwakeFirst = m_pAwakeLast = nullptr;
    TNxHeightField::DropRequests(nullptr, 0);
    // Objects made here leave their nodes while the nodes still exist.
    for (i32 i = 0; i < m_aOwnedBody.GetCount(); ++i)
        if (m_aOwnedBody[i]->pNode)
            m_aOwnedBody[i]->pNode->DeleteObject(m_aOwnedBody[i]);
    for (i32 i = 0; i < m_aOwnedGeometry.GetCount(); ++i)
        if (m_aOwnedGeometry[i]->pNode)
            m_aOwnedGeometry[i]->pNode->DeleteObject(m_aOwnedGeometry[i]);
    for (i32 i = 0; i < m_aOwnedJoint.GetCount(); ++i)
        if (m_aOwnedJoint[i]->pNode)
            m_aOwnedJoint[i]->pNode->DeleteObject(m_aOwnedJoint[i]);
}

void TNxDynamicsManager::OnResourceNotify4()
{
    for (i32 i = 0; i < m_aBody.GetCount(); ++i)
    {
        TNxDynamicsBody* body = m_aBody[i];
        body->pNext = body->pPrev = nullptr;
        body->lJointA = {nullptr, nullptr};
        body->lJointB = {nullptr, nullptr};
    }
    for (i32 i = 0; i < m_aJoint.GetCount(); ++i)
    {
        TNxDynamicsJoint* joint = m_aJoint[i];
        joint->pPrev = joint->pNext = joint->pPrev2 = joint->pNext2 = nullptr;
    }
}

i32 TNxDynamicsManager::SaveState(u32 pass, TStream&)
{
    if (m_pScene && pass == 0)
        _ReleaseObjects();
    if (m_pScene && pass == 4)
        _RecreateObjects();
    return 0;
}

i32 TNxDynamicsManager::LoadState(u32 pass, TStream& stream)
{
    return SaveState(pass, stream);
}

void TNxDynamicsManager::AddAwake(TNxDynamicsBody* body)
{
    if (body->pPrev || body->pNext || body == m_pAwakeFirst)
        return;
    Append(m_pAwakeFirst, m_pAwakeLast, body, &TNxDynamicsBody::pNext, &TNxDynamicsBody::pPrev);
}

void TNxDynamicsManager::RemoveAwake(TNxDynamicsBody* body)
{
    if (!body->pPrev && !body->pNext && body != m_pAwakeFirst)
        return;
    Unlink(m_pAwakeFirst, m_pAwakeLast, body, &TNxDynamicsBody::pNext, &TNxDynamicsBody::pPrev);
}

void TNxDynamicsManager::AddFrameUpdate(TNxDynamicsBody* body)
{
    Append(m_pFrameFirst, m_pFrameLast, body, &TNxDynamicsBody::pNext2, &TNxDynamicsBody::pPrev2);
}

void TNxDynamicsManager::RemoveFrameUpdate(TNxDynamicsBody* body)
{
    Unlink(m_pFrameFirst, m_pFrameLast, body, &TNxDynamicsBody::pNext2, &TNxDynamicsBody::pPrev2);
    body->m_nState &= ~BODY_STATE_FRAME_UPDATE;
}
