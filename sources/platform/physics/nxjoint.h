#pragma once
// A joint between two actors, or an actor and the world, over one constraint of the back end:
// a six-axis constraint in the joint's frames for every kind but the distance and pulley
// joints, which have constraints of ours. The joint keeps its descriptor, so saveToDesc and loadFromDesc carry
// its whole state. Limit planes are simulated when their normals lie along the joint's axis
// on kinds that slide along it (prismatic, cylindrical, point on line).
#include <memory>
#include <vector>
#include "platform/physics/nxjointdesc.h"

class NxScene;
class btTypedConstraint;
struct btJointFeedback;
class NxRevoluteJoint;
class NxD6Joint;

class NxJoint
{
public:
    NxJoint(NxScene& scene, const NxJointDesc& desc);
    virtual ~NxJoint();
    NxJoint(const NxJoint&) = delete;
    NxJoint& operator=(const NxJoint&) = delete;

    NxScene& getScene() const { return scene_; }
    NxJointType getType() const { return base().type; }
    NxJointState getState() const { return state_; }
    void getActors(NxActor** actor1, NxActor** actor2) const;
    const char* getName() const { return base().name; }
    void setName(const char* name) { base().name = name; }

    void setGlobalAnchor(const NxVec3& anchor);
    NxVec3 getGlobalAnchor() const;
    void setGlobalAxis(const NxVec3& axis);
    NxVec3 getGlobalAxis() const;
    // Forces and torques at or above these break the joint (checked per sub-step as impulses).
    void setBreakable(NxReal maxForce, NxReal maxTorque);
    void getBreakable(NxReal& maxForce, NxReal& maxTorque) const;

    // The point is on actor 2 (else actor 1); planes are fixed to the other actor.
    void setLimitPoint(const NxVec3& point, bool pointIsOnActor2 = true);
    bool getLimitPoint(NxVec3& worldLimitPoint) const;
    bool addLimitPlane(const NxVec3& normal, const NxVec3& pointInPlane, NxReal restitution = 0);
    void purgeLimitPlanes();

    NxRevoluteJoint* isRevoluteJoint();
    NxD6Joint* isD6Joint();

    void* userData = nullptr;

    // Layer side.
    bool involves(const NxActor& actor) const;
    // Breaks are found after the sub-step from the forces the joint applied: a vetoed break
    // leaves the joint as it was, holding.
    void beforeSubStep();
    bool checkBreak(NxReal dt);
    NxReal breakingImpulse() const { return breakingImpulse_; }
    void breakOff();

protected:
    NxJointDesc& base() { return *reinterpret_cast<NxJointDesc*>(storage_); }
    const NxJointDesc& base() const { return *reinterpret_cast<const NxJointDesc*>(storage_); }
    template <class D> D& descOf() { return *reinterpret_cast<D*>(storage_); }
    template <class D> const D& descOf() const { return *reinterpret_cast<const D*>(storage_); }
    void store(const NxJointDesc& desc, std::size_t size);
    void rebuild();
    btTypedConstraint* constraint() const { return constraint_.get(); }

private:
    struct TPlane
    {
        NxVec3 normal; // in actor 1's frame
        NxVec3 point;
        NxReal restitution;
    };
    void configure();
    void removeConstraint();

    NxScene& scene_;
    alignas(8) unsigned char storage_[kLargestJointDesc];
    std::unique_ptr<btTypedConstraint> constraint_;
    NxJointState state_ = NX_JS_UNBOUND;
    NxReal breakingImpulse_ = 0;
    std::unique_ptr<btJointFeedback> feedback_;
    bool hasLimitPoint_ = false;
    bool limitPointOnActor2_ = true;
    NxVec3 limitPoint_; // in the frame of the actor that carries it
    std::vector<TPlane> planes_;
    bool planesReported_ = false;
};

// A joint of one kind: its descriptor in and out.
template <class Desc> class NxJointOf : public NxJoint
{
public:
    NxJointOf(NxScene& scene, const Desc& desc) : NxJoint(scene, desc)
    {
        store(desc, sizeof(Desc));
        rebuild();
    }
    void saveToDesc(Desc& desc) const { desc = this->template descOf<Desc>(); }
    void loadFromDesc(const Desc& desc)
    {
        store(desc, sizeof(Desc));
        rebuild();
    }
};

using NxFixedJoint = NxJointOf<NxFixedJointDesc>;
using NxPrismaticJoint = NxJointOf<NxPrismaticJointDesc>;
using NxCylindricalJoint = NxJointOf<NxCylindricalJointDesc>;
using NxPointOnLineJoint = NxJointOf<NxPointOnLineJointDesc>;
using NxPointInPlaneJoint = NxJointOf<NxPointInPlaneJointDesc>;
using NxSphericalJoint = NxJointOf<NxSphericalJointDesc>;
using NxDistanceJoint = NxJointOf<NxDistanceJointDesc>;
using NxPulleyJoint = NxJointOf<NxPulleyJointDesc>;

class NxRevoluteJoint : public NxJointOf<NxRevoluteJointDesc>
{
public:
    using NxJointOf::NxJointOf;
    void setLimits(const NxJointLimitPairDesc& limits);
    bool getLimits(NxJointLimitPairDesc& limits) const;
    void setMotor(const NxMotorDesc& motor);
    bool getMotor(NxMotorDesc& motor) const;
    void setSpring(const NxSpringDesc& spring);
    bool getSpring(NxSpringDesc& spring) const;
    void setFlags(NxU32 flags);
    NxU32 getFlags() const { return descOf<NxRevoluteJointDesc>().flags; }
    // Radians, and radians per second, of actor 2 about the axis relative to actor 1.
    NxReal getAngle() const;
    NxReal getVelocity() const;
};

class NxD6Joint : public NxJointOf<NxD6JointDesc>
{
public:
    using NxJointOf::NxJointOf;
    void setDrivePosition(const NxVec3& position);
    void setDriveOrientation(const NxQuat& orientation);
    void setDriveLinearVelocity(const NxVec3& velocity);
    void setDriveAngularVelocity(const NxVec3& velocity);
};
