#include "platform/physics/nxactor.h"
#include <algorithm>
#include <BulletCollision/CollisionShapes/btEmptyShape.h>
#include "platform/physics/bulletconvert.h"
#include "platform/physics/bulletworld.h"
#include "platform/physics/nxscene.h"
#include "platform/physics/nxwheelshape.h"

namespace {
// Damping as a rate per second becomes the back end's fraction lost per second.
btScalar toBtDamping(NxReal rate)
{
    return btClamped(btScalar(1) - std::exp(-std::max(rate, NxReal(0))), btScalar(0), btScalar(1));
}

btVector3 axisFactors(NxU32 flags, NxU32 x, NxU32 y, NxU32 z)
{
    return {flags & x ? 0.0f : 1.0f, flags & y ? 0.0f : 1.0f, flags & z ? 0.0f : 1.0f};
}

// Force modes that act on a mass become a force or an impulse.
NxForceMode massMode(NxForceMode mode)
{
    switch (mode) {
    case NX_ACCELERATION: return NX_FORCE;
    case NX_VELOCITY_CHANGE: return NX_IMPULSE;
    case NX_SMOOTH_VELOCITY_CHANGE: return NX_SMOOTH_IMPULSE;
    default: return mode;
    }
}

bool actsOnMass(NxForceMode mode)
{
    return mode == NX_ACCELERATION || mode == NX_VELOCITY_CHANGE || mode == NX_SMOOTH_VELOCITY_CHANGE;
}
} // namespace

NxActor::NxActor(NxScene& scene, const NxActorDesc& desc)
    : userData(desc.userData), scene_(scene), name_(desc.name), dynamic_(desc.body != nullptr),
      actorFlags_(desc.flags), group_(desc.group), dominanceGroup_(desc.dominanceGroup),
      contactReportFlags_(desc.contactReportFlags)
{
    for (const NxShapeDesc* shapeDesc : desc.shapes) {
        NxShape* shape = shapeDesc ? NxShape::create(*this, *shapeDesc) : nullptr;
        if (shape)
            shapes_.push_back(shape);
        else
            scene_.reportError(NXE_INVALID_PARAMETER, "createActor: a shape descriptor of a kind actors cannot carry was left out");
    }
    NxBodyDesc bodyDesc;
    if (desc.body)
        bodyDesc = *desc.body;
    if (dynamic_) {
        bodyFlags_ = bodyDesc.flags;
        linearDamping_ = bodyDesc.linearDamping;
        angularDamping_ = bodyDesc.angularDamping;
        maxAngularVelocity_ = bodyDesc.maxAngularVelocity;
        sleepLinearVelocity_ = bodyDesc.sleepLinearVelocity;
        sleepAngularVelocity_ = bodyDesc.sleepAngularVelocity;
        sleepEnergyThreshold_ = bodyDesc.sleepEnergyThreshold;
        solverIterationCount_ = bodyDesc.solverIterationCount;
        contactReportThreshold_ = bodyDesc.contactReportThreshold;
        // Given mass and inertia are taken with the given frame; what is missing comes from the shapes.
        NxReal mass;
        NxMat34 frame;
        NxVec3 inertia;
        computeMassFromShapes(desc.density, bodyDesc.mass, mass, frame, inertia);
        mass_ = bodyDesc.mass > 0 ? bodyDesc.mass : mass;
        if (!bodyDesc.massSpaceInertia.isZero()) {
            inertia_ = bodyDesc.massSpaceInertia;
            massLocalPose_ = bodyDesc.massLocalPose;
        } else {
            inertia_ = inertia;
            massLocalPose_ = frame;
        }
    }
    massFrameIdentity_ = massLocalPose_ == NxMat34();
    empty_ = std::make_unique<btEmptyShape>();
    btRigidBody::btRigidBodyConstructionInfo info(0, nullptr, empty_.get());
    body_ = std::make_unique<btRigidBody>(info);
    body_->setUserPointer(this);
    body_->setUserIndex(kActorBody);
    body_->setCollisionFlags(body_->getCollisionFlags() | btCollisionObject::CF_CUSTOM_MATERIAL_CALLBACK);
    const btTransform pose = toBt(desc.globalPose * massLocalPose_);
    body_->setWorldTransform(pose);
    body_->setInterpolationWorldTransform(pose);
    rebuildCollisionShape();
    if (dynamic_) {
        applyMassProperties();
        body_->setLinearVelocity(toBt(bodyDesc.linearVelocity));
        body_->setAngularVelocity(toBt(bodyDesc.angularVelocity));
        body_->setDamping(toBtDamping(linearDamping_), toBtDamping(angularDamping_));
        body_->setSleepingThresholds(sleepLinearVelocity_ >= 0 ? sleepLinearVelocity_ : scene_.defaultSleepLinearVelocity(),
                                     sleepAngularVelocity_ >= 0 ? sleepAngularVelocity_ : scene_.defaultSleepAngularVelocity());
        body_->setDeactivationTime(gDeactivationTime - bodyDesc.wakeUpCounter);
    }
    scene_.world().dynamics().addRigidBody(body_.get());
    setActorFlags(actorFlags_);
    if (dynamic_) {
        applyBodyFlags();
        scene_.solverIterationsChanged();
    }
}

NxActor::~NxActor()
{
    destroyTriggerObjects();
    if (body_->getBroadphaseHandle())
        scene_.world().dynamics().removeRigidBody(body_.get());
    for (NxShape* shape : shapes_)
        delete shape;
}

void NxActor::releaseShape(NxShape& shape)
{
    const auto it = std::find(shapes_.begin(), shapes_.end(), &shape);
    if (it == shapes_.end())
        return;
    shapes_.erase(it);
    rebuildCollisionShape(); // the body lets go of the shape's volume before it goes
    scene_.forget(&shape);
    delete &shape;
}

NxShape* NxActor::shapeOfChild(int childIndex) const
{
    return childIndex >= 0 && std::size_t(childIndex) < children_.size() ? children_[childIndex] : nullptr;
}

void NxActor::destroyTriggerObjects()
{
    for (NxShape* shape : triggers_) {
        btCollisionObject* object = shape->triggerObject();
        if (object->getBroadphaseHandle())
            scene_.world().dynamics().removeCollisionObject(object);
        delete object;
        shape->setTriggerObject(nullptr);
    }
    triggers_.clear();
}

void NxActor::rebuildCollisionShape()
{
    destroyTriggerObjects();
    children_.clear();
    wheels_.clear();
    for (NxShape* shape : shapes_) {
        if (shape->getType() == NX_SHAPE_WHEEL)
            wheels_.push_back(static_cast<NxWheelShape*>(shape));
        else
            (shape->isTrigger() ? triggers_ : children_).push_back(shape);
    }
    const NxMat34 toMass = massLocalPose_.inverseRT();
    std::unique_ptr<btCompoundShape> old = std::move(compound_);
    btCollisionShape* volume = empty_.get();
    if (children_.size() == 1 && toMass * children_[0]->getLocalPose() * children_[0]->collisionOffset() == NxMat34()) {
        volume = children_[0]->collisionShape();
    } else if (!children_.empty()) {
        compound_ = std::make_unique<btCompoundShape>(children_.size() > 8, int(children_.size()));
        for (NxShape* child : children_)
            compound_->addChildShape(toBt(toMass * child->getLocalPose() * child->collisionOffset()), child->collisionShape());
        volume = compound_.get();
    }
    const bool inWorld = body_->getBroadphaseHandle() != nullptr;
    if (inWorld)
        scene_.world().dynamics().removeRigidBody(body_.get());
    body_->setCollisionShape(volume);
    if (inWorld) {
        scene_.world().dynamics().addRigidBody(body_.get());
        if (dynamic_)
            applyBodyFlags(); // being added again gives the body the world's gravity
    }
    for (NxShape* shape : triggers_) {
        auto* object = new btCollisionObject();
        object->setCollisionShape(shape->collisionShape());
        object->setUserPointer(shape);
        object->setUserIndex(kTriggerObject);
        object->setCollisionFlags(btCollisionObject::CF_NO_CONTACT_RESPONSE |
                                  (dynamic_ ? 0 : btCollisionObject::CF_STATIC_OBJECT));
        object->forceActivationState(DISABLE_DEACTIVATION);
        shape->setTriggerObject(object);
        object->setWorldTransform(toBt(getGlobalPose() * shape->getLocalPose() * shape->collisionOffset()));
        scene_.world().dynamics().addCollisionObject(object);
    }
}

void NxActor::syncTriggers()
{
    if (triggers_.empty())
        return;
    const NxMat34 pose = getGlobalPose();
    for (NxShape* shape : triggers_) {
        shape->triggerObject()->setWorldTransform(toBt(pose * shape->getLocalPose() * shape->collisionOffset()));
        scene_.world().dynamics().updateSingleAabb(shape->triggerObject());
    }
}

void NxActor::computeMassFromShapes(NxReal density, NxReal totalMass, NxReal& mass, NxMat34& frame, NxVec3& inertia) const
{
    NxReal sum = 0;
    NxVec3 centre;
    std::vector<NxReal> masses;
    for (NxShape* shape : shapes_) {
        NxReal m = 0;
        if (!shape->isTrigger())
            m = shape->getMass() > 0 ? shape->getMass() : (density > 0 ? density : shape->getDensity()) * shape->volume();
        masses.push_back(m);
        sum += m;
        centre += shape->getLocalPose().t * m;
    }
    frame.id();
    if (sum <= 0) {
        mass = totalMass > 0 ? totalMass : 1;
        inertia = NxVec3(1, 1, 1);
        return;
    }
    centre *= 1.0f / sum;
    btMatrix3x3 tensor(0, 0, 0, 0, 0, 0, 0, 0, 0);
    for (std::size_t i = 0; i < shapes_.size(); ++i) {
        if (masses[i] <= 0)
            continue;
        const btMatrix3x3 r = toBt(shapes_[i]->getLocalPose().M);
        const btVector3 diagonal = toBt(shapes_[i]->unitInertia() * masses[i]);
        tensor += r.scaled(diagonal) * r.transpose();
        const btVector3 d = toBt(shapes_[i]->getLocalPose().t - centre);
        const btMatrix3x3 shift(d.dot(d) - d.x() * d.x(), -d.x() * d.y(), -d.x() * d.z(), -d.y() * d.x(),
                                d.dot(d) - d.y() * d.y(), -d.y() * d.z(), -d.z() * d.x(), -d.z() * d.y(),
                                d.dot(d) - d.z() * d.z());
        tensor += shift * masses[i];
    }
    if (totalMass > 0) {
        tensor = tensor * (totalMass / sum);
        sum = totalMass;
    }
    btMatrix3x3 axes;
    axes.setIdentity();
    tensor.diagonalize(axes, 1e-9f, 32);
    mass = sum;
    inertia = NxVec3(tensor[0][0], tensor[1][1], tensor[2][2]);
    frame = NxMat34(toNx(axes), centre);
}

void NxActor::applyMassProperties()
{
    if (kinematic()) {
        body_->setMassProps(0, btVector3(0, 0, 0));
        body_->setCollisionFlags((body_->getCollisionFlags() & ~btCollisionObject::CF_STATIC_OBJECT) |
                                 btCollisionObject::CF_KINEMATIC_OBJECT);
    } else {
        body_->setCollisionFlags(body_->getCollisionFlags() & ~btCollisionObject::CF_KINEMATIC_OBJECT);
        body_->setMassProps(mass_, toBt(inertia_));
    }
    body_->updateInertiaTensor();
}

void NxActor::setBodyTransform(const NxMat34& actorPose)
{
    const btTransform pose = toBt(massFrameIdentity_ ? actorPose : actorPose * massLocalPose_);
    body_->setWorldTransform(pose);
    body_->setInterpolationWorldTransform(pose);
    if (dynamic_)
        body_->updateInertiaTensor();
    if (body_->getBroadphaseHandle())
        scene_.world().dynamics().updateSingleAabb(body_.get());
    syncTriggers();
}

void NxActor::setGlobalPose(const NxMat34& pose)
{
    setBodyTransform(pose);
    hasKinematicTarget_ = false;
}

void NxActor::setGlobalPosition(const NxVec3& position)
{
    NxMat34 pose = getGlobalPose();
    pose.t = position;
    setGlobalPose(pose);
}

NxMat34 NxActor::getGlobalPose() const
{
    const NxMat34 pose = toNx(body_->getWorldTransform());
    return massFrameIdentity_ ? pose : pose * massLocalPose_.inverseRT();
}

void NxActor::moveGlobalPose(const NxMat34& pose)
{
    if (!dynamic_ || !kinematic()) {
        scene_.reportError(NXE_INVALID_OPERATION, "moveGlobalPose: the actor is not kinematic");
        return;
    }
    kinematicStart_ = getGlobalPose();
    kinematicTarget_ = pose;
    hasKinematicTarget_ = true;
    body_->activate(true);
}

void NxActor::setCMassOffsetLocalPose(const NxMat34& pose)
{
    if (!dynamic_)
        return;
    const NxMat34 actorPose = getGlobalPose();
    massLocalPose_ = pose;
    massFrameIdentity_ = massLocalPose_ == NxMat34();
    rebuildCollisionShape();
    setBodyTransform(actorPose);
}

void NxActor::setCMassOffsetLocalPosition(const NxVec3& position)
{
    setCMassOffsetLocalPose(NxMat34(massLocalPose_.M, position));
}

void NxActor::setMass(NxReal mass)
{
    if (!dynamic_ || mass <= 0)
        return;
    mass_ = mass;
    applyMassProperties();
}

void NxActor::setMassSpaceInertiaTensor(const NxVec3& inertia)
{
    if (!dynamic_)
        return;
    inertia_ = inertia;
    applyMassProperties();
}

void NxActor::setLinearDamping(NxReal damping)
{
    linearDamping_ = damping;
    body_->setDamping(toBtDamping(linearDamping_), toBtDamping(angularDamping_));
}

void NxActor::setAngularDamping(NxReal damping)
{
    angularDamping_ = damping;
    body_->setDamping(toBtDamping(linearDamping_), toBtDamping(angularDamping_));
}

void NxActor::setLinearVelocity(const NxVec3& v)
{
    if (!dynamic_)
        return;
    if (!v.isZero() && isSleeping())
        wakeUp();
    body_->setLinearVelocity(toBt(v) * body_->getLinearFactor());
}

void NxActor::setAngularVelocity(const NxVec3& w)
{
    if (!dynamic_)
        return;
    if (!w.isZero() && isSleeping())
        wakeUp();
    body_->setAngularVelocity(toBt(w) * body_->getAngularFactor());
}

NxVec3 NxActor::getLinearVelocity() const
{
    return toNx(body_->getLinearVelocity());
}

NxVec3 NxActor::getAngularVelocity() const
{
    return toNx(body_->getAngularVelocity());
}

NxVec3 NxActor::worldInertiaTimes(const NxVec3& v) const
{
    const btMatrix3x3& r = body_->getWorldTransform().getBasis();
    return toNx(r * (toBt(inertia_) * (r.transpose() * toBt(v))));
}

NxVec3 NxActor::worldInverseInertiaTimes(const NxVec3& v) const
{
    const btMatrix3x3& r = body_->getWorldTransform().getBasis();
    const btVector3 local = r.transpose() * toBt(v);
    const btVector3 inverse(inertia_.x > 0 ? 1 / inertia_.x : 0, inertia_.y > 0 ? 1 / inertia_.y : 0,
                            inertia_.z > 0 ? 1 / inertia_.z : 0);
    return toNx(r * (inverse * local));
}

void NxActor::setLinearMomentum(const NxVec3& p)
{
    if (dynamic_ && mass_ > 0)
        setLinearVelocity(p * (1.0f / mass_));
}

void NxActor::setAngularMomentum(const NxVec3& l)
{
    if (dynamic_)
        setAngularVelocity(worldInverseInertiaTimes(l));
}

NxVec3 NxActor::getLinearMomentum() const
{
    return getLinearVelocity() * mass_;
}

NxVec3 NxActor::getAngularMomentum() const
{
    return worldInertiaTimes(getAngularVelocity());
}

NxVec3 NxActor::getPointVelocity(const NxVec3& worldPoint) const
{
    return toNx(body_->getVelocityInLocalPoint(toBt(worldPoint) - body_->getCenterOfMassPosition()));
}

NxReal NxActor::computeKineticEnergy() const
{
    if (!dynamic_)
        return 0;
    const NxVec3 w = getAngularVelocity();
    return 0.5f * mass_ * getLinearVelocity().magnitudeSquared() + 0.5f * w.dot(worldInertiaTimes(w));
}

bool NxActor::acceptsForce(bool wakeup)
{
    if (!dynamic_ || kinematic())
        return false;
    if (!wakeup)
        return !isSleeping();
    wakeUp();
    return true;
}

void NxActor::addForce(const NxVec3& force, NxForceMode mode, bool wakeup)
{
    if (!acceptsForce(wakeup))
        return;
    const NxVec3 f = actsOnMass(mode) ? force * mass_ : force;
    switch (massMode(mode)) {
    case NX_IMPULSE:
        body_->applyCentralImpulse(toBt(f));
        break;
    case NX_SMOOTH_IMPULSE:
        smoothImpulse_ += f;
        hasForces_ = true;
        break;
    default:
        force_ += f;
        hasForces_ = true;
        break;
    }
}

void NxActor::addTorque(const NxVec3& torque, NxForceMode mode, bool wakeup)
{
    if (!acceptsForce(wakeup))
        return;
    const NxVec3 t = actsOnMass(mode) ? worldInertiaTimes(torque) : torque;
    switch (massMode(mode)) {
    case NX_IMPULSE:
        body_->applyTorqueImpulse(toBt(t));
        break;
    case NX_SMOOTH_IMPULSE:
        smoothAngularImpulse_ += t;
        hasForces_ = true;
        break;
    default:
        torque_ += t;
        hasForces_ = true;
        break;
    }
}

void NxActor::addForceAtPos(const NxVec3& force, const NxVec3& pos, NxForceMode mode, bool wakeup)
{
    if (!dynamic_ || kinematic())
        return;
    // The mass-scaled modes act as a force (or impulse) of mass times the value at that point.
    const NxVec3 f = actsOnMass(mode) ? force * mass_ : force;
    const NxForceMode base = massMode(mode);
    addForce(f, base, wakeup);
    addTorque((pos - getCMassGlobalPosition()).cross(f), base, wakeup);
}

void NxActor::addLocalForce(const NxVec3& force, NxForceMode mode, bool wakeup)
{
    addForce(getGlobalPose().M * force, mode, wakeup);
}

void NxActor::setActorFlags(NxU32 flags)
{
    const NxU32 before = actorFlags_;
    actorFlags_ = flags;
    int collisionFlags = body_->getCollisionFlags();
    if (flags & NX_AF_DISABLE_RESPONSE)
        collisionFlags |= btCollisionObject::CF_NO_CONTACT_RESPONSE;
    else
        collisionFlags &= ~btCollisionObject::CF_NO_CONTACT_RESPONSE;
    body_->setCollisionFlags(collisionFlags);
    if ((before ^ flags) & NX_AF_DISABLE_COLLISION)
        refilter();
}

void NxActor::refilter()
{
    if (!body_->getBroadphaseHandle())
        return;
    scene_.world().refilter(*body_);
    for (NxShape* shape : triggers_)
        scene_.world().refilter(*shape->triggerObject());
    if (dynamic_)
        applyBodyFlags();
}

void NxActor::setBodyFlags(NxU32 flags)
{
    if (!dynamic_)
        return;
    const bool wasKinematic = kinematic();
    bodyFlags_ = flags;
    if (wasKinematic != kinematic()) {
        auto& world = scene_.world().dynamics();
        world.removeRigidBody(body_.get());
        applyMassProperties();
        if (kinematic()) {
            body_->setLinearVelocity(btVector3(0, 0, 0));
            body_->setAngularVelocity(btVector3(0, 0, 0));
        } else {
            hasKinematicTarget_ = false;
        }
        world.addRigidBody(body_.get());
        body_->activate(true);
    }
    applyBodyFlags();
}

void NxActor::applyBodyFlags()
{
    if (bodyFlags_ & NX_BF_DISABLE_GRAVITY) {
        body_->setFlags(body_->getFlags() | BT_DISABLE_WORLD_GRAVITY);
        body_->setGravity(btVector3(0, 0, 0));
    } else {
        body_->setFlags(body_->getFlags() & ~BT_DISABLE_WORLD_GRAVITY);
        NxVec3 gravity;
        scene_.getGravity(gravity);
        body_->setGravity(toBt(gravity));
    }
    const btVector3 linear = axisFactors(bodyFlags_, NX_BF_FROZEN_POS_X, NX_BF_FROZEN_POS_Y, NX_BF_FROZEN_POS_Z);
    const btVector3 angular = axisFactors(bodyFlags_, NX_BF_FROZEN_ROT_X, NX_BF_FROZEN_ROT_Y, NX_BF_FROZEN_ROT_Z);
    body_->setLinearFactor(linear);
    body_->setAngularFactor(angular);
    body_->setLinearVelocity(body_->getLinearVelocity() * linear);
    body_->setAngularVelocity(body_->getAngularVelocity() * angular);
}

bool NxActor::isSleeping() const
{
    return dynamic_ && body_->getActivationState() == ISLAND_SLEEPING;
}

void NxActor::wakeUp(NxReal wakeCounterValue)
{
    if (!dynamic_)
        return;
    body_->activate(true);
    body_->setDeactivationTime(gDeactivationTime - wakeCounterValue);
}

void NxActor::putToSleep()
{
    if (!dynamic_)
        return;
    body_->setLinearVelocity(btVector3(0, 0, 0));
    body_->setAngularVelocity(btVector3(0, 0, 0));
    body_->forceActivationState(ISLAND_SLEEPING);
    force_.zero();
    torque_.zero();
    smoothImpulse_.zero();
    smoothAngularImpulse_.zero();
    hasForces_ = false;
}

void NxActor::setSleepLinearVelocity(NxReal threshold)
{
    sleepLinearVelocity_ = threshold;
    body_->setSleepingThresholds(threshold >= 0 ? threshold : scene_.defaultSleepLinearVelocity(),
                                 body_->getAngularSleepingThreshold());
}

void NxActor::setSleepAngularVelocity(NxReal threshold)
{
    sleepAngularVelocity_ = threshold;
    body_->setSleepingThresholds(body_->getLinearSleepingThreshold(),
                                 threshold >= 0 ? threshold : scene_.defaultSleepAngularVelocity());
}

void NxActor::setSolverIterationCount(NxU32 count)
{
    solverIterationCount_ = count;
    scene_.solverIterationsChanged();
}

void NxActor::beforeSubStep(NxReal dt, NxU32 subStep, NxU32 subStepCount)
{
    if (!dynamic_)
        return;
    if (hasKinematicTarget_) {
        const NxReal f = NxReal(subStep + 1) / NxReal(subStepCount);
        const btTransform start = toBt(kinematicStart_), target = toBt(kinematicTarget_);
        btTransform pose;
        pose.setOrigin(start.getOrigin().lerp(target.getOrigin(), f));
        pose.setRotation(start.getRotation().slerp(target.getRotation(), f));
        // Only the world pose moves: the back end derives the velocity from the step's motion.
        body_->setWorldTransform(massFrameIdentity_ ? pose : pose * toBt(massLocalPose_));
        scene_.world().dynamics().updateSingleAabb(body_.get());
    }
    if (!wheels_.empty() && !kinematic()) {
        for (NxWheelShape* wheel : wheels_)
            if ((wheel->getMotorTorque() != 0 ||
                 ((wheel->getWheelFlags() & NX_WF_AXLE_SPEED_OVERRIDE) && wheel->getAxleSpeed() != 0)) &&
                isSleeping())
                wakeUp();
        if (body_->isActive()) {
            NxU32 touching = 0;
            for (NxWheelShape* wheel : wheels_)
                touching += wheel->findGround(dt);
            for (NxWheelShape* wheel : wheels_)
                wheel->applyForces(dt, touching);
        }
    }
    if (hasForces_ && body_->isActive()) {
        body_->applyCentralForce(toBt(force_));
        body_->applyTorque(toBt(torque_));
        if (subStep == 0) {
            body_->applyCentralForce(toBt(smoothImpulse_ * (1.0f / dt)));
            body_->applyTorque(toBt(smoothAngularImpulse_ * (1.0f / dt)));
        }
    }
    syncTriggers();
}

void NxActor::afterSubStep()
{
    if (maxAngularVelocity_ >= 0) {
        const btVector3 w = body_->getAngularVelocity();
        const btScalar speed = w.length();
        if (speed > maxAngularVelocity_)
            body_->setAngularVelocity(w * (maxAngularVelocity_ / speed));
    }
}

void NxActor::afterSimulate()
{
    force_.zero();
    torque_.zero();
    smoothImpulse_.zero();
    smoothAngularImpulse_.zero();
    hasForces_ = false;
    hasKinematicTarget_ = false;
}
