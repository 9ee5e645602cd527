#include "ageia/nxreports.h"

#include "ageia/dynamicslistener.h"
#include "ageia/nxbody.h"
#include "ageia/nxdynamics.h"
#include "ageia/nxjoint.h"
#include "core/system/log.h"
#include "engine/system/node.h"
#include "platform/physics/nxactor.h"
#include "platform/physics/nxjoint.h"

namespace
{
TNxDynamicsBody* BodyOf(NxActor* actor)
{
    const auto* data = static_cast<const TCollisionUserData*>(actor->userData);
    return data && data->nKind == COLLISION_USER_BODY ? static_cast<TNxDynamicsBody*>(data->pObject) : nullptr;
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
