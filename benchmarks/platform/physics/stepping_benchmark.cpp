// The same scene stepped and ray-cast through our physics layer and through the back end
// directly, with the same settings on both sides: 1,000 boxes (half extents 0.5 m, mass 1) in
// a 10x10x10 grid at 1.1 m spacing dropped from 2 m onto a static 100 m x 100 m ground of
// 2 m quads (5,000 triangles); 240 steps of 1/120 s, 4 solver iterations, sleep below 0.15 m/s
// and 0.14 rad/s after 0.4 s, friction 0.5, restitution 0; then 10,000 closest rays straight
// down onto the settled scene.
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>
#include <benchmark/benchmark.h>
#include <btBulletDynamicsCommon.h>
#include "platform/physics/nxcooking.h"
#include "platform/physics/nxphysicssdk.h"
#include "platform/physics/nxscene.h"
#include "platform/physics/nxshapes.h"
#include "platform/physics/nxstream.h"
#include "platform/physics/nxtrianglemesh.h"

namespace {
constexpr int kGroundQuads = 50;
constexpr float kGroundSize = 100;
constexpr int kGrid = 10;
constexpr float kSpacing = 1.1f;
constexpr float kDropHeight = 2;
constexpr int kSteps = 240;
constexpr float kStep = 1.0f / 120.0f;
constexpr int kRaysPerSide = 100;
constexpr int kSolverIterations = 4;

struct TGround
{
    std::vector<float> points;
    std::vector<unsigned> triangles;
    TGround()
    {
        const float step = kGroundSize / kGroundQuads;
        for (int z = 0; z <= kGroundQuads; ++z)
            for (int x = 0; x <= kGroundQuads; ++x)
                points.insert(points.end(), {-kGroundSize / 2 + float(x) * step, 0, -kGroundSize / 2 + float(z) * step});
        for (int z = 0; z < kGroundQuads; ++z)
            for (int x = 0; x < kGroundQuads; ++x) {
                const unsigned a = unsigned(z * (kGroundQuads + 1) + x), b = a + 1, c = a + kGroundQuads + 1, d = c + 1;
                triangles.insert(triangles.end(), {a, c, b, b, c, d});
            }
    }
};

template <class Place> void forEachBox(Place place)
{
    const float start = -float(kGrid - 1) * kSpacing / 2;
    for (int y = 0; y < kGrid; ++y)
        for (int z = 0; z < kGrid; ++z)
            for (int x = 0; x < kGrid; ++x)
                place(start + float(x) * kSpacing, kDropHeight + 0.5f + float(y) * kSpacing, start + float(z) * kSpacing);
}

template <class Cast> void forEachRay(Cast cast)
{
    for (int z = 0; z < kRaysPerSide; ++z)
        for (int x = 0; x < kRaysPerSide; ++x)
            cast(-kGroundSize / 2 + (float(x) + 0.5f) * kGroundSize / kRaysPerSide,
                 -kGroundSize / 2 + (float(z) + 0.5f) * kGroundSize / kRaysPerSide);
}

class TByteStream : public NxStream
{
public:
    std::vector<NxU8> bytes;
    mutable std::size_t cursor = 0;
    NxU8 readByte() const override { return bytes[cursor++]; }
    NxU16 readWord() const override { return read<NxU16>(); }
    NxU32 readDword() const override { return read<NxU32>(); }
    NxF32 readFloat() const override { return read<NxF32>(); }
    NxF64 readDouble() const override { return read<NxF64>(); }
    void readBuffer(void* buffer, NxU32 size) const override
    {
        std::memcpy(buffer, bytes.data() + cursor, size);
        cursor += size;
    }
    NxU32 getAvailableBytes() const override { return NxU32(bytes.size() - cursor); }
    NxStream& storeByte(NxU8 v) override { return storeBuffer(&v, 1); }
    NxStream& storeWord(NxU16 v) override { return storeBuffer(&v, 2); }
    NxStream& storeDword(NxU32 v) override { return storeBuffer(&v, 4); }
    NxStream& storeFloat(NxF32 v) override { return storeBuffer(&v, 4); }
    NxStream& storeDouble(NxF64 v) override { return storeBuffer(&v, 8); }
    NxStream& storeBuffer(const void* buffer, NxU32 size) override
    {
        bytes.insert(bytes.end(), static_cast<const NxU8*>(buffer), static_cast<const NxU8*>(buffer) + size);
        return *this;
    }

private:
    template <class T> T read() const
    {
        T value;
        readBuffer(&value, sizeof value);
        return value;
    }
};

class TLayerScene
{
public:
    TLayerScene() : sdk_(NxCreatePhysicsSDK(NX_PHYSICS_SDK_VERSION))
    {
        NxSceneDesc sceneDesc;
        sceneDesc.gravity = NxVec3(0, -9.8f, 0);
        scene_ = sdk_->createScene(sceneDesc);
        scene_->setTiming(kStep, 1, NX_TIMESTEP_FIXED);
        NxTriangleMeshDesc meshDesc;
        meshDesc.numVertices = NxU32(ground_.points.size() / 3);
        meshDesc.numTriangles = NxU32(ground_.triangles.size() / 3);
        meshDesc.points = ground_.points.data();
        meshDesc.triangles = ground_.triangles.data();
        TByteStream cooked;
        NxGetCookingLib(NX_PHYSICS_SDK_VERSION)->NxCookTriangleMesh(meshDesc, cooked);
        NxTriangleMeshShapeDesc groundShape;
        groundShape.meshData = sdk_->createTriangleMesh(cooked);
        NxActorDesc groundDesc;
        groundDesc.shapes.push_back(&groundShape);
        scene_->createActor(groundDesc);
        NxBoxShapeDesc box;
        box.dimensions = NxVec3(0.5f, 0.5f, 0.5f);
        NxBodyDesc body;
        body.mass = 1;
        body.solverIterationCount = kSolverIterations;
        forEachBox([&](float x, float y, float z) {
            NxActorDesc desc;
            desc.body = &body;
            desc.globalPose.t = NxVec3(x, y, z);
            desc.shapes.push_back(&box);
            scene_->createActor(desc);
        });
    }
    ~TLayerScene() { sdk_->release(); }

    void step()
    {
        scene_->simulate(kStep);
        scene_->fetchResults(NX_RIGID_BODY_FINISHED, true);
    }
    int castRays() const
    {
        int hits = 0;
        forEachRay([&](float x, float z) {
            NxRaycastHit hit;
            hits += scene_->raycastClosestShape({NxVec3(x, 50, z), NxVec3(0, -1, 0)}, NX_ALL_SHAPES, hit, ~0u, 60) != nullptr;
        });
        return hits;
    }

private:
    TGround ground_;
    NxPhysicsSDK* sdk_;
    NxScene* scene_;
};

// The back end used as one would use it directly for this scene.
class TBulletScene
{
public:
    TBulletScene()
        : dispatcher_(&configuration_), world_(&dispatcher_, &broadphase_, &solver_, &configuration_),
          groundArrays_(int(ground_.triangles.size() / 3), reinterpret_cast<int*>(ground_.triangles.data()), 12,
                        int(ground_.points.size() / 3), ground_.points.data(), 12),
          groundShape_(&groundArrays_, true, true), box_(btVector3(0.5f, 0.5f, 0.5f))
    {
        gDeactivationTime = 0.4f;
        world_.setGravity(btVector3(0, -9.8f, 0));
        world_.setForceUpdateAllAabbs(false);
        world_.getSolverInfo().m_numIterations = kSolverIterations;
        // Bullet multiplies the two frictions: 0.7071 on each side makes the layer's 0.5.
        const btScalar friction = 0.70710678f;
        bodies_.push_back(std::make_unique<btRigidBody>(btRigidBody::btRigidBodyConstructionInfo(0, nullptr, &groundShape_)));
        bodies_.back()->setFriction(friction);
        world_.addRigidBody(bodies_.back().get());
        btVector3 inertia;
        box_.calculateLocalInertia(1, inertia);
        forEachBox([&](float x, float y, float z) {
            btRigidBody::btRigidBodyConstructionInfo info(1, nullptr, &box_, inertia);
            info.m_startWorldTransform.setOrigin(btVector3(x, y, z));
            info.m_friction = friction;
            info.m_angularDamping = 1 - std::exp(-0.05f);
            info.m_linearSleepingThreshold = 0.15f;
            info.m_angularSleepingThreshold = 0.14f;
            bodies_.push_back(std::make_unique<btRigidBody>(info));
            world_.addRigidBody(bodies_.back().get());
        });
    }
    ~TBulletScene()
    {
        for (auto& body : bodies_)
            world_.removeRigidBody(body.get());
    }

    void step() { world_.stepSimulation(kStep, 0, kStep); }
    int castRays() const
    {
        int hits = 0;
        forEachRay([&](float x, float z) {
            const btVector3 from(x, 50, z), to(x, -10, z);
            btCollisionWorld::ClosestRayResultCallback closest(from, to);
            world_.rayTest(from, to, closest);
            hits += closest.hasHit();
        });
        return hits;
    }

private:
    TGround ground_;
    btDefaultCollisionConfiguration configuration_;
    btCollisionDispatcher dispatcher_;
    btDbvtBroadphase broadphase_;
    btSequentialImpulseConstraintSolver solver_;
    btDiscreteDynamicsWorld world_;
    btTriangleIndexVertexArray groundArrays_;
    btBvhTriangleMeshShape groundShape_;
    btBoxShape box_;
    std::vector<std::unique_ptr<btRigidBody>> bodies_;
};

template <class TScene> void Step240(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto scene = std::make_unique<TScene>();
        state.ResumeTiming();
        for (int i = 0; i < kSteps; ++i)
            scene->step();
        state.PauseTiming();
        scene.reset();
        state.ResumeTiming();
    }
}

template <class TScene> void Rays10000(benchmark::State& state)
{
    TScene scene;
    for (int i = 0; i < kSteps; ++i)
        scene.step();
    int hits = 0;
    for (auto _ : state)
        hits = scene.castRays();
    state.counters["hits"] = hits;
}
} // namespace

BENCHMARK_TEMPLATE(Step240, TBulletScene)->Name("Step240/Bullet")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_TEMPLATE(Step240, TLayerScene)->Name("Step240/Layer")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_TEMPLATE(Rays10000, TBulletScene)->Name("Rays10000/Bullet")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(Rays10000, TLayerScene)->Name("Rays10000/Layer")->Unit(benchmark::kMillisecond);
