#pragma once
// A static or dynamic actor: one rigid body of the back end whose collision volume is the
// actor's shapes (a compound in descriptor order; the shape itself when there is one shape at
// the mass frame). Trigger shapes are kept out of the body and follow it as objects of their own.
#include <memory>
#include <vector>
#include "platform/physics/nxactordesc.h"
#include "platform/physics/nxshape.h"

class NxScene;
class btRigidBody;
class btCompoundShape;
class btEmptyShape;
class NxWheelShape;

class NxActor
{
public:
    NxActor(NxScene& scene, const NxActorDesc& desc);
    ~NxActor();
    NxActor(const NxActor&) = delete;
    NxActor& operator=(const NxActor&) = delete;

    NxScene& getScene() const { return scene_; }
    bool isDynamic() const { return dynamic_; }
    const char* getName() const { return name_; }
    void setName(const char* name) { name_ = name; }

    NxU32 getNbShapes() const { return NxU32(shapes_.size()); }
    NxShape* const* getShapes() const { return shapes_.data(); }
    void releaseShape(NxShape& shape);

    // Poses of the actor's frame.
    void setGlobalPose(const NxMat34& pose);
    void setGlobalPosition(const NxVec3& position);
    NxMat34 getGlobalPose() const;
    NxVec3 getGlobalPosition() const { return getGlobalPose().t; }
    NxMat33 getGlobalOrientation() const { return getGlobalPose().M; }
    // Kinematic actors: reached at the end of the next simulate call, moving through its sub-steps.
    void moveGlobalPose(const NxMat34& pose);

    // Mass frame, mass and inertia.
    void setCMassOffsetLocalPose(const NxMat34& pose);
    void setCMassOffsetLocalPosition(const NxVec3& position);
    NxMat34 getCMassLocalPose() const { return massLocalPose_; }
    NxMat34 getCMassGlobalPose() const { return getGlobalPose() * massLocalPose_; }
    NxVec3 getCMassGlobalPosition() const { return getCMassGlobalPose().t; }
    void setMass(NxReal mass);
    NxReal getMass() const { return mass_; }
    void setMassSpaceInertiaTensor(const NxVec3& inertia);
    NxVec3 getMassSpaceInertiaTensor() const { return inertia_; }

    void setLinearDamping(NxReal damping);
    NxReal getLinearDamping() const { return linearDamping_; }
    void setAngularDamping(NxReal damping);
    NxReal getAngularDamping() const { return angularDamping_; }
    void setMaxAngularVelocity(NxReal maxAngularVelocity) { maxAngularVelocity_ = maxAngularVelocity; }
    NxReal getMaxAngularVelocity() const { return maxAngularVelocity_; }

    void setLinearVelocity(const NxVec3& v);
    void setAngularVelocity(const NxVec3& w);
    NxVec3 getLinearVelocity() const;
    NxVec3 getAngularVelocity() const;
    void setLinearMomentum(const NxVec3& p);  // m.v
    void setAngularMomentum(const NxVec3& l); // I.w
    NxVec3 getLinearMomentum() const;
    NxVec3 getAngularMomentum() const;
    NxVec3 getPointVelocity(const NxVec3& worldPoint) const;
    NxReal computeKineticEnergy() const;

    void addForceAtPos(const NxVec3& force, const NxVec3& pos, NxForceMode mode = NX_FORCE, bool wakeup = true);
    void addForce(const NxVec3& force, NxForceMode mode = NX_FORCE, bool wakeup = true);
    void addLocalForce(const NxVec3& force, NxForceMode mode = NX_FORCE, bool wakeup = true);
    void addTorque(const NxVec3& torque, NxForceMode mode = NX_FORCE, bool wakeup = true);

    void setGroup(NxActorGroup group) { group_ = group; }
    NxActorGroup getGroup() const { return group_; }
    // Stored only: dominance is not simulated here.
    void setDominanceGroup(NxDominanceGroup group) { dominanceGroup_ = group; }
    NxDominanceGroup getDominanceGroup() const { return dominanceGroup_; }
    void setContactReportFlags(NxU32 flags) { contactReportFlags_ = flags; }
    NxU32 getContactReportFlags() const { return contactReportFlags_; }
    void setContactReportThreshold(NxReal threshold) { contactReportThreshold_ = threshold; }
    NxReal getContactReportThreshold() const { return contactReportThreshold_; }

    void raiseActorFlag(NxActorFlag flag) { setActorFlags(actorFlags_ | flag); }
    void clearActorFlag(NxActorFlag flag) { setActorFlags(actorFlags_ & ~NxU32(flag)); }
    bool readActorFlag(NxActorFlag flag) const { return (actorFlags_ & flag) != 0; }
    void raiseBodyFlag(NxBodyFlag flag) { setBodyFlags(bodyFlags_ | flag); }
    void clearBodyFlag(NxBodyFlag flag) { setBodyFlags(bodyFlags_ & ~NxU32(flag)); }
    bool readBodyFlag(NxBodyFlag flag) const { return (bodyFlags_ & flag) != 0; }

    // Sleep: a dynamic actor whose speeds stay below its thresholds for its wake counter's time
    // sleeps with its island.
    bool isSleeping() const;
    bool isGroupSleeping() const { return isSleeping(); }
    void wakeUp(NxReal wakeCounterValue = 0.39999998f);
    void putToSleep();
    void setSleepLinearVelocity(NxReal threshold);
    NxReal getSleepLinearVelocity() const { return sleepLinearVelocity_; }
    void setSleepAngularVelocity(NxReal threshold);
    NxReal getSleepAngularVelocity() const { return sleepAngularVelocity_; }
    void setSleepEnergyThreshold(NxReal threshold) { sleepEnergyThreshold_ = threshold; }
    NxReal getSleepEnergyThreshold() const { return sleepEnergyThreshold_; }
    void setSolverIterationCount(NxU32 count);
    NxU32 getSolverIterationCount() const { return solverIterationCount_; }

    void* userData = nullptr;

    // Layer side.
    btRigidBody* body() const { return body_.get(); }
    NxU32 actorFlags() const { return actorFlags_; }
    bool collisionEnabled() const { return (actorFlags_ & NX_AF_DISABLE_COLLISION) == 0; }
    // The shape that a child index of the body's volume names (null when out of range).
    NxShape* shapeOfChild(int childIndex) const;
    // The one shape of the body's volume when it is not a compound (filters test it with the actor).
    NxShape* singleChild() const { return compound_ || children_.size() != 1 ? nullptr : children_[0]; }
    const std::vector<NxShape*>& triggers() const { return triggers_; }
    void rebuildCollisionShape(); // after a shape's volume, pose or trigger state changed
    void refilter();              // after a shape's filtering changed
    void beforeSubStep(NxReal dt, NxU32 subStep, NxU32 subStepCount);
    void afterSubStep();
    void afterSimulate();
    bool wasSleeping() const { return wasSleeping_; }
    void setWasSleeping(bool sleeping) { wasSleeping_ = sleeping; }

private:
    void setActorFlags(NxU32 flags);
    void setBodyFlags(NxU32 flags);
    void applyBodyFlags();
    void applyMassProperties();
    void computeMassFromShapes(NxReal density, NxReal totalMass, NxReal& mass, NxMat34& frame, NxVec3& inertia) const;
    void setBodyTransform(const NxMat34& actorPose);
    void syncTriggers();
    void destroyTriggerObjects();
    bool kinematic() const { return (bodyFlags_ & NX_BF_KINEMATIC) != 0; }
    // Whether a force or torque applies now: only to a dynamic, non-kinematic body that is
    // awake or, with `wakeup`, woken by it.
    bool acceptsForce(bool wakeup);
    NxVec3 worldInverseInertiaTimes(const NxVec3& v) const;
    NxVec3 worldInertiaTimes(const NxVec3& v) const;

    NxScene& scene_;
    const char* name_;
    bool dynamic_;
    std::vector<NxShape*> shapes_;
    std::vector<NxShape*> children_; // shapes in the body's volume, in child order
    std::vector<NxShape*> triggers_; // trigger shapes, each with an object of its own
    std::vector<NxWheelShape*> wheels_;
    std::unique_ptr<btRigidBody> body_;
    std::unique_ptr<btCompoundShape> compound_;
    std::unique_ptr<btEmptyShape> empty_;
    NxMat34 massLocalPose_;
    bool massFrameIdentity_ = true;
    NxReal mass_ = 0;
    NxVec3 inertia_;
    NxReal linearDamping_ = 0;
    NxReal angularDamping_ = 0;
    NxReal maxAngularVelocity_ = -1;
    NxReal sleepLinearVelocity_ = -1;
    NxReal sleepAngularVelocity_ = -1;
    NxReal sleepEnergyThreshold_ = -1;
    NxU32 solverIterationCount_ = 4;
    NxU32 actorFlags_ = 0;
    NxU32 bodyFlags_ = 0;
    NxActorGroup group_ = 0;
    NxDominanceGroup dominanceGroup_ = 0;
    NxU32 contactReportFlags_ = 0;
    NxReal contactReportThreshold_ = 3.4028235e38f;
    // Forces of the next simulate call and the smooth ones of its first sub-step.
    NxVec3 force_, torque_, smoothImpulse_, smoothAngularImpulse_;
    bool hasForces_ = false;
    bool hasKinematicTarget_ = false;
    NxMat34 kinematicStart_, kinematicTarget_;
    bool wasSleeping_ = false;
};
