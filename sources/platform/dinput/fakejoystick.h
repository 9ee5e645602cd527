#pragma once
// TFakeJoystick: a controller of the tests. Its description and reading are what the test
// sets; attach it with TJoystickList::Attach and unplug it by clearing `attached`.
#include "platform/dinput/joysticksource.h"

class TFakeJoystick : public TJoystickSource
{
public:
    // Axes in -10000..10000 (centred), hats centred, buttons up.
    TFakeJoystick(const char* name, const char* identity, int axes, int hats, int buttons);

    const TJoystickDescription& Describe() const override { return description; }
    bool IsAttached() const override;
    bool Read(TJoystickReading& out) override;

    TJoystickDescription description;
    TJoystickReading reading;
    bool attached = true;
    // Reads taken so far.
    int reads = 0;
    // Above 0: an unplugged controller is plugged in again after this many looks.
    mutable int looksUntilPlugged = 0;
};
