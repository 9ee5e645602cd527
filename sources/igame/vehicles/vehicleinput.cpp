// The player's input: the manager's eleven actions read into the vehicle's requests.
#include "engine/input/inputaction.h"
#include "engine/input/inputbind.h"
#include "engine/system/command/deferredvariable.h"
#include "igame/vehicles/vehicle.h"
#include "igame/vehicles/vehiclemanager.h"

#include <cmath>

namespace
{
// "movedown" reverses at this speed (km/h) or below, brakes above it.
constexpr f32 REVERSE_SPEED = 0.5f;

// joystick_sensitivity, read as a number; 0 or no number counts as 1.
f32 JoystickSensitivity()
{
    static TDeferredVariable s_Sensitivity("joystick_sensitivity");
    const TVariableValue& value = s_Sensitivity.GetValue();
    const f32 sensitivity = value.nType == VALUE_INT || value.nType == VALUE_FLOAT ? value.ToFloat() : 1.0f;
    return std::isfinite(sensitivity) && sensitivity != 0.0f ? sensitivity : 1.0f;
}

// The actions' three bits each: down, pressed and released this frame.
class TActionStates
{
public:
    explicit TActionStates(const TVehicleManager& manager) : m_Manager(manager)
    {
        for (u32 i = 0; i < VEHICLE_ACTION_COUNT; ++i)
            if (const TInputAction* action = manager.GetAction(static_cast<EVehicleAction>(i)))
                TInputBind::GetState(*action, m_aState, i);
    }

    bool Down(EVehicleAction action) const { return Bits(action) & INPUT_STATE_DOWN; }
    bool Pressed(EVehicleAction action) const { return Bits(action) & INPUT_STATE_PRESSED; }
    bool Released(EVehicleAction action) const { return Bits(action) & INPUT_STATE_RELEASED; }
    f32 Value(EVehicleAction action) const
    {
        const TInputAction* input = m_Manager.GetAction(action);
        return input ? input->GetValue() : 0.0f;
    }

private:
    u32 Bits(EVehicleAction action) const
    {
        return (m_aState[action / INPUT_STATES_PER_WORD] >> (3 * (action % INPUT_STATES_PER_WORD))) & 7u;
    }

    const TVehicleManager& m_Manager;
    u16 m_aState[(VEHICLE_ACTION_COUNT + INPUT_STATES_PER_WORD - 1) / INPUT_STATES_PER_WORD] = {};
};
} // namespace

void TVehicle::ReadInput()
{
    if (!active)
        return;
    const TActionStates input(*g_pVehicleManager);
    if (g_pVehicleManager->GetActiveVehicle() == this)
    {
        const f32 sensitivity = JoystickSensitivity();
        steerInput =
            (input.Value(VEHICLE_ACTION_JOY_MOVE_RIGHT) - input.Value(VEHICLE_ACTION_JOY_MOVE_LEFT)) /
            sensitivity;
        accelInput =
            (input.Value(VEHICLE_ACTION_JOY_MOVE_FORWARD) - input.Value(VEHICLE_ACTION_JOY_MOVE_BACKWARD)) /
            sensitivity;
    }

    // The handbrake holds while its key is down, or for good once locked.
    if (input.Down(VEHICLE_ACTION_HANDBRAKE))
        flags |= VEHICLE_HANDBRAKE;
    else if (!(flags & VEHICLE_HANDBRAKE_LOCK))
        flags &= ~VEHICLE_HANDBRAKE;
    if (input.Pressed(VEHICLE_ACTION_TOGGLE_HANDBRAKE))
    {
        flags ^= VEHICLE_HANDBRAKE;
        if (flags & VEHICLE_HANDBRAKE)
            flags |= VEHICLE_HANDBRAKE_LOCK;
        else
            flags &= ~VEHICLE_HANDBRAKE_LOCK;
    }

    if (input.Pressed(VEHICLE_ACTION_MOVE_LEFT) || input.Pressed(VEHICLE_ACTION_MOVE_RIGHT))
        steerHoldTime = 0.0f;
    if (input.Pressed(VEHICLE_ACTION_TOGGLE_LIGHTS))
        flags ^= VEHICLE_LIGHTS;

    if (input.Down(VEHICLE_ACTION_MOVE_UP))
        flags |= VEHICLE_DRIVING;
    if (input.Down(VEHICLE_ACTION_MOVE_DOWN) || accelInput < 0.0f)
        flags |= Parameters.fSpeed <= REVERSE_SPEED ? VEHICLE_REVERSE : VEHICLE_BRAKING;
    if (input.Down(VEHICLE_ACTION_MOVE_LEFT))
    {
        flags |= VEHICLE_STEER_LEFT_KEY;
        releaseFlags |= VEHICLE_STEER_LEFT_KEY;
    }
    if (input.Down(VEHICLE_ACTION_MOVE_RIGHT))
    {
        flags |= VEHICLE_STEER_RIGHT_KEY;
        releaseFlags |= VEHICLE_STEER_RIGHT_KEY;
    }

    if (!input.Down(VEHICLE_ACTION_MOVE_UP))
        releaseFlags |= VEHICLE_DRIVING;
    if (!input.Down(VEHICLE_ACTION_MOVE_DOWN))
        releaseFlags |= VEHICLE_BRAKING;
    if (!input.Down(VEHICLE_ACTION_MOVE_LEFT) && !input.Down(VEHICLE_ACTION_MOVE_RIGHT))
        releaseFlags |= VEHICLE_STEERING;
    if (input.Released(VEHICLE_ACTION_TOGGLE_LIGHTS))
        releaseFlags |= VEHICLE_LIGHTS;
}
