#pragma once
// TWinInput: one key, mouse button, motion direction or wheel direction of the keyboard and
// mouse driver. Keys, buttons and wheels go through the edge rule; motion inputs carry the
// flag word INPUT_MOTION and get no edges.
#include "engine/input/input.h"

constexpr u32 WIN_INPUT_PRESSED = 0x80000000u;
constexpr u32 WIN_INPUT_RELEASED = 0x40000000u;
constexpr u32 WIN_INPUT_MOTION = 2;

class TWinInput : public TInput
{
public:
    const TName* GetName() override { return &Name; }
    const TName* GetDriverName() override;
    u32* GetFlags() override { return &nFlags; }
    f32 GetValue() override { return fValue; }
    bool IsPressed() override { return fValue > 0.0f; }
    bool WasPressed() override { return (nFlags & WIN_INPUT_PRESSED) != 0; }
    bool WasReleased() override { return (nFlags & WIN_INPUT_RELEASED) != 0; }
    void ResetValue() override { fValue = 0.0f; }
    void ClearPressed() override { nFlags &= ~WIN_INPUT_PRESSED; }
    void ClearReleased() override { nFlags &= ~WIN_INPUT_RELEASED; }

    // The edge rule: both edges cleared, then pressed when the value leaves 0 and released
    // when it returns to 0. Answers whether an edge is set.
    bool Apply(f32 value)
    {
        nFlags &= ~(WIN_INPUT_PRESSED | WIN_INPUT_RELEASED);
        if (fValue == 0.0f && value != 0.0f)
            nFlags |= WIN_INPUT_PRESSED;
        else if (fValue != 0.0f && value == 0.0f)
            nFlags |= WIN_INPUT_RELEASED;
        fValue = value;
        return (nFlags & (WIN_INPUT_PRESSED | WIN_INPUT_RELEASED)) != 0;
    }

    TName Name;
    f32 fValue = 0.0f;
    u32 nFlags = 0;
};

static_assert(sizeof(TWinInput) == 16);
