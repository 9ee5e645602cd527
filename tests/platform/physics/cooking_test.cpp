#include <gtest/gtest.h>
#include "physicstestsupport.h"
#include <algorithm>
#include <cmath>
#include <random>
#include "platform/physics/cookedformat.h"
#include "platform/physics/nxconvexmesh.h"

namespace {
class Cooking : public ::testing::Test, public TPhysicsTest
{
protected:
    TMemoryStream cook(const NxTriangleMeshDesc& desc)
    {
        TMemoryStream stream;
        EXPECT_TRUE(NxGetCookingLib(NX_PHYSICS_SDK_VERSION)->NxCookTriangleMesh(desc, stream));
        return stream;
    }
    NxConvexMesh* cookHull(const std::vector<NxVec3>& points, bool accepted = true)
    {
        NxConvexMeshDesc desc;
        desc.numVertices = NxU32(points.size());
        desc.points = points.data();
        desc.pointStrideBytes = sizeof(NxVec3);
        TMemoryStream stream;
        EXPECT_EQ(NxGetCookingLib(NX_PHYSICS_SDK_VERSION)->NxCookConvexMesh(desc, stream), accepted);
        return accepted ? sdk->createConvexMesh(stream) : nullptr;
    }
};

// A small mesh whose vertices are in no particular order and one of which no triangle uses.
const NxVec3 kPoints[] = {{5, 0, 5}, {-1, 0, -1}, {9, 9, 9}, {5, 0, -1}, {-1, 0, 5}};
const NxU16 kTriangles[] = {1, 4, 0, 1, 0, 3};
const NxU16 kMaterials[] = {7, 9};

NxTriangleMeshDesc SmallMesh(bool withMaterials)
{
    NxTriangleMeshDesc desc;
    desc.numVertices = 5;
    desc.numTriangles = 2;
    desc.points = kPoints;
    desc.triangles = kTriangles;
    desc.flags = NX_MF_16_BIT_INDICES;
    if (withMaterials)
        desc.materialIndices = kMaterials;
    return desc;
}
} // namespace

TEST_F(Cooking, ATriangleMeshRoundTripsByteForByteInItsVertexOrder)
{
    NxTriangleMeshDesc desc = SmallMesh(true);
    TMemoryStream cooked = cook(desc);
    NxTriangleMesh* mesh = sdk->createTriangleMesh(cooked);
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->getCount(0, NX_ARRAY_VERTICES), 5u);
    for (NxU32 i = 0; i < 5; ++i)
        EXPECT_EQ(mesh->vertex(i), kPoints[i]);
    EXPECT_EQ(mesh->triangle(1)[2], 3u);
    EXPECT_EQ(mesh->getTriangleMaterial(1), 9);
    // Cooking what was loaded gives the same bytes.
    NxTriangleMeshDesc again;
    again.numVertices = mesh->getCount(0, NX_ARRAY_VERTICES);
    again.numTriangles = mesh->getCount(0, NX_ARRAY_TRIANGLES);
    again.points = mesh->getBase(0, NX_ARRAY_VERTICES);
    again.pointStrideBytes = mesh->getStride(0, NX_ARRAY_VERTICES);
    again.triangles = mesh->getBase(0, NX_ARRAY_TRIANGLES);
    again.triangleStrideBytes = mesh->getStride(0, NX_ARRAY_TRIANGLES);
    const NxU16 materials[] = {mesh->getTriangleMaterial(0), mesh->getTriangleMaterial(1)};
    again.materialIndices = materials;
    EXPECT_EQ(cook(again).bytes, cooked.bytes);
    // The loaded mesh collides: a ray finds the second triangle.
    addGround(mesh);
    NxRaycastHit hit;
    ASSERT_NE(scene->raycastClosestShape({NxVec3(4, 5, 0), NxVec3(0, -1, 0)}, NX_ALL_SHAPES, hit), nullptr);
    EXPECT_EQ(hit.faceID, 1u);
    EXPECT_EQ(hit.materialIndex, 9);
}

TEST_F(Cooking, DamagedOrInvalidDataAreRefused)
{
    NxTriangleMeshDesc desc = SmallMesh(false);
    TMemoryStream cooked = cook(desc);
    // A triangle naming a vertex beyond the count.
    TMemoryStream bad = cooked;
    const std::size_t firstIndex = 5 * 4 + 5 * 12;
    bad.bytes[firstIndex] = 5;
    EXPECT_EQ(sdk->createTriangleMesh(bad), nullptr);
    // Cut short: the counts do not fit what follows, indices read as zero still load safely.
    TMemoryStream versioned = cooked;
    versioned.bytes[4] = 2;
    EXPECT_EQ(sdk->createTriangleMesh(versioned), nullptr);
    TMemoryStream huge = cooked;
    huge.bytes[11] = 0x7f;
    EXPECT_EQ(sdk->createTriangleMesh(huge), nullptr);
    EXPECT_EQ(output.errors.size(), 3u);
    // Cooking refuses indices out of range and writes nothing.
    const NxU16 outOfRange[] = {0, 1, 5};
    desc.triangles = outOfRange;
    desc.numTriangles = 1;
    TMemoryStream refused;
    EXPECT_FALSE(NxGetCookingLib(NX_PHYSICS_SDK_VERSION)->NxCookTriangleMesh(desc, refused));
    EXPECT_TRUE(refused.bytes.empty());
}

TEST_F(Cooking, AHeaderClaimingMoreThanItsBytesHoldIsRefusedBeforeReading)
{
    NxTriangleMeshDesc desc = SmallMesh(true);
    const TMemoryStream cooked = cook(desc);
    const std::string line = "createTriangleMesh: the cooked mesh is shorter than its header claims";
    // The largest triangle count a header may give, over two triangles' bytes: nothing past the
    // header is read.
    TMemoryStream claimsMost = cooked;
    const NxU32 most = 1u << 24;
    std::memcpy(&claimsMost.bytes[12], &most, 4);
    EXPECT_EQ(sdk->createTriangleMesh(claimsMost), nullptr);
    EXPECT_EQ(claimsMost.cursor, 20u);
    // One byte short of the materials, and one vertex too many.
    TMemoryStream oneShort = cooked;
    oneShort.bytes.pop_back();
    EXPECT_EQ(sdk->createTriangleMesh(oneShort), nullptr);
    TMemoryStream vertexMore = cooked;
    vertexMore.bytes[8] = 6;
    EXPECT_EQ(sdk->createTriangleMesh(vertexMore), nullptr);
    EXPECT_EQ(output.errors, std::vector<std::string>(3, line));
    // The exact bytes load.
    TMemoryStream exact = cooked;
    EXPECT_NE(sdk->createTriangleMesh(exact), nullptr);
    EXPECT_EQ(exact.getAvailableBytes(), 0u);
}

TEST_F(Cooking, AConvexMeshKeepsItsHullAndCollides)
{
    // A unit cube's corners and its centre, which is not on the hull.
    std::vector<NxVec3> points = {{0, 0, 0}};
    for (int i = 0; i < 8; ++i)
        points.emplace_back(i & 1 ? 0.5f : -0.5f, i & 2 ? 0.5f : -0.5f, i & 4 ? 0.5f : -0.5f);
    NxConvexMeshDesc desc;
    desc.numVertices = NxU32(points.size());
    desc.points = points.data();
    desc.pointStrideBytes = sizeof(NxVec3);
    TMemoryStream stream;
    ASSERT_TRUE(NxGetCookingLib(NX_PHYSICS_SDK_VERSION)->NxCookConvexMesh(desc, stream));
    NxConvexMesh* mesh = sdk->createConvexMesh(stream);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->getPointCount(), 8u);
    NxConvexShapeDesc shape;
    shape.meshData = mesh;
    NxBodyDesc body;
    NxActorDesc actor;
    actor.body = &body;
    actor.globalPose.t = NxVec3(0, 2, 0);
    actor.shapes.push_back(&shape);
    NxActor* hull = scene->createActor(actor);
    EXPECT_NEAR(hull->getMass(), 1, 1e-4f);
    NxRaycastHit hit;
    ASSERT_NE(scene->raycastClosestShape({NxVec3(0.3f, 5, 0.2f), NxVec3(0, -1, 0)}, NX_ALL_SHAPES, hit), nullptr);
    EXPECT_NEAR(hit.worldImpact.y, 2.5f, 1e-5f);
    addStaticBox(NxVec3(0, -1, 0), NxVec3(10, 1, 10));
    run(2);
    EXPECT_NEAR(hull->getGlobalPosition().y, 0.5f, 0.03f);
    // In use, the mesh stays.
    sdk->releaseConvexMesh(*mesh);
    EXPECT_EQ(sdk->getNbConvexMeshes(), 1u);
}

TEST_F(Cooking, AHullOfTheMostPointsHasOnePlanePerFaceThroughItsPoints)
{
    // Points on a sphere are all corners of the hull, which then has 2n - 4 triangles.
    std::mt19937 random(7);
    std::normal_distribution<float> gauss;
    std::vector<NxVec3> round;
    while (round.size() < kCookedMaxHullPoints) {
        NxVec3 p(gauss(random), gauss(random), gauss(random));
        if (p.normalize() > 0.1f)
            round.push_back(p);
    }
    const NxConvexMesh* sphere = cookHull(round);
    ASSERT_NE(sphere, nullptr);
    ASSERT_EQ(sphere->getPointCount(), kCookedMaxHullPoints);
    for (NxU32 i = 0; i < sphere->getPointCount(); ++i)
        EXPECT_NE(std::find(round.begin(), round.end(), sphere->getPoints()[i]), round.end());
    EXPECT_EQ(sphere->planes().size(), 2 * round.size() - 4);
    for (const NxConvexMesh::TPlane& plane : sphere->planes()) {
        NxU32 onPlane = 0;
        for (const NxVec3& p : round) {
            const NxReal distance = plane.normal.dot(p) + plane.d;
            EXPECT_LE(distance, 1e-5f);
            onPlane += std::fabs(distance) <= 1e-5f;
        }
        EXPECT_EQ(onPlane, 3u);
    }
    // One corner more is refused.
    round.push_back(NxVec3(0.6f, 0.0f, 0.8f));
    cookHull(round, false);
    output.errors.clear();
    round.pop_back();
    // A cube's corners with points on its faces and inside: six planes, exactly the faces.
    std::vector<NxVec3> box;
    for (int i = 0; i < 8; ++i)
        box.emplace_back(i & 1 ? 0.5f : -0.5f, i & 2 ? 0.5f : -0.5f, i & 4 ? 0.5f : -0.5f);
    std::uniform_real_distribution<float> inside(-0.5f, 0.5f);
    while (box.size() < kCookedMaxHullPoints - 1) {
        NxVec3 p(inside(random), inside(random), inside(random));
        if (box.size() % 2)
            p[int(box.size() % 3)] = box.size() % 4 == 1 ? 0.5f : -0.5f;
        box.push_back(p);
    }
    const NxConvexMesh* cube = cookHull(box);
    ASSERT_NE(cube, nullptr);
    EXPECT_EQ(cube->getPointCount(), 8u);
    ASSERT_EQ(cube->planes().size(), 6u);
    for (const NxConvexMesh::TPlane& plane : cube->planes()) {
        EXPECT_EQ(std::fabs(plane.normal.x) + std::fabs(plane.normal.y) + std::fabs(plane.normal.z), 1.0f);
        EXPECT_EQ(plane.d, -0.5f);
    }
}

TEST_F(Cooking, ACookedHullPointThatIsNotANumberIsRefused)
{
    std::vector<NxVec3> points;
    for (int i = 0; i < 4; ++i)
        points.emplace_back(i == 1 ? 1.0f : 0.0f, i == 2 ? 1.0f : 0.0f, i == 3 ? 1.0f : 0.0f);
    NxConvexMeshDesc desc;
    desc.numVertices = 4;
    desc.points = points.data();
    desc.pointStrideBytes = sizeof(NxVec3);
    TMemoryStream stream;
    ASSERT_TRUE(NxGetCookingLib(NX_PHYSICS_SDK_VERSION)->NxCookConvexMesh(desc, stream));
    const NxF32 notANumber = std::nanf("");
    std::memcpy(&stream.bytes[12 + 12 * 2 + 4], &notANumber, 4);
    EXPECT_EQ(sdk->createConvexMesh(stream), nullptr);
    EXPECT_EQ(output.errors, std::vector<std::string>{"createConvexMesh: a cooked point is not a finite number"});
}
