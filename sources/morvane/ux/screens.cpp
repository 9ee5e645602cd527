#include "morvane/ux/screens.h"

#include "morvane/ux/uxdemoscreen.h"

void RegisterGameScreens()
{
    // Built once, in this order; a second call registers nothing more.
    static TUXDemoScreen s_DemoScreen;
}
