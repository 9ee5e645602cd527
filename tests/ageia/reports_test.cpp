#include "ageia/collisionmanager.h"
#include "ageia/dynamicslistener.h"
#include "ageia/nxjoint.h"
#include "ageia/nxreports.h"
#include "dynamicsfixture.h"
#include "platform/physics/nxjoint.h"
#include "platform/physics/nxjointdesc.h"
#include "platform/physics/nxscenequery.h"
#include "platform/physics/nxwheelshape.h"

#include <string>
#include <utility>
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

TEST(DynamicsReports, AFailedAssertionInTheLayerIsLoggedAndAsksForABreak)
{
    EXPECT_EQ(NX_AR_BREAKPOINT, DynamicsErrorStream().reportAssertViolation("bad", "layer.cpp", 7));
}

namespace
{
// Counts contacts and triggers, noting the journal letter and what it was told.
class TTouch : public TDynamicsListener
{
public:
    TTouch(std::string* journal, char letter) : m_pJournal(journal), m_cLetter(letter) {}
    void OnContact(TDynamicsBody* body, void* other, const f32* normal, const f32*, u32, NxContactPair&) override
    {
        if (m_pJournal->empty() || m_pJournal->back() != m_cLetter)
            *m_pJournal += m_cLetter;
        pBody = body;
        pOther = other;
        fNormalY = normal[1];
    }
    void OnTrigger(TNodeObject* trigger, TNodeObject* other, u32 status) override
    {
        pTrigger = trigger;
        pTriggerOther = other;
        nStatus |= status;
    }
    std::string* m_pJournal;
    char m_cLetter;
    TDynamicsBody* pBody = nullptr;
    void* pOther = nullptr;
    f32 fNormalY = 0.0f;
    TNodeObject* pTrigger = nullptr;
    TNodeObject* pTriggerOther = nullptr;
    u32 nStatus = 0;
};
} // namespace

TEST_F(DynamicsTest, ContactsAndTriggersReachTheBodiesListenersThenTheGlobalOnes)
{
    Manager().SetGravity(TVector(0.0f, -9.8f, 0.0f, 0.0f));
    std::string journal;
    TTouch own(&journal, 'c'), global(&journal, 'g');
    TNxDynamicsBody* ground = Box("floor", 0.0f, 0.0f, 0.0f);
    ground->SetDynamic(0);
    // A trigger volume above the floor, on a kinematic body of its own.
    TNode* gateNode = g_pNodeManager->CreateNode("gate");
    gateNode->SetLocalMatrix(Translation(0.0f, 2.0f, 0.0f), TNode::OrdinaryCause());
    auto* gate = static_cast<TNxDynamicsBody*>(Manager().CreateBody(gateNode));
    TDynamicsGeometry* volume = gate->__CreateGeometry(gateNode, GEOMETRY_BOX);
    volume->SetSize(TVector(1.0f, 0.2f, 1.0f, 1.0f));
    *volume->GetShapeFlags() |= 0x7;
    EXPECT_EQ(1u, volume->IsTrigger());
    gate->SetDynamic(0);
    gate->__Create();
    TNxDynamicsBody* crate = Box("dropped", 0.0f, 4.0f, 0.0f);
    for (TNxDynamicsBody* body : {ground, gate, crate})
        body->GetGeometry(0)->SetGroupsMask(1);
    crate->pMethods = &own;
    crate->SetContactReport(NX_NOTIFY_ON_START_TOUCH, -1.0f);
    ASSERT_EQ(0u, Manager().AddListener(&global));
    for (i32 frame = 0; frame < 30 && journal.size() < 2; ++frame)
    {
        Manager().ThreadUpdateManager(0.1f);
        Manager().UpdateManager(0.1f);
    }
    Manager().RemoveListener(&global);
    EXPECT_EQ("cg", journal);
    EXPECT_EQ(crate, own.pBody);
    EXPECT_EQ(ground, own.pOther);
    EXPECT_GT(own.fNormalY * own.fNormalY, 0.0f);
    // The trigger side's object first: the gate's body (its node's first object), then the crate.
    EXPECT_EQ(gate, own.pTrigger);
    EXPECT_EQ(crate, own.pTriggerOther);
    EXPECT_NE(0u, own.nStatus & NX_TRIGGER_ENTER);
    EXPECT_EQ(gate, global.pTrigger);
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

TEST_F(DynamicsTest, BatchedRayResultsReachTheirHitRecordsWithTheOwnerOfAStaticMeshOnly)
{
    // A static shape carrying a collision mesh's user data, and a body's box beside it.
    TNxDynamicsBody* crate = Box("crate", 5.0f, 0.0f, 0.0f);
    crate->GetGeometry(0)->SetGroupsMask(1);
    u32 meshObject = 0;
    TCollisionUserData meshData{COLLISION_USER_MESH, &meshObject};
    NxBoxShapeDesc box;
    box.dimensions.set(0.5f, 0.5f, 0.5f);
    box.userData = &meshData;
    box.groupsMask.bits0 = 1;
    NxActorDesc wall;
    wall.globalPose.t.set(0.0f, 0.0f, 5.0f);
    wall.shapes.push_back(&box);
    NxActor* actor = Scene().createActor(wall);
    ASSERT_NE(nullptr, actor);

    TCollisionHit toWall{}, toCrate{}, toNothing{};
    toCrate.pOwner = &toCrate;
    NxSceneQuery& query = *Manager().GetSceneQuery();
    NxRaycastHit unused;
    NxGroupsMask mask;
    mask.bits0 = 1;
    const NxVec3 origin(0.0f, 0.0f, 0.0f);
    for (auto [direction, record] : {std::pair{NxVec3(0.0f, 0.0f, 1.0f), &toWall}, {NxVec3(1.0f, 0.0f, 0.0f), &toCrate},
                                     {NxVec3(0.0f, 1.0f, 0.0f), &toNothing}})
        query.raycastClosestShape(NxRay{origin, direction}, NX_ALL_SHAPES, unused, 0xFFFFFFFF, 10.0f, 0, &mask, nullptr,
                                  record);
    query.execute();

    EXPECT_EQ(std::vector<u32>({1, 1, 0}), std::vector<u32>({toWall.nHit, toCrate.nHit, toNothing.nHit}));
    EXPECT_EQ(&meshObject, toWall.pOwner);
    EXPECT_EQ(nullptr, toCrate.pOwner);
    EXPECT_EQ(std::vector<f32>({4.5f, -1.0f, 1.0f, 4.5f}),
              std::vector<f32>({toWall.Point.z, toWall.Normal.z, toWall.Barycentric.w, toCrate.Point.x}));
    Scene().releaseActor(*actor);
}
