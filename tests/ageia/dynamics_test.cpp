#include "core/stream/memorystream.h"
#include "core/system/timer.h"
#include "dynamicsfixture.h"
#include "platform/physics/nxwheelshape.h"

#include <cstring>
#include <vector>

namespace
{

i64 s_nNow = 0;
i64 TestClock()
{
    return s_nNow;
}
} // namespace

TEST_F(DynamicsTest, LongUpdatesAreSimulatedInChunksOfATenthOfASecond)
{
    // Rate 100 with at most 8 sub-steps a call: one call of 0.25 s would run 8 sub-steps;
    // 0.1 + 0.1 + 0.05 runs 8 + 8 + 5.
    TDynamicsSettings settings = Manager().GetSettings();
    settings.fRate = 100.0f;
    Manager().SetData(0, &settings, sizeof settings);
    Manager().OnClusterLoad();
    const NxU32 before = Scene().getSubStepCount();
    Manager().ThreadUpdateManager(0.25f);
    EXPECT_EQ(before + 21, Scene().getSubStepCount());
}

TEST_F(DynamicsTest, TheBlowUpGuardTripsAboveItsThresholdsAndHoldsTheBodyFiveFrames)
{
    const f32 dt = 0.1f;
    // A rise of speed of 9.5 in a frame is motion: the node follows.
    TNxDynamicsBody* calm = Box("calm", 0.0f, 0.0f, 0.0f);
    calm->SetLinearVelocity(TVector(9.5f, 0.0f, 0.0f, 0.0f));
    Manager().UpdateManager(dt);
    EXPECT_FLOAT_EQ(9.5f, calm->GetLinearVelocity().x);
    EXPECT_FLOAT_EQ(9.5f, calm->pNode->m_Vector.x);

    // A rise of 50: the node goes on from its pose at speed 2, the body is held still.
    TNxDynamicsBody* body = Box("blown", 0.0f, 3.0f, 0.0f);
    body->SetLinearVelocity(TVector(50.0f, 0.0f, 0.0f, 0.0f));
    Manager().UpdateManager(dt);
    EXPECT_NEAR(2.0f * dt, NodePosition(body).x, 1e-6f);
    EXPECT_FLOAT_EQ(2.0f, body->pNode->m_Vector.x);
    EXPECT_FLOAT_EQ(0.0f, body->GetLinearVelocity().x);
    // The node was stored without the flag, so the actor was moved with it.
    EXPECT_NEAR(2.0f * dt, body->GetActor()->getGlobalPosition().x, 1e-6f);
    for (i32 frame = 1; frame <= 5; ++frame)
    {
        body->SetLinearVelocity(TVector(1.0f, 0.0f, 0.0f, 0.0f));
        Manager().UpdateManager(dt);
        EXPECT_FLOAT_EQ(0.0f, body->GetLinearVelocity().x) << frame;
    }
    body->SetLinearVelocity(TVector(1.0f, 0.0f, 0.0f, 0.0f));
    Manager().UpdateManager(dt);
    EXPECT_FLOAT_EQ(1.0f, body->GetLinearVelocity().x);

    // Above 100 with no sudden rise: scaled to 100.
    TNxDynamicsBody* fast = Box("fast", 0.0f, 6.0f, 0.0f);
    fast->pNode->SetVector(TVector(0.0f, 0.0f, 95.0f, 0.0f));
    fast->SetLinearVelocity(TVector(0.0f, 0.0f, 105.0f, 0.0f));
    Manager().UpdateManager(dt);
    EXPECT_NEAR(100.0f * dt, NodePosition(fast).z, 1e-4f);
    EXPECT_FLOAT_EQ(100.0f, fast->pNode->m_Vector.z);
}

TEST_F(DynamicsTest, ABodyBelowTheFloorTurnsKinematicAndItsNodeStops)
{
    TNxDynamicsBody* body = Box("lost", 0.0f, -1001.0f, 0.0f);
    body->SetLinearVelocity(TVector(0.0f, -3.0f, 0.0f, 0.0f));
    Manager().UpdateManager(0.1f);
    EXPECT_EQ(0u, body->IsDynamic());
    EXPECT_TRUE(body->GetActor()->readBodyFlag(NX_BF_KINEMATIC));
    EXPECT_EQ(nullptr, Manager().GetFirstAwake());
    EXPECT_FLOAT_EQ(0.0f, body->pNode->m_Vector.y);
}

TEST_F(DynamicsTest, TheSettingsBlockTakesAtMostItsSizeAndThirtyTwoPairWords)
{
    std::vector<u8> data(400, 0);
    TDynamicsSettings settings = Manager().GetSettings();
    settings.nGroupPairCount = 1000;
    settings.nDominancePairCount = -5;
    settings.anGroupPair[0] = 1 | (2 << 5); // groups 1 and 2, flag clear
    std::memcpy(data.data(), &settings, sizeof settings);
    TNxDynamicsBody* body = Box("kept", 0.0f, 0.0f, 0.0f);
    Manager().SetData(0, data.data(), static_cast<i32>(data.size()));
    EXPECT_EQ(body, Manager().GetFirstAwake());
    void* block = nullptr;
    i32 size = 0;
    Manager().GetData(0, block, size);
    EXPECT_EQ(172, size);
    EXPECT_EQ(32, static_cast<TDynamicsSettings*>(block)->nGroupPairCount);
    EXPECT_EQ(0, static_cast<TDynamicsSettings*>(block)->nDominancePairCount);
    Manager().OnClusterLoad();
    EXPECT_FALSE(Scene().getGroupCollisionFlag(1, 2));
    EXPECT_TRUE(Scene().getGroupCollisionFlag(1, 3));
}

TEST_F(DynamicsTest, BodiesRefuseTheFortyThirdGeometryAndKindsWithoutAShape)
{
    TNode* node = g_pNodeManager->CreateNode("many");
    TDynamicsBody* body = Manager().CreateBody(node);
    for (i32 i = 0; i < BODY_GEOMETRY_CAPACITY; ++i)
        ASSERT_NE(nullptr, body->__CreateGeometry(nullptr, GEOMETRY_SPHERE)) << i;
    EXPECT_EQ(nullptr, body->__CreateGeometry(nullptr, GEOMETRY_SPHERE));
    EXPECT_EQ(BODY_GEOMETRY_CAPACITY, body->GetGeometryCount());

    TDynamicsBody* other = Manager().CreateBody(g_pNodeManager->CreateNode("odd"));
    EXPECT_EQ(nullptr, other->__CreateGeometry(nullptr, 3));
    EXPECT_EQ(nullptr, other->__CreateGeometry(nullptr, 4));
    EXPECT_EQ(0, other->GetGeometryCount());
}

TEST_F(DynamicsTest, AStateSaveOrLoadRebuildsThePhysicsObjectsAtTheSamePoses)
{
    TNxDynamicsBody* body = Box("saved", 3.0f, 4.0f, 5.0f);
    body->SetLinearDamping(0.25f);
    TMemoryStream image;
    for (u32 pass = 0; pass < 4; ++pass)
        EXPECT_EQ(0, Manager().SaveState(pass, image));
    EXPECT_EQ(nullptr, body->GetActor());
    EXPECT_EQ(nullptr, static_cast<TNxDynamicsGeometry*>(body->GetGeometry(0))->GetShape());
    EXPECT_EQ(nullptr, Manager().GetFirstAwake());
    EXPECT_EQ(0, Manager().LoadState(4, image));
    ASSERT_NE(nullptr, body->GetActor());
    const NxVec3 at = body->GetActor()->getGlobalPosition();
    EXPECT_EQ(std::vector<f32>({3.0f, 4.0f, 5.0f, 0.25f}), std::vector<f32>({at.x, at.y, at.z, body->GetActor()->getLinearDamping()}));
    EXPECT_NE(nullptr, static_cast<TNxDynamicsGeometry*>(body->GetGeometry(0))->GetShape());
}

TEST_F(DynamicsTest, PerFrameBodiesFollowTheirInterpolationClampedToItsRange)
{
    TTimer timer(TestClock);
    s_nNow += TIMER_COUNTS_PER_SECOND / 10;
    timer.Update();
    TTimer* const kept = g_pTimer;
    g_pTimer = &timer;
    const f32 now = timer.GetGameTime();
    ASSERT_GT(now, 0.0f);

    TNode* parent = g_pNodeManager->CreateNode("carrier");
    parent->SetLocalMatrix(Translation(0.0f, 100.0f, 0.0f), TNode::OrdinaryCause());
    TNxDynamicsBody* body = Box("carried", 0.0f, 0.0f, 0.0f);
    parent->AddChild(body->pNode);
    body->SetFrameUpdate(1);
    TBodyInterpolation& at = body->m_Interpolation;
    at.StartRotation = at.EndRotation = TQuaternion(0.0f, 0.0f, 0.0f, 1.0f);
    const f32 end[3] = {10.0f, 20.0f, 0.0f};
    std::memcpy(at.aEndPosition, end, sizeof end);
    // Half-way now.
    at.fStartTime = now - 1.0f;
    at.fEndTime = now + 1.0f;
    Manager().UpdateManager(0.0f);
    EXPECT_NEAR(5.0f, NodePosition(body).x, 1e-4f);
    EXPECT_NEAR(10.0f, NodePosition(body).y, 1e-4f);
    EXPECT_NEAR(-90.0f, body->pNode->GetLocalMatrix().aRow[3].y, 1e-4f);
    // Long before the start: at most twice the way back.
    at.fStartTime = now + 10.0f;
    at.fEndTime = now + 11.0f;
    Manager().UpdateManager(0.0f);
    EXPECT_NEAR(-20.0f, NodePosition(body).x, 1e-3f);
    g_pTimer = kept;

    body->SetFrameUpdate(0);
    at.fStartTime = now - 1.0f;
    at.fEndTime = now + 1.0f;
    Manager().UpdateManager(0.0f);
    EXPECT_NEAR(-20.0f, NodePosition(body).x, 1e-3f);
}

TEST_F(DynamicsTest, WheelParametersKeepMinusOneValuesAndReachALiveWheel)
{
    TNode* node = g_pNodeManager->CreateNode("cart");
    auto* body = static_cast<TNxDynamicsBody*>(Manager().CreateBody(node));
    body->__CreateGeometry(node, GEOMETRY_BOX)->SetSize(TVector(1.0f, 0.5f, 2.0f, 1.0f));
    TDynamicsGeometry* wheel = body->__CreateGeometry(g_pNodeManager->CreateNode("wheel"), GEOMETRY_WHEEL);
    TDynamicsGeometry* box = body->GetGeometry(0);
    EXPECT_FLOAT_EQ(-1.0f, box->GetWheelParameter(WHEEL_RADIUS));

    // Before the shape exists: stored.
    wheel->SetWheelParameter(WHEEL_SUSPENSION_SPRING, 100.0f, 20.0f, 0.5f, 0.0f, 0.0f);
    wheel->SetWheelParameter(WHEEL_SUSPENSION_SPRING, 5000.0f, -1.0f, -1.0f, 0.0f, 0.0f);
    wheel->SetWheelParameter(WHEEL_LATERAL_TIRE, -1.0f, 0.5f, -1.0f, -1.0f, 2000.0f);
    wheel->SetWheelParameter(WHEEL_FLAG_CLAMPED_FRICTION, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    body->__Create();
    auto* live = static_cast<NxWheelShape*>(static_cast<TNxDynamicsGeometry*>(wheel)->GetShape());
    ASSERT_NE(nullptr, live);
    const auto spring = live->getSuspension();
    const auto tire = live->getLateralTireForceFunction();
    EXPECT_EQ(std::vector<f32>({5000.0f, 20.0f, 0.5f, 2.0f, 0.5f, 2000.0f}),
              std::vector<f32>({spring.spring, spring.damper, spring.targetValue, tire.asymptoteSlip, tire.asymptoteValue,
                                tire.stiffnessFactor}));
    EXPECT_EQ(NxU32(NX_WF_CLAMPED_FRICTION), live->getWheelFlags());
    EXPECT_FLOAT_EQ(1.0f, wheel->GetWheelParameter(WHEEL_FLAG_CLAMPED_FRICTION));

    // Degrees in and out, radians to the layer.
    wheel->SetWheelParameter(WHEEL_STEER_ANGLE, 30.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(0.5235988f, live->getSteerAngle());
    EXPECT_FLOAT_EQ(30.0f, wheel->GetWheelParameter(WHEEL_STEER_ANGLE));

    // The axle speed of a kinematic body is stored only.
    body->SetDynamic(0);
    wheel->SetWheelParameter(WHEEL_AXLE_SPEED, 7.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(0.0f, live->getAxleSpeed());
    EXPECT_FLOAT_EQ(7.0f, wheel->GetWheelParameter(WHEEL_AXLE_SPEED));
    body->SetDynamic(1);
    wheel->SetWheelParameter(WHEEL_AXLE_SPEED, 3.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(3.0f, live->getAxleSpeed());

    // Sizes: the radius and the suspension travel of a live wheel.
    wheel->SetSize(TVector(0.4f, 0.3f, 0.0f, 1.0f));
    EXPECT_EQ(std::vector<f32>({0.4f, 0.3f, 0.4f}),
              std::vector<f32>({live->getRadius(), live->getSuspensionTravel(), wheel->GetWheelParameter(WHEEL_RADIUS)}));
}
