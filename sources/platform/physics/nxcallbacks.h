#pragma once
// Interfaces the engine implements to hear of contacts, triggers, wake and sleep, joint breaks,
// wheel contacts, query results and enumerated entities. Every report of the simulation is made
// on the thread that calls NxScene::simulate, after the sub-step that caused it.
#include "platform/physics/nxvec3.h"

class NxActor;
class NxShape;
class NxJoint;
class NxWheelShape;

// One actor pair with the forces of its contacts summed over the sub-step.
struct NxContactPair
{
    NxActor* actors[2] = {nullptr, nullptr};
    NxVec3 sumNormalForce;
    NxVec3 sumFrictionForce;
    bool isDeletedActor[2] = {false, false};
};

class NxUserContactReport
{
public:
    virtual ~NxUserContactReport() = default;
    // events: the NX_NOTIFY_ON_* bits of this report.
    virtual void onContactNotify(NxContactPair& pair, NxU32 events) = 0;
};

class NxUserTriggerReport
{
public:
    virtual ~NxUserTriggerReport() = default;
    // status: NX_TRIGGER_ENTER, NX_TRIGGER_LEAVE or NX_TRIGGER_STAY.
    virtual void onTrigger(NxShape& triggerShape, NxShape& otherShape, NxTriggerFlag status) = 0;
};

class NxUserNotify
{
public:
    virtual ~NxUserNotify() = default;
    // true: the joint breaks and is released; false: it stays as it was.
    virtual bool onJointBreak(NxReal breakingImpulse, NxJoint& brokenJoint) = 0;
    virtual void onWake(NxActor** actors, NxU32 count) = 0;
    virtual void onSleep(NxActor** actors, NxU32 count) = 0;
};

// Kept by the scene for actors with NX_AF_CONTACT_MODIFICATION; contacts are not changed here.
class NxUserContactModify
{
public:
    virtual ~NxUserContactModify() = default;
    virtual bool onContactConstraint(NxU32& changeFlags, const NxShape* shape0, const NxShape* shape1,
                                     NxU32 featureIndex0, NxU32 featureIndex1) = 0;
};

// A wheel's ground contact before it turns into tyre forces; false drops the contact.
class NxUserWheelContactModify
{
public:
    virtual ~NxUserWheelContactModify() = default;
    virtual bool onWheelContact(NxWheelShape* wheelShape, NxVec3& contactPoint, NxVec3& contactNormal,
                                NxReal& contactPosition, NxReal& normalForce, NxShape* otherShape,
                                NxMaterialIndex& otherShapeMaterialIndex, NxU32 otherShapeFeatureIndex) = 0;
};

struct NxRaycastHit
{
    NxShape* shape = nullptr;
    NxVec3 worldImpact;
    NxVec3 worldNormal;
    NxU32 faceID = 0;         // triangle index of a mesh hit in the mesh's own order
    NxU32 internalFaceID = 0;
    NxReal distance = 0;
    NxReal u = 0, v = 0;      // impact = (1 - u - v) v0 + u v1 + v v2 on a mesh triangle
    NxMaterialIndex materialIndex = 0;
    NxU32 flags = 0;          // the NX_RAYCAST_* bits that are valid
};

class NxUserRaycastReport
{
public:
    virtual ~NxUserRaycastReport() = default;
    // false stops the cast.
    virtual bool onHit(const NxRaycastHit& hit) = 0;
};

template <class T> class NxUserEntityReport
{
public:
    virtual ~NxUserEntityReport() = default;
    // A batch of entities; false stops the enumeration.
    virtual bool onEvent(NxU32 count, T* entities) = 0;
};

enum NxQueryReportResult { NX_SQR_CONTINUE = 0, NX_SQR_ABORT_QUERY, NX_SQR_ABORT_ALL_QUERIES };

class NxSceneQueryReport
{
public:
    virtual ~NxSceneQueryReport() = default;
    virtual NxQueryReportResult onBooleanQuery(void* userData, bool result) = 0;
    virtual NxQueryReportResult onRaycastQuery(void* userData, NxU32 count, const NxRaycastHit* hits) = 0;
    virtual NxQueryReportResult onShapeQuery(void* userData, NxU32 count, NxShape** hits) = 0;
    virtual NxQueryReportResult onSweepQuery(void* userData, NxU32 count, void* hits) = 0;
};
