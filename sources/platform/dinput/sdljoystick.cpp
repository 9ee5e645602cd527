#include "platform/dinput/sdljoystick.h"

#include <SDL.h>

namespace
{
// DirectInput angles of SDL's hat positions.
DWORD HatAngle(Uint8 hat)
{
    switch (hat)
    {
    case SDL_HAT_UP:
        return 0;
    case SDL_HAT_RIGHTUP:
        return 4500;
    case SDL_HAT_RIGHT:
        return 9000;
    case SDL_HAT_RIGHTDOWN:
        return 13500;
    case SDL_HAT_DOWN:
        return 18000;
    case SDL_HAT_LEFTDOWN:
        return 22500;
    case SDL_HAT_LEFT:
        return 27000;
    case SDL_HAT_LEFTUP:
        return 31500;
    default:
        return JOYSTICK_HAT_CENTRED;
    }
}
} // namespace

std::unique_ptr<TSdlJoystick> TSdlJoystick::Open(int deviceIndex)
{
    SDL_Joystick* joystick = SDL_JoystickOpen(deviceIndex);
    if (!joystick)
        return nullptr;
    return std::unique_ptr<TSdlJoystick>(new TSdlJoystick(joystick));
}

TSdlJoystick::TSdlJoystick(SDL_Joystick* joystick)
    : joystick_(joystick), instanceId_(SDL_JoystickInstanceID(joystick))
{
    const char* name = SDL_JoystickName(joystick);
    description_.name = name ? name : "Joystick";
    description_.productName = description_.name;
    char guid[33];
    SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(joystick), guid, sizeof guid);
    const char* serial = SDL_JoystickGetSerial(joystick);
    const char* path = SDL_JoystickPath(joystick);
    description_.identity = std::string(guid) + "/" + (serial && *serial ? serial : path ? path : "");
    description_.vendor = SDL_JoystickGetVendor(joystick);
    description_.product = SDL_JoystickGetProduct(joystick);
    description_.gamepad = SDL_JoystickGetType(joystick) == SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    description_.axisCount = SDL_JoystickNumAxes(joystick);
    description_.hatCount = SDL_JoystickNumHats(joystick);
    description_.buttonCount = SDL_JoystickNumButtons(joystick);
}

TSdlJoystick::~TSdlJoystick()
{
    SDL_JoystickClose(joystick_);
}

bool TSdlJoystick::IsAttached() const
{
    return SDL_JoystickGetAttached(joystick_) == SDL_TRUE;
}

bool TSdlJoystick::Read(TJoystickReading& reading)
{
    SDL_JoystickUpdate();
    if (!IsAttached())
        return false;
    reading.axes.resize(static_cast<std::size_t>(description_.axisCount));
    for (int i = 0; i < description_.axisCount; ++i)
        reading.axes[static_cast<std::size_t>(i)] = SDL_JoystickGetAxis(joystick_, i);
    reading.hats.resize(static_cast<std::size_t>(description_.hatCount));
    for (int i = 0; i < description_.hatCount; ++i)
        reading.hats[static_cast<std::size_t>(i)] = HatAngle(SDL_JoystickGetHat(joystick_, i));
    reading.buttons.resize(static_cast<std::size_t>(description_.buttonCount));
    for (int i = 0; i < description_.buttonCount; ++i)
        reading.buttons[static_cast<std::size_t>(i)] = SDL_JoystickGetButton(joystick_, i) != 0;
    return true;
}
