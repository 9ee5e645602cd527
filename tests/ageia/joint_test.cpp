#include "ageia/dynamicslistener.h"
#include "ageia/nxjoint.h"
#include "core/stream/memorystream.h"
#include "dynamicsfixture.h"
#include "platform/physics/nxjoint.h"

#include <string>
#include <vector>

namespace
{
class JointTest : public DynamicsTest
{
protected:
    // A joint of the type on a new node placed at the matrix, between the bodies, enabled.
    static TNxDynamicsJoint* Joint(const char* name, u32 type, const TMatrix& place, TDynamicsBody* a,
                                   TDynamicsBody* b = nullptr)
    {
        TNode* node = g_pNodeManager->CreateNode(name);
        node->SetLocalMatrix(place, TNode::OrdinaryCause());
        auto* joint = static_cast<TNxDynamicsJoint*>(Manager().CreateJoint(node, type));
        joint->SetBodyA(a);
        if (b)
            joint->SetBodyB(b);
        joint->OnEnable(1);
        return joint;
    }

    static void ReleaseAndRebuild()
    {
        TMemoryStream image;
        Manager().SaveState(0, image);
        Manager().SaveState(4, image);
    }
};

// Notes who heard a break, in order.
class TBreakJournal : public TDynamicsListener
{
public:
    TBreakJournal(std::string* journal, char letter) : m_pJournal(journal), m_cLetter(letter) {}
    u32 OnJointBreak(TDynamicsJoint* joint, f32) override
    {
        *m_pJournal += m_cLetter;
        pJoint = joint;
        return 1;
    }
    std::string* m_pJournal;
    char m_cLetter;
    TDynamicsJoint* pJoint = nullptr;
};
} // namespace

TEST_F(JointTest, BodiesListTheirJointsAndAReleasedBodyTakesItsJointsWithIt)
{
    TNxDynamicsBody* a = Box("a", 0.0f, 0.0f, 0.0f);
    TNxDynamicsBody* b = Box("b", 2.0f, 0.0f, 0.0f);
    TNxDynamicsBody* c = Box("c", 4.0f, 0.0f, 0.0f);
    TNxDynamicsJoint* first = Joint("first", JOINT_SPHERICAL, Translation(1.0f, 0.0f, 0.0f), a, b);
    TNxDynamicsJoint* second = Joint("second", JOINT_SPHERICAL, Translation(3.0f, 0.0f, 0.0f), a, c);
    ASSERT_NE(nullptr, first->GetJoint());
    EXPECT_EQ(NX_JS_SIMULATING, first->GetState());
    EXPECT_EQ(std::vector<TDynamicsJoint*>({first, second, second, first, second}),
              std::vector<TDynamicsJoint*>({a->lJointA.pFirst, a->lJointA.pLast, first->pNext, b->lJointB.pFirst, c->lJointB.pFirst}));
    // Frame A: body A's node against the joint's node; frame B against the given matrix, kept
    // when body B goes.
    EXPECT_FLOAT_EQ(-1.0f, first->m_FrameA.aRow[3].x);
    EXPECT_FLOAT_EQ(1.0f, first->m_FrameB.aRow[3].x);
    first->SetBodyBFrame(b, Translation(5.0f, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(4.0f, first->m_FrameB.aRow[3].x);
    first->SetBodyB(nullptr);
    EXPECT_EQ(nullptr, b->lJointB.pFirst);
    EXPECT_FLOAT_EQ(4.0f, first->m_FrameB.aRow[3].x);
    first->SetBodyB(b);

    // Moving to another body A relinks the joint at the tail of that body's list.
    first->SetBodyA(c);
    EXPECT_EQ(std::vector<TDynamicsJoint*>({second, second, nullptr, first}),
              std::vector<TDynamicsJoint*>({a->lJointA.pFirst, a->lJointA.pLast, second->pPrev, c->lJointA.pFirst}));
    first->SetBodyA(a);

    // A disabled node unlinks and releases; the descriptor keeps the joint.
    first->pNode->Enable(0, 0);
    EXPECT_EQ(nullptr, first->GetJoint());
    EXPECT_EQ(nullptr, b->lJointB.pFirst);
    first->pNode->Enable(1, 0);
    EXPECT_NE(nullptr, first->GetJoint());
    EXPECT_EQ(first, b->lJointB.pFirst);

    // The layer drops an actor's joints with it: the body's release lets them go first.
    a->__Release();
    EXPECT_EQ(nullptr, first->GetJoint());
    EXPECT_EQ(nullptr, second->GetJoint());
    EXPECT_EQ(0u, Scene().getNbJoints());
    second->OnEnable(0);
}

TEST_F(JointTest, JointsAreRebuiltInTheSameStateAfterAStateRelease)
{
    TNxDynamicsBody* a = Box("a", 0.0f, 0.0f, 0.0f);
    TNxDynamicsBody* b = Box("b", 0.0f, 0.0f, 2.0f);
    TNxDynamicsJoint* hinge = Joint("hinge", JOINT_REVOLUTE, Translation(0.0f, 0.0f, 1.0f), a, b);
    TNxDynamicsJoint* d6 = Joint("d6", JOINT_D6, Translation(1.0f, 0.0f, 0.0f), a);
    TNxDynamicsJoint* rope = Joint("rope", JOINT_DISTANCE, Translation(0.0f, 1.0f, 0.0f), b);
    hinge->SetAngularLimits(-30.0f, 45.0f, 0.0f, 0.0f, 0.0f);
    hinge->SetMotor(2.0f, 5.0f, 1);
    hinge->SetSpring(3.0f, 0.5f, 0.25f, 0);
    hinge->SetBreakable(100.0f, 200.0f);
    d6->SetSpring(7.0f, 8.0f, 9.0f, JOINT_SPRING_DRIVE_SLERP);
    d6->SetAngularLimits(-10.0f, 20.0f, 1.0f, 2.0f, 0.0f);
    rope->SetLimits(0.5f, 1.5f);

    ReleaseAndRebuild();
    ASSERT_NE(nullptr, hinge->GetJoint());
    ASSERT_NE(nullptr, d6->GetJoint());
    ASSERT_NE(nullptr, rope->GetJoint());
    NxRevoluteJoint* revolute = hinge->GetJoint()->isRevoluteJoint();
    NxJointLimitPairDesc limits;
    EXPECT_TRUE(revolute->getLimits(limits));
    EXPECT_NEAR(-30.0f * 0.017453292f, limits.low.value, 1e-6f);
    EXPECT_NEAR(45.0f * 0.017453292f, limits.high.value, 1e-6f);
    NxMotorDesc motor;
    revolute->getMotor(motor);
    EXPECT_EQ(1u, motor.freeSpin);
    NxSpringDesc spring;
    revolute->getSpring(spring);
    f32 force, torque;
    hinge->GetBreakable(force, torque);
    NxD6JointDesc d6Desc;
    static_cast<NxD6Joint*>(d6->GetJoint())->saveToDesc(d6Desc);
    EXPECT_EQ(u32(NX_D6JOINT_MOTION_LIMITED), d6Desc.twistMotion);
    NxDistanceJointDesc ropeDesc;
    static_cast<NxDistanceJoint*>(rope->GetJoint())->saveToDesc(ropeDesc);
    // The motor, the spring, the breaking force and torque, the slerp drive, the twist limit's
    // damping and the rope's lengths.
    EXPECT_EQ(std::vector<f32>({2.0f, 5.0f, 3.0f, 0.25f, 100.0f, 200.0f, 7.0f, 9.0f, 2.0f, 0.5f, 1.5f}),
              std::vector<f32>({motor.velTarget, motor.maxForce, spring.spring, spring.targetValue, force, torque,
                                d6Desc.slerpDrive.spring, d6Desc.slerpDrive.forceLimit, d6Desc.twistLimit.high.damping,
                                ropeDesc.minDistance, ropeDesc.maxDistance}));
    // Rebuilt at the node: the same anchor, the joint is the layer joint's user data.
    EXPECT_NEAR(1.0f, hinge->GetGlobalAnchor().z, 1e-5f);
    EXPECT_EQ(hinge, hinge->GetJoint()->userData);
}

TEST_F(JointTest, PrismaticLimitsAreTwoPlanesAcrossTheNodesAxisThatHoldTheSlide)
{
    TNxDynamicsBody* a = Box("a", 0.0f, 0.0f, 0.0f);
    a->SetDynamic(0);
    TNxDynamicsBody* slider = Box("slider", 0.0f, 0.0f, 2.0f);
    TNode* node = g_pNodeManager->CreateNode("slide");
    node->SetLocalMatrix(Translation(0.0f, 0.0f, 2.0f), TNode::OrdinaryCause());
    auto* joint = static_cast<TNxDynamicsJoint*>(Manager().CreateJoint(node, JOINT_PRISMATIC));
    joint->SetLimits(-0.5f, 0.5f);
    EXPECT_EQ(2, joint->m_nLimitPlaneCount);
    EXPECT_FLOAT_EQ(-0.5f, joint->m_aLimitPlane[0].aPoint[2]);
    EXPECT_FLOAT_EQ(1.0f, joint->m_aLimitPlane[0].aNormal[2]);
    EXPECT_FLOAT_EQ(0.5f, joint->m_aLimitPlane[1].aPoint[2]);
    EXPECT_FLOAT_EQ(-1.0f, joint->m_aLimitPlane[1].aNormal[2]);
    EXPECT_NE(0.0f, joint->m_fLimitPointOnB);

    // Built at the node, the planes stop the slider half a metre along the axis (world Z).
    joint->SetBodyA(a);
    joint->SetBodyB(slider);
    joint->OnEnable(1);
    ASSERT_NE(nullptr, joint->GetJoint());
    auto push = [slider]() {
        slider->SetLinearVelocity(TVector(0.0f, 0.0f, 3.0f, 1.0f));
        for (i32 frame = 0; frame < 30; ++frame)
            Manager().ThreadUpdateManager(1.0f / 30.0f);
        return slider->GetActor()->getGlobalPosition().z;
    };
    EXPECT_NEAR(2.5f, push(), 0.05f);

    // A built joint takes new limits at once, measured from where body B holds the anchor now
    // (half a metre behind its centre).
    joint->SetLimits(-0.5f, 0.2f);
    EXPECT_NEAR(2.7f, push(), 0.05f);
    // A rebuild keeps them; the slider comes back at its node (no frame wrote it back).
    ReleaseAndRebuild();
    EXPECT_NEAR(2.2f, push(), 0.05f);
    // A damaged count past the planes the record holds builds only those.
    joint->m_aLimitPlane[2] = joint->m_aLimitPlane[0];
    joint->m_aLimitPlane[3] = joint->m_aLimitPlane[1];
    joint->m_nLimitPlaneCount = JOINT_LIMIT_PLANE_CAPACITY + 1;
    ReleaseAndRebuild();
    ASSERT_NE(nullptr, joint->GetJoint());
    EXPECT_NEAR(2.2f, push(), 0.05f);
}


TEST_F(JointTest, ABreakInTheSimulationReachesBodyAThenBodyBThenTheGlobalListenersAndEnablingRebuilds)
{
    std::string journal;
    TBreakJournal first(&journal, 'a'), second(&journal, 'b'), global(&journal, 'g');
    TNxDynamicsBody* a = Box("a", 0.0f, 0.0f, 0.0f);
    TNxDynamicsBody* b = Box("b", 2.0f, 0.0f, 0.0f);
    a->pMethods = &first;
    b->pMethods = &second;
    ASSERT_EQ(0u, Manager().AddListener(&global));
    TNxDynamicsJoint* link = Joint("link", JOINT_FIXED, Translation(1.0f, 0.0f, 0.0f), a, b);
    link->SetBreakable(1.0f, 1.0f);
    b->SetLinearVelocity(TVector(20.0f, 0.0f, 0.0f, 1.0f));
    for (i32 frame = 0; frame < 5 && journal.empty(); ++frame)
        Manager().ThreadUpdateManager(1.0f / 30.0f);
    Manager().RemoveListener(&global);
    EXPECT_EQ("abg", journal);
    EXPECT_EQ(link, global.pJoint);
    EXPECT_EQ(1u, link->IsBroken());
    EXPECT_EQ(nullptr, link->GetJoint());
    EXPECT_EQ(0u, Scene().getNbJoints());
    link->OnEnable(1);
    ASSERT_NE(nullptr, link->GetJoint());
    EXPECT_EQ(0u, link->IsBroken());
}
