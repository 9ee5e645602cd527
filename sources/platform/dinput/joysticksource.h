#pragma once
// TJoystickSource: one attached game controller as the DirectInput layer reads it, whatever
// stands behind it (an SDL joystick, or a fake one of the tests). Axes are reported in the
// controller's own range; hats as DirectInput angles.
#include "platform/windef/windef.h"

#include <string>
#include <vector>

// A hat's reading when centred.
constexpr DWORD JOYSTICK_HAT_CENTRED = 0xFFFFFFFFu;

struct TJoystickDescription
{
    std::string name;
    std::string productName;
    // A text that names this controller alone and stays the same across runs (the instance
    // GUID is made from it).
    std::string identity;
    WORD vendor = 0;
    WORD product = 0;
    bool gamepad = false;
    int axisCount = 0;
    int hatCount = 0;
    int buttonCount = 0;
    // The controller's own axis range.
    LONG axisMin = -32768;
    LONG axisMax = 32767;
    // Bit n: axis n drives a force-feedback actuator.
    DWORD forceFeedbackAxes = 0;
};

struct TJoystickReading
{
    std::vector<LONG> axes;
    std::vector<DWORD> hats;
    std::vector<bool> buttons;
};

class TJoystickSource
{
public:
    virtual ~TJoystickSource() = default;
    virtual const TJoystickDescription& Describe() const = 0;
    virtual bool IsAttached() const = 0;
    // The current positions, sized as described; false once the controller is gone.
    virtual bool Read(TJoystickReading& reading) = 0;
};
