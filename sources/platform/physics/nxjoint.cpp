#include "platform/physics/nxjoint.h"
#include <cstring>
#include <BulletDynamics/ConstraintSolver/btGeneric6DofSpring2Constraint.h>
#include <algorithm>
#include "platform/physics/bulletconvert.h"
#include "platform/physics/bulletworld.h"
#include "platform/physics/distanceconstraint.h"
#include "platform/physics/nxscene.h"
#include "platform/physics/pulleyconstraint.h"

namespace {
constexpr int kTwist = 3, kSwing1 = 4, kSwing2 = 5;

// The back end measures angles of actor 1 against actor 2: the layer's angles are the opposite.
void setAngleRange(btGeneric6DofSpring2Constraint& c, int axis, btScalar low, btScalar high)
{
    c.setLimit(axis, -high, -low);
}

// The joint's frame in an actor's frame (or the world's): anchor, axis, normal, axis x normal.
NxMat34 jointFrame(const NxJointDesc& desc, int side)
{
    NxVec3 axis = desc.localAxis[side];
    axis.normalize();
    NxVec3 normal = desc.localNormal[side] - axis * axis.dot(desc.localNormal[side]);
    if (normal.normalize() == 0) { // any normal will do for a normal along the axis
        normal = std::fabs(axis.x) < 0.9f ? NxVec3(1, 0, 0).cross(axis) : NxVec3(0, 1, 0).cross(axis);
        normal.normalize();
    }
    NxMat34 frame;
    frame.M.setColumn(0, axis);
    frame.M.setColumn(1, normal);
    frame.M.setColumn(2, axis.cross(normal));
    frame.t = desc.localAnchor[side];
    return frame;
}

btRigidBody& bodyOf(NxActor* actor)
{
    return actor ? *actor->body() : btTypedConstraint::getFixedBody();
}

btTransform frameInBody(const NxJointDesc& desc, int side)
{
    const NxMat34 frame = jointFrame(desc, side);
    return toBt(desc.actor[side] ? desc.actor[side]->getCMassLocalPose().inverseRT() * frame : frame);
}

NxMat34 actorPose(NxActor* actor)
{
    return actor ? actor->getGlobalPose() : NxMat34();
}

void setMotion(btGeneric6DofSpring2Constraint& c, int axis, NxU32 motion, btScalar low, btScalar high)
{
    switch (motion) {
    case NX_D6JOINT_MOTION_LOCKED: c.setLimit(axis, 0, 0); break;
    case NX_D6JOINT_MOTION_LIMITED:
        if (axis >= kTwist)
            setAngleRange(c, axis, low, high);
        else
            c.setLimit(axis, low, high);
        break;
    default: c.setLimit(axis, 1, -1); break;
    }
}

void velocityDrive(btGeneric6DofSpring2Constraint& c, int axis, const NxJointDriveDesc& drive, btScalar velocity)
{
    if (drive.driveType & NX_D6JOINT_DRIVE_VELOCITY) {
        c.enableMotor(axis, true);
        c.setTargetVelocity(axis, -velocity); // the back end drives actor 1 against actor 2
        c.setMaxMotorForce(axis, drive.forceLimit);
    }
    if (drive.driveType & NX_D6JOINT_DRIVE_POSITION) {
        c.enableSpring(axis, true);
        c.setStiffness(axis, drive.spring);
        c.setDamping(axis, drive.damping);
    }
}
} // namespace

void NxJointDesc_SetGlobalAnchor(NxJointDesc& desc, const NxVec3& anchor)
{
    for (int side = 0; side < 2; ++side)
        desc.localAnchor[side] = actorPose(desc.actor[side]).multiplyByInverseRT(anchor);
}

void NxJointDesc_SetGlobalAxis(NxJointDesc& desc, const NxVec3& axis)
{
    NxVec3 unit = axis;
    unit.normalize();
    NxVec3 normal = std::fabs(unit.y) < 0.9f ? NxVec3(0, 1, 0).cross(unit) : NxVec3(1, 0, 0).cross(unit);
    normal.normalize();
    for (int side = 0; side < 2; ++side) {
        const NxMat33 rotation = actorPose(desc.actor[side]).M;
        desc.localAxis[side] = rotation.multiplyByTranspose(unit);
        desc.localNormal[side] = rotation.multiplyByTranspose(normal);
    }
}

NxJoint::NxJoint(NxScene& scene, const NxJointDesc& desc) : scene_(scene), feedback_(std::make_unique<btJointFeedback>())
{
    store(desc, sizeof(NxJointDesc));
    userData = desc.userData;
}

NxJoint::~NxJoint()
{
    removeConstraint();
}

NxRevoluteJoint* NxJoint::isRevoluteJoint()
{
    return getType() == NX_JOINT_REVOLUTE ? static_cast<NxRevoluteJoint*>(this) : nullptr;
}

NxD6Joint* NxJoint::isD6Joint()
{
    return getType() == NX_JOINT_D6 ? static_cast<NxD6Joint*>(this) : nullptr;
}

void NxJoint::store(const NxJointDesc& desc, std::size_t size)
{
    std::memset(storage_, 0, sizeof storage_);
    std::memcpy(storage_, &desc, size);
}

void NxJoint::removeConstraint()
{
    if (constraint_ && state_ == NX_JS_SIMULATING)
        scene_.world().dynamics().removeConstraint(constraint_.get());
    constraint_.reset();
}

void NxJoint::rebuild()
{
    removeConstraint();
    const NxJointDesc& desc = base();
    btRigidBody& a = bodyOf(desc.actor[0]);
    btRigidBody& b = bodyOf(desc.actor[1]);
    if (getType() == NX_JOINT_PULLEY) {
        const auto& d = descOf<NxPulleyJointDesc>();
        constraint_ = std::make_unique<TPulleyConstraint>(a, b, frameInBody(desc, 0).getOrigin(),
                                                          frameInBody(desc, 1).getOrigin(), toBt(d.pulley[0]),
                                                          toBt(d.pulley[1]), d.distance, d.ratio,
                                                          (d.flags & NX_PJF_IS_RIGID) != 0);
    } else if (getType() == NX_JOINT_DISTANCE) {
        const auto& d = descOf<NxDistanceJointDesc>();
        const btScalar maximum = d.flags & NX_DJF_MAX_DISTANCE_ENABLED ? d.maxDistance : SIMD_INFINITY;
        const btScalar minimum = d.flags & NX_DJF_MIN_DISTANCE_ENABLED ? d.minDistance : 0;
        constraint_ = std::make_unique<TDistanceConstraint>(a, b, frameInBody(desc, 0).getOrigin(),
                                                            frameInBody(desc, 1).getOrigin(), minimum, maximum);
    } else {
        constraint_ = std::make_unique<btGeneric6DofSpring2Constraint>(a, b, frameInBody(desc, 0), frameInBody(desc, 1));
        configure();
    }
    constraint_->setJointFeedback(feedback_.get());
    scene_.world().dynamics().addConstraint(constraint_.get(), !(desc.jointFlags & NX_JF_COLLISION_ENABLED));
    state_ = NX_JS_SIMULATING;
    for (NxActor* actor : desc.actor)
        if (actor)
            actor->wakeUp();
}

void NxJoint::configure()
{
    // Every axis locked first: the back end starts with its angular axes free.
    auto& c = static_cast<btGeneric6DofSpring2Constraint&>(*constraint_);
    for (int axis = 0; axis < 6; ++axis)
        c.setLimit(axis, 0, 0);
    switch (getType()) {
    case NX_JOINT_REVOLUTE: {
        const auto& d = descOf<NxRevoluteJointDesc>();
        if (d.flags & NX_RJF_LIMIT_ENABLED)
            setAngleRange(c, kTwist, d.limit.low.value, d.limit.high.value);
        else
            c.setLimit(kTwist, 1, -1);
        if (d.flags & NX_RJF_MOTOR_ENABLED) {
            c.enableMotor(kTwist, true);
            c.setTargetVelocity(kTwist, -d.motor.velTarget);
            c.setMaxMotorForce(kTwist, d.motor.maxForce);
        }
        if (d.flags & NX_RJF_SPRING_ENABLED) {
            c.enableSpring(kTwist, true);
            c.setStiffness(kTwist, d.spring.spring);
            c.setDamping(kTwist, d.spring.damper);
            c.setEquilibriumPoint(kTwist, -d.spring.targetValue);
        }
        break;
    }
    case NX_JOINT_SPHERICAL: {
        const auto& d = descOf<NxSphericalJointDesc>();
        for (int axis = kTwist; axis <= kSwing2; ++axis)
            c.setLimit(axis, 1, -1);
        if (d.flags & NX_SJF_TWIST_LIMIT_ENABLED)
            setAngleRange(c, kTwist, d.twistLimit.low.value, d.twistLimit.high.value);
        if (d.flags & NX_SJF_SWING_LIMIT_ENABLED) {
            c.setLimit(kSwing1, -d.swingLimit.value, d.swingLimit.value);
            c.setLimit(kSwing2, -d.swingLimit.value, d.swingLimit.value);
        }
        break;
    }
    case NX_JOINT_CYLINDRICAL:
        c.setLimit(kTwist, 1, -1);
        [[fallthrough]];
    case NX_JOINT_PRISMATIC:
        c.setLimit(0, 1, -1);
        break;
    case NX_JOINT_POINT_ON_LINE:
        c.setLimit(0, 1, -1);
        for (int axis = kTwist; axis <= kSwing2; ++axis)
            c.setLimit(axis, 1, -1);
        break;
    case NX_JOINT_POINT_IN_PLANE:
        for (int axis = 1; axis <= kSwing2; ++axis)
            c.setLimit(axis, 1, -1);
        break;
    case NX_JOINT_D6: {
        const auto& d = descOf<NxD6JointDesc>();
        const NxReal r = d.linearLimit.value;
        setMotion(c, 0, d.xMotion, -r, r);
        setMotion(c, 1, d.yMotion, -r, r);
        setMotion(c, 2, d.zMotion, -r, r);
        setMotion(c, kTwist, d.twistMotion, d.twistLimit.low.value, d.twistLimit.high.value);
        setMotion(c, kSwing1, d.swing1Motion, -d.swing1Limit.value, d.swing1Limit.value);
        setMotion(c, kSwing2, d.swing2Motion, -d.swing2Limit.value, d.swing2Limit.value);
        velocityDrive(c, 0, d.xDrive, d.driveLinearVelocity.x);
        velocityDrive(c, 1, d.yDrive, d.driveLinearVelocity.y);
        velocityDrive(c, 2, d.zDrive, d.driveLinearVelocity.z);
        for (int axis = 0; axis < 3; ++axis)
            c.setEquilibriumPoint(axis, d.drivePosition[axis]);
        const bool slerp = (d.flags & NX_D6JOINT_SLERP_DRIVE) != 0;
        velocityDrive(c, kTwist, slerp ? d.slerpDrive : d.twistDrive, d.driveAngularVelocity.x);
        velocityDrive(c, kSwing1, slerp ? d.slerpDrive : d.swingDrive, d.driveAngularVelocity.y);
        velocityDrive(c, kSwing2, slerp ? d.slerpDrive : d.swingDrive, d.driveAngularVelocity.z);
        break;
    }
    default: // fixed: everything locked
        break;
    }
    if (planes_.empty())
        return;
    const bool slides = getType() == NX_JOINT_PRISMATIC || getType() == NX_JOINT_CYLINDRICAL ||
                        getType() == NX_JOINT_POINT_ON_LINE;
    // Positions along the axis, measured from actor 1's frame of the joint.
    const NxMat34 frameA = jointFrame(base(), 0), frameB = jointFrame(base(), 1);
    const NxReal pointAlong = hasLimitPoint_ && limitPointOnActor2_ ? frameB.multiplyByInverseRT(limitPoint_).x : 0;
    btScalar low = -SIMD_INFINITY, high = SIMD_INFINITY;
    bool usable = slides && hasLimitPoint_ && limitPointOnActor2_;
    for (const TPlane& plane : planes_) {
        const NxVec3 normal = frameA.M.multiplyByTranspose(plane.normal);
        const NxReal planeAlong = frameA.multiplyByInverseRT(plane.point).x;
        if (std::fabs(normal.x) < 0.999f)
            usable = false;
        else if (normal.x > 0)
            low = std::max(low, planeAlong - pointAlong);
        else
            high = std::min(high, planeAlong - pointAlong);
    }
    if (!usable) {
        if (!planesReported_) {
            planesReported_ = true;
            scene_.reportError(NXE_INVALID_OPERATION,
                               "limit planes are simulated only across the axis of sliding joints, with the point on actor 2");
        }
        return;
    }
    c.setLimit(0, low, high);
}

void NxJoint::getActors(NxActor** actor1, NxActor** actor2) const
{
    if (actor1)
        *actor1 = base().actor[0];
    if (actor2)
        *actor2 = base().actor[1];
}

void NxJoint::setGlobalAnchor(const NxVec3& anchor)
{
    NxJointDesc_SetGlobalAnchor(base(), anchor);
    rebuild();
}

NxVec3 NxJoint::getGlobalAnchor() const
{
    return actorPose(base().actor[0]) * base().localAnchor[0];
}

void NxJoint::setGlobalAxis(const NxVec3& axis)
{
    NxJointDesc_SetGlobalAxis(base(), axis);
    rebuild();
}

NxVec3 NxJoint::getGlobalAxis() const
{
    NxVec3 axis = actorPose(base().actor[0]).M * base().localAxis[0];
    axis.normalize();
    return axis;
}

void NxJoint::setBreakable(NxReal maxForce, NxReal maxTorque)
{
    base().maxForce = maxForce;
    base().maxTorque = maxTorque;
}

void NxJoint::getBreakable(NxReal& maxForce, NxReal& maxTorque) const
{
    maxForce = base().maxForce;
    maxTorque = base().maxTorque;
}

void NxJoint::setLimitPoint(const NxVec3& point, bool pointIsOnActor2)
{
    limitPointOnActor2_ = pointIsOnActor2;
    hasLimitPoint_ = true;
    limitPoint_ = actorPose(base().actor[pointIsOnActor2 ? 1 : 0]).multiplyByInverseRT(point);
    rebuild();
}

bool NxJoint::getLimitPoint(NxVec3& worldLimitPoint) const
{
    worldLimitPoint = actorPose(base().actor[limitPointOnActor2_ ? 1 : 0]) * limitPoint_;
    return limitPointOnActor2_;
}

bool NxJoint::addLimitPlane(const NxVec3& normal, const NxVec3& pointInPlane, NxReal restitution)
{
    // Planes are fixed to actor 1, kept in its frame.
    const NxMat34 pose = actorPose(base().actor[0]);
    NxVec3 unit = normal;
    unit.normalize();
    planes_.push_back({pose.M.multiplyByTranspose(unit), pose.multiplyByInverseRT(pointInPlane), restitution});
    rebuild();
    return true;
}

void NxJoint::purgeLimitPlanes()
{
    planes_.clear();
    rebuild();
}

bool NxJoint::involves(const NxActor& actor) const
{
    return base().actor[0] == &actor || base().actor[1] == &actor;
}

void NxJoint::beforeSubStep()
{
    *feedback_ = btJointFeedback(); // the back end adds to it
}

bool NxJoint::checkBreak(NxReal dt)
{
    if (state_ != NX_JS_SIMULATING || (base().maxForce >= FLT_MAX && base().maxTorque >= FLT_MAX))
        return false;
    // What the joint did to actor 2 (or actor 1 against the world), the torque taken at the anchor.
    const bool second = base().actor[1] != nullptr;
    const btRigidBody& body = bodyOf(base().actor[second ? 1 : 0]);
    const btVector3 force = second ? feedback_->m_appliedForceBodyB : feedback_->m_appliedForceBodyA;
    const btVector3 torque = second ? feedback_->m_appliedTorqueBodyB : feedback_->m_appliedTorqueBodyA;
    const btVector3 arm = toBt(getGlobalAnchor()) - body.getCenterOfMassPosition();
    const NxReal forceSize = force.length(), torqueSize = (torque - arm.cross(force)).length();
    breakingImpulse_ = std::max(forceSize, torqueSize) * dt;
    return forceSize > base().maxForce || torqueSize > base().maxTorque;
}

void NxJoint::breakOff()
{
    removeConstraint();
    state_ = NX_JS_BROKEN;
}

void NxRevoluteJoint::setLimits(const NxJointLimitPairDesc& limits)
{
    descOf<NxRevoluteJointDesc>().limit = limits;
    rebuild();
}

bool NxRevoluteJoint::getLimits(NxJointLimitPairDesc& limits) const
{
    limits = descOf<NxRevoluteJointDesc>().limit;
    return (getFlags() & NX_RJF_LIMIT_ENABLED) != 0;
}

void NxRevoluteJoint::setMotor(const NxMotorDesc& motor)
{
    descOf<NxRevoluteJointDesc>().motor = motor;
    rebuild();
}

bool NxRevoluteJoint::getMotor(NxMotorDesc& motor) const
{
    motor = descOf<NxRevoluteJointDesc>().motor;
    return (getFlags() & NX_RJF_MOTOR_ENABLED) != 0;
}

void NxRevoluteJoint::setSpring(const NxSpringDesc& spring)
{
    descOf<NxRevoluteJointDesc>().spring = spring;
    rebuild();
}

bool NxRevoluteJoint::getSpring(NxSpringDesc& spring) const
{
    spring = descOf<NxRevoluteJointDesc>().spring;
    return (getFlags() & NX_RJF_SPRING_ENABLED) != 0;
}

void NxRevoluteJoint::setFlags(NxU32 flags)
{
    descOf<NxRevoluteJointDesc>().flags = flags;
    rebuild();
}

NxReal NxRevoluteJoint::getAngle() const
{
    if (!constraint())
        return 0;
    auto& c = static_cast<btGeneric6DofSpring2Constraint&>(*constraint());
    c.calculateTransforms();
    return -c.getAngle(0);
}

NxReal NxRevoluteJoint::getVelocity() const
{
    NxActor* a = descOf<NxRevoluteJointDesc>().actor[0];
    NxActor* b = descOf<NxRevoluteJointDesc>().actor[1];
    const NxVec3 relative = (b ? b->getAngularVelocity() : NxVec3()) - (a ? a->getAngularVelocity() : NxVec3());
    return relative.dot(getGlobalAxis());
}

void NxD6Joint::setDrivePosition(const NxVec3& position)
{
    descOf<NxD6JointDesc>().drivePosition = position;
    rebuild();
}

void NxD6Joint::setDriveOrientation(const NxQuat& orientation)
{
    descOf<NxD6JointDesc>().driveOrientation = orientation;
    rebuild();
}

void NxD6Joint::setDriveLinearVelocity(const NxVec3& velocity)
{
    descOf<NxD6JointDesc>().driveLinearVelocity = velocity;
    rebuild();
}

void NxD6Joint::setDriveAngularVelocity(const NxVec3& velocity)
{
    descOf<NxD6JointDesc>().driveAngularVelocity = velocity;
    rebuild();
}
