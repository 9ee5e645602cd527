#include "directx/input/joystickvariables.h"

#include "directx/input/joystickinputdriver.h"

#define JOYSTICK_FLOAT_VARIABLE(name, description, value, setter)                                            \
    T##name##Variable g_##name;                                                                              \
    T##name##Variable::T##name##Variable() : TVariable(#name, description, 0)                        \
    {                                                                                                        \
        m_Value.SetFloat(value);                                                                             \
    }                                                                                                        \
    void T##name##Variable::OnChange()                                                                       \
    {                                                                                                        \
        if (g_pJoystickInputDriver)                                                                          \
            g_pJoystickInputDriver->setter(m_Value.ToFloat());                                               \
    }

#define JOYSTICK_DEVICE_VARIABLE(set)                                                                        \
    Tjoystick_device##set##Variable g_joystick_device##set;                                                  \
    Tjoystick_device##set##Variable::Tjoystick_device##set##Variable()                                       \
        : TVariable("joystick_device" #set, "Joystick " #set " device ID.", 0)                       \
    {                                                                                                        \
        m_Value.SetInt(0);                                                                                   \
    }                                                                                                        \
    void Tjoystick_device##set##Variable::OnChange()                                                         \
    {                                                                                                        \
        const i32 id = m_Value.ToInt();                                                                      \
        m_Value.SetIntReset(id);                                                                             \
        if (g_pJoystickInputDriver)                                                                          \
            g_pJoystickInputDriver->OnDeviceVariable(set, id);                                               \
    }

JOYSTICK_FLOAT_VARIABLE(joystick_threshold, "Joystick dead zone.", JOYSTICK_DEFAULT_THRESHOLD, SetDeadZone)
JOYSTICK_FLOAT_VARIABLE(joystick_acceleration, "Joystick acceleration.", JOYSTICK_DEFAULT_ACCELERATION,
                        SetAcceleration)
JOYSTICK_FLOAT_VARIABLE(joystick_sensitivity, "Joystick sensitivity", JOYSTICK_DEFAULT_SENSITIVITY, SetSensitivity)
JOYSTICK_DEVICE_VARIABLE(0)
JOYSTICK_DEVICE_VARIABLE(1)
JOYSTICK_DEVICE_VARIABLE(2)
JOYSTICK_DEVICE_VARIABLE(3)

TVariable& JoystickDeviceVariable(u32 set)
{
    TVariable* const variables[] = {&g_joystick_device0, &g_joystick_device1, &g_joystick_device2,
                                            &g_joystick_device3};
    return *variables[set];
}
