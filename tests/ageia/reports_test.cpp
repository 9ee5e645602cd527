#include "ageia/collisionmanager.h"
#include "ageia/dynamicslistener.h"
#include "ageia/nxjoint.h"
#include "ageia/nxreports.h"
#include "dynamicsfixture.h"
#include "platform/physics/nxjoint.h"
#include "platform/physics/nxjointdesc.h"
#include "platform/physics/nxwheelshape.h"

#include <string>
#include <vector>

namespace
{
// Writes its letter and the event into a shared journal; answers joint breaks as told.
class TJournal : public TDynamicsListener
{
public:
    TJournal(std::string* journal, char letter, u32 answer) : m_pJournal(journal), m_cLetter(letter), m_nAnswer(answer) {}
    u32 OnJointBreak(TDynamicsJoint*, f32) override
    {
        *m_pJournal += std::string(1, m_cLetter) + "b ";
        return m_nAnswer;
    }
    void OnWake(TDynamicsBody*) override { *m_pJournal += std::string(1, m_cLetter) + "w "; }
    void OnSleep(TDynamicsBody*) override { *m_pJournal += std::string(1, m_cLetter) + "s "; }

private:
    std::string* m_pJournal;
    char m_cLetter;
    u32 m_nAnswer;
};
} // namespace

TEST_F(DynamicsTest, BreaksWakesAndSleepsReachTheBodiesListenersThenTheGlobalOnes)
{
    std::string journal;
    TJournal a(&journal, 'a', 0), b(&journal, 'b', 1), global(&journal, 'g', 0);
    TNxDynamicsBody* first = Box("first", 0.0f, 0.0f, 0.0f);
    TNxDynamicsBody* second = Box("second", 3.0f, 0.0f, 0.0f);
    first->pMethods = &a;
    second->pMethods = &b;
    ASSERT_EQ(0u, Manager().AddListener(&global));

    // The last body listener's answer counts: b lets the joint break.
    TNxDynamicsJoint joint;
    joint.pBodyA = first;
    joint.pBodyB = second;
    NxFixedJointDesc desc;
    desc.actor[0] = first->GetActor();
    desc.actor[1] = second->GetActor();
    NxJoint* nx = Scene().createJoint(desc);
    ASSERT_NE(nullptr, nx);
    nx->userData = &joint;
    joint.m_pJoint = nx;
    EXPECT_TRUE(DynamicsUserNotify().onJointBreak(12.0f, *nx));
    EXPECT_EQ("ab bb gb ", journal);
    EXPECT_EQ(1u, joint.m_nBroken);
    EXPECT_EQ(nullptr, joint.m_pJoint);

    // With body A alone answering 0 the joint holds.
    joint.pBodyB = nullptr;
    joint.m_nBroken = 0;
    journal.clear();
    EXPECT_FALSE(DynamicsUserNotify().onJointBreak(12.0f, *nx));
    EXPECT_EQ("ab gb ", journal);
    EXPECT_EQ(0u, joint.m_nBroken);
    Scene().releaseJoint(*nx);

    NxActor* actors[2] = {first->GetActor(), second->GetActor()};
    journal.clear();
    DynamicsUserNotify().onSleep(actors, 2);
    DynamicsUserNotify().onWake(actors, 2);
    EXPECT_EQ("as gs bs gs aw gw bw gw ", journal);
    Manager().RemoveListener(&global);
    EXPECT_EQ(0, Manager().GetListenerCount());
}

TEST_F(DynamicsTest, WheelContactsNeverReportLessThanTheRadiusLessTwoCentimetres)
{
    TNode* cart = g_pNodeManager->CreateNode("buggy");
    auto* body = static_cast<TNxDynamicsBody*>(Manager().CreateBody(cart));
    TNode* hub = g_pNodeManager->CreateNode("buggyhub");
    hub->SetLocalMatrix(Translation(1.0f, 2.0f, 3.0f), TNode::OrdinaryCause());
    auto* wheel = static_cast<TNxDynamicsGeometry*>(body->__CreateGeometry(hub, GEOMETRY_WHEEL));
    TNxDynamicsGeometry* plain = static_cast<TNxDynamicsGeometry*>(
        body->__CreateGeometry(g_pNodeManager->CreateNode("buggyhub2"), GEOMETRY_WHEEL));
    wheel->SetSize(TVector(0.5f, 0.3f, 0.0f, 1.0f));
    // A stored callback word asks for the manager's report.
    static_cast<NxWheelShapeDesc*>(wheel->GetDescriptor(0))->wheelContactModify =
        reinterpret_cast<NxUserWheelContactModify*>(0x1234);
    body->__Create();
    auto* live = static_cast<NxWheelShape*>(wheel->GetShape());
    EXPECT_EQ(&DynamicsWheelContactReport(), live->getUserWheelContactModify());
    EXPECT_EQ(nullptr, static_cast<NxWheelShape*>(plain->GetShape())->getUserWheelContactModify());

    NxVec3 point(9.0f, 9.0f, 9.0f), normal(0.0f, 1.0f, 0.0f);
    NxReal position = 0.1f, force = 0.0f;
    NxMaterialIndex material = 0;
    EXPECT_TRUE(DynamicsWheelContactReport().onWheelContact(live, point, normal, position, force, nullptr, material, 0));
    EXPECT_EQ(std::vector<f32>({0.48f, 1.0f, 2.0f - 0.48f}), std::vector<f32>({position, point.x, point.y}));
    // Deeper than that: kept as found.
    position = 0.6f;
    point.set(9.0f, 9.0f, 9.0f);
    EXPECT_TRUE(DynamicsWheelContactReport().onWheelContact(live, point, normal, position, force, nullptr, material, 0));
    EXPECT_FLOAT_EQ(0.6f, position);
    EXPECT_FLOAT_EQ(9.0f, point.x);
}
