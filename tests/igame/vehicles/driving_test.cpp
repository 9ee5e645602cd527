// The driving model on the writer's vehicles, on real physics.
#include "vehiclefixture.h"

#include "ageia/dynamicsjoint.h"
#include "engine/render/light.h"
#include "engine/system/nodemanager.h"
#include "igame/effects/lensflare.h"


TEST_F(VehicleTest, TheForwardFadeFallsOverTheLastFifteenPercentOfTheTopSpeed)
{
    TVehicle& cart = *m_pCart;
    Step(60);
    const f32 top = cart.Parameters.fMaxSpeed;
    cart.Parameters.nGear = 1;
    cart.Parameters.fSpeed = 0.85f * top;
    EXPECT_FLOAT_EQ(1.0f, cart.GetForwardFade());
    cart.Drive(1.0f, kFrame);
    // (The ground's slight incline changes the torque a little.)
    EXPECT_NEAR(35.0f, cart.Parameters.fDriveTorque, 0.2f);
    // Past 85 % it falls linearly.
    cart.Parameters.fSpeed = 0.87f * top;
    EXPECT_NEAR(0.13f / 0.15f, cart.GetForwardFade(), 1e-5f);
    cart.Parameters.fSpeed = top;
    EXPECT_FLOAT_EQ(0.0f, cart.GetForwardFade());
    cart.Drive(1.0f, kFrame);
    EXPECT_FLOAT_EQ(0.0f, cart.Parameters.fDriveTorque);
    cart.Parameters.fSpeed = 1.1f * top;
    cart.Drive(1.0f, kFrame);
    EXPECT_LT(cart.Parameters.fDriveTorque, 0.0f);
    // The speed-limit factor lowers the top speed of the fade.
    cart.speedLimitFactor = 0.5f;
    cart.Parameters.fSpeed = 0.5f * top;
    EXPECT_FLOAT_EQ(0.0f, cart.GetForwardFade());
    cart.speedLimitFactor = 1.0f;
    // Steering moves towards the asked angle by the steer speed and stops on it.
    cart.Parameters.fSpeed = 0.0f;
    cart.SteerLeft(0.5f, 100.0f);
    EXPECT_FLOAT_EQ(0.5f * cart.Parameters.fMaxSteerAngle, cart.Parameters.fSteerAngle);
    // Backwards: the same over the reverse top speed.
    cart.Parameters.fSpeed = -0.85f * cart.Parameters.fMaxReverseSpeed;
    EXPECT_FLOAT_EQ(1.0f, cart.GetReverseFade());
    cart.Parameters.fSpeed = -cart.Parameters.fMaxReverseSpeed;
    EXPECT_FLOAT_EQ(0.0f, cart.GetReverseFade());

    // Driven for real the cart passes 85 % of its top speed and stays below it.
    cart.Parameters.fSpeed = 0.0f;
    f32 fastest = 0.0f;
    for (i32 frame = 0; frame < 900; ++frame)
    {
        cart.Drive(1.0f, kFrame);
        Step();
        fastest = std::max(fastest, cart.GetSpeed());
    }
    EXPECT_GT(fastest, 0.85f * top);
    EXPECT_LT(fastest, top * 1.02f);
}

TEST_F(VehicleTest, GearsShiftFromZeroWhenDrivingStartsAndBackAtStandstill)
{
    TVehicle& cart = *m_pCart;
    Step(60);
    EXPECT_EQ(0, cart.Parameters.nGear);
    EXPECT_FLOAT_EQ(70.0f, cart.GetGearTorque());
    // Standing still with the drive held: gear 0 and its doubled torque.
    cart.Drive(1.0f, kFrame);
    EXPECT_NEAR(70.0f, cart.Parameters.fDriveTorque, 0.5f);
    i32 frame = 0;
    while (cart.Parameters.nGear == 0 && frame++ < 120)
    {
        cart.Drive(1.0f, kFrame);
        Step();
    }
    EXPECT_EQ(1, cart.Parameters.nGear);
    EXPECT_GT(cart.GetSpeed(), 0.01f);
    // Past the only gear's shift-up speed it stays in gear 1.
    cart.Parameters.aGear[0].fShiftUp = 1.0f;
    for (frame = 0; frame < 120; ++frame)
    {
        cart.Drive(1.0f, kFrame);
        Step();
    }
    EXPECT_EQ(1, cart.Parameters.nGear);
    // Stopped: gear 0 again.
    cart.SetHandbrake(1.0f);
    Step(240);
    EXPECT_LT(std::fabs(cart.GetSpeed()), 0.01f);
    EXPECT_EQ(0, cart.Parameters.nGear);
    // The top gear is kept for the frame it is reached in, whatever its shift-down says.
    cart.SetHandbrake(0.0f);
    cart.Parameters.nGearCount = 2;
    cart.Parameters.aGear[1] = {35.0f, 1000.0f, 2000.0f};
    i32 top = 0;
    for (frame = 0; frame < 120; ++frame)
    {
        cart.Drive(1.0f, kFrame);
        Step();
        top = std::max(top, cart.Parameters.nGear);
    }
    EXPECT_EQ(2, top);
}

TEST_F(VehicleTest, MoveDownReversesAtWalkingPaceAndBrakesAbove)
{
    TVehicle& cart = *m_pCart;
    g_pVehicleManager->SetActiveVehicle(&cart);
    TVehicleTestInput& up = Bind(VEHICLE_ACTION_MOVE_UP, "test_up");
    TVehicleTestInput& down = Bind(VEHICLE_ACTION_MOVE_DOWN, "test_down");
    Step(60);
    // At 0.5 km/h the cart reverses.
    cart.Parameters.fSpeed = 0.5f;
    down.Set(1.0f);
    cart.ReadInput();
    EXPECT_TRUE(cart.IsFlag(VEHICLE_REVERSE));
    EXPECT_FALSE(cart.IsFlag(VEHICLE_BRAKING));
    Step(120);
    EXPECT_LT(cart.GetSpeed(), -0.5f);
    EXPECT_LT(cart.Parameters.fDriveTorque, 0.0f);
    down.Set(0.0f);
    Step(120);

    // Above it, moving forwards, it brakes.
    up.Set(1.0f);
    Step(120);
    up.Set(0.0f);
    ASSERT_GT(cart.GetSpeed(), 0.5f);
    cart.Parameters.fSpeed = 0.51f;
    down.Set(1.0f);
    cart.ReadInput();
    EXPECT_TRUE(cart.IsFlag(VEHICLE_BRAKING));
    EXPECT_FALSE(cart.IsFlag(VEHICLE_REVERSE));
    Step();
    EXPECT_FLOAT_EQ(50.0f, cart.Parameters.fBrakingTorque);
}

TEST_F(VehicleTest, TheHandbrakeHoldsTheCartOnATenDegreeSlopeAgainstTheEngine)
{
    TVehicle& cart = *m_pCart;
    Step(60);
    // The ground tilted by 10 degrees: the cart faces down the slope.
    const f32 angle = 10.0f * 0.017453292f;
    Manager().SetGravity(TVector(0.0f, -9.8f * std::cos(angle), 9.8f * std::sin(angle), 0.0f));
    const TVector start = Position(&cart);
    cart.SetHandbrake(1.0f);
    for (i32 frame = 0; frame < 180; ++frame)
    {
        cart.Drive(1.0f, kFrame);
        Step();
    }
    EXPECT_TRUE(cart.IsFlag(VEHICLE_HANDBRAKE));
    EXPECT_FLOAT_EQ(1000.0f, cart.Parameters.fBrakingTorque);
    EXPECT_LT(std::fabs(Position(&cart).z - start.z), 0.1f);

    // Released, the cart rolls down.
    cart.SetHandbrake(0.0f);
    EXPECT_FALSE(cart.IsFlag(VEHICLE_HANDBRAKE));
    EXPECT_FLOAT_EQ(0.0f, cart.Parameters.fBrakingTorque);
    for (i32 frame = 0; frame < 180; ++frame)
    {
        cart.Drive(1.0f, kFrame);
        Step();
    }
    EXPECT_GT(Position(&cart).z - start.z, 1.0f);
}

TEST_F(VehicleTest, TheTrackedVehicleTurnsOnTheSpotAndIgnoresSmallJoystickSteering)
{
    TVehicle& crawler = *m_pCrawler;
    Step(60);
    // Inside the dead zone: no steering.
    crawler.steerInput = 0.1f;
    Step();
    EXPECT_FALSE(crawler.shownSteering);
    EXPECT_FLOAT_EQ(0.0f, crawler.Parameters.fSteerAngle);
    crawler.steerInput = -0.108f;
    Step();
    EXPECT_FALSE(crawler.shownSteering);

    // Beyond it the tracks turn against each other: the crawler turns where it stands.
    const TVector start = Position(&crawler);
    const f32 heading = Heading(&crawler);
    for (i32 frame = 0; frame < 120; ++frame)
    {
        crawler.steerInput = -1.0f;
        Step();
    }
    EXPECT_TRUE(crawler.shownSteering);
    EXPECT_GT(crawler.Parameters.fSteerAngle, 0.0f);
    // A left turn: the left side (+x) backwards, the right side forwards.
    EXPECT_LT(crawler.leftTorque, 0.0f);
    EXPECT_GT(crawler.rightTorque, 0.0f);
    EXPECT_GT(Heading(&crawler) - heading, 20.0f);
    const TVector moved = Position(&crawler);
    EXPECT_LT(std::hypot(moved.x - start.x, moved.z - start.z), 0.5f);
}

TEST_F(VehicleTest, TheJointSteeredVehicleSteersThroughItsJoint)
{
    TVehicle& loader = *m_pLoader;
    ASSERT_NE(nullptr, loader.pDriveJoint);
    TCountedWheels counted(&loader);
    Step(60);
    EXPECT_NEAR(0.0f, loader.pDriveJoint->GetAngle(), 1.0f);
    for (i32 frame = 0; frame < 60; ++frame)
    {
        loader.SteerLeft(1.0f, kFrame);
        loader.Drive(0.5f, kFrame);
        Step();
    }
    // Steered left: the front body turned about the hinge one way, then back the other.
    EXPECT_GT(std::fabs(loader.pDriveJoint->GetAngle()), 5.0f);
    const f32 left = loader.pDriveJoint->GetAngle();
    for (i32 frame = 0; frame < 120; ++frame)
    {
        loader.SteerRight(1.0f, kFrame);
        loader.Drive(0.5f, kFrame);
        Step();
    }
    EXPECT_LT(loader.pDriveJoint->GetAngle() * left, 0.0f);
    // No wheel of the loader is steered.
    EXPECT_EQ(0u, counted.Sent(WHEEL_STEER_ANGLE));
}

TEST_F(VehicleTest, WheelValuesAreSentOnlyWhenChangedAndAgainAfterAClusterLoad)
{
    TVehicle& cart = *m_pCart;
    TCountedWheels counted(&cart);
    Step(120);
    counted.Clear();
    // At rest nothing changes: nothing is sent, the driven wheels' axles are read every frame.
    const u32 reads = counted.wheels[2]->nReads;
    Step(10);
    EXPECT_TRUE(counted.wheels[0]->sent.empty());
    EXPECT_TRUE(counted.wheels[3]->sent.empty());
    EXPECT_EQ(reads + 10, counted.wheels[2]->nReads);

    // A load marks every value stale: each wheel hears its own once.
    g_pVehicleManager->OnClusterLoad();
    Step();
    EXPECT_EQ(2u, counted.Sent(WHEEL_STEER_ANGLE));
    EXPECT_EQ(2u, counted.Sent(WHEEL_MOTOR_TORQUE));
    EXPECT_EQ(4u, counted.Sent(WHEEL_BRAKE_TORQUE));
    Step(5);
    EXPECT_EQ(8u, counted.wheels[0]->sent.size() + counted.wheels[1]->sent.size() +
                      counted.wheels[2]->sent.size() + counted.wheels[3]->sent.size());
}

TEST_F(VehicleTest, LightGroupsFollowTheirFlagsAndSwitchOnlyWhenTheyChange)
{
    TVehicle& cart = *m_pCart;
    TLight front;
    TLight stop;
    TLensFlare flare;
    TNode* frontNode = g_pNodeManager->CreateNode("cart_front_light");
    TNode* stopNode = g_pNodeManager->CreateNode("cart_stop_light");
    TNode* flareNode = g_pNodeManager->CreateNode("cart_front_flare");
    frontNode->AddObject(&front);
    stopNode->AddObject(&stop);
    flareNode->AddObject(&flare);
    cart.aFrontLightNode.Add(&front);
    cart.aFrontLightLensFlare.Add(&flare);
    cart.aStopLightNode.Add(&stop);
    stopNode->Enable(0, 0);

    cart.flags |= VEHICLE_LIGHTS;
    Step();
    EXPECT_TRUE(frontNode->IsEnabled());
    EXPECT_TRUE(flareNode->IsEnabled());
    EXPECT_EQ(1, cart.frontLightsOn);
    // Unchanged state: the nodes are left as they are.
    frontNode->Enable(0, 0);
    Step();
    EXPECT_FALSE(frontNode->IsEnabled());
    cart.flags &= ~VEHICLE_LIGHTS;
    Step();
    EXPECT_FALSE(flareNode->IsEnabled());
    // The stop lights follow the brakes, not the reverse gear.
    cart.flags |= VEHICLE_REVERSE;
    Step();
    EXPECT_FALSE(stopNode->IsEnabled());
    cart.Brake(1.0f, kFrame);
    Step();
    EXPECT_TRUE(stopNode->IsEnabled());
    // Inactive vehicles still switch their lights.
    cart.active = 0;
    cart.flags |= VEHICLE_LIGHTS;
    Step();
    EXPECT_TRUE(frontNode->IsEnabled());
    cart.active = 1;
    cart.aFrontLightNode.SetCount(0);
    cart.aFrontLightLensFlare.SetCount(0);
    cart.aStopLightNode.SetCount(0);
    for (TNodeObject* object : {static_cast<TNodeObject*>(&front), static_cast<TNodeObject*>(&stop),
                                static_cast<TNodeObject*>(&flare)})
        object->GetNode()->DeleteObject(object);
}
