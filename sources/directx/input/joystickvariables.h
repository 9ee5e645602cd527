#pragma once
// The joystick driver's console variables: the dead zone, the curve's exponent and factor, and
// the device id linked to each input set (kept by the settings script, so a controller keeps
// its set from one run to the next).
#include "engine/system/command/variable.h"

class TJoystickVariable : public TVariable
{
public:
    using TVariable::TVariable;
    // Stores an integer and marks the variable changed, without applying it.
    void StoreChanged(i32 value)
    {
        m_Value.SetInt(value);
        m_nFlags |= VARIABLE_CHANGED;
    }
};

#define JOYSTICK_VARIABLE(name)                                                                              \
    class T##name##Variable : public TJoystickVariable                                                       \
    {                                                                                                        \
    public:                                                                                                  \
        T##name##Variable();                                                                                 \
        void OnChange() override;                                                                            \
    };                                                                                                       \
    extern T##name##Variable g_##name;

JOYSTICK_VARIABLE(joystick_threshold)
JOYSTICK_VARIABLE(joystick_acceleration)
JOYSTICK_VARIABLE(joystick_sensitivity)
JOYSTICK_VARIABLE(joystick_device0)
JOYSTICK_VARIABLE(joystick_device1)
JOYSTICK_VARIABLE(joystick_device2)
JOYSTICK_VARIABLE(joystick_device3)

// The variable of input set 0-3.
TJoystickVariable& JoystickDeviceVariable(u32 set);
