#include "ageia/collisionfilter.h"
#include "collisionfixture.h"
#include "core/math/boundbox.h"
#include "engine/system/resourcemanager.h"
#include "core/system/memory.h"
#include "platform/physics/nxheightfield.h"
#include "platform/physics/nxscene.h"

#include <cstring>
#include <vector>

namespace
{
TCollisionHit Cleared(u32 filter = 1)
{
    TCollisionHit hit;
    std::memset(&hit, 0, sizeof hit);
    hit.nFilter = filter;
    return hit;
}

TBoundBox BoundBox(const TVector& minimum, const TVector& maximum)
{
    TBoundBox box;
    box.minimum = minimum;
    box.maximum = maximum;
    box.Update();
    return box;
}

// What EnumerateBoxTriangles handed over.
struct TTriangles
{
    struct TBatch
    {
        u32 nCount;
        TNode* pNode;
        u32 nKind;
        void* pObject;
    };
    struct TTriangle
    {
        u32 nIndex;
        TVector aPosition[3];
        TVector aNormal[3];
    };
    std::vector<TBatch> aBatch;
    std::vector<TTriangle> aTriangle;
    i32 nStopAt = -1; // the call (counting from 0) that answers non-zero

    static i32 Record(u32 index, TNode* node, u32 kind, void* object, const TVector* positions, const TVector* normals,
                      u32, void* user)
    {
        auto* self = static_cast<TTriangles*>(user);
        const i32 call = static_cast<i32>(self->aBatch.size() + self->aTriangle.size());
        if (!positions)
            self->aBatch.push_back({index, node, kind, object});
        else
            self->aTriangle.push_back({index, {positions[0], positions[1], positions[2]}, {normals[0], normals[1], normals[2]}});
        return call == self->nStopAt ? 1 : 0;
    }
};
} // namespace

TEST_F(CollisionTest, RayCastsExcludingANodeSkipShapesBelowItButNotItsOwn)
{
    TNxCollisionMeshData* cube = Cube("cube");
    TNxCollisionMesh* body = Place("vehicle", cube, 6.0f, 0.0f, 0.0f);
    TNxCollisionMesh* wheel = Place("vehicle_wheel", cube, -3.0f, 0.0f, 0.0f, body->pNode);
    ASSERT_NE(nullptr, body->GetActor());
    ASSERT_NE(nullptr, wheel->GetActor());
    const TRay ray = Ray(TVector(-5.0f, 0.0f, 0.0f, 1.0f), TVector(20.0f, 0.0f, 0.0f, 1.0f));

    // The child's cube (x from 2 to 4) is nearest.
    TCollisionHit hit = Cleared();
    ASSERT_EQ(1u, Collision().RayCast(ray, hit, 0));
    EXPECT_TRUE(hit.pOwner == wheel && hit.Point.x == 2.0f && hit.nHit == 1u);

    hit = Cleared();
    ASSERT_EQ(1u, Collision().RayCastExcludingNode(ray, hit, body->pNode));
    EXPECT_TRUE(hit.pOwner == body && hit.pGeometry == nullptr);
    EXPECT_EQ(std::vector<f32>({5.0f, -1.0f}), std::vector<f32>({hit.Point.x, hit.Normal.x}));

    TNode* other = g_pNodeManager->CreateNode("other");
    TNode* const list[] = {other, body->pNode, nullptr};
    hit = Cleared();
    ASSERT_EQ(1u, Collision().RayCastExcludingNodes(ray, hit, list));
    EXPECT_EQ(body, hit.pOwner);
    TNode* const none[] = {other, nullptr};
    hit = Cleared();
    ASSERT_EQ(1u, Collision().RayCastExcludingNodes(ray, hit, none));
    EXPECT_EQ(wheel, hit.pOwner);

    // Shapes on disabled nodes are not hit by filtered casts; a miss leaves the record alone.
    body->pNode->Enable(0, 0);
    hit = Cleared();
    hit.pOwner = &hit;
    EXPECT_EQ(0u, Collision().RayCastExcludingNode(ray, hit, other));
    EXPECT_EQ(&hit, hit.pOwner);
    EXPECT_EQ(0u, hit.nHit);
}

TEST_F(CollisionTest, FilteredRayCastsKeepTheFirstReportedOfEqualHits)
{
    TNxCollisionMeshData* cube = Cube("cube");
    TNxCollisionMesh* a = Place("a", cube, 5.0f, 0.0f, 0.0f);
    TNxCollisionMesh* b = Place("b", cube, 5.0f, 0.0f, 0.0f);
    const TRay ray = Ray(TVector(0.0f, 0.0f, 0.0f, 1.0f), TVector(20.0f, 0.0f, 0.0f, 1.0f));

    // The layer's own order of the two hits at 4.
    struct TOrder : NxUserRaycastReport
    {
        bool onHit(const NxRaycastHit& hit) override
        {
            shapes.push_back(hit.shape);
            return true;
        }
        std::vector<NxShape*> shapes;
    } order;
    NxGroupsMask mask;
    mask.bits0 = 1;
    Scene().raycastAllShapes(NxRay{NxVec3(0, 0, 0), NxVec3(1, 0, 0)}, order, NX_ALL_SHAPES, 0xffffffff, 20.0f,
                             0xffffffff, &mask);
    ASSERT_EQ(2u, order.shapes.size());
    TNxCollisionMesh* first = order.shapes[0] == a->GetShape() ? a : b;
    TNxCollisionMesh* second = first == a ? b : a;

    TNode* nobody = g_pNodeManager->CreateNode("nobody");
    TCollisionHit hit = Cleared();
    ASSERT_EQ(1u, Collision().RayCastExcludingNode(ray, hit, nobody));
    EXPECT_EQ(first, hit.pOwner);

    // A nearer hit replaces the stored one.
    second->pNode->SetLocalMatrix(Translation(4.5f, 0.0f, 0.0f), TNode::OrdinaryCause());
    g_pNodeManager->UpdateManager(0.0f);
    hit = Cleared();
    ASSERT_EQ(1u, Collision().RayCastExcludingNode(ray, hit, nobody));
    EXPECT_EQ(second, hit.pOwner);
    EXPECT_FLOAT_EQ(3.5f, hit.Point.x);
}

TEST_F(CollisionTest, RaysCastFromInsideAShapePassThroughIt)
{
    TNxCollisionMeshData* cube = Cube("cube");
    TNxCollisionMesh* own = Place("own", cube, 0.0f, 0.0f, 0.0f);
    TNxCollisionMesh* wall = Place("wall", cube, 5.0f, 0.0f, 0.0f);
    ASSERT_NE(nullptr, own->GetActor());
    const TRay ray = Ray(TVector(0.5f, 0.0f, 0.0f, 1.0f), TVector(20.0f, 0.0f, 0.0f, 1.0f));

    TCollisionHit hit = Cleared();
    ASSERT_EQ(1u, Collision().RayCast(ray, hit, 0));
    EXPECT_EQ(wall, hit.pOwner);
    EXPECT_FLOAT_EQ(4.0f, hit.Point.x);
    TNode* nobody = g_pNodeManager->CreateNode("nobody");
    hit = Cleared();
    ASSERT_EQ(1u, Collision().RayCastExcludingNode(ray, hit, nobody));
    EXPECT_EQ(wall, hit.pOwner);
}

TEST_F(CollisionTest, ClosestRayCastsOnMeshesGiveTheTriangleAndItsCoordinates)
{
    TNxCollisionMesh* ground = Place("ground", Ground("ground"), 0.0f, 0.0f, 0.0f);
    const TRay ray = Ray(TVector(5.0f, 5.0f, -5.0f, 1.0f), TVector(5.0f, -5.0f, -5.0f, 1.0f));
    TCollisionHit hit = Cleared();
    hit.nFace = 99;
    ASSERT_EQ(1u, Collision().RayCast(ray, hit, 0));
    EXPECT_TRUE(hit.pOwner == ground && hit.nFace == 0u);
    EXPECT_NEAR(0.0f, hit.Point.y, 1e-5f);
    EXPECT_EQ(std::vector<f32>({1.0f, 0.0f}), std::vector<f32>({hit.Barycentric.w, hit.Barycentric.z}));
    const f32 u = hit.Barycentric.x, v = hit.Barycentric.y;
    // The impact rebuilt from the triangle's corners.
    EXPECT_NEAR(5.0f, (1 - u - v) * -10.0f + u * 10.0f + v * 10.0f, 1e-4f);

    // The filter is the groups mask of the cast.
    hit = Cleared(2);
    EXPECT_EQ(0u, Collision().RayCast(ray, hit, 0));
}

TEST_F(CollisionTest, BoxTrianglesAreEnumeratedWithPositionsAndStoredNormals)
{
    TNxCollisionMesh* ground = Place("ground", Ground("ground"), 0.0f, 0.0f, 0.0f);
    // Size 1 is taken as half extents: the query reaches from 4 to 6 and -6 to -4.
    const TBoundBox box = BoundBox(TVector(-0.5f, -0.5f, -0.5f, 1.0f), TVector(0.5f, 0.5f, 0.5f, 1.0f));
    const TMatrix at = Translation(5.0f, 0.0f, -5.0f);
    TTriangles seen;
    TCollisionHit hit = Cleared();
    ASSERT_EQ(1u, Collision().EnumerateBoxTriangles(at, box, hit, &TTriangles::Record, &seen));
    ASSERT_EQ(1u, seen.aBatch.size());
    const TTriangles::TBatch& batch = seen.aBatch[0];
    EXPECT_TRUE(batch.nCount == 1u && batch.pNode == ground->pNode && batch.nKind == COLLISION_USER_MESH &&
                batch.pObject == ground);
    ASSERT_EQ(1u, seen.aTriangle.size());
    EXPECT_EQ(0u, seen.aTriangle[0].nIndex);
    // Cooking flips the winding.
    const u32 corners[3] = {0, 2, 1};
    const f32 x[4] = {-10.0f, 10.0f, 10.0f, -10.0f}, z[4] = {-10.0f, -10.0f, 10.0f, 10.0f};
    for (u32 k = 0; k < 3; ++k)
    {
        EXPECT_FLOAT_EQ(x[corners[k]], seen.aTriangle[0].aPosition[k].x) << k;
        EXPECT_FLOAT_EQ(z[corners[k]], seen.aTriangle[0].aPosition[k].z) << k;
        EXPECT_FLOAT_EQ(static_cast<f32>(corners[k]), seen.aTriangle[0].aNormal[k].x) << k;
        EXPECT_FLOAT_EQ(1.0f, seen.aTriangle[0].aNormal[k].y) << k;
    }

    // Only the doubled box reaches the ground's edge at x = 10.
    seen = TTriangles();
    ASSERT_EQ(1u, Collision().EnumerateBoxTriangles(Translation(10.8f, 0.0f, -5.0f), box, hit, &TTriangles::Record, &seen));
    EXPECT_EQ(1u, seen.aTriangle.size());

    // A box over the split meets both triangles.
    seen = TTriangles();
    ASSERT_EQ(1u, Collision().EnumerateBoxTriangles(Translation(0.0f, 0.0f, 0.0f), box, hit, &TTriangles::Record, &seen));
    EXPECT_EQ(2u, seen.aTriangle.size());

    // A batch refused at once: no triangle, and still an answer of 1.
    seen = TTriangles();
    seen.nStopAt = 0;
    EXPECT_EQ(1u, Collision().EnumerateBoxTriangles(at, box, hit, &TTriangles::Record, &seen));
    EXPECT_EQ(1u, seen.aBatch.size());
    EXPECT_TRUE(seen.aTriangle.empty());

    // A mesh outside the filter's groups is overlapped but not enumerated.
    seen = TTriangles();
    hit = Cleared(2);
    EXPECT_EQ(1u, Collision().EnumerateBoxTriangles(at, box, hit, &TTriangles::Record, &seen));
    EXPECT_TRUE(seen.aBatch.empty());
    // Nothing there at all.
    EXPECT_EQ(0u, Collision().EnumerateBoxTriangles(Translation(50.0f, 0.0f, 0.0f), box, hit, &TTriangles::Record, &seen));
}

TEST_F(CollisionTest, QueryBoxesArePlacedByTheWholeMatrix)
{
    TNxCollisionMeshData* cube = Cube("cube");
    // A box of half size 0.5 centred 3 along its own X axis, the axis turned onto -Z.
    const TBoundBox box = BoundBox(TVector(2.5f, -0.5f, -0.5f, 1.0f), TVector(3.5f, 0.5f, 0.5f, 1.0f));
    TMatrix matrix = TMatrix::RotationY(90.0f);
    matrix.aRow[3] = TVector(10.0f, 0.0f, 0.0f, 1.0f);
    const TVector centre = matrix.TransformPoint(TVector(3.0f, 0.0f, 0.0f, 1.0f));
    ASSERT_GT(std::fabs(centre.z), 2.5f);
    // One cube where the turned centre lies, one where the unturned centre would.
    TNxCollisionMesh* turned = Place("turned", cube, centre.x, centre.y, centre.z);
    Place("unturned", cube, 13.0f, 0.0f, 0.0f)->SetGroupsMask(2);
    turned->SetGroupsMask(2);

    TCollisionHit hit = Cleared(0xffffffff);
    ASSERT_EQ(1u, Collision().OverlapBox(matrix, box, hit));
    EXPECT_EQ(turned, hit.pOwner);
    EXPECT_EQ(1u, Collision().CheckBox(matrix, box, hit));
    TNode* nobody = g_pNodeManager->CreateNode("nobody");
    hit = Cleared(2);
    ASSERT_EQ(1u, Collision().OverlapBoxExcludingNode(matrix, box, hit, nobody));
    EXPECT_EQ(turned, hit.pOwner);
    hit = Cleared(2);
    EXPECT_EQ(0u, Collision().OverlapBoxExcludingNode(Translation(30.0f, 0.0f, 0.0f), box, hit, nobody));
}

TEST_F(CollisionTest, SpheresAndCapsulesFindTheShapesTheyTouch)
{
    TNxCollisionMesh* cube = Place("cube", Cube("cube"), 0.0f, 0.0f, 0.0f);
    TCollisionHit hit = Cleared(0xffffffff);
    ASSERT_EQ(1u, Collision().OverlapSphere(TVector(1.5f, 0.0f, 0.0f, 1.0f), 1.0f, hit));
    EXPECT_EQ(cube, hit.pOwner);
    EXPECT_EQ(0u, Collision().OverlapSphere(TVector(3.0f, 0.0f, 0.0f, 1.0f), 1.0f, hit));
    EXPECT_EQ(1u, Collision().CheckSphere(TVector(1.5f, 0.0f, 0.0f, 1.0f), 1.0f, hit));
    EXPECT_EQ(0u, Collision().CheckSphere(TVector(3.0f, 0.0f, 0.0f, 1.0f), 1.0f, hit));

    hit = Cleared(1);
    ASSERT_EQ(1u, Collision().OverlapCapsule(TVector(-5.0f, 1.2f, 0.0f, 0.5f), TVector(5.0f, 1.2f, 0.0f, 1.0f), hit));
    EXPECT_EQ(cube, hit.pOwner);
    EXPECT_EQ(1u, Collision().CheckCapsule(TVector(-5.0f, 1.2f, 0.0f, 0.5f), TVector(5.0f, 1.2f, 0.0f, 1.0f), hit));
    EXPECT_EQ(0u, Collision().CheckCapsule(TVector(-5.0f, 2.0f, 0.0f, 0.5f), TVector(5.0f, 2.0f, 0.0f, 1.0f), hit));
}

TEST_F(CollisionTest, DataThatCannotBeCookedOrLoadedMakesNoActor)
{
    // No triangles: nothing is cooked or stored.
    TNxCollisionMeshData* empty = Cook("empty", {{{0, 0, 0}, {0, 1, 0}}}, {}, COLLISION_DATA_TRIANGLES);
    EXPECT_EQ(0u, empty->m_nCookedSize);
    EXPECT_NE(m_Folder.SystemLog().find("'empty': the mesh could not be cooked"), std::string::npos);
    TNxCollisionMesh* mesh = Place("empty", empty, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(nullptr, mesh->GetActor());
    EXPECT_NE(m_Folder.SystemLog().find("'empty': no collision mesh: no actor"), std::string::npos);

    // Damaged cooked bytes: logged, no mesh, no actor.
    TNxCollisionMeshData* cube = Cube("damaged");
    std::vector<u8> garbage(cube->m_nCookedSize, 0xEE);
    TRepository bytes(garbage.data(), static_cast<u32>(garbage.size()));
    cube->SetData(&bytes, 0, static_cast<u32>(garbage.size()));
    TNxCollisionMesh* broken = Place("damaged", cube, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(nullptr, broken->GetActor());
    EXPECT_EQ(nullptr, cube->ConvexMesh());
    EXPECT_NE(m_Folder.SystemLog().find("'damaged': no collision mesh: no actor"), std::string::npos);
    cube->SetData(nullptr, 0, 0);

    // Cooked bytes cut short: the mesh would be completed with zeros, so none is made.
    TNxCollisionMeshData* cut = Cube("cut");
    std::vector<u8> whole(cut->GetData(0, cut->m_nCookedSize), cut->GetData(0, cut->m_nCookedSize) + cut->m_nCookedSize);
    TRepository shorter(whole.data(), static_cast<u32>(whole.size() - 4));
    cut->m_nCookedSize -= 4;
    cut->SetData(&shorter, 0, cut->m_nCookedSize);
    EXPECT_EQ(nullptr, Place("cut", cut, 0.0f, 0.0f, 0.0f)->GetActor());
    EXPECT_NE(m_Folder.SystemLog().find("'cut': " + std::to_string(cut->m_nCookedSize) + " bytes of cooked data make no mesh"),
              std::string::npos);
    cut->SetData(nullptr, 0, 0);
}

// A repository file cut short, so that a record's block reaches past its end (its cooked bytes,
// or the tables after them): the load is refused as a damaged repository's, rather than the
// level playing on without that collision. A file that ends with the block is whole.
TEST_F(CollisionTest, CollisionDataPastTheEndOfACutRepositoryIsRefused)
{
    for (const bool tables : {false, true})
    {
        SCOPED_TRACE(tables ? "into the tables" : "into the cooked bytes");
        const std::string name = tables ? "ground" : "cube";
        TNxCollisionMeshData* data = tables ? Ground(name.c_str()) : Cube(name.c_str());
        const u32 size = data->m_nDataSize;
        ASSERT_EQ(tables, size > data->m_nCookedSize);
        const u8* block = data->GetData(0, size);
        ASSERT_NE(nullptr, block);
        const std::vector<u8> whole(block, block + size);
        TRepository cut(whole.data(), size - 1);
        cut.SetName(TName("level.cooked.data", true));
        data->SetData(&cut, 0, size);
        EXPECT_DEATH(Place("cut", data, 0.0f, 0.0f, 0.0f),
                     "'level.cooked.data' is damaged: the collision data of '" + name + "' lie past its end");
        TRepository exact(whole.data(), size);
        data->SetData(&exact, 0, size);
        EXPECT_NE(nullptr, Place("exact", data, 0.0f, 0.0f, 0.0f)->GetActor());
        data->SetData(nullptr, 0, 0);
    }
}

TEST_F(CollisionTest, ACookedMeshStoredInARepositoryAndReloadedCollides)
{
    TNxCollisionMeshData* data = Ground("runway", false);
    EXPECT_EQ(COOKED_REPOSITORY_ID, data->m_nRepositoryId);
    EXPECT_EQ(data->m_nCookedSize + 4 * 12 + 6 * 2, data->m_nDataSize);
    TNode* node = g_pNodeManager->CreateNode("runway");
    node->SetLocalMatrix(Translation(0.0f, 2.0f, 0.0f), TNode::OrdinaryCause());
    Collision().CreateCollisionMesh(node, data, 0)->SetGroupsMask(1);
    // A mesh saved with its actor: the word means nothing to the program that loads it.
    ASSERT_NE(nullptr, Place("saved_with_actor", Cube("cube"), 0.0f, -20.0f, 0.0f)->GetActor());
    m_pCooked.reset();
    {
        TRepositoryWriter writer(71, 0);
        writer.AddDependency(COOKED_REPOSITORY_ID);
        TClusterManager* managers[9];
        i32 count = TRepositoryWriter::SceneManagers(managers);
        managers[count++] = &Collision();
        ASSERT_TRUE(writer.Write("level.data", managers, count, false));
    }
    g_pCluster->Clear();
    ASSERT_EQ(0, Collision().GetCollisionMeshCount());

    g_pResourceManager->Associate(COOKED_REPOSITORY_ID, "cooked.data");
    ASSERT_EQ(0, g_pResourceManager->LoadRepository("level.data", 0));
    ASSERT_EQ(2, Collision().GetCollisionMeshCount());
    TNxCollisionMesh* loaded = Collision().GetCollisionMesh(0);
    // Its data lay in a repository the loading program does not have: no actor, and no stale one.
    EXPECT_EQ(nullptr, Collision().GetCollisionMesh(1)->GetActor());
    ASSERT_NE(nullptr, loaded->GetActor());
    EXPECT_EQ(4u, loaded->pCollisionMeshData->m_nNormalCount);
    ASSERT_NE(nullptr, loaded->pCollisionMeshData->m_pIndices);
    EXPECT_EQ(3, loaded->pCollisionMeshData->m_pIndices[5]);

    TCollisionHit hit = Cleared();
    ASSERT_EQ(1u, Collision().RayCast(Ray(TVector(-5.0f, 9.0f, 5.0f, 1.0f), TVector(-5.0f, -9.0f, 5.0f, 1.0f)), hit, 0));
    EXPECT_EQ(loaded, hit.pOwner);
    EXPECT_EQ(1u, hit.nFace);
    EXPECT_NEAR(2.0f, hit.Point.y, 1e-5f);

    // A crate dropped on it comes to rest there.
    g_pNxDynamicsManager->SetGravity(TVector(0.0f, -9.8f, 0.0f, 0.0f));
    TNxDynamicsBody* crate = Box("crate", 0.0f, 4.0f, 0.0f);
    crate->GetGeometry(0)->SetGroupsMask(1);
    for (i32 frame = 0; frame < 30; ++frame)
    {
        Manager().ThreadUpdateManager(0.1f);
        Manager().UpdateManager(0.1f);
    }
    EXPECT_NEAR(2.5f, NodePosition(crate).y, 0.05f);
}

TEST_F(CollisionTest, HeightFieldsMeetClosestRaysOnlyAndGoWithTheCluster)
{
    auto* field = static_cast<TNxHeightField*>(Collision().CreateHeightField());
    ASSERT_NE(nullptr, field);
    EXPECT_EQ(1, Collision().GetHeightFieldCount());
    EXPECT_EQ(field, Collision().GetHeightField(0));
    auto* samples = static_cast<NxHeightFieldSample*>(MemoryAllocate(8 * 4 * 4));
    for (u32 i = 0; i < 8 * 4; ++i)
        samples[i] = {0, 0, 0};
    const f32 extents[4] = {64.0f, 200.0f, 32.0f, 0.0f};
    field->Build(TMatrix(1.0f), 8, 4, extents, samples, 0);
    Manager().UpdateManager(0.0f);
    ASSERT_EQ(1u, field->IsBuilt());
    const u32 actors = Scene().getNbActors();

    // No node: a closest cast hits it (with no owner), a filtered one passes it by.
    const TRay ray = Ray(TVector(10.0f, 150.0f, 10.0f, 1.0f), TVector(10.0f, -150.0f, 10.0f, 1.0f));
    TCollisionHit hit = Cleared(HEIGHT_FIELD_GROUPS_MASK);
    hit.pOwner = &hit;
    ASSERT_EQ(1u, Collision().RayCast(ray, hit, 0));
    EXPECT_EQ(nullptr, hit.pOwner);
    TNode* nobody = g_pNodeManager->CreateNode("nobody");
    hit = Cleared(HEIGHT_FIELD_GROUPS_MASK);
    EXPECT_EQ(0u, Collision().RayCastExcludingNode(ray, hit, nobody));

    g_pCluster->Clear();
    EXPECT_EQ(0, Collision().GetHeightFieldCount());
    EXPECT_EQ(actors - 1, Scene().getNbActors());
}

TEST_F(CollisionTest, BatchedRayCastsKeepTheFilterEachWasQueuedWith)
{
    TNxCollisionMeshData* cube = Cube("cube");
    TNxCollisionMesh* near = Place("near", cube, 3.0f, 0.0f, 0.0f);
    near->SetGroupsMask(1);
    TNxCollisionMesh* far = Place("far", cube, 8.0f, 0.0f, 0.0f);
    far->SetGroupsMask(2);
    const TRay ray = Ray(TVector(0.0f, 0.0f, 0.0f, 1.0f), TVector(20.0f, 0.0f, 0.0f, 1.0f));
    TCollisionHit first = Cleared(1);
    TCollisionHit second = Cleared(2);
    TCollisionHit none = Cleared(4);
    Collision().QueueRayCast(ray, first);
    Collision().QueueRayCast(ray, second);
    Collision().QueueRayCast(ray, none);
    EXPECT_EQ(0u, first.nHit);
    Collision().ExecuteQueries();
    EXPECT_EQ(1u, Collision().FinishQueries(1));
    EXPECT_EQ(near, first.pOwner);
    EXPECT_FLOAT_EQ(2.0f, first.Point.x);
    EXPECT_EQ(far, second.pOwner);
    EXPECT_FLOAT_EQ(7.0f, second.Point.x);
    EXPECT_EQ(0u, none.nHit);
}

TEST_F(CollisionTest, MeshesUnderABodyBecomeItsShapesAndNeverStaticActors)
{
    TNxDynamicsBody* cart = Box("cart", 0.0f, 5.0f, 0.0f);
    TNode* bumper = g_pNodeManager->CreateNode("bumper");
    cart->pNode->AddChild(bumper);
    TNxCollisionMesh* mesh = Collision().CreateCollisionMesh(bumper, Cube("bumper"), 1);
    EXPECT_EQ(1u, mesh->m_nBodyOwned);
    ASSERT_NE(nullptr, mesh->GetDynamicsGeometry());
    EXPECT_EQ(GEOMETRY_CONVEX, mesh->GetDynamicsGeometry()->GetGeometryType());
    EXPECT_EQ(2, cart->GetGeometryCount());
    mesh->__Create();
    Collision().OnClusterLoad();
    EXPECT_EQ(nullptr, mesh->GetActor());
    // Its groups mask reaches the body's shape.
    mesh->SetGroupsMask(4);
    EXPECT_EQ(4u, mesh->GetDynamicsGeometry()->GetGroupsMask());

    // Triangle meshes on a body are warned about; without a body above, nothing is attached.
    TNode* deck = g_pNodeManager->CreateNode("deck");
    cart->pNode->AddChild(deck);
    EXPECT_EQ(1u, Collision().CreateCollisionMesh(deck, Ground("deck"), 1)->m_nBodyOwned);
    EXPECT_NE(m_Folder.SystemLog().find("'cart/deck': dynamics body with triangle mesh collision have have significant "
                                        "performace penalty"),
              std::string::npos)
        << m_Folder.SystemLog();
    TNode* alone = g_pNodeManager->CreateNode("alone");
    EXPECT_EQ(0u, Collision().CreateCollisionMesh(alone, Cube("alone"), 1)->m_nBodyOwned);
}

TEST_F(CollisionTest, LargeMeshesAreNamedAndScaledNodesWarnedAbout)
{
    std::vector<TVertex> corners(4, TVertex{{0, 0, 0}, {0, 1, 0}});
    corners[1].aPosition[0] = corners[2].aPosition[2] = 1.0f;
    corners[3].aPosition[0] = corners[3].aPosition[2] = 1.0f;
    std::vector<u16> indices;
    for (u32 i = 0; i < 6667; ++i)
        indices.insert(indices.end(), {0, 1, 2});
    Cook("large", corners, indices, COLLISION_DATA_TRIANGLES);
    EXPECT_NE(m_Folder.SystemLog().find("'large' 20001 faces"), std::string::npos);
    indices.pop_back();
    indices.pop_back();
    indices.pop_back();
    indices.insert(indices.end(), {0, 1});
    Cook("limit", corners, indices, COLLISION_DATA_TRIANGLES);
    EXPECT_EQ(m_Folder.SystemLog().find("'limit' 20000 faces"), std::string::npos);

    TNxCollisionMeshData* cube = Cube("cube");
    TNode* slightly = g_pNodeManager->CreateNode("slightly");
    TMatrix scaled(1.0f);
    scaled.aRow[0].x = 1.04f;
    slightly->SetLocalMatrix(scaled, TNode::OrdinaryCause());
    Collision().CreateCollisionMesh(slightly, cube, 0)->__Create();
    EXPECT_EQ(m_Folder.SystemLog().find("matrix scaled"), std::string::npos);
    TNode* stretched = g_pNodeManager->CreateNode("stretched");
    scaled.aRow[0].x = 1.06f;
    scaled.aRow[3] = TVector(10.0f, 0.0f, 0.0f, 1.0f);
    stretched->SetLocalMatrix(scaled, TNode::OrdinaryCause());
    TNxCollisionMesh* mesh = Collision().CreateCollisionMesh(stretched, cube, 0);
    mesh->__Create();
    EXPECT_NE(m_Folder.SystemLog().find("TNxCollisionMesh::__Create(): warning: 'stretched': matrix scaled (1.060 , "
                                        "1.000 , 1.000)"),
              std::string::npos);
    // Made unscaled: the cube still reaches 1 along X.
    TCollisionHit hit = Cleared(0xffffffff);
    EXPECT_EQ(1u, Collision().CheckSphere(TVector(11.9f, 0.0f, 0.0f, 1.0f), 1.0f, hit));
    EXPECT_EQ(0u, Collision().CheckSphere(TVector(12.1f, 0.0f, 0.0f, 1.0f), 1.0f, hit));
}

TEST_F(CollisionTest, MeshPairsAndGroupsAreSwitchedInTheScene)
{
    TNxCollisionMeshData* cube = Cube("cube");
    TNxCollisionMesh* a = Place("a", cube, 0.0f, 0.0f, 0.0f);
    TNxCollisionMesh* b = Place("b", cube, 5.0f, 0.0f, 0.0f);
    Collision().SetMeshPairCollision(a, b, 0);
    EXPECT_EQ(NxU32(NX_IGNORE_PAIR), Scene().getActorPairFlags(*a->GetActor(), *b->GetActor()) & NX_IGNORE_PAIR);
    Collision().SetMeshPairCollision(a, b, 1);
    EXPECT_EQ(0u, Scene().getActorPairFlags(*a->GetActor(), *b->GetActor()) & NX_IGNORE_PAIR);
    Collision().SetGroupCollision(3, 4, 0);
    EXPECT_FALSE(Scene().getGroupCollisionFlag(3, 4));
    Collision().SetGroupCollision(3, 4, 1);
    EXPECT_TRUE(Scene().getGroupCollisionFlag(3, 4));
    // The collision group reaches the actor and its shape.
    a->SetCollisionGroup(7);
    EXPECT_EQ(7, a->GetShape()->getGroup());
    EXPECT_EQ(7, a->GetCollisionGroup());
}
