// The driving model on the writer's vehicles, on real physics.
#include "vehiclefixture.h"

#include "engine/render/light.h"
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
