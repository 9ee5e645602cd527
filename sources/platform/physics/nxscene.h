#pragma once
// The simulated world: actors, materials, collision filtering, fixed-step simulation, events
// and scene queries. simulate runs the sub-steps at once on the calling thread, so every
// report arrives on that thread; fetchResults only answers that they are done.
#include <memory>
#include <vector>
#include "platform/physics/nxactor.h"
#include "platform/physics/nxjoint.h"
#include "platform/physics/nxmaterial.h"
#include "platform/physics/nxscenedesc.h"
#include "platform/physics/nxscenequery.h"
#include "platform/physics/pairfilter.h"

class NxPhysicsSDK;
class TBulletWorld;
class TContactTracker;
class TSceneQueries;

class NxScene
{
public:
    NxScene(NxPhysicsSDK& sdk, const NxSceneDesc& desc);
    ~NxScene();
    NxScene(const NxScene&) = delete;
    NxScene& operator=(const NxScene&) = delete;

    NxPhysicsSDK& getPhysicsSDK() const { return sdk_; }
    void* userData = nullptr;

    void setGravity(const NxVec3& gravity);
    void getGravity(NxVec3& gravity) const { gravity = gravity_; }

    NxActor* createActor(const NxActorDesc& desc);
    void releaseActor(NxActor& actor);
    NxU32 getNbActors() const { return NxU32(actors_.size()); }
    NxActor** getActors() { return actors_.data(); }

    // Joints of every kind; an unknown kind is refused (null, reported).
    NxJoint* createJoint(const NxJointDesc& desc);
    void releaseJoint(NxJoint& joint);
    NxU32 getNbJoints() const { return NxU32(joints_.size()); }

    // Materials by index; index 0 always exists, and creating one fills any gap below it.
    NxMaterial* createMaterial(const NxMaterialDesc& desc);
    void releaseMaterial(NxMaterial& material);
    NxMaterial* getMaterialFromIndex(NxMaterialIndex index) const;
    NxMaterialIndex getHighestMaterialIndex() const { return NxMaterialIndex(materials_.size() - 1); }
    NxU32 getNbMaterials() const { return NxU32(materials_.size()); }

    // Filtering (see TPairFilter).
    void setActorPairFlags(NxActor& a, NxActor& b, NxU32 flags);
    NxU32 getActorPairFlags(NxActor& a, NxActor& b) const { return filter_.actorPairFlags(a, b); }
    void setShapePairFlags(NxShape& a, NxShape& b, NxU32 flags);
    NxU32 getShapePairFlags(NxShape& a, NxShape& b) const { return filter_.shapePairFlags(a, b); }
    void setActorGroupPairFlags(NxActorGroup a, NxActorGroup b, NxU32 flags) { filter_.setActorGroupPairFlags(a, b, flags); }
    NxU32 getActorGroupPairFlags(NxActorGroup a, NxActorGroup b) const { return filter_.actorGroupPairFlags(a, b); }
    void setGroupCollisionFlag(NxCollisionGroup a, NxCollisionGroup b, bool enable);
    bool getGroupCollisionFlag(NxCollisionGroup a, NxCollisionGroup b) const { return filter_.groupCollision(a, b); }
    // Stored only: dominance is not simulated here (said once through the output stream).
    void setDominanceGroupPair(NxDominanceGroup a, NxDominanceGroup b, NxReal dominance0, NxReal dominance1);
    void setFilterOps(NxFilterOp op0, NxFilterOp op1, NxFilterOp op2) { filter_.setOps(op0, op1, op2); refilter(); }
    void setFilterBool(bool flag) { filter_.setBool(flag); refilter(); }
    void setFilterConstant0(const NxGroupsMask& mask) { filter_.setConstant0(mask); refilter(); }
    void setFilterConstant1(const NxGroupsMask& mask) { filter_.setConstant1(mask); refilter(); }
    const TPairFilter& filter() const { return filter_; }

    // Fixed: sub-steps of maxTimestep, at most maxIter per call, the remainder carried to the
    // next call. Variable: one step of the elapsed time.
    void setTiming(NxReal maxTimestep = 1.0f / 60.0f, NxU32 maxIter = 8, NxTimeStepMethod method = NX_TIMESTEP_FIXED);
    void getTiming(NxReal& maxTimestep, NxU32& maxIter, NxTimeStepMethod& method) const;
    void simulate(NxReal elapsedTime);
    bool checkResults(NxSimulationStatus, bool = false) const { return true; }
    bool fetchResults(NxSimulationStatus status, bool block = false, NxU32* errorState = nullptr);
    void flushStream() {}
    NxU32 getSubStepCount() const { return subStepCount_; }

    void setUserNotify(NxUserNotify* notify) { desc_.userNotify = notify; }
    NxUserNotify* getUserNotify() const { return desc_.userNotify; }
    void setUserContactReport(NxUserContactReport* report) { desc_.userContactReport = report; }
    NxUserContactReport* getUserContactReport() const { return desc_.userContactReport; }
    void setUserTriggerReport(NxUserTriggerReport* report) { desc_.userTriggerReport = report; }
    NxUserTriggerReport* getUserTriggerReport() const { return desc_.userTriggerReport; }
    void setUserContactModify(NxUserContactModify* modify) { desc_.userContactModify = modify; }
    NxUserContactModify* getUserContactModify() const { return desc_.userContactModify; }

    NxSceneQuery* createSceneQuery(const NxSceneQueryDesc& desc);
    bool releaseSceneQuery(NxSceneQuery& query);

    // Queries. groups: a bit per collision group of the shapes to consider; groupsMask: tested
    // against the shapes' masks with the scene's filter; trigger shapes are not hit by rays.
    NxShape* raycastClosestShape(const NxRay& worldRay, NxShapesType shapeType, NxRaycastHit& hit,
                                 NxU32 groups = 0xffffffff, NxReal maxDist = 3.4028235e38f, NxU32 hintFlags = 0xffffffff,
                                 const NxGroupsMask* groupsMask = nullptr, NxShape** cache = nullptr) const;
    NxU32 raycastAllShapes(const NxRay& worldRay, NxUserRaycastReport& report, NxShapesType shapeType,
                           NxU32 groups = 0xffffffff, NxReal maxDist = 3.4028235e38f, NxU32 hintFlags = 0xffffffff,
                           const NxGroupsMask* groupsMask = nullptr) const;
    NxU32 overlapSphereShapes(const NxSphere& worldSphere, NxShapesType shapeType, NxU32 nbShapes, NxShape** shapes,
                              NxUserEntityReport<NxShape*>* callback, NxU32 activeGroups = 0xffffffff,
                              const NxGroupsMask* groupsMask = nullptr, bool accurateCollision = false) const;
    NxU32 overlapOBBShapes(const NxBox& worldBox, NxShapesType shapeType, NxU32 nbShapes, NxShape** shapes,
                           NxUserEntityReport<NxShape*>* callback, NxU32 activeGroups = 0xffffffff,
                           const NxGroupsMask* groupsMask = nullptr, bool accurateCollision = false) const;
    NxU32 overlapCapsuleShapes(const NxCapsule& worldCapsule, NxShapesType shapeType, NxU32 nbShapes, NxShape** shapes,
                               NxUserEntityReport<NxShape*>* callback, NxU32 activeGroups = 0xffffffff,
                               const NxGroupsMask* groupsMask = nullptr, bool accurateCollision = false) const;
    bool checkOverlapSphere(const NxSphere& worldSphere, NxShapesType shapeType = NX_ALL_SHAPES,
                            NxU32 activeGroups = 0xffffffff, const NxGroupsMask* groupsMask = nullptr) const;
    bool checkOverlapOBB(const NxBox& worldBox, NxShapesType shapeType = NX_ALL_SHAPES,
                         NxU32 activeGroups = 0xffffffff, const NxGroupsMask* groupsMask = nullptr) const;
    bool checkOverlapCapsule(const NxCapsule& worldCapsule, NxShapesType shapeType = NX_ALL_SHAPES,
                             NxU32 activeGroups = 0xffffffff, const NxGroupsMask* groupsMask = nullptr) const;

    // Layer side.
    TBulletWorld& world() const { return *world_; }
    const TSceneQueries& queries() const { return *queriesEngine_; }
    NxReal defaultSleepLinearVelocity() const;
    NxReal defaultSleepAngularVelocity() const;
    void solverIterationsChanged();
    void refilter(); // re-evaluates every broad-phase pair after a filter change
    void reportError(NxErrorCode code, const char* message) const;
    void forget(const void* actorOrShape); // its pairs, reports and flags: it is going
    bool getDominanceGroupPair(NxDominanceGroup a, NxDominanceGroup b, NxReal& dominance0, NxReal& dominance1) const;

private:
    void subStep(NxReal dt, NxU32 index, NxU32 count);
    void destroyActor(NxActor& actor);
    void reportBrokenJoints(NxReal dt);

    NxPhysicsSDK& sdk_;
    NxSceneDesc desc_;
    NxVec3 gravity_;
    std::unique_ptr<TBulletWorld> world_;
    std::vector<NxActor*> actors_;
    std::vector<NxJoint*> joints_;
    std::vector<std::unique_ptr<NxMaterial>> materials_;
    std::vector<std::unique_ptr<NxSceneQuery>> queries_;
    TPairFilter filter_;
    std::unique_ptr<TContactTracker> contacts_;
    std::unique_ptr<TSceneQueries> queriesEngine_;
    NxReal step_;
    NxU32 maxIter_;
    NxTimeStepMethod method_;
    NxReal accumulated_ = 0;
    NxU32 subStepCount_ = 0;
    bool dominanceReported_ = false;
    bool simulating_ = false;
    std::vector<NxActor*> releaseAfterStep_; // actors released from inside a report
    struct TDominance
    {
        NxDominanceGroup a, b;
        NxReal dominance0, dominance1;
    };
    std::vector<TDominance> dominance_;
};
