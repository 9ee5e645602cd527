#pragma once
// The joystick driver's console variables: the dead zone, the curve's exponent and factor, and
// the device id linked to each input set (kept by the settings script, so a controller keeps
// its set from one run to the next).
#include "engine/system/command/variable.h"

#define JOYSTICK_VARIABLE(name) DECLARE_VARIABLE_CLASS(TVariable, name)

JOYSTICK_VARIABLE(joystick_threshold)
JOYSTICK_VARIABLE(joystick_acceleration)
JOYSTICK_VARIABLE(joystick_sensitivity)
JOYSTICK_VARIABLE(joystick_device0)
JOYSTICK_VARIABLE(joystick_device1)
JOYSTICK_VARIABLE(joystick_device2)
JOYSTICK_VARIABLE(joystick_device3)

// The variable of input set 0-3.
TVariable& JoystickDeviceVariable(u32 set);
