#include "ageia/nxreports.h"

#include "ageia/collisionmanager.h"
#include "ageia/dynamicslistener.h"
#include "ageia/nxbody.h"
#include "ageia/nxdynamics.h"
#include "ageia/nxjoint.h"
#include "core/system/log.h"
#include "engine/system/node.h"
#include "platform/physics/nxactor.h"
#include "platform/physics/nxjoint.h"
#include "platform/physics/nxshape.h"
#include "platform/physics/nxwheelshape.h"

namespace
{
TNxDynamicsBody* BodyOf(NxActor* actor)
{
    const auto* data = static_cast<const TCollisionUserData*>(actor->userData);
    return data && data->nKind == COLLISION_USER_BODY ? static_cast<TNxDynamicsBody*>(data->pObject) : nullptr;
}

// The engine object an actor or shape carries, null without user data.
void* ObjectOf(void* userData)
{
    return userData ? static_cast<const TCollisionUserData*>(userData)->pObject : nullptr;
}

// The first object on the node of a shape's node object (kinds 1 to 3), else null.
TNodeObject* NodeObjectOf(const NxShape& shape)
{
    const auto* data = static_cast<const TCollisionUserData*>(shape.userData);
    if (!data || data->nKind < COLLISION_USER_BODY || data->nKind > COLLISION_USER_MESH)
        return nullptr;
    const TNode* node = static_cast<TNodeObject*>(data->pObject)->pNode;
    return node && node->GetObjectCount() ? node->GetObject(0) : nullptr;
}

const char* NameOf(const TNode* node)
{
    return node ? node->m_Name.GetText() : "";
}
} // namespace

TNxErrorStream& DynamicsErrorStream()
{
    static TNxErrorStream s_Stream;
    return s_Stream;
}

TNxContactReport& DynamicsContactReport()
{
    static TNxContactReport s_Report;
    return s_Report;
}

TNxTriggerReport& DynamicsTriggerReport()
{
    static TNxTriggerReport s_Report;
    return s_Report;
}

TNxWheelContactReport& DynamicsWheelContactReport()
{
    static TNxWheelContactReport s_Report;
    return s_Report;
}

TNxUserNotify& DynamicsUserNotify()
{
    static TNxUserNotify s_Notify;
    return s_Notify;
}

TNxContactModify& DynamicsContactModify()
{
    static TNxContactModify s_Modify;
    return s_Modify;
}

TSceneQueryReport& DynamicsSceneQueryReport()
{
    static TSceneQueryReport s_Report;
    return s_Report;
}

NxQueryReportResult TSceneQueryReport::onRaycastQuery(void* userData, NxU32 count, const NxRaycastHit* hits)
{
    auto* record = static_cast<TCollisionHit*>(userData);
    if (!record || count == 0)
        return NX_SQR_CONTINUE;
    const NxRaycastHit& hit = hits[0];
    record->Point = TVector(hit.worldImpact.x, hit.worldImpact.y, hit.worldImpact.z, 1.0f);
    record->Normal = TVector(hit.worldNormal.x, hit.worldNormal.y, hit.worldNormal.z, 1.0f);
    record->Barycentric = TVector(hit.u, hit.v, 0.0f, 1.0f);
    const auto* data = hit.shape ? static_cast<const TCollisionUserData*>(hit.shape->userData) : nullptr;
    record->pOwner = data && data->nKind == COLLISION_USER_MESH ? data->pObject : nullptr;
    record->nHit = 1;
    return NX_SQR_CONTINUE;
}

NxAssertResponse TNxErrorStream::reportAssertViolation(const char* message, const char* file, int line)
{
    TLog::Print(g_pSystemLog, LOG_ERROR, "TNxErrorStream::reportAssertViolation(): error: ",
                "access violation : %s (%s line %d)\n", message, file, line);
    return NX_AR_BREAKPOINT;
}

void TNxErrorStream::print(const char* message)
{
    TLog::Print(g_pSystemLog, LOG_INFO, "TNxErrorStream::print(): ", "%s", message);
}

bool TNxUserNotify::onJointBreak(NxReal breakingImpulse, NxJoint& brokenJoint)
{
    auto* joint = static_cast<TNxDynamicsJoint*>(brokenJoint.userData);
    if (!joint)
        return true;
    const TNode* node = joint->pNode;
    TLog::Print(g_pSystemLog, LOG_INFO, "TNxUserNotify::onJointBreak(): ", "'%s:%s' PropProxy break %.2f",
                NameOf(node ? node->GetParent() : nullptr), NameOf(node), breakingImpulse);
    u32 result = 1;
    TDynamicsBody* bodies[2] = {joint->pBodyA, joint->pBodyB};
    for (TDynamicsBody* body : bodies)
        if (body && static_cast<TNxDynamicsBody*>(body)->pMethods)
            result = static_cast<TNxDynamicsBody*>(body)->pMethods->OnJointBreak(joint, breakingImpulse);
    for (i32 i = 0; i < g_pDynamicsManager->GetListenerCount(); ++i)
        g_pDynamicsManager->GetListener(i)->OnJointBreak(joint, breakingImpulse);
    if (result != 1)
        return false;
    joint->m_pJoint = nullptr;
    joint->m_nBroken = 1;
    return true;
}

void TNxUserNotify::onWake(NxActor** actors, NxU32 count)
{
    for (NxU32 i = 0; i < count; ++i)
    {
        TNxDynamicsBody* body = BodyOf(actors[i]);
        if (!body)
            continue;
        if (body->pNode && body->pNode->IsEnabled())
            g_pNxDynamicsManager->AddAwake(body);
        body->m_nSleepMarker = 0;
        if (body->pMethods)
            body->pMethods->OnWake(body);
        for (i32 l = 0; l < g_pDynamicsManager->GetListenerCount(); ++l)
            g_pDynamicsManager->GetListener(l)->OnWake(body);
    }
}

void TNxUserNotify::onSleep(NxActor** actors, NxU32 count)
{
    for (NxU32 i = 0; i < count; ++i)
    {
        TNxDynamicsBody* body = BodyOf(actors[i]);
        if (!body)
            continue;
        g_pNxDynamicsManager->RemoveAwake(body);
        body->m_nSleepMarker = 1;
        if (body->pMethods)
            body->pMethods->OnSleep(body);
        for (i32 l = 0; l < g_pDynamicsManager->GetListenerCount(); ++l)
            g_pDynamicsManager->GetListener(l)->OnSleep(body);
    }
}

void TNxContactReport::onContactNotify(NxContactPair& pair, NxU32 events)
{
    if (pair.isDeletedActor[0] || pair.isDeletedActor[1])
        return;
    void* objects[2] = {ObjectOf(pair.actors[0]->userData), ObjectOf(pair.actors[1]->userData)};
    TNxDynamicsBody* bodies[2] = {BodyOf(pair.actors[0]), BodyOf(pair.actors[1])};
    const f32* normal = &pair.sumNormalForce.x;
    const f32* friction = &pair.sumFrictionForce.x;
    for (i32 i = 0; i < 2; ++i)
        if (bodies[i] && bodies[i]->pMethods)
            bodies[i]->pMethods->OnContact(bodies[i], objects[1 - i], normal, friction, events, pair);
    for (i32 l = 0; l < g_pDynamicsManager->GetListenerCount(); ++l)
        g_pDynamicsManager->GetListener(l)->OnContact(static_cast<TDynamicsBody*>(objects[0]), objects[1], normal,
                                                      friction, events, pair);
}

void TNxTriggerReport::onTrigger(NxShape& triggerShape, NxShape& otherShape, NxTriggerFlag status)
{
    TNodeObject* trigger = NodeObjectOf(triggerShape);
    TNodeObject* other = NodeObjectOf(otherShape);
    TNxDynamicsBody* bodies[2] = {BodyOf(&triggerShape.getActor()), BodyOf(&otherShape.getActor())};
    for (TNxDynamicsBody* body : bodies)
        if (body && body->pMethods)
            body->pMethods->OnTrigger(trigger, other, status);
    for (i32 l = 0; l < g_pDynamicsManager->GetListenerCount(); ++l)
        g_pDynamicsManager->GetListener(l)->OnTrigger(trigger, other, status);
}

bool TNxWheelContactReport::onWheelContact(NxWheelShape* wheelShape, NxVec3& contactPoint, NxVec3&,
                                           NxReal& contactPosition, NxReal&, NxShape*, NxMaterialIndex&, NxU32)
{
    const auto* data = static_cast<const TCollisionUserData*>(wheelShape->userData);
    if (!data)
        return true;
    const f32 r = wheelShape->getRadius() - 0.02f;
    if (r > contactPosition)
    {
        contactPosition = r;
        const TNodeObject* wheel = static_cast<const TNodeObject*>(data->pObject);
        const TMatrix& world = *wheel->GetNode()->GetWorldMatrix();
        const TVector& up = world.aRow[1];
        contactPoint.set(world.aRow[3].x - up.x * r, world.aRow[3].y - up.y * r, world.aRow[3].z - up.z * r);
    }
    return true;
}
