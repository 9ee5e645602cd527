#pragma once
// The UI toolkit's records in the game's repository: the icons and styles the screens name,
// with generated textures (panels, six-state button strips, slider parts, arrows), the texture
// fonts "ui_sans" and "ui_sans_bold" rasterised from the build machine's fonts, the cursor
// "Mouse" and the UI actions (bound by the start-up script).
#include "core/system/types.h"

class TClusterManager;
class TRepositoryWriter;

// The font files the texture fonts are rasterised from.
inline constexpr const char* UI_FONT_FILE = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
inline constexpr const char* UI_BOLD_FONT_FILE = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
// The menus' condensed display face ("ui_menu").
inline constexpr const char* UI_MENU_FONT_FILE = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf";

// Builds the records (held until the next call) and appends the managers they belong to
// beyond those already listed; answers the new count (at most 3 more). Fonts that cannot be
// read are left out with a line on standard error.
i32 AddUIRecords(TRepositoryWriter& writer, TClusterManager** managers, i32 count);
