#pragma once
// The dynamics manager's objects that hear the physics layer: its error stream, the user
// notify (joint breaks, wake and sleep), the contact modify hook and the scene-query report, one
// static each.
#include "platform/physics/nxcallbacks.h"
#include "platform/physics/nxuseroutputstream.h"

class TNxErrorStream : public NxUserOutputStream
{
public:
    void reportError(NxErrorCode code, const char* message, const char* file, int line) override {}
    NxAssertResponse reportAssertViolation(const char* message, const char* file, int line) override;
    void print(const char* message) override;
};

class TNxContactReport : public NxUserContactReport
{
public:
    // The first actor's body listener, the second's, then the global listeners.
    void onContactNotify(NxContactPair& pair, NxU32 events) override;
};

class TNxTriggerReport : public NxUserTriggerReport
{
public:
    // The objects on the shapes' nodes go to the trigger side's body listener, the other side's,
    // then the global listeners.
    void onTrigger(NxShape& triggerShape, NxShape& otherShape, NxTriggerFlag status) override;
};

class TNxWheelContactReport : public NxUserWheelContactModify
{
public:
    // The contact position is never less than the wheel radius minus 0.02; the contact is kept.
    bool onWheelContact(NxWheelShape* wheelShape, NxVec3& contactPoint, NxVec3& contactNormal,
                        NxReal& contactPosition, NxReal& normalForce, NxShape* otherShape,
                        NxMaterialIndex& otherShapeMaterialIndex, NxU32 otherShapeFeatureIndex) override;
};

class TNxUserNotify : public NxUserNotify
{
public:
    bool onJointBreak(NxReal breakingImpulse, NxJoint& brokenJoint) override;
    // Only actors whose user data names a body (kind 1) are bodies.
    void onWake(NxActor** actors, NxU32 count) override;
    void onSleep(NxActor** actors, NxU32 count) override;
};

class TNxContactModify : public NxUserContactModify
{
public:
    bool onContactConstraint(NxU32&, const NxShape*, const NxShape*, NxU32, NxU32) override
    {
        return true;
    }
};

// Results of the batched queries, each of which carries its TCollisionHit as user data.
class TSceneQueryReport : public NxSceneQueryReport
{
public:
    // The first hit's point, normal and (u, v, 0, 1) into the record, its owner the hit shape's
    // static mesh (kind 3, else null), the hit flag 1.
    NxQueryReportResult onRaycastQuery(void* userData, NxU32 count, const NxRaycastHit* hits) override;
    NxQueryReportResult onBooleanQuery(void*, bool) override { return NX_SQR_CONTINUE; }
    NxQueryReportResult onShapeQuery(void*, NxU32, NxShape**) override { return NX_SQR_CONTINUE; }
    NxQueryReportResult onSweepQuery(void*, NxU32, void*) override { return NX_SQR_CONTINUE; }
};

TNxErrorStream& DynamicsErrorStream();
TNxContactReport& DynamicsContactReport();
TNxTriggerReport& DynamicsTriggerReport();
TNxWheelContactReport& DynamicsWheelContactReport();
TNxUserNotify& DynamicsUserNotify();
TNxContactModify& DynamicsContactModify();
TSceneQueryReport& DynamicsSceneQueryReport();
