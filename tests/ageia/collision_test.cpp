#include "ageia/collisionfilter.h"
#include "collisionfixture.h"
#include "core/system/memory.h"
#include "platform/physics/nxheightfield.h"

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
    // A ray down onto a ground off the split of its triangles, where the two barycentric
    // coordinates differ: the batched hit carries them as a direct cast finds them.
    TNxCollisionMesh* ground = Place("ground", Ground("ground"), 0.0f, -5.0f, 0.0f);
    ground->SetGroupsMask(8);
    const TRay down = Ray(TVector(3.0f, 0.0f, -6.0f, 1.0f), TVector(3.0f, -20.0f, -6.0f, 1.0f));
    TCollisionHit direct = Cleared(8);
    ASSERT_EQ(1u, Collision().RayCast(down, direct, 0));
    TCollisionHit onGround = Cleared(8);
    Collision().QueueRayCast(ray, first);
    Collision().QueueRayCast(ray, second);
    Collision().QueueRayCast(ray, none);
    Collision().QueueRayCast(down, onGround);
    EXPECT_EQ(0u, first.nHit);
    Collision().ExecuteQueries();
    EXPECT_EQ(1u, Collision().FinishQueries(1));
    EXPECT_EQ(near, first.pOwner);
    EXPECT_FLOAT_EQ(2.0f, first.Point.x);
    EXPECT_EQ(far, second.pOwner);
    EXPECT_FLOAT_EQ(7.0f, second.Point.x);
    EXPECT_EQ(0u, none.nHit);
    EXPECT_EQ(ground, onGround.pOwner);
    EXPECT_NE(direct.Barycentric.x, direct.Barycentric.y);
    EXPECT_EQ(std::vector<f32>({direct.Barycentric.x, direct.Barycentric.y}),
              std::vector<f32>({onGround.Barycentric.x, onGround.Barycentric.y}));
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
