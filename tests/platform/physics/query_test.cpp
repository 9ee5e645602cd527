#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>
#include <btBulletCollisionCommon.h>
#include <gtest/gtest.h>
#include "physicstestsupport.h"
#include "platform/physics/bulletconvert.h"

namespace {
class Query : public ::testing::Test, public TPhysicsTest
{
};

NxRay down(NxReal x, NxReal z, NxReal y = 10)
{
    return {NxVec3(x, y, z), NxVec3(0, -1, 0)};
}

class TCollect : public NxUserRaycastReport
{
public:
    bool onHit(const NxRaycastHit& hit) override
    {
        hits.push_back(hit);
        return true;
    }
    std::vector<NxRaycastHit> hits;
};

class TBatchReport : public NxSceneQueryReport
{
public:
    NxQueryReportResult onBooleanQuery(void*, bool) override { return NX_SQR_CONTINUE; }
    NxQueryReportResult onRaycastQuery(void* userData, NxU32 count, const NxRaycastHit* hits) override
    {
        results.push_back({userData, count, count ? hits[0].worldImpact : NxVec3()});
        return NX_SQR_CONTINUE;
    }
    NxQueryReportResult onShapeQuery(void*, NxU32, NxShape**) override { return NX_SQR_CONTINUE; }
    NxQueryReportResult onSweepQuery(void*, NxU32, void*) override { return NX_SQR_CONTINUE; }
    struct TResult
    {
        void* userData;
        NxU32 count;
        NxVec3 impact;
    };
    std::vector<TResult> results;
};

class TTriangles : public NxUserEntityReport<NxU32>
{
public:
    bool onEvent(NxU32 count, NxU32* entities) override
    {
        found.insert(found.end(), entities, entities + count);
        return true;
    }
    std::vector<NxU32> found;
};
} // namespace

TEST_F(Query, RaysHitTurnedBoxesExactlyOnTheirFacesNearEdges)
{
    NxActor* box = addStaticBox(NxVec3(1, 2, 3), NxVec3(1, 0.5f, 2));
    NxMat34 pose = box->getGlobalPose();
    pose.M.fromQuat(NxQuat(30, NxVec3(0, 1, 0)));
    box->setGlobalPose(pose);
    // Straight down onto the top face, a hair inside a corner of the turned box.
    const NxVec3 corner = pose * NxVec3(0.999f, 0.5f, 1.999f);
    NxRaycastHit hit;
    NxShape* shape = scene->raycastClosestShape(down(corner.x, corner.z), NX_ALL_SHAPES, hit);
    ASSERT_EQ(shape, box->getShapes()[0]);
    EXPECT_NEAR(hit.worldImpact.y, 2.5f, 1e-5f);
    EXPECT_NEAR(hit.distance, 7.5f, 1e-5f);
    EXPECT_NEAR(hit.worldNormal.y, 1, 1e-6f);
    // Sideways at the turned side face: the hit point lies on that face.
    const NxVec3 side = pose.M * NxVec3(1, 0, 0);
    const NxVec3 onFace = pose * NxVec3(1, 0.49f, 1.99f);
    NxRaycastHit sideHit;
    ASSERT_EQ(scene->raycastClosestShape({onFace + side * 5, -side}, NX_ALL_SHAPES, sideHit), box->getShapes()[0]);
    EXPECT_NEAR((sideHit.worldImpact - onFace).magnitude(), 0, 1e-5f);
    EXPECT_NEAR(sideHit.worldNormal.dot(side), 1, 1e-6f);
    EXPECT_NEAR(sideHit.distance, 5, 1e-5f);
    // From below, onto the bottom face.
    NxRaycastHit below;
    ASSERT_NE(scene->raycastClosestShape({NxVec3(1, -5, 3), NxVec3(0, 1, 0)}, NX_ALL_SHAPES, below), nullptr);
    EXPECT_NEAR(below.worldImpact.y, 1.5f, 1e-5f);
    EXPECT_NEAR(below.worldNormal.y, -1, 1e-6f);
    // Just past the corner: nothing.
    const NxVec3 outside = pose * NxVec3(1.001f, 0.5f, 2.001f);
    EXPECT_EQ(scene->raycastClosestShape(down(outside.x, outside.z), NX_ALL_SHAPES, hit), nullptr);
}

TEST_F(Query, RaysFindSpheresAndCapsulesWithTheirNormals)
{
    NxCapsuleShapeDesc capsule;
    capsule.radius = 0.5f;
    capsule.height = 2;
    NxSphereShapeDesc sphere;
    sphere.radius = 1;
    sphere.localPose.t = NxVec3(5, 0, 0);
    NxBodyDesc body;
    addActor(NxVec3(0, 5, 0), {&capsule, &sphere}, &body);
    NxRaycastHit hit;
    // The capsule's top cap is 1 + 0.5 above its centre.
    NxShape* shape = scene->raycastClosestShape(down(0, 0), NX_ALL_SHAPES, hit);
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->getType(), NX_SHAPE_CAPSULE);
    EXPECT_NEAR(hit.worldImpact.y, 6.5f, 1e-5f);
    // Its side, from the side.
    ASSERT_NE(scene->raycastClosestShape({NxVec3(-5, 5.8f, 0), NxVec3(1, 0, 0)}, NX_ALL_SHAPES, hit), nullptr);
    EXPECT_NEAR(hit.worldImpact.x, -0.5f, 1e-5f);
    EXPECT_NEAR(hit.worldNormal.x, -1, 1e-6f);
    // Above the side, at the height of the top cap: the cap curves in.
    ASSERT_NE(scene->raycastClosestShape({NxVec3(-5, 6.3f, 0), NxVec3(1, 0, 0)}, NX_ALL_SHAPES, hit), nullptr);
    EXPECT_NEAR(hit.worldImpact.x, -0.4f, 1e-5f);
    // The sphere, off its centre.
    shape = scene->raycastClosestShape(down(5.6f, 0), NX_ALL_SHAPES, hit);
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->getType(), NX_SHAPE_SPHERE);
    EXPECT_NEAR(hit.worldImpact.y, 5.8f, 1e-5f);
    EXPECT_NEAR(hit.worldNormal.x, 0.6f, 1e-5f);
    // Static only: the dynamic actor is not seen; nor is it beyond the ray's length.
    EXPECT_EQ(scene->raycastClosestShape(down(0, 0), NX_STATIC_SHAPES, hit), nullptr);
    EXPECT_EQ(scene->raycastClosestShape(down(0, 0), NX_ALL_SHAPES, hit, 0xffffffff, 3.4f), nullptr);
}

TEST_F(Query, MeshHitsReportFaceAndBarycentricCoordinates)
{
    NxTriangleMesh* mesh = cookGrid(4, 8, 0, true); // quads of 2 m from -4 to 4
    addGround(mesh);
    NxRaycastHit hit;
    // Quad (1, 2): x from -2 to 0, z from 0 to 2; its first triangle is (a, c, b).
    NxShape* shape = scene->raycastClosestShape(down(-1.2f, 0.3f), NX_ALL_SHAPES, hit);
    ASSERT_NE(shape, nullptr);
    const NxU32 quad = 2 * 4 + 1;
    EXPECT_EQ(hit.faceID, quad * 2);
    const NxU32* triangle = mesh->triangle(hit.faceID);
    const NxVec3 rebuilt = mesh->vertex(triangle[0]) * (1 - hit.u - hit.v) + mesh->vertex(triangle[1]) * hit.u +
                           mesh->vertex(triangle[2]) * hit.v;
    EXPECT_NEAR((rebuilt - hit.worldImpact).magnitude(), 0, 1e-5f);
    EXPECT_NEAR(hit.worldImpact.y, 0, 1e-6f);
    EXPECT_NEAR(hit.worldNormal.y, 1, 1e-6f);
    EXPECT_EQ(hit.materialIndex, mesh->getTriangleMaterial(hit.faceID));
    // The other triangle of the quad.
    scene->raycastClosestShape(down(-0.5f, 1.5f), NX_ALL_SHAPES, hit);
    EXPECT_EQ(hit.faceID, quad * 2 + 1);
}

TEST_F(Query, ShapesOutOfQueriesGroupsOrMasksAreNotHit)
{
    NxActor* top = addStaticBox(NxVec3(0, 2, 0), NxVec3(1, 0.1f, 1));
    NxActor* bottom = addStaticBox(NxVec3(0, 0, 0), NxVec3(1, 0.1f, 1));
    bottom->getShapes()[0]->setGroup(3);
    NxRaycastHit hit;
    EXPECT_EQ(scene->raycastClosestShape(down(0, 0), NX_ALL_SHAPES, hit), top->getShapes()[0]);
    top->getShapes()[0]->setFlag(NX_SF_DISABLE_RAYCASTING, true);
    EXPECT_EQ(scene->raycastClosestShape(down(0, 0), NX_ALL_SHAPES, hit), bottom->getShapes()[0]);
    EXPECT_EQ(scene->raycastClosestShape(down(0, 0), NX_ALL_SHAPES, hit, ~(1u << 3)), nullptr);
    NxGroupsMask mask;
    mask.bits0 = 4;
    bottom->getShapes()[0]->setGroupsMask(mask);
    scene->setFilterConstant0(NxGroupsMask());
    scene->setFilterConstant1(NxGroupsMask());
    NxGroupsMask query;
    query.bits0 = 1;
    EXPECT_EQ(scene->raycastClosestShape(down(0, 0), NX_ALL_SHAPES, hit, ~0u, 100, 0, &query), nullptr);
    query.bits0 = 5;
    EXPECT_EQ(scene->raycastClosestShape(down(0, 0), NX_ALL_SHAPES, hit, ~0u, 100, 0, &query), bottom->getShapes()[0]);
    // All hits, nearest first, the raycasting-off shape left out.
    top->getShapes()[0]->setFlag(NX_SF_DISABLE_RAYCASTING, false);
    TCollect all;
    EXPECT_EQ(scene->raycastAllShapes(down(0, 0), all, NX_ALL_SHAPES), 2u);
    ASSERT_EQ(all.hits.size(), 2u);
    EXPECT_EQ(all.hits[0].shape, top->getShapes()[0]);
    EXPECT_EQ(all.hits[1].shape, bottom->getShapes()[0]);
}

TEST_F(Query, OverlapsFindTheShapesThatTouchTheVolume)
{
    NxActor* a = addStaticBox(NxVec3(0, 0, 0), NxVec3(1, 1, 1));
    NxActor* b = addStaticBox(NxVec3(5, 0, 0), NxVec3(1, 1, 1));
    NxShape* found[4] = {};
    // A sphere whose bounds reach box b's bounds but whose volume does not touch its corner.
    const NxSphere nearCorner{NxVec3(6.8f, 1.8f, 0), 1.0f};
    EXPECT_EQ(scene->overlapSphereShapes(nearCorner, NX_ALL_SHAPES, 4, found, nullptr, ~0u, nullptr, true), 0u);
    EXPECT_EQ(scene->overlapSphereShapes(nearCorner, NX_ALL_SHAPES, 4, found, nullptr, ~0u, nullptr, false), 1u);
    EXPECT_FALSE(scene->checkOverlapSphere(nearCorner));
    EXPECT_TRUE(scene->checkOverlapSphere({NxVec3(6.5f, 1.5f, 0), 1.0f}));
    // A box across both.
    NxBox across;
    across.center = NxVec3(2.5f, 0, 0);
    across.extents = NxVec3(2, 0.5f, 0.5f);
    EXPECT_EQ(scene->overlapOBBShapes(across, NX_ALL_SHAPES, 4, found, nullptr, ~0u, nullptr, true), 2u);
    EXPECT_TRUE((found[0] == a->getShapes()[0] && found[1] == b->getShapes()[0]) ||
                (found[1] == a->getShapes()[0] && found[0] == b->getShapes()[0]));
    // Turned a quarter round it spans neither.
    across.rot.fromQuat(NxQuat(90, NxVec3(0, 1, 0)));
    EXPECT_FALSE(scene->checkOverlapOBB(across));
    // A capsule from one box to the other; at most one shape asked for.
    const NxCapsule capsule{NxVec3(0, 0, 0), NxVec3(5, 0, 0), 0.2f};
    EXPECT_EQ(scene->overlapCapsuleShapes(capsule, NX_ALL_SHAPES, 1, found, nullptr, ~0u, nullptr, true), 1u);
    EXPECT_TRUE(scene->checkOverlapCapsule(capsule));
    EXPECT_FALSE(scene->checkOverlapCapsule({NxVec3(0, 3, 0), NxVec3(5, 3, 0), 0.2f}));
    // Excluded from queries, or outside the active groups: not found.
    b->getShapes()[0]->setFlag(NX_SF_DISABLE_SCENE_QUERIES, true);
    a->getShapes()[0]->setGroup(2);
    across.rot.id();
    EXPECT_FALSE(scene->checkOverlapOBB(across, NX_ALL_SHAPES, ~(1u << 2)));
}

namespace {
// The back end's own narrow phase on a capsule and a shape: the least distance between their
// surfaces it finds (negative where they overlap), or a large value where it reports none.
btScalar backEndDistance(const NxCapsule& capsule, const NxShape& shape)
{
    static btDefaultCollisionConfiguration configuration;
    static btCollisionDispatcher dispatcher(&configuration);
    static btDbvtBroadphase broadphase;
    static btCollisionWorld world(&dispatcher, &broadphase, &configuration);
    const NxVec3 axis = capsule.p1 - capsule.p0;
    btCapsuleShape volume(capsule.radius, axis.magnitude());
    // Any frame whose y axis is the capsule's: it is round about that axis.
    btVector3 y = toBt(axis), x, z;
    if (y.length2() > 0)
        y.normalize();
    else
        y = btVector3(0, 1, 0);
    btPlaneSpace1(y, z, x);
    btCollisionObject query, other;
    query.setCollisionShape(&volume);
    query.setWorldTransform(btTransform(btMatrix3x3(x.x(), y.x(), z.x(), x.y(), y.y(), z.y(), x.z(), y.z(), z.z()),
                                        toBt((capsule.p0 + capsule.p1) * 0.5f)));
    other.setCollisionShape(shape.collisionShape());
    other.setWorldTransform(toBt(shape.collisionPose()));
    struct TNearest : btCollisionWorld::ContactResultCallback
    {
        btScalar addSingleResult(btManifoldPoint& point, const btCollisionObjectWrapper*, int, int,
                                 const btCollisionObjectWrapper*, int, int) override
        {
            distance = std::min(distance, point.getDistance());
            return 0;
        }
        btScalar distance = BT_LARGE_FLOAT;
    } nearest;
    world.contactPairTest(&query, &other, nearest);
    return nearest.distance;
}
} // namespace

// Capsules against boxes are answered without the back end's general narrow phase: the answer
// stays the one it gives (boxes with rounded edges of their margin), for turned boxes, thin
// slabs, long capsules along faces, capsules through boxes and capsules of no length.
TEST_F(Query, CapsulesTouchBoxesAsTheBackEndSeesThem)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<float> unit(0, 1), sign(-1, 1);
    int touching = 0, apart = 0;
    for (int i = 0; i < 1500; ++i) {
        const NxVec3 half(0.05f + 2 * unit(random), 0.05f + 2 * unit(random), 0.05f + 2 * unit(random));
        NxActor* box = addStaticBox(NxVec3(sign(random), sign(random), sign(random)), half);
        NxMat34 pose = box->getGlobalPose();
        if (i % 3)
            pose.M.fromQuat(NxQuat(180 * sign(random), NxVec3(sign(random), sign(random), sign(random) + 0.01f)));
        box->setGlobalPose(pose);
        const NxShape& shape = *box->getShapes()[0];
        NxCapsule capsule;
        capsule.radius = 0.02f + 0.6f * unit(random);
        if (i % 2) {
            // Along a face, near its plane: out by the radius, give or take a little.
            const int face = i % 3, along = (face + 1) % 3;
            NxVec3 local(0, 0, 0), direction(0, 0, 0);
            local[face] = half[face] + capsule.radius + 0.2f * sign(random);
            local[(face + 2) % 3] = half[(face + 2) % 3] * 1.5f * sign(random);
            local[along] = half[along] * 2 * sign(random);
            direction[along] = 8 * unit(random) + (i % 5 == 1 ? 0.0f : 0.5f);
            capsule.p0 = pose * local;
            capsule.p1 = pose * (local + direction);
        } else {
            capsule.p0 = NxVec3(4 * sign(random), 4 * sign(random), 4 * sign(random));
            const NxVec3 direction(sign(random), sign(random), sign(random));
            capsule.p1 = capsule.p0 + direction * (i % 7 == 0 ? 0.0f : 10 * unit(random));
        }
        const btScalar distance = backEndDistance(capsule, shape);
        // Within the back end's own tolerance either answer is its answer.
        if (std::fabs(distance) > 1e-3f) {
            EXPECT_EQ(scene->checkOverlapCapsule(capsule), distance < 0) << "case " << i << " distance " << distance;
            ++(distance < 0 ? touching : apart);
        }
        scene->releaseActor(*box);
    }
    EXPECT_GT(touching, 200);
    EXPECT_GT(apart, 200);
}

TEST_F(Query, BatchedRaysAreAnsweredAtExecute)
{
    addStaticBox(NxVec3(0, 0, 0), NxVec3(1, 1, 1));
    TBatchReport report;
    NxSceneQueryDesc desc;
    desc.report = &report;
    desc.executeMode = NX_SQE_ASYNCHRONOUS;
    NxSceneQuery* query = scene->createSceneQuery(desc);
    int first = 0, second = 0;
    NxRaycastHit unused;
    query->raycastClosestShape(down(0, 0), NX_ALL_SHAPES, unused, ~0u, 100, 0, nullptr, nullptr, &first);
    query->raycastClosestShape(down(3, 0), NX_ALL_SHAPES, unused, ~0u, 100, 0, nullptr, nullptr, &second);
    EXPECT_TRUE(report.results.empty());
    query->execute();
    EXPECT_TRUE(query->finish(true));
    ASSERT_EQ(report.results.size(), 2u);
    EXPECT_EQ(report.results[0].userData, &first);
    EXPECT_EQ(report.results[0].count, 1u);
    EXPECT_NEAR(report.results[0].impact.y, 1, 1e-6f);
    EXPECT_EQ(report.results[1].count, 0u);
    query->execute(); // nothing queued any more
    EXPECT_EQ(report.results.size(), 2u);
}

TEST_F(Query, TrianglesInABoxAreEnumerated)
{
    NxTriangleMesh* mesh = cookGrid(4, 8); // quads of 2 m from -4 to 4
    NxActor* ground = addGround(mesh);
    auto& shape = static_cast<NxTriangleMeshShape&>(*ground->getShapes()[0]);
    TTriangles triangles;
    // Inside quad (1, 1) only, away from its diagonal's other triangle? The box touches both halves.
    EXPECT_EQ(shape.overlapAABBTriangles({NxVec3(-1.5f, -0.1f, -1.5f), NxVec3(-0.5f, 0.1f, -0.5f)}, NX_QUERY_WORLD_SPACE,
                                         &triangles),
              2u);
    EXPECT_EQ(triangles.found, (std::vector<NxU32>{10, 11}));
    // A corner box of quad (0, 0) below its diagonal touches one triangle.
    triangles.found.clear();
    EXPECT_EQ(shape.overlapAABBTriangles({NxVec3(-4, -0.1f, -4), NxVec3(-3.8f, 0.1f, -3.8f)}, 0, &triangles), 1u);
    EXPECT_EQ(triangles.found, std::vector<NxU32>{0});
    // Above the plane: nothing.
    EXPECT_EQ(shape.overlapAABBTriangles({NxVec3(-4, 0.1f, -4), NxVec3(4, 1, 4)}, 0, nullptr), 0u);
}

TEST_F(Query, AMeshRayCachedAlongAPathHitsWhatTheTreeWalkHits)
{
    NxTriangleMesh* mesh = cookGrid(16, 8, 0, true); // quads of 0.5 m from -4 to 4
    auto& shape = static_cast<NxTriangleMeshShape&>(*addGround(mesh)->getShapes()[0]);
    NxVec3 dir(0.3f, -1, 0.2f);
    dir.normalize();
    NxMeshRayCache cache;
    int refills = 0;
    NxVec3 lastMin(1e9f);
    // Steps of 1/64 m: every 32nd ray starts on a grid line, where two triangles are equally near.
    for (int i = 0; i <= 448; ++i) {
        const NxReal x = -3.5f + NxReal(i) / 64.0f;
        const NxVec3 origin(x, 0.6f, x * 0.5f);
        NxRaycastHit walked, cached;
        const bool hit = shape.raycastLocal(origin, dir, 1.0f, walked);
        ASSERT_EQ(shape.raycastLocalCached(origin, dir, 1.0f, cached, cache), hit) << i;
        ASSERT_TRUE(hit) << i;
        const auto fields = [](const NxRaycastHit& h) {
            return std::make_tuple(h.distance, h.faceID, h.u, h.v, h.materialIndex, h.worldNormal.y);
        };
        EXPECT_EQ(fields(cached), fields(walked)) << i;
        if (!(cache.min == lastMin))
            ++refills;
        lastMin = cache.min;
        // Only the triangles about the ray are kept.
        EXPECT_LE(cache.triangles.size(), 64u) << i;
    }
    // 7 m along x: refilled as the ray left each box, not at every ray.
    EXPECT_GT(refills, 2);
    EXPECT_LT(refills, 20);
    // Too short to reach the ground: no hit either way.
    NxRaycastHit hit;
    EXPECT_FALSE(shape.raycastLocalCached(NxVec3(0, 0.6f, 0), dir, 0.3f, hit, cache));
    // Another mesh's shape does not answer from this one's triangles.
    NxTriangleMesh* high = cookGrid(2, 8, 0.4f);
    auto& other = static_cast<NxTriangleMeshShape&>(*addGround(high)->getShapes()[0]);
    ASSERT_TRUE(other.raycastLocalCached(NxVec3(0, 0.6f, 0), NxVec3(0, -1, 0), 1.0f, hit, cache));
    EXPECT_NEAR(hit.distance, 0.2f, 1e-5f);
    ASSERT_TRUE(shape.raycastLocalCached(NxVec3(0, 0.6f, 0), NxVec3(0, -1, 0), 1.0f, hit, cache));
    EXPECT_NEAR(hit.distance, 0.6f, 1e-5f);
    // A long ray walks the tree; one that is no number finds nothing.
    ASSERT_TRUE(shape.raycastLocalCached(NxVec3(1, 50, 1), NxVec3(0, -1, 0), 100.0f, hit, cache));
    EXPECT_NEAR(hit.distance, 50.0f, 1e-4f);
    EXPECT_FALSE(shape.raycastLocalCached(NxVec3(std::nanf(""), 0.6f, 0), NxVec3(0, -1, 0), 1.0f, hit, cache));
}
