#pragma once
// TJoystick: one enumerated game controller of the joystick driver: its DirectInput device,
// which of its set's 40 inputs it has, the input set it feeds and who it is.
#include "core/system/templates/sarray.h"
#include "platform/dinput/dinput.h"

constexpr u32 JOYSTICK_SET_SIZE = 40;
constexpr u32 JOYSTICK_NAME_SIZE = 260;

// Presence bytes.
constexpr u8 JOYSTICK_ABSENT = 0;
constexpr u8 JOYSTICK_PRESENT = 1;
constexpr u8 JOYSTICK_FORCE_FEEDBACK = 2;

struct TJoystick
{
    IDirectInputDevice8A* pDevice = nullptr;
    u8 aPresence[JOYSTICK_SET_SIZE] = {};
    i32 nSet = -1;
    SString<JOYSTICK_NAME_SIZE> InstanceName;
    SString<JOYSTICK_NAME_SIZE> ProductName;
    // The name hash of the instance GUID's 16 bytes.
    u32 nDeviceId = 0;
    GUID ProductGuid = {};
};
