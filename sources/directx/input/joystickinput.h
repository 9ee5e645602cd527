#pragma once
// TJoystickInput: one button, axis direction, slider direction or hat direction of an input set
// of the joystick driver. Its state is recomputed by every update of its joystick: 1 when it
// went down, 2 when it came back to 0.
#include "engine/input/input.h"

constexpr u32 JOYSTICK_STATE_PRESSED = 1;
constexpr u32 JOYSTICK_STATE_RELEASED = 2;

class TJoystickInput : public TInput
{
public:
    const TName* GetName() override { return &Name; }
    const TName* GetDriverName() override;
    // One word for all joystick inputs, always 0.
    u32* GetFlags() override;
    f32 GetValue() override { return fValue; }
    bool IsPressed() override { return fValue > 0.0f; }
    bool WasPressed() override { return nState == JOYSTICK_STATE_PRESSED; }
    bool WasReleased() override { return nState == JOYSTICK_STATE_RELEASED; }
    void ResetValue() override { fValue = 0.0f; }
    void ClearPressed() override { nState = 0; }
    void ClearReleased() override { nState = 0; }

    void Set(f32 value)
    {
        if (fValue == 0.0f && value != 0.0f)
            nState = JOYSTICK_STATE_PRESSED;
        else if (fValue != 0.0f && value == 0.0f)
            nState = JOYSTICK_STATE_RELEASED;
        else
            nState = 0;
        fValue = value;
    }

    TName Name;
    f32 fValue = 0.0f;
    u32 nState = 0;
};

static_assert(sizeof(TJoystickInput) == 16);
