#include "morvane/ux/uxdemoscreen.h"

#include "core/system/name.h"

TUXDemoScreen::TUXDemoScreen() : UX::TInstance(UX_DEMO_NAME)
{
    // The language variants are found by their names' texts.
    for (const char* name : UX_DEMO_FLAG_VARIANTS)
        TName(name, true);
}
