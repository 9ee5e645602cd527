#include <gtest/gtest.h>
#include "physicstestsupport.h"
#include "platform/physics/nxwheelshape.h"

namespace {
constexpr NxReal kMass = 1000;
constexpr NxReal kRadius = 0.35f;
constexpr NxReal kTravel = 0.3f;
constexpr NxReal kSpring = 40000;
constexpr NxReal kWheelBase = 3;

// A cart: a 1 t box on four wheels, front wheels at +Z; it drives along +Z.
class Wheels : public ::testing::Test, public TPhysicsTest
{
protected:
    Wheels()
    {
        addStaticBox(NxVec3(0, -1, 0), NxVec3(200, 1, 200));
        NxBodyDesc body;
        body.mass = kMass;
        NxBoxShapeDesc chassis;
        chassis.dimensions = NxVec3(1, 0.2f, 2);
        chassis.localPose.t = NxVec3(0, 0.3f, 0);
        NxWheelShapeDesc wheel[4];
        for (int i = 0; i < 4; ++i) {
            wheel[i].radius = kRadius;
            wheel[i].suspensionTravel = kTravel;
            wheel[i].suspension.spring = kSpring;
            wheel[i].suspension.damper = 4000;
            wheel[i].lateralTireForceFunction.extremumSlip = 0.1f;
            wheel[i].longitudalTireForceFunction.extremumSlip = 0.1f;
            wheel[i].inverseWheelMass = 0.1f;
            wheel[i].localPose.t = NxVec3(i % 2 ? 0.9f : -0.9f, 0, i < 2 ? kWheelBase / 2 : -kWheelBase / 2);
        }
        cart = addActor(NxVec3(0, 0.7f, 0), {&chassis, &wheel[0], &wheel[1], &wheel[2], &wheel[3]}, &body);
        for (int i = 0; i < 4; ++i)
            wheels[i] = static_cast<NxWheelShape*>(cart->getShapes()[i + 1]);
    }
    NxReal speed() const { return cart->getLinearVelocity().magnitude(); }
    NxActor* cart;
    NxWheelShape* wheels[4]; // front left, front right, rear left, rear right
};
} // namespace

TEST_F(Wheels, ACartAtRestSitsAtItsSuspensionsRestLength)
{
    run(3);
    // Each spring carries a quarter of the weight.
    const NxReal compression = kMass * 9.8f / 4 / kSpring;
    for (NxWheelShape* wheel : wheels) {
        NxWheelContactData contact;
        ASSERT_NE(wheel->getContact(contact), nullptr);
        EXPECT_NEAR(contact.contactPosition, kTravel - compression + kRadius, 0.005f);
        EXPECT_NEAR(contact.contactForce, kMass * 9.8f / 4, kMass * 9.8f * 0.01f);
        EXPECT_NEAR(contact.contactNormal.y, 1, 1e-5f);
    }
    EXPECT_LT(speed(), 0.01f);
    // Lifted off the ground, the wheels report no contact.
    cart->setGlobalPosition(NxVec3(0, 5, 0));
    cart->wakeUp();
    scene->simulate(1.0f / 120.0f);
    NxWheelContactData contact;
    EXPECT_EQ(wheels[0]->getContact(contact), nullptr);
}

TEST_F(Wheels, MotorTorqueAcceleratesAndBrakesStopTheCart)
{
    run(1);
    wheels[2]->setMotorTorque(600);
    wheels[3]->setMotorTorque(600);
    run(2);
    // 2 x 600 / 0.35 N for two seconds on a tonne and the four wheels' inertia (10 kg m^2 each).
    const NxReal expected = 2 * 600 / kRadius / (kMass + 4 * 10 / (kRadius * kRadius)) * 2;
    EXPECT_NEAR(cart->getLinearVelocity().z, expected, expected * 0.05f);
    EXPECT_NEAR(cart->getLinearVelocity().x, 0, 0.05f);
    // The axle turns with the ground and the contact sits on the ground.
    NxWheelContactData contact;
    ASSERT_NE(wheels[0]->getContact(contact), nullptr);
    EXPECT_NEAR(wheels[0]->getAxleSpeed() * kRadius, cart->getLinearVelocity().z, 0.1f);
    EXPECT_NEAR(wheels[2]->getAxleSpeed() * kRadius, cart->getLinearVelocity().z, 0.2f); // driven, yet gripping
    EXPECT_NEAR(contact.contactPoint.y, 0, 1e-4f);
    for (NxWheelShape* wheel : wheels) {
        wheel->setMotorTorque(0);
        wheel->setBrakeTorque(3000);
    }
    run(3);
    EXPECT_LT(speed(), 0.05f);
    EXPECT_EQ(wheels[2]->getAxleSpeed(), 0);
}

TEST_F(Wheels, SteeredFrontWheelsDriveACircleOfTheExpectedRadius)
{
    run(1);
    const NxReal steer = 0.35f; // 20 degrees
    wheels[0]->setSteerAngle(steer);
    wheels[1]->setSteerAngle(steer);
    for (int i = 2; i < 4; ++i)
        wheels[i]->setMotorTorque(150);
    for (int i = 0; i < 5 * 60; ++i) {
        run(1.0f / 60.0f);
        if (speed() > 3) // hold about 11 km/h
            for (int w = 2; w < 4; ++w)
                wheels[w]->setMotorTorque(0);
    }
    // The rear axle's centre turns about a point at wheel base / tan(steer).
    const NxVec3 rearAxle = cart->getGlobalPose() * NxVec3(0, 0, -kWheelBase / 2);
    const NxReal yawRate = cart->getAngularVelocity().y;
    const NxReal radius = cart->getPointVelocity(rearAxle).magnitude() / std::fabs(yawRate);
    const NxReal expected = kWheelBase / std::tan(steer);
    EXPECT_NEAR(radius, expected, expected * 0.1f);
    EXPECT_GT(yawRate, 0); // a positive steer turns the forward axis towards +X: about +Y
}

// Past its grip a tyre slides: the force is the tyre function's value x stiffness / 20,000 x
// the load. Tyres of value 0.01 and stiffness 1,000,000 grip with 0.5: a cart skidding on locked
// wheels, or sliding sideways, slows by half of gravity.
TEST_F(Wheels, PastItsGripATyreSlidesWithValueTimesStiffnessOverTwentyThousand)
{
    NxTireFunctionDesc slide;
    slide.extremumSlip = 0.05f;
    slide.extremumValue = 0.01f;
    slide.asymptoteSlip = 0.1f;
    slide.asymptoteValue = 0.01f;
    slide.stiffnessFactor = 1000000;
    for (NxWheelShape* wheel : wheels) {
        wheel->setLongitudalTireForceFunction(slide);
        wheel->setLateralTireForceFunction(slide);
        wheel->setBrakeTorque(100000);
    }
    run(1);
    // Along: locked wheels skid.
    cart->setLinearVelocity(NxVec3(0, 0, 10));
    run(1);
    const NxReal expected = 10 - 0.5f * 9.8f;
    EXPECT_NEAR(cart->getLinearVelocity().z, expected, 0.25f);
    EXPECT_EQ(wheels[0]->getAxleSpeed(), 0);
    // Across: the tyres slide sideways at the same grip.
    cart->setLinearVelocity(NxVec3(10, 0, 0));
    cart->setAngularVelocity(NxVec3(0, 0, 0));
    run(1);
    EXPECT_NEAR(cart->getLinearVelocity().x, expected, 0.25f);
}

TEST_F(Wheels, TheContactModifyHookSeesAndMayDropTheContact)
{
    class TRaise : public NxUserWheelContactModify
    {
    public:
        bool onWheelContact(NxWheelShape*, NxVec3&, NxVec3&, NxReal& position, NxReal&, NxShape*, NxMaterialIndex&,
                            NxU32) override
        {
            ++calls;
            position = std::max(position, kRadius + 0.28f); // never more compressed than this
            return keep;
        }
        int calls = 0;
        bool keep = true;
    } hook;
    for (NxWheelShape* wheel : wheels)
        wheel->setUserWheelContactModify(&hook);
    run(2);
    EXPECT_GT(hook.calls, 0);
    NxWheelContactData contact;
    ASSERT_NE(wheels[0]->getContact(contact), nullptr);
    EXPECT_NEAR(contact.contactPosition, kRadius + 0.28f, 1e-5f);
    hook.keep = false;
    cart->wakeUp(); // a sleeping body's wheels keep their last contact
    run(1.0f / 60.0f);
    EXPECT_EQ(wheels[0]->getContact(contact), nullptr);
}
