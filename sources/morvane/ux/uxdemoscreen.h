#pragma once
// The demonstration screen of the UX library: the form "UXDemo" (layer 1, hidden until
// ux_form_show "UXDemo"), whose records the UX data writer puts beside the level.
#include "ux/ux.instance.h"

// The screen's class name, which is also its form's name.
inline constexpr const char* UX_DEMO_NAME = "UXDemo";
// The picture whose texture has a variant per language: the name up to its last "." and the
// language's name.
inline constexpr const char* UX_DEMO_FLAG_TEXTURE = "ux_demo_flag.English";
inline constexpr const char* UX_DEMO_FLAG_VARIANTS[] = {"ux_demo_flag.English", "ux_demo_flag.Deutsch"};

class TUXDemoScreen : public UX::TInstance
{
public:
    TUXDemoScreen();
};
