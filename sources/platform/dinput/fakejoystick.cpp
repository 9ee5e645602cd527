#include "platform/dinput/fakejoystick.h"

TFakeJoystick::TFakeJoystick(const char* name, const char* identity, int axes, int hats, int buttons)
{
    description.name = name;
    description.productName = name;
    description.identity = identity;
    description.axisCount = axes;
    description.hatCount = hats;
    description.buttonCount = buttons;
    description.axisMin = -10000;
    description.axisMax = 10000;
    reading.axes.assign(static_cast<std::size_t>(axes), 0);
    reading.hats.assign(static_cast<std::size_t>(hats), JOYSTICK_HAT_CENTRED);
    reading.buttons.assign(static_cast<std::size_t>(buttons), false);
}

bool TFakeJoystick::IsAttached() const
{
    if (!attached && looksUntilPlugged > 0 && --looksUntilPlugged == 0)
        const_cast<TFakeJoystick*>(this)->attached = true;
    return attached;
}

bool TFakeJoystick::Read(TJoystickReading& out)
{
    if (!attached)
        return false;
    ++reads;
    out = reading;
    return true;
}
