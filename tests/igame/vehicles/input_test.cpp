// The player's driving actions fed from key and joystick inputs, and the joystick's faults the
// driving model guards against.
#include "vehiclefixture.h"

#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"

#include <limits>

namespace
{
class VehicleInputTest : public VehicleTest
{
protected:
    void SetUp() override
    {
        VehicleTest::SetUp();
        m_pSensitivity = TCommandManager::Instance().FindVariable(TName("joystick.sensitivity", true));
        ASSERT_NE(nullptr, m_pSensitivity);
        m_fSensitivity = m_pSensitivity->GetValue().ToFloat();
        m_pSensitivity->SetFloat(1.0f);
        g_pVehicleManager->SetActiveVehicle(m_pCart);
        for (u32 action = 0; action < VEHICLE_ACTION_COUNT; ++action)
            m_apInput[action] = &Bind(static_cast<EVehicleAction>(action), g_aVehicleActionName[action]);
        Step(60);
    }
    void TearDown() override
    {
        m_pSensitivity->SetFloat(m_fSensitivity);
        VehicleTest::TearDown();
    }

    TVehicleTestInput& Input(EVehicleAction action) { return *m_apInput[action]; }

    TVariable* m_pSensitivity = nullptr;
    f32 m_fSensitivity = 1.0f;
    TVehicleTestInput* m_apInput[VEHICLE_ACTION_COUNT] = {};
};
} // namespace

TEST_F(VehicleInputTest, TheElevenActionsDriveTheCart)
{
    TVehicle& cart = *m_pCart;
    const TVector start = Position(&cart);
    const f32 heading = Heading(&cart);
    // Keys: forwards and to the left.
    Input(VEHICLE_ACTION_MOVE_UP).Set(1.0f);
    Input(VEHICLE_ACTION_MOVE_LEFT).Set(1.0f);
    Step(120);
    EXPECT_GT(cart.GetSpeed(), 5.0f);
    EXPECT_FLOAT_EQ(30.0f, cart.Parameters.fSteerAngle);
    EXPECT_GT(Heading(&cart) - heading, 5.0f);
    EXPECT_GT(Position(&cart).z - start.z, 1.0f);
    // Released, the drive and the steering end with the frame.
    Input(VEHICLE_ACTION_MOVE_UP).Set(0.0f);
    Input(VEHICLE_ACTION_MOVE_LEFT).Set(0.0f);
    Step();
    EXPECT_FALSE(cart.IsFlag(VEHICLE_DRIVING | VEHICLE_STEERING | VEHICLE_STEER_LEFT_KEY));
    // Right, and the joystick's right half-axis, steer the other way.
    Input(VEHICLE_ACTION_MOVE_RIGHT).Set(1.0f);
    Step(180);
    EXPECT_LT(cart.Parameters.fSteerAngle, 0.0f);
    Input(VEHICLE_ACTION_MOVE_RIGHT).Set(0.0f);
    Step(70);
    EXPECT_FLOAT_EQ(0.0f, cart.Parameters.fSteerAngle);
    Input(VEHICLE_ACTION_JOY_MOVE_RIGHT).Set(0.5f);
    Step(60);
    EXPECT_FLOAT_EQ(0.5f, cart.steerInput);
    EXPECT_FLOAT_EQ(-15.0f, cart.Parameters.fSteerAngle);
    Input(VEHICLE_ACTION_JOY_MOVE_RIGHT).Set(0.0f);

    // Lights and the handbrake lock toggle on their press.
    Input(VEHICLE_ACTION_TOGGLE_LIGHTS).Set(1.0f);
    Step(3);
    EXPECT_TRUE(cart.IsFlag(VEHICLE_LIGHTS));
    Input(VEHICLE_ACTION_TOGGLE_LIGHTS).Set(0.0f);
    Input(VEHICLE_ACTION_TOGGLE_HANDBRAKE).Set(1.0f);
    Step();
    EXPECT_TRUE(cart.IsFlag(VEHICLE_HANDBRAKE | VEHICLE_HANDBRAKE_LOCK) ==
                (VEHICLE_HANDBRAKE | VEHICLE_HANDBRAKE_LOCK));
    Input(VEHICLE_ACTION_TOGGLE_HANDBRAKE).Set(0.0f);
    Step(120);
    EXPECT_NEAR(0.0f, cart.GetSpeed(), 0.01f);
    EXPECT_TRUE(cart.IsFlag(VEHICLE_HANDBRAKE));
    Input(VEHICLE_ACTION_TOGGLE_HANDBRAKE).Set(1.0f);
    Step();
    EXPECT_FALSE(cart.IsFlag(VEHICLE_HANDBRAKE | VEHICLE_HANDBRAKE_LOCK));
    // The handbrake key holds while it is down.
    Input(VEHICLE_ACTION_HANDBRAKE).Set(1.0f);
    Step(2);
    EXPECT_TRUE(cart.IsFlag(VEHICLE_HANDBRAKE));
    Input(VEHICLE_ACTION_HANDBRAKE).Set(0.0f);
    Step();
    EXPECT_FALSE(cart.IsFlag(VEHICLE_HANDBRAKE));

    // The joystick's forward half-axis drives; its backward half-axis reverses from a stand.
    Input(VEHICLE_ACTION_JOY_MOVE_FORWARD).Set(1.0f);
    Step(60);
    EXPECT_GT(cart.GetSpeed(), 1.0f);
    Input(VEHICLE_ACTION_JOY_MOVE_FORWARD).Set(0.0f);
    cart.SetHandbrake(1.0f);
    Step(60);
    cart.SetHandbrake(0.0f);
    Input(VEHICLE_ACTION_JOY_MOVE_BACKWARD).Set(1.0f);
    Step(90);
    EXPECT_LT(cart.GetSpeed(), -0.5f);
}

TEST_F(VehicleInputTest, JoystickBrakeIsDividedByTheSensitivityOnceAndNeverByZero)
{
    TVehicle& cart = *m_pCart;
    cart.Parameters.nGear = 1;
    for (f32 sensitivity : {2.0f, 0.0f, std::numeric_limits<f32>::quiet_NaN()})
    {
        m_pSensitivity->SetFloat(sensitivity);
        const f32 divisor = sensitivity == 2.0f ? 2.0f : 1.0f;
        Input(VEHICLE_ACTION_JOY_MOVE_BACKWARD).Set(0.4f);
        cart.ReadInput();
        EXPECT_FLOAT_EQ(-0.4f / divisor, cart.accelInput) << sensitivity;
        // Moving: the input brakes by its amount.
        cart.Parameters.fSpeed = 10.0f;
        cart.flags &= ~VEHICLE_REVERSE;
        cart.Update(kFrame, 1);
        EXPECT_FLOAT_EQ(0.4f / divisor * 50.0f, cart.Parameters.fBrakingTorque) << sensitivity;
        EXPECT_TRUE(std::isfinite(cart.Parameters.fDriveTorque));
    }
    Input(VEHICLE_ACTION_JOY_MOVE_BACKWARD).Set(0.0f);
}
