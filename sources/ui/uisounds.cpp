#include "ui/uisounds.h"

TUISoundPlayer g_UISoundPlayer = {nullptr, nullptr};

void UIPlayButtonClick()
{
    if (g_UISoundPlayer.pPlayButtonClick)
        g_UISoundPlayer.pPlayButtonClick(0);
}

void UIPlayMenuSelect()
{
    if (g_UISoundPlayer.pPlayMenuSelect)
        g_UISoundPlayer.pPlayMenuSelect();
}
