#pragma once
// The fixed table from SDL scancodes to the keys of a PC keyboard: the scan-code set 1 make code,
// whether it comes with the E0 prefix, and the Windows virtual-key code (the generic VK_SHIFT,
// VK_CONTROL and VK_MENU for both sides, as key messages carry them).
#include "platform/window/winuser.h"

#include <SDL2/SDL_scancode.h>

struct TPcKey
{
    USHORT makeCode; // 0: SDL knows the key, a PC keyboard does not
    bool extended;
    WORD virtualKey;
};

TPcKey SdlScancodeToPcKey(SDL_Scancode scancode);
