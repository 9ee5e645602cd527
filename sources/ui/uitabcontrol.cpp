#include "ui/uitabcontrol.h"

VESTAMOR_UI_ITEM(TUITabControl);
