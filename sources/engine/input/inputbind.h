#pragma once
// TInputBind: the state of an action packed into three bits (0x1 down, 0x2 pressed, 0x4
// released), five states to a 16-bit word.
#include "core/system/types.h"

class TInputAction;

constexpr u32 INPUT_STATE_DOWN = 0x1;
constexpr u32 INPUT_STATE_PRESSED = 0x2;
constexpr u32 INPUT_STATE_RELEASED = 0x4;
constexpr u32 INPUT_STATES_PER_WORD = 5;

class TInputBind
{
public:
    // Stores the action's state at position index of the packed words; true when it changed.
    static bool GetState(const TInputAction& action, u16* states, u32 index);
};
