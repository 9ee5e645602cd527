#include "ageia/dynamicsstatesave.h"
#include "ageia/nxcollisionmesh.h"
#include "ageia/nxjoint.h"
#include "dynamicsfixture.h"
#include "repositorywriter.h"
#include "scenerepositories.h"
#include "support/scratchworkingfolder.h"

#include <cstring>
#include <vector>

namespace
{
class DynamicsRepositoryTest : public DynamicsTest
{
protected:
    void SetUp() override
    {
        DynamicsTest::SetUp();
        BeginResources();
    }
    void TearDown() override
    {
        DynamicsTest::TearDown();
        g_pResourceManager->CloseRepositories(0);
    }

    // The scene's managers and the dynamics manager written as a repository, the cluster cleared.
    static void WriteAndClear(u32 id, const char* file)
    {
        TRepositoryWriter writer(id, 0);
        TClusterManager* managers[9];
        i32 count = TRepositoryWriter::SceneManagers(managers);
        managers[count++] = &Manager();
        ASSERT_TRUE(writer.Write(file, managers, count, false));
        g_pCluster->Clear();
    }

    TScratchWorkingFolder m_Folder{"dynamicsrepository"};
};
} // namespace

TEST_F(DynamicsRepositoryTest, TheGamesTestSceneCarriesGroundBodiesAndACart)
{
    ASSERT_TRUE(WriteSceneRepositories("."));
    for (u32 id : {COMMON_REPOSITORY_ID, MAPPED_REPOSITORY_ID, STREAMED_REPOSITORY_ID})
        g_pResourceManager->Associate(id, id == COMMON_REPOSITORY_ID   ? "common.data"
                                          : id == MAPPED_REPOSITORY_ID ? "mapped.data"
                                                                       : "streamed.data");
    ASSERT_EQ(0, g_pResourceManager->LoadRepository("main.data", 0));
    TVector gravity;
    Manager().GetGravity(gravity);
    EXPECT_FLOAT_EQ(-9.8f, gravity.y);
    ASSERT_EQ(4, Manager().GetBodyCount());
    u32 shapes[8] = {};
    TDynamicsBody* cart = nullptr;
    for (i32 i = 0; i < Manager().GetBodyCount(); ++i)
    {
        TDynamicsBody* body = Manager().GetBody(i);
        EXPECT_NE(nullptr, static_cast<TNxDynamicsBody*>(body)->GetActor()) << i;
        for (i32 g = 0; g < body->GetGeometryCount(); ++g)
            ++shapes[body->GetGeometry(g)->GetGeometryType()];
        if (std::strcmp(body->pNode->m_Name.GetText(), "cart") == 0)
            cart = body;
    }
    // Boxes, spheres, capsules and wheels.
    EXPECT_EQ(std::vector<u32>({2, 1, 1, 4}), std::vector<u32>({shapes[GEOMETRY_BOX], shapes[GEOMETRY_SPHERE],
                                                                shapes[GEOMETRY_CAPSULE], shapes[GEOMETRY_WHEEL]}));
    ASSERT_NE(nullptr, cart);

    // The ground and the terminal are cooked meshes read back from the streamed repository.
    TNxCollisionManager& collision = *g_pNxCollisionManager;
    ASSERT_EQ(2, collision.GetCollisionMeshCount());
    for (i32 i = 0; i < 2; ++i)
        EXPECT_NE(nullptr, collision.GetCollisionMesh(i)->GetActor()) << i;
    TCollisionHit hit{};
    hit.nFilter = 1;
    ASSERT_EQ(1u, collision.RayCast(TRay(TVector(40.0f, 20.0f, -30.0f, 1.0f), TVector(40.0f, -1.0f, -30.0f, 1.0f)), hit, 0));
    EXPECT_FLOAT_EQ(8.0f, hit.Point.y);
    EXPECT_STREQ("terminal", static_cast<TNxCollisionMesh*>(hit.pOwner)->pNode->m_Name.GetText());
    ASSERT_EQ(1u, collision.RayCast(TRay(TVector(-50.0f, 20.0f, 50.0f, 1.0f), TVector(-50.0f, -1.0f, 50.0f, 1.0f)), hit, 0));
    EXPECT_NEAR(0.0f, hit.Point.y, 1e-5f);
    EXPECT_STREQ("ground", static_cast<TNxCollisionMesh*>(hit.pOwner)->pNode->m_Name.GetText());

    // Everything settles: the cart stands on its wheels above the ground, the others on it.
    for (i32 frame = 0; frame < 40; ++frame)
    {
        Manager().ThreadUpdateManager(0.1f);
        Manager().UpdateManager(0.1f);
    }
    const f32 cartHeight = cart->pNode->GetWorldMatrix()->aRow[3].y;
    EXPECT_GT(cartHeight, 0.3f);
    EXPECT_LT(cartHeight, 1.0f);
    EXPECT_NEAR(0.5f, g_pNodeManager->FindNode(TName("crate").GetId())->GetWorldMatrix()->aRow[3].y, 0.05f);
}

TEST_F(DynamicsRepositoryTest, SnapshotsCaptureAndApplyTheBodiesAndJointsOfAPropTree)
{
    TNode* root = g_pNodeManager->CreateNode("prop");
    const char* const names[3] = {"arm0", "arm1", "hinge"};
    for (i32 i = 0; i < 3; ++i)
    {
        TNode* node = g_pNodeManager->CreateNode(names[i]);
        root->AddChild(node);
        node->SetLocalMatrix(Translation(static_cast<f32>(i), 0.0f, 0.0f), TNode::OrdinaryCause());
        if (i < 2)
            Manager().CreateBody(node)->__CreateGeometry(node, GEOMETRY_SPHERE);
    }
    WriteAndClear(61, "prop.data");
    ASSERT_EQ(0, g_pResourceManager->LoadRepository("prop.data", 0));
    TNode* prop = g_pNodeManager->FindNode(TName("prop").GetId());
    TNode* arm0 = g_pNodeManager->FindNode(TName("arm0").GetId());
    TNode* hinge = g_pNodeManager->FindNode(TName("hinge").GetId());
    ASSERT_TRUE(prop && arm0 && hinge);
    TNxDynamicsJoint joint;
    hinge->AddObject(&joint);

    TDynamicsStateSave record{};
    TDynamicsStateSave::Initialize(prop, &record);
    EXPECT_EQ(3, record.nCount);
    EXPECT_EQ(3u, record.nBodyMask);
    EXPECT_EQ(240u, record.nFlags);
    EXPECT_EQ(static_cast<u32>(reinterpret_cast<u8*>(arm0) - reinterpret_cast<u8*>(prop)), record.anNodeOffset[0]);

    // Never captured: nothing happens.
    arm0->SetLocalMatrix(Translation(5.0f, 0.0f, 0.0f), TNode::OrdinaryCause());
    EXPECT_EQ(0, TDynamicsStateSave::Apply(prop, &record));
    EXPECT_FLOAT_EQ(5.0f, arm0->GetLocalMatrix().aRow[3].x);

    joint.m_nBroken = 1;
    TDynamicsStateSave::Capture(prop, &record);
    EXPECT_EQ(STATE_SAVE_CAPTURED, record.nFlags & (STATE_SAVE_CAPTURED | STATE_SAVE_APPLIED));
    EXPECT_EQ(7u, record.nEnabledMask);
    EXPECT_EQ(4u, record.nRestMask);

    arm0->SetLocalMatrix(Translation(9.0f, 0.0f, 0.0f), TNode::OrdinaryCause());
    EXPECT_EQ(0, TDynamicsStateSave::Apply(prop, &record));
    EXPECT_FLOAT_EQ(5.0f, arm0->GetLocalMatrix().aRow[3].x);
    EXPECT_EQ(1u, arm0->IsEnabled());
    // The joint broken at capture stays off; every body is held at rest.
    EXPECT_EQ(0u, hinge->IsEnabled());
    auto* body = static_cast<TNxDynamicsBody*>(arm0->FindObject(g_NameTDynamicsBody.GetId()));
    EXPECT_NE(0u, body->m_nState & BODY_STATE_HOLD_STILL);
    TMatrix at;
    EXPECT_EQ(arm0, TDynamicsStateSave::GetPosition(prop, &record, at));

    // Captured again with the joint mended, its rest bit goes; with the caller's world-matrix
    // flag the entries hold world matrices, the moved root's place in them.
    joint.m_nBroken = 0;
    prop->SetLocalMatrix(Translation(0.0f, 0.0f, 10.0f), TNode::OrdinaryCause());
    record.nFlags |= STATE_SAVE_WORLD_MATRICES;
    TDynamicsStateSave::Capture(prop, &record);
    EXPECT_EQ(0u, record.nRestMask & 4u);
    EXPECT_NE(0u, record.nFlags & STATE_SAVE_WORLD_MATRICES);
    EXPECT_FLOAT_EQ(2.0f, record.aMatrix[2].aRow[3].x);
    EXPECT_FLOAT_EQ(10.0f, record.aMatrix[2].aRow[3].z);
    record.nFlags &= ~STATE_SAVE_WORLD_MATRICES;
    prop->SetLocalMatrix(Translation(0.0f, 0.0f, 0.0f), TNode::OrdinaryCause());

    // Stored offsets that name no node of the array are refused, whole.
    for (u32 offset : {100u, 224u * 1000u, static_cast<u32>(-224 * 1000)})
    {
        TDynamicsStateSave bad = record;
        bad.anNodeOffset[1] = offset;
        arm0->SetLocalMatrix(Translation(7.0f, 0.0f, 0.0f), TNode::OrdinaryCause());
        EXPECT_EQ(1, TDynamicsStateSave::Apply(prop, &bad)) << offset;
        EXPECT_FLOAT_EQ(7.0f, arm0->GetLocalMatrix().aRow[3].x);
    }
    // The node one past the array's last is refused; 32 entries are taken, 33 refused.
    i32 rootIndex = 0;
    while (g_pNodeManager->GetNode(rootIndex) != prop)
        ++rootIndex;
    TDynamicsStateSave past = record;
    past.anNodeOffset[1] = static_cast<u32>((g_pNodeManager->GetNodeCount() - rootIndex) * sizeof(TNode));
    EXPECT_EQ(1, TDynamicsStateSave::Apply(prop, &past));
    TDynamicsStateSave many = record;
    for (i32 i = 3; i < STATE_SAVE_ENTRY_CAPACITY; ++i)
    {
        many.anNodeOffset[i] = record.anNodeOffset[i % 3];
        many.aMatrix[i] = record.aMatrix[i % 3];
    }
    many.nCount = STATE_SAVE_ENTRY_CAPACITY;
    EXPECT_EQ(0, TDynamicsStateSave::Apply(prop, &many));
    many.nCount = STATE_SAVE_ENTRY_CAPACITY + 1;
    EXPECT_EQ(1, TDynamicsStateSave::Apply(prop, &many));
    hinge->DeleteObject(&joint);
}

TEST_F(DynamicsRepositoryTest, AStoredGeometryCountPastTheBodysArrayIsCut)
{
    TNxDynamicsBody* damaged = nullptr;
    for (const char* name : {"full", "damaged"})
    {
        damaged = Box(name, damaged ? 5.0f : 0.0f, 0.0f, 0.0f);
        while (damaged->GetGeometryCount() < BODY_GEOMETRY_CAPACITY)
            damaged->__CreateGeometry(damaged->pNode, GEOMETRY_SPHERE);
    }
    // Only the stored record holds the count past the array.
    damaged->m_nGeometryCount = BODY_GEOMETRY_CAPACITY + 1;
    {
        TRepositoryWriter writer(62, 0);
        TClusterManager* managers[9];
        i32 count = TRepositoryWriter::SceneManagers(managers);
        managers[count++] = &Manager();
        const bool written = writer.Write("damaged.data", managers, count, false);
        damaged->m_nGeometryCount = BODY_GEOMETRY_CAPACITY;
        ASSERT_TRUE(written);
    }
    g_pCluster->Clear();
    ASSERT_EQ(0, g_pResourceManager->LoadRepository("damaged.data", 0));
    ASSERT_EQ(2, Manager().GetBodyCount());
    for (i32 i = 0; i < 2; ++i)
        EXPECT_EQ(BODY_GEOMETRY_CAPACITY, Manager().GetBody(i)->GetGeometryCount()) << i;
    const std::string log = m_Folder.SystemLog();
    EXPECT_NE(log.find("body 'damaged': 43 geometries cut to 42"), std::string::npos) << log;
    EXPECT_EQ(log.find("body 'full'"), std::string::npos);
}

TEST_F(DynamicsRepositoryTest, StoredJointsAreBuiltAfterALoadWithTheirSavedState)
{
    TNxDynamicsBody* door = Box("door", 0.0f, 0.0f, 0.0f);
    TNxDynamicsBody* frame = Box("frame", 0.0f, 0.0f, 2.0f);
    TNode* node = g_pNodeManager->CreateNode("hinge");
    node->SetLocalMatrix(Translation(0.0f, 0.0f, 1.0f), TNode::OrdinaryCause());
    auto* hinge = static_cast<TNxDynamicsJoint*>(Manager().CreateJoint(node, JOINT_REVOLUTE));
    hinge->SetBodyA(door);
    hinge->SetBodyB(frame);
    hinge->OnEnable(1);
    hinge->SetMotor(3.0f, 50.0f, -1);
    hinge->SetAngularLimits(-20.0f, 20.0f, 0.0f, 0.0f, 0.0f);
    // A joint whose physics joint the writing program had: the loaded record must not use it.
    ASSERT_NE(nullptr, hinge->GetJoint());
    WriteAndClear(60, "joints.data");
    ASSERT_EQ(0, Manager().GetJointCount());

    ASSERT_EQ(0, g_pResourceManager->LoadRepository("joints.data", 0));
    ASSERT_EQ(1, Manager().GetJointCount());
    auto* loaded = static_cast<TNxDynamicsJoint*>(Manager().GetJoint(0));
    ASSERT_NE(nullptr, loaded->GetJoint());
    EXPECT_EQ(1u, Scene().getNbJoints());
    EXPECT_EQ(loaded, loaded->GetJoint()->userData);
    EXPECT_EQ(JOINT_REVOLUTE, loaded->GetType());
    EXPECT_STREQ("door", loaded->pBodyA->pNode->m_Name.GetText());
    EXPECT_EQ(loaded, static_cast<TNxDynamicsBody*>(loaded->pBodyA)->lJointA.pFirst);
    NxMotorDesc motor;
    loaded->GetJoint()->isRevoluteJoint()->getMotor(motor);
    EXPECT_FLOAT_EQ(3.0f, motor.velTarget);
    EXPECT_FLOAT_EQ(50.0f, motor.maxForce);
    NxJointLimitPairDesc limits;
    EXPECT_TRUE(loaded->GetJoint()->isRevoluteJoint()->getLimits(limits));
    EXPECT_NEAR(20.0f * 0.017453292f, limits.high.value, 1e-6f);
    EXPECT_NEAR(1.0f, loaded->GetGlobalAnchor().z, 1e-5f);
}
