#pragma once
// The UI's two sounds, played through the game's sound player once it installs itself here;
// until then clicks and menu moves are silent.
#include "core/system/types.h"

struct TUISoundPlayer
{
    // The button-click sound (its argument is the player's) and the menu-select sound.
    void (*pPlayButtonClick)(i32 argument);
    void (*pPlayMenuSelect)();
};

extern TUISoundPlayer g_UISoundPlayer;

void UIPlayButtonClick();
void UIPlayMenuSelect();
