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
    TMemoryStream cookedHull(const std::vector<NxVec3>& points, bool accepted = true)
    {
        NxConvexMeshDesc desc;
        desc.numVertices = NxU32(points.size());
        desc.points = points.data();
        desc.pointStrideBytes = sizeof(NxVec3);
        TMemoryStream stream;
        EXPECT_EQ(NxGetCookingLib(NX_PHYSICS_SDK_VERSION)->NxCookConvexMesh(desc, stream), accepted);
        return stream;
    }
    NxConvexMesh* cookHull(const std::vector<NxVec3>& points, bool accepted = true)
    {
        TMemoryStream stream = cookedHull(points, accepted);
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

// Each damage is refused with its line, where it is found: a header claiming more than its bytes
// hold (even the most triangles it may give) before anything past it is read.
TEST_F(Cooking, DamagedCookedMeshesAreRefusedAsSoonAsTheDamageIsRead)
{
    NxTriangleMeshDesc desc = SmallMesh(true);
    const TMemoryStream cooked = cook(desc);
    const std::string shorter = "createTriangleMesh: the cooked mesh is shorter than its header claims";
    const std::size_t cut = cooked.bytes.size();
    const struct
    {
        std::size_t at; // the word written, or at the end one byte cut off
        NxU32 value;
        std::string error;
        std::size_t read;
    } cases[] = {{0, 0x12345678, "createTriangleMesh: not a cooked triangle mesh", 4},
                 {4, 2, "createTriangleMesh: cooked with another version", 8},
                 {8, 0x7f000005, "createTriangleMesh: damaged cooked mesh header", 20},
                 {8, 6, shorter, 20}, // one vertex too many
                 {12, kCookedMaxTriangles, shorter, 20},
                 {cut, 0, shorter, 20}, // one byte short of the materials
                 {20 + 5 * 12, 5, "createTriangleMesh: a triangle names a vertex that does not exist", 20 + 5 * 12 + 24}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.at);
        TMemoryStream damaged = cooked;
        if (c.at == cut)
            damaged.bytes.pop_back();
        else
            std::memcpy(&damaged.bytes[c.at], &c.value, 4);
        output.errors.clear();
        EXPECT_EQ(sdk->createTriangleMesh(damaged), nullptr);
        EXPECT_EQ(output.errors, std::vector<std::string>{c.error});
        EXPECT_EQ(damaged.cursor, c.read);
    }
    // The exact bytes load.
    TMemoryStream exact = cooked;
    EXPECT_NE(sdk->createTriangleMesh(exact), nullptr);
    EXPECT_EQ(exact.getAvailableBytes(), 0u);
    // Cooking refuses indices out of range and writes nothing.
    const NxU16 outOfRange[] = {0, 1, 5};
    desc.triangles = outOfRange;
    desc.numTriangles = 1;
    TMemoryStream refused;
    EXPECT_FALSE(NxGetCookingLib(NX_PHYSICS_SDK_VERSION)->NxCookTriangleMesh(desc, refused));
    EXPECT_TRUE(refused.bytes.empty());
}

TEST_F(Cooking, AConvexMeshKeepsItsHullAndCollides)
{
    // A unit cube's corners and its centre, which is not on the hull.
    std::vector<NxVec3> points = {{0, 0, 0}};
    for (int i = 0; i < 8; ++i)
        points.emplace_back(i & 1 ? 0.5f : -0.5f, i & 2 ? 0.5f : -0.5f, i & 4 ? 0.5f : -0.5f);
    NxConvexMesh* mesh = cookHull(points);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->getPointCount(), 8u);
    NxConvexShapeDesc shape;
    shape.meshData = mesh;
    NxBodyDesc body;
    NxActor* hull = addActor(NxVec3(0, 2, 0), {&shape}, &body);
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
    TMemoryStream stream = cookedHull(points);
    ASSERT_EQ(stream.bytes.size(), 12u + 4 * 12);
    const NxF32 notANumber = std::nanf("");
    std::memcpy(&stream.bytes[12 + 12 * 2 + 4], &notANumber, 4);
    EXPECT_EQ(sdk->createConvexMesh(stream), nullptr);
    EXPECT_EQ(output.errors, std::vector<std::string>{"createConvexMesh: a cooked point is not a finite number"});
}
