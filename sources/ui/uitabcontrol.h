#pragma once
// TUITabControl: a plain container with a current-tab index; what the tabs do is the game's.
#include "ui/uiitem.h"

class TUITabControl : public TUIItem
{
public:
    i32 m_nValue = 0;
    i32 m_nCurrentTab = -1;
    TUIListenerList OnTabChange;
};
