#pragma once
// TSdlJoystick: a controller that SDL opened. Its identity is SDL's joystick GUID with the
// serial number, or the device path when there is no serial, so that it keeps its instance
// GUID from one run to the next.
#include "platform/dinput/joysticksource.h"

#include <memory>

struct _SDL_Joystick;

class TSdlJoystick : public TJoystickSource
{
public:
    // Null when SDL cannot open the device.
    static std::unique_ptr<TSdlJoystick> Open(int deviceIndex);
    ~TSdlJoystick() override;

    const TJoystickDescription& Describe() const override { return description_; }
    bool IsAttached() const override;
    bool Read(TJoystickReading& reading) override;
    int GetInstanceId() const { return instanceId_; }

private:
    TSdlJoystick(_SDL_Joystick* joystick);

    _SDL_Joystick* joystick_;
    int instanceId_;
    TJoystickDescription description_;
};
