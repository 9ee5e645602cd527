// A camera arm's capsule query (a capsule of 0.3 m radius, 60 m long, beside a slab along its
// whole length, among 300 boxes elsewhere) through the layer, beside the same test made
// directly with the back end: the slab's shape tested against the capsule by the narrow phase.
#include <vector>
#include <benchmark/benchmark.h>
#include <btBulletCollisionCommon.h>
#include "platform/physics/nxphysicssdk.h"
#include "platform/physics/nxscene.h"
#include "platform/physics/nxshapes.h"

namespace {
constexpr float kArm = 60;
constexpr float kRadius = 0.3f;

class TArmScene
{
public:
    TArmScene() : sdk_(NxCreatePhysicsSDK(NX_PHYSICS_SDK_VERSION))
    {
        NxSceneDesc sceneDesc;
        sceneDesc.gravity = NxVec3(0, -9.8f, 0);
        scene_ = sdk_->createScene(sceneDesc);
        addBox(NxVec3(0, -1, 0), NxVec3(300, 1, 300), false);
        slab_ = addBox(NxVec3(0.5f, 5, 200 - kArm), NxVec3(0.25f, 1, kArm), false);
        for (int i = 0; i < 300; ++i)
            addBox(NxVec3(float(i % 20) * 6 - 60, 0.5f, float(i / 20) * 6 - 60), NxVec3(0.5f, 0.5f, 0.5f), true);
        scene_->simulate(1.0f / 60);
        scene_->fetchResults(NX_RIGID_BODY_FINISHED, true);
    }
    ~TArmScene() { sdk_->release(); }

    NxScene& scene() { return *scene_; }
    NxShape& slab() { return *slab_->getShapes()[0]; }
    static NxCapsule arm(float length)
    {
        NxCapsule capsule;
        capsule.p0 = NxVec3(0, 5, 200 - 4.5f);
        capsule.p1 = NxVec3(0, 5, 200 - length);
        capsule.radius = kRadius;
        return capsule;
    }

private:
    NxActor* addBox(const NxVec3& at, const NxVec3& half, bool dynamic)
    {
        NxBoxShapeDesc box;
        box.dimensions = half;
        NxBodyDesc body;
        body.mass = 1;
        NxActorDesc desc;
        desc.body = dynamic ? &body : nullptr;
        desc.globalPose.t = at;
        desc.shapes.push_back(&box);
        return scene_->createActor(desc);
    }

    NxPhysicsSDK* sdk_;
    NxScene* scene_ = nullptr;
    NxActor* slab_ = nullptr;
};

void CapsuleQueryLayer(benchmark::State& state)
{
    TArmScene scene;
    int touching = 0;
    for (auto _ : state)
        touching += scene.scene().checkOverlapCapsule(TArmScene::arm(kArm));
    state.counters["touching"] = benchmark::Counter(touching, benchmark::Counter::kAvgIterations);
}
BENCHMARK(CapsuleQueryLayer);

void CapsuleQueryBackEnd(benchmark::State& state)
{
    TArmScene scene;
    btDefaultCollisionConfiguration configuration;
    btCollisionDispatcher dispatcher(&configuration);
    btDbvtBroadphase broadphase;
    btCollisionWorld world(&dispatcher, &broadphase, &configuration);
    const NxCapsule arm = TArmScene::arm(kArm);
    const NxVec3 axis = arm.p1 - arm.p0;
    btCapsuleShape capsule(kRadius, axis.magnitude());
    btCollisionObject query;
    query.setCollisionShape(&capsule);
    btTransform pose;
    pose.setIdentity();
    pose.getBasis().setEulerZYX(SIMD_HALF_PI, 0, 0);
    pose.setOrigin(btVector3(0, 5, 200 - (4.5f + kArm) / 2));
    query.setWorldTransform(pose);
    btCollisionObject slab;
    slab.setCollisionShape(scene.slab().collisionShape());
    btTransform slabPose;
    slabPose.setIdentity();
    slabPose.setOrigin(btVector3(0.5f, 5, 200 - kArm));
    slab.setWorldTransform(slabPose);
    struct TTouching : btCollisionWorld::ContactResultCallback
    {
        btScalar addSingleResult(btManifoldPoint& point, const btCollisionObjectWrapper*, int, int,
                                 const btCollisionObjectWrapper*, int, int) override
        {
            touching |= point.getDistance() <= 0;
            return 0;
        }
        bool touching = false;
    };
    int touching = 0;
    for (auto _ : state) {
        TTouching result;
        world.contactPairTest(&query, &slab, result);
        touching += result.touching;
    }
    state.counters["touching"] = benchmark::Counter(touching, benchmark::Counter::kAvgIterations);
}
BENCHMARK(CapsuleQueryBackEnd);
} // namespace
