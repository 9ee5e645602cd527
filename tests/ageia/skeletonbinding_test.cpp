#include "dynamicsfixture.h"
#include "engine/system/skeleton.h"
#include "engine/system/skeletondata.h"
#include "engine/system/skeletonpose.h"
#include "platform/physics/nxwheelshape.h"

#include <cmath>
#include <memory>

namespace
{
// A skeleton of two bones on its own node, with a loaded pose.
class SkeletonBindingTest : public DynamicsTest
{
protected:
    void SetUp() override
    {
        DynamicsTest::SetUp();
        m_pData = std::make_unique<TSkeletonData>();
        m_pData->m_nBoneCount = 2;
        for (TSkeletonBone& bone : m_pData->aBone)
        {
            bone.Bind = TMatrix(1.0f);
            bone.Rest = TMatrix(1.0f);
        }
        m_pData->aBone[1].nParent = 0;
        m_pPose = std::make_unique<TSkeletonPose>();
        m_pPose->m_nBoneCount = 2;
        m_pPose->Load();
        m_pSkeleton = std::make_unique<TSkeleton>();
        m_pSkeleton->pSkeletonData = m_pData.get();
        m_pSkeleton->pSkeletonPose = m_pPose.get();
        TNode* node = g_pNodeManager->CreateNode("skeleton");
        node->SetLocalMatrix(Translation(0.0f, 0.0f, 10.0f), TNode::OrdinaryCause());
        node->AddObject(m_pSkeleton.get());
    }
    void TearDown() override
    {
        m_pSkeleton->GetNode()->DeleteObject(m_pSkeleton.get());
        DynamicsTest::TearDown();
    }

    std::unique_ptr<TSkeletonData> m_pData;
    std::unique_ptr<TSkeletonPose> m_pPose;
    std::unique_ptr<TSkeleton> m_pSkeleton;
};
} // namespace

TEST_F(SkeletonBindingTest, ABodyBoundToABoneMovesItWithTheSimulation)
{
    Manager().SetGravity(TVector(0.0f, -9.8f, 0.0f, 0.0f));
    TNxDynamicsBody* body = Box("bonebody", 1.0f, 2.0f, 3.0f);
    body->SetSkeletonJoint(m_pSkeleton.get(), &m_pData->aBone[1]);
    EXPECT_EQ(1, body->m_nSkeletonIndex);
    Manager().ThreadUpdateManager(0.1f);
    Manager().UpdateManager(0.1f);
    const f32 fallen = NodePosition(body).y - 2.0f;
    ASSERT_LT(fallen, -0.01f);
    // The bone moves by what the body moved, in the skeleton node's frame.
    const TVector& bone = m_pPose->m_pWorking[1].aRow[3];
    EXPECT_NEAR(0.0f, bone.x, 1e-5f);
    EXPECT_NEAR(fallen, bone.y, 1e-5f);
    EXPECT_NEAR(0.0f, bone.z, 1e-5f);
    EXPECT_FLOAT_EQ(0.0f, m_pPose->m_pWorking[0].aRow[3].y);

    // A record from elsewhere binds nothing.
    TSkeletonBone stranger{};
    TNxDynamicsBody* other = Box("lost", 0.0f, 0.0f, 0.0f);
    other->SetSkeletonJoint(m_pSkeleton.get(), &stranger);
    EXPECT_EQ(-1, other->m_nSkeletonIndex);
}

TEST_F(SkeletonBindingTest, SimulatedWheelsRollAndSteerTheirBones)
{
    TNode* cart = g_pNodeManager->CreateNode("cart");
    auto* body = static_cast<TNxDynamicsBody*>(Manager().CreateBody(cart));
    body->__CreateGeometry(cart, GEOMETRY_BOX)->SetSize(TVector(1.0f, 0.5f, 2.0f, 1.0f));
    TNode* hub = g_pNodeManager->CreateNode("hub");
    hub->SetLocalMatrix(Translation(1.0f, 0.0f, 10.0f), TNode::OrdinaryCause());
    auto* wheel = static_cast<TNxDynamicsGeometry*>(body->__CreateGeometry(hub, GEOMETRY_WHEEL));
    wheel->m_Local = TMatrix(1.0f);
    wheel->pSkeleton = m_pSkeleton.get();
    wheel->m_anBone[0] = 0;
    body->__Create();
    wheel->SetWheelParameter(WHEEL_FLAG_AXLE_SPEED_OVERRIDE, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    wheel->SetWheelParameter(WHEEL_AXLE_SPEED, 2.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    ASSERT_EQ(body, Manager().GetFirstAwake());

    Manager().UpdateManager(0.5f);
    // One radian of roll, no steering; the wheel hangs at the end of its travel (1).
    EXPECT_NEAR(57.29578f, wheel->GetWheelParameter(WHEEL_ROLL_ANGLE), 1e-3f);
    const TMatrix& bone = m_pPose->m_pWorking[0];
    EXPECT_NEAR(std::cos(1.0f), bone.aRow[1].y, 1e-5f);
    EXPECT_NEAR(std::sin(1.0f), bone.aRow[1].z, 1e-5f);
    EXPECT_NEAR(-std::sin(1.0f), bone.aRow[2].y, 1e-5f);
    EXPECT_NEAR(1.0f, bone.aRow[3].x, 1e-5f);
    EXPECT_NEAR(-1.0f, bone.aRow[3].y, 1e-5f);
    EXPECT_NEAR(0.0f, bone.aRow[3].z, 1e-5f);

    // Bone index 1 naming constraint 0: the steering follows the heading of its bone.
    m_pPose->m_nConstraintCount = 1;
    m_pPose->aConstraint[0].nBone = 1;
    m_pPose->m_pWorkingPrevious[1].aRow[2] = TVector(0.5f, 0.0f, 0.8660254f, 0.0f);
    wheel->m_anBone[1] = -10;
    Manager().UpdateManager(0.0f);
    EXPECT_NEAR(30.0f, wheel->GetWheelParameter(WHEEL_STEER_ANGLE), 1e-3f);
    EXPECT_NEAR(0.5235988f, static_cast<NxWheelShape*>(wheel->GetShape())->getSteerAngle(), 1e-5f);

    // Codes -2 to -9 name no constraint.
    m_pPose->m_pWorkingPrevious[1].aRow[2] = TVector(0.0f, 0.0f, 1.0f, 0.0f);
    wheel->m_anBone[1] = -2;
    Manager().UpdateManager(0.0f);
    EXPECT_NEAR(30.0f, wheel->GetWheelParameter(WHEEL_STEER_ANGLE), 1e-3f);
}
