#pragma once
// TInputEvent: one key, button or axis event as the drivers report it. Key events carry the
// scan code (plus 70 for extended keys) and the virtual key or character; mouse events a mouse
// code from 1000 and the mouse bit 0x40 in their modifiers.
#include "core/system/types.h"

struct TInputEvent
{
    u32 nModifiers;
    u32 nCode;
    u32 nValue;
};

static_assert(sizeof(TInputEvent) == 12);
