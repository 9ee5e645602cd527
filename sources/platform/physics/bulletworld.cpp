#include "platform/physics/bulletworld.h"
#include <BulletCollision/CollisionDispatch/btCompoundCollisionAlgorithm.h>
#include <BulletCollision/CollisionDispatch/btManifoldResult.h>
#include "platform/physics/nxscene.h"
#include "platform/physics/nxshapes.h"
#include "platform/physics/nxtrianglemesh.h"

namespace {
bool simulated(const NxActor& actor)
{
    return actor.isDynamic() && !actor.readBodyFlag(NX_BF_KINEMATIC);
}

const NxMaterial& materialOf(const NxScene& scene, NxMaterialIndex index)
{
    const NxMaterial* material = scene.getMaterialFromIndex(index);
    return material ? *material : *scene.getMaterialFromIndex(0);
}

// The material of one side of a contact: the triangle's own one on a mesh that has them.
NxMaterialIndex contactMaterial(const btCollisionObjectWrapper* wrapper, const NxShape& shape, int index)
{
    if (shape.getType() == NX_SHAPE_MESH && wrapper->getCollisionShape() != shape.collisionShape()) {
        const NxTriangleMesh& mesh = static_cast<const NxTriangleMeshShape&>(shape).getTriangleMesh();
        if (mesh.hasMaterials() && index >= 0 && NxU32(index) < mesh.getTriangleCount())
            return mesh.getTriangleMaterial(NxU32(index));
    }
    return shape.getMaterial();
}

bool contactAdded(btManifoldPoint& point, const btCollisionObjectWrapper* wrapper0, int, int index0,
                  const btCollisionObjectWrapper* wrapper1, int, int index1)
{
    const NxShape* shape0 = TBulletWorld::shapeOf(wrapper0);
    const NxShape* shape1 = TBulletWorld::shapeOf(wrapper1);
    if (!shape0 || !shape1)
        return false;
    const NxScene& scene = shape0->getActor().getScene();
    const NxMaterial& a = materialOf(scene, contactMaterial(wrapper0, *shape0, index0));
    const NxMaterial& b = materialOf(scene, contactMaterial(wrapper1, *shape1, index1));
    point.m_combinedFriction = NxMaterial::combine(a.getDynamicFriction(), a.getFrictionCombineMode(),
                                                   b.getDynamicFriction(), b.getFrictionCombineMode());
    point.m_combinedRestitution = NxMaterial::combine(a.getRestitution(), a.getRestitutionCombineMode(),
                                                      b.getRestitution(), b.getRestitutionCombineMode());
    return true;
}

// Children of a compound are filtered one pair at a time.
bool childPairCollides(const btCollisionShape* shape0, const btCollisionShape* shape1)
{
    const auto* a = static_cast<const NxShape*>(shape0->getUserPointer());
    const auto* b = static_cast<const NxShape*>(shape1->getUserPointer());
    if (!a || !b)
        return true;
    return a->getActor().getScene().filter().shapesCollide(*a, *b);
}
} // namespace

TBulletWorld::TBulletWorld(NxScene& scene)
    : dispatcher_(&configuration_), world_(&dispatcher_, &broadphase_, &solver_, &configuration_), filter_(scene)
{
    gContactAddedCallback = &contactAdded;
    gCompoundChildShapePairCallback = &childPairCollides;
    world_.getPairCache()->setOverlapFilterCallback(&filter_);
    // Bounds of resting and static objects are refreshed when they move, not every step.
    world_.setForceUpdateAllAabbs(false);
}

TBulletWorld::~TBulletWorld() = default;

NxActor* TBulletWorld::actorOf(const btCollisionObject* object)
{
    return object->getUserIndex() == kActorBody ? static_cast<NxActor*>(object->getUserPointer()) : nullptr;
}

NxShape* TBulletWorld::triggerShapeOf(const btCollisionObject* object)
{
    return object->getUserIndex() == kTriggerObject ? static_cast<NxShape*>(object->getUserPointer()) : nullptr;
}

NxShape* TBulletWorld::shapeOf(const btCollisionObjectWrapper* wrapper)
{
    for (; wrapper; wrapper = wrapper->m_parent)
        if (void* shape = wrapper->getCollisionShape()->getUserPointer())
            return static_cast<NxShape*>(shape);
    return nullptr;
}

void TBulletWorld::refilter(btCollisionObject& object)
{
    if (!object.getBroadphaseHandle())
        return;
    if (btRigidBody* body = btRigidBody::upcast(&object)) {
        world_.removeRigidBody(body);
        world_.addRigidBody(body);
    } else {
        world_.removeCollisionObject(&object);
        world_.addCollisionObject(&object);
    }
}

void TBulletWorld::refilterAll()
{
    btCollisionObjectArray objects = world_.getCollisionObjectArray();
    for (int i = 0; i < objects.size(); ++i)
        refilter(*objects[i]);
}

bool TBulletWorld::TOverlapFilter::needBroadphaseCollision(btBroadphaseProxy* proxy0, btBroadphaseProxy* proxy1) const
{
    const auto* object0 = static_cast<const btCollisionObject*>(proxy0->m_clientObject);
    const auto* object1 = static_cast<const btCollisionObject*>(proxy1->m_clientObject);
    const TPairFilter& filter = scene_.filter();
    NxActor* actor0 = actorOf(object0);
    NxActor* actor1 = actorOf(object1);
    NxShape* trigger0 = triggerShapeOf(object0);
    NxShape* trigger1 = triggerShapeOf(object1);
    if (trigger0 && trigger1)
        return false;
    if (trigger0)
        actor0 = &trigger0->getActor();
    if (trigger1)
        actor1 = &trigger1->getActor();
    if (!actor0 || !actor1 || !filter.actorsMayCollide(*actor0, *actor1))
        return false;
    // As in the SDK, two bodies that are not simulated (static or kinematic) make no contact:
    // parked props out of play would otherwise pair with each other on every step.
    if (!trigger0 && !trigger1 && !simulated(*actor0) && !simulated(*actor1))
        return false;
    NxShape* shape0 = trigger0 ? trigger0 : actor0->singleChild();
    NxShape* shape1 = trigger1 ? trigger1 : actor1->singleChild();
    if (shape0 && shape1)
        return filter.shapesCollide(*shape0, *shape1);
    return true;
}
