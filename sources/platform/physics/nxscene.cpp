#include "platform/physics/nxscene.h"
#include <algorithm>
#include <cmath>
#include "platform/physics/bulletconvert.h"
#include "platform/physics/bulletworld.h"
#include "platform/physics/contacttracker.h"
#include "platform/physics/nxphysicssdk.h"
#include "platform/physics/scenequeries.h"

namespace {
// Sub-step counts are rounded with this much slack, so that steps summing to whole sub-steps
// in floating point are not carried over to the next call.
constexpr NxReal kStepSlack = 1e-4f;

NxMaterialDesc defaultMaterial()
{
    NxMaterialDesc desc;
    desc.dynamicFriction = 0.5f;
    desc.staticFriction = 0.5f;
    return desc;
}

btMatrix3x3 capsuleBasis(const NxVec3& axis)
{
    btVector3 y = toBt(axis), x, z;
    if (y.length2() == 0)
        return btMatrix3x3::getIdentity();
    y.normalize();
    btPlaneSpace1(y, z, x);
    return btMatrix3x3(x.x(), y.x(), z.x(), x.y(), y.y(), z.y(), x.z(), y.z(), z.z());
}
} // namespace

NxScene::NxScene(NxPhysicsSDK& sdk, const NxSceneDesc& desc)
    : userData(desc.userData), sdk_(sdk), desc_(desc), world_(std::make_unique<TBulletWorld>(*this)),
      contacts_(std::make_unique<TContactTracker>(*this)), queriesEngine_(std::make_unique<TSceneQueries>(*this)),
      step_(desc.maxTimestep), maxIter_(desc.maxIter), method_(desc.timeStepMethod)
{
    materials_.push_back(std::make_unique<NxMaterial>(*this, 0, defaultMaterial()));
    setGravity(desc.gravity);
    world_->dynamics().getSolverInfo().m_numIterations = 4;
}

NxScene::~NxScene()
{
    for (NxJoint* joint : joints_)
        delete joint;
    for (NxActor* actor : actors_)
        delete actor;
}

void NxScene::setGravity(const NxVec3& gravity)
{
    gravity_ = gravity;
    world_->dynamics().setGravity(toBt(gravity));
}

NxActor* NxScene::createActor(const NxActorDesc& desc)
{
    if (!desc.body && desc.shapes.empty()) {
        reportError(NXE_INVALID_PARAMETER, "createActor: a static actor needs a shape");
        return nullptr;
    }
    if (desc.body && (desc.body->mass < 0 || desc.body->massSpaceInertia.x < 0 || desc.body->massSpaceInertia.y < 0 ||
                      desc.body->massSpaceInertia.z < 0)) {
        reportError(NXE_INVALID_PARAMETER, "createActor: negative mass or inertia");
        return nullptr;
    }
    auto* actor = new NxActor(*this, desc);
    actors_.push_back(actor);
    return actor;
}

void NxScene::releaseActor(NxActor& actor)
{
    if (&actor.getScene() != this) {
        sdk_.reportAssertViolation("releaseActor: the actor belongs to another scene", __FILE__, __LINE__);
        return;
    }
    if (simulating_) {
        // Reports run between sub-steps while the back end's pairs are being walked.
        if (std::find(releaseAfterStep_.begin(), releaseAfterStep_.end(), &actor) == releaseAfterStep_.end())
            releaseAfterStep_.push_back(&actor);
        return;
    }
    destroyActor(actor);
}

void NxScene::destroyActor(NxActor& actor)
{
    // Joints go with their actors.
    for (std::size_t i = joints_.size(); i-- > 0;)
        if (joints_[i]->involves(actor))
            releaseJoint(*joints_[i]);
    forget(&actor);
    for (NxU32 i = 0; i < actor.getNbShapes(); ++i)
        forget(actor.getShapes()[i]);
    actors_.erase(std::remove(actors_.begin(), actors_.end(), &actor), actors_.end());
    delete &actor;
    solverIterationsChanged();
}

void NxScene::forget(const void* actorOrShape)
{
    contacts_->forget(actorOrShape);
    filter_.forget(actorOrShape);
}

NxJoint* NxScene::createJoint(const NxJointDesc& desc)
{
    if (!desc.actor[0] && !desc.actor[1]) {
        reportError(NXE_INVALID_PARAMETER, "createJoint: a joint needs at least one actor");
        return nullptr;
    }
    NxJoint* joint = nullptr;
    switch (desc.type) {
    case NX_JOINT_PRISMATIC: joint = new NxPrismaticJoint(*this, static_cast<const NxPrismaticJointDesc&>(desc)); break;
    case NX_JOINT_REVOLUTE: joint = new NxRevoluteJoint(*this, static_cast<const NxRevoluteJointDesc&>(desc)); break;
    case NX_JOINT_CYLINDRICAL: joint = new NxCylindricalJoint(*this, static_cast<const NxCylindricalJointDesc&>(desc)); break;
    case NX_JOINT_SPHERICAL: joint = new NxSphericalJoint(*this, static_cast<const NxSphericalJointDesc&>(desc)); break;
    case NX_JOINT_POINT_ON_LINE: joint = new NxPointOnLineJoint(*this, static_cast<const NxPointOnLineJointDesc&>(desc)); break;
    case NX_JOINT_POINT_IN_PLANE: joint = new NxPointInPlaneJoint(*this, static_cast<const NxPointInPlaneJointDesc&>(desc)); break;
    case NX_JOINT_DISTANCE: joint = new NxDistanceJoint(*this, static_cast<const NxDistanceJointDesc&>(desc)); break;
    case NX_JOINT_FIXED: joint = new NxFixedJoint(*this, static_cast<const NxFixedJointDesc&>(desc)); break;
    case NX_JOINT_D6: joint = new NxD6Joint(*this, static_cast<const NxD6JointDesc&>(desc)); break;
    case NX_JOINT_PULLEY: joint = new NxPulleyJoint(*this, static_cast<const NxPulleyJointDesc&>(desc)); break;
    default:
        reportError(NXE_INVALID_PARAMETER, "createJoint: unknown joint kind; none was made");
        return nullptr;
    }
    joints_.push_back(joint);
    return joint;
}

void NxScene::releaseJoint(NxJoint& joint)
{
    joints_.erase(std::remove(joints_.begin(), joints_.end(), &joint), joints_.end());
    delete &joint;
}

void NxScene::reportBrokenJoints(NxReal dt)
{
    for (std::size_t i = 0; i < joints_.size();) {
        NxJoint* joint = joints_[i];
        if (!joint->checkBreak(dt)) {
            ++i;
            continue;
        }
        // Without a listener the joint breaks and stays, broken; a listener's true releases it.
        NxUserNotify* notify = desc_.userNotify;
        if (notify && !notify->onJointBreak(joint->breakingImpulse(), *joint)) {
            ++i;
            continue;
        }
        joint->breakOff();
        if (notify)
            releaseJoint(*joint);
        else
            ++i;
    }
}

NxMaterial* NxScene::createMaterial(const NxMaterialDesc& desc)
{
    materials_.push_back(std::make_unique<NxMaterial>(*this, NxMaterialIndex(materials_.size()), desc));
    return materials_.back().get();
}

void NxScene::releaseMaterial(NxMaterial& material)
{
    // Indices stay where they are: a released material falls back to the defaults.
    if (material.getMaterialIndex() != 0)
        material.loadFromDesc(defaultMaterial());
}

NxMaterial* NxScene::getMaterialFromIndex(NxMaterialIndex index) const
{
    return index < materials_.size() ? materials_[index].get() : nullptr;
}

void NxScene::setActorPairFlags(NxActor& a, NxActor& b, NxU32 flags)
{
    filter_.setActorPairFlags(a, b, flags);
    a.refilter();
    b.refilter();
}

void NxScene::setShapePairFlags(NxShape& a, NxShape& b, NxU32 flags)
{
    filter_.setShapePairFlags(a, b, flags);
    a.getActor().refilter();
    b.getActor().refilter();
}

void NxScene::setGroupCollisionFlag(NxCollisionGroup a, NxCollisionGroup b, bool enable)
{
    if (filter_.groupCollision(a, b) == enable)
        return;
    filter_.setGroupCollision(a, b, enable);
    refilter();
}

void NxScene::setDominanceGroupPair(NxDominanceGroup a, NxDominanceGroup b, NxReal dominance0, NxReal dominance1)
{
    if (!dominanceReported_) {
        dominanceReported_ = true;
        sdk_.print("dominance groups are stored but not simulated");
    }
    for (TDominance& entry : dominance_)
        if (entry.a == a && entry.b == b) {
            entry.dominance0 = dominance0;
            entry.dominance1 = dominance1;
            return;
        }
    dominance_.push_back({a, b, dominance0, dominance1});
}

bool NxScene::getDominanceGroupPair(NxDominanceGroup a, NxDominanceGroup b, NxReal& dominance0, NxReal& dominance1) const
{
    for (const TDominance& entry : dominance_)
        if (entry.a == a && entry.b == b) {
            dominance0 = entry.dominance0;
            dominance1 = entry.dominance1;
            return true;
        }
    dominance0 = dominance1 = 1;
    return false;
}

void NxScene::refilter()
{
    world_->refilterAll();
}

void NxScene::setTiming(NxReal maxTimestep, NxU32 maxIter, NxTimeStepMethod method)
{
    if (!(maxTimestep > 0) || maxIter == 0) {
        reportError(NXE_INVALID_PARAMETER, "setTiming: the step must be above 0 and at least one sub-step allowed");
        return;
    }
    step_ = maxTimestep;
    maxIter_ = maxIter;
    method_ = method;
}

void NxScene::getTiming(NxReal& maxTimestep, NxU32& maxIter, NxTimeStepMethod& method) const
{
    maxTimestep = step_;
    maxIter = maxIter_;
    method = method_;
}

void NxScene::simulate(NxReal elapsedTime)
{
    if (simulating_) {
        sdk_.reportAssertViolation("simulate: called from inside a report of the same scene", __FILE__, __LINE__);
        return;
    }
    if (!(elapsedTime >= 0) || !std::isfinite(elapsedTime)) {
        reportError(NXE_INVALID_PARAMETER, "simulate: the elapsed time must be finite and not negative");
        return;
    }
    NxU32 count;
    NxReal dt;
    if (method_ == NX_TIMESTEP_FIXED) {
        accumulated_ += elapsedTime;
        count = NxU32(std::floor(accumulated_ / step_ + kStepSlack));
        if (count > maxIter_) {
            // More than the sub-steps allowed: the rest of the time is dropped.
            count = maxIter_;
            accumulated_ = 0;
        } else {
            accumulated_ = std::max(NxReal(0), accumulated_ - NxReal(count) * step_);
        }
        dt = step_;
    } else {
        count = elapsedTime > 0 ? 1 : 0;
        dt = elapsedTime;
    }
    simulating_ = true;
    for (NxU32 i = 0; i < count; ++i)
        subStep(dt, i, count);
    if (count)
        for (NxActor* actor : actors_)
            actor->afterSimulate();
    simulating_ = false;
    subStepCount_ += count;
}

void NxScene::subStep(NxReal dt, NxU32 index, NxU32 count)
{
    for (NxActor* actor : actors_)
        actor->beforeSubStep(dt, index, count);
    for (NxJoint* joint : joints_)
        joint->beforeSubStep();
    world_->dynamics().stepSimulation(dt, 0, dt);
    for (NxActor* actor : actors_)
        actor->afterSubStep();
    reportBrokenJoints(dt);
    contacts_->afterSubStep(dt);
    if (!releaseAfterStep_.empty()) {
        std::vector<NxActor*> released;
        released.swap(releaseAfterStep_);
        for (NxActor* actor : released)
            destroyActor(*actor);
    }
}

bool NxScene::fetchResults(NxSimulationStatus, bool, NxU32* errorState)
{
    if (errorState)
        *errorState = 0;
    return true;
}

NxSceneQuery* NxScene::createSceneQuery(const NxSceneQueryDesc& desc)
{
    queries_.push_back(std::make_unique<NxSceneQuery>(*this, desc));
    return queries_.back().get();
}

bool NxScene::releaseSceneQuery(NxSceneQuery& query)
{
    const auto before = queries_.size();
    std::erase_if(queries_, [&](const auto& q) { return q.get() == &query; });
    return queries_.size() != before;
}

NxShape* NxScene::raycastClosestShape(const NxRay& worldRay, NxShapesType shapeType, NxRaycastHit& hit, NxU32 groups,
                                      NxReal maxDist, NxU32, const NxGroupsMask* groupsMask, NxShape**) const
{
    return queriesEngine_->closestHit(worldRay, maxDist, {shapeType, groups, groupsMask}, hit);
}

NxU32 NxScene::raycastAllShapes(const NxRay& worldRay, NxUserRaycastReport& report, NxShapesType shapeType, NxU32 groups,
                                NxReal maxDist, NxU32, const NxGroupsMask* groupsMask) const
{
    const std::vector<NxRaycastHit> hits = queriesEngine_->allHits(worldRay, maxDist, {shapeType, groups, groupsMask});
    NxU32 reported = 0;
    for (const NxRaycastHit& hit : hits) {
        ++reported;
        if (!report.onHit(hit))
            break;
    }
    return reported;
}

namespace {
NxU32 deliver(const std::vector<NxShape*>& found, NxU32 nbShapes, NxShape** shapes, NxUserEntityReport<NxShape*>* callback)
{
    for (NxU32 i = 0; i < found.size() && i < nbShapes && shapes; ++i)
        shapes[i] = found[i];
    if (callback && !found.empty())
        callback->onEvent(NxU32(found.size()), const_cast<NxShape**>(found.data()));
    return NxU32(found.size());
}
} // namespace

NxU32 NxScene::overlapSphereShapes(const NxSphere& worldSphere, NxShapesType shapeType, NxU32 nbShapes, NxShape** shapes,
                                   NxUserEntityReport<NxShape*>* callback, NxU32 activeGroups,
                                   const NxGroupsMask* groupsMask, bool accurateCollision) const
{
    const btSphereShape volume(worldSphere.radius);
    const btTransform pose(btMatrix3x3::getIdentity(), toBt(worldSphere.center));
    return deliver(queriesEngine_->overlaps(volume, pose, {shapeType, activeGroups, groupsMask}, accurateCollision,
                                            callback ? 0 : nbShapes),
                   nbShapes, shapes, callback);
}

NxU32 NxScene::overlapOBBShapes(const NxBox& worldBox, NxShapesType shapeType, NxU32 nbShapes, NxShape** shapes,
                                NxUserEntityReport<NxShape*>* callback, NxU32 activeGroups,
                                const NxGroupsMask* groupsMask, bool accurateCollision) const
{
    const btBoxShape volume(toBt(worldBox.extents));
    const btTransform pose(toBt(worldBox.rot), toBt(worldBox.center));
    return deliver(queriesEngine_->overlaps(volume, pose, {shapeType, activeGroups, groupsMask}, accurateCollision,
                                            callback ? 0 : nbShapes),
                   nbShapes, shapes, callback);
}

NxU32 NxScene::overlapCapsuleShapes(const NxCapsule& worldCapsule, NxShapesType shapeType, NxU32 nbShapes,
                                    NxShape** shapes, NxUserEntityReport<NxShape*>* callback, NxU32 activeGroups,
                                    const NxGroupsMask* groupsMask, bool accurateCollision) const
{
    const NxVec3 axis = worldCapsule.p1 - worldCapsule.p0;
    const btCapsuleShape volume(worldCapsule.radius, axis.magnitude());
    const btTransform pose(capsuleBasis(axis), toBt((worldCapsule.p0 + worldCapsule.p1) * 0.5f));
    return deliver(queriesEngine_->overlaps(volume, pose, {shapeType, activeGroups, groupsMask}, accurateCollision,
                                            callback ? 0 : nbShapes),
                   nbShapes, shapes, callback);
}

bool NxScene::checkOverlapSphere(const NxSphere& worldSphere, NxShapesType shapeType, NxU32 activeGroups,
                                 const NxGroupsMask* groupsMask) const
{
    NxShape* shape;
    return overlapSphereShapes(worldSphere, shapeType, 1, &shape, nullptr, activeGroups, groupsMask, true) != 0;
}

bool NxScene::checkOverlapOBB(const NxBox& worldBox, NxShapesType shapeType, NxU32 activeGroups,
                              const NxGroupsMask* groupsMask) const
{
    NxShape* shape;
    return overlapOBBShapes(worldBox, shapeType, 1, &shape, nullptr, activeGroups, groupsMask, true) != 0;
}

bool NxScene::checkOverlapCapsule(const NxCapsule& worldCapsule, NxShapesType shapeType, NxU32 activeGroups,
                                  const NxGroupsMask* groupsMask) const
{
    NxShape* shape;
    return overlapCapsuleShapes(worldCapsule, shapeType, 1, &shape, nullptr, activeGroups, groupsMask, true) != 0;
}

NxReal NxScene::defaultSleepLinearVelocity() const
{
    return std::sqrt(sdk_.getParameter(NX_DEFAULT_SLEEP_LIN_VEL_SQUARED));
}

NxReal NxScene::defaultSleepAngularVelocity() const
{
    return std::sqrt(sdk_.getParameter(NX_DEFAULT_SLEEP_ANG_VEL_SQUARED));
}

void NxScene::solverIterationsChanged()
{
    NxU32 iterations = 1;
    for (NxActor* actor : actors_)
        if (actor->isDynamic())
            iterations = std::max(iterations, actor->getSolverIterationCount());
    world_->dynamics().getSolverInfo().m_numIterations = int(iterations);
}

void NxScene::reportError(NxErrorCode code, const char* message) const
{
    sdk_.reportError(code, message, __FILE__, __LINE__);
}
