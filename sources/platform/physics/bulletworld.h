#pragma once
// The back end's world of one scene, with the layer's pair filter in its broad phase and the
// per-contact materials and per-child filters installed once per process.
#include <btBulletDynamicsCommon.h>

class NxScene;
class NxActor;
class NxShape;

// What a collision object of the world stands for (its user index).
enum TObjectKind { kActorBody = 1, kTriggerObject = 2 };

class TBulletWorld
{
public:
    explicit TBulletWorld(NxScene& scene);
    ~TBulletWorld();

    btDiscreteDynamicsWorld& dynamics() { return world_; }
    const btDiscreteDynamicsWorld& dynamics() const { return world_; }
    btCollisionDispatcher& dispatcher() { return dispatcher_; }
    btBroadphaseInterface& broadphase() { return broadphase_; }

    static NxActor* actorOf(const btCollisionObject* object);
    static NxShape* triggerShapeOf(const btCollisionObject* object);
    // The layer's shape that a collision shape (or the nearest wrapper above it) belongs to.
    static NxShape* shapeOf(const btCollisionObjectWrapper* wrapper);
    // Drops the broad phase's pairs of an object so that the filter sees them again.
    void refilter(btCollisionObject& object);
    void refilterAll();

private:
    class TOverlapFilter : public btOverlapFilterCallback
    {
    public:
        explicit TOverlapFilter(NxScene& scene) : scene_(scene) {}
        bool needBroadphaseCollision(btBroadphaseProxy* proxy0, btBroadphaseProxy* proxy1) const override;

    private:
        NxScene& scene_;
    };

    btDefaultCollisionConfiguration configuration_;
    btCollisionDispatcher dispatcher_;
    btDbvtBroadphase broadphase_;
    btSequentialImpulseConstraintSolver solver_;
    btDiscreteDynamicsWorld world_;
    TOverlapFilter filter_;
};
