#pragma once
// The generated images of the in-game screen's task list and management screen: the task
// markers, AI levels and exclamation (strips of three frames), the two-frame attention icon,
// the row overlays, the management cell overlay and the vehicles' small and big pictures.
#include "core/system/types.h"

#include <vector>

constexpr i32 GAME_STRIP_FRAME = 24;
constexpr i32 GAME_ATTENTION_SIZE = 32;
constexpr i32 VEHICLE_SMALL_WIDTH = 118;
constexpr i32 VEHICLE_SMALL_HEIGHT = 38;
constexpr i32 VEHICLE_BIG_WIDTH = 180;
constexpr i32 VEHICLE_BIG_HEIGHT = 200;
constexpr i32 VEHICLE_PICTURE_COUNT = 11;
constexpr i32 HELP_IMAGE_SIZE = 72;
constexpr i32 HELP_IMAGE_COUNT = 4;
constexpr i32 HUD_PICTURE_SIZE = 64;
constexpr i32 HUD_PICTURE_COUNT = 5;

// Three discs (idle grey, under way blue, at work green), one a frame.
std::vector<u32> TaskMarkerStrip();
// One, two and three bars.
std::vector<u32> AILevelStrip();
// An exclamation mark on each of three frames.
std::vector<u32> ExclamationStrip();
// A red disc with a mark, above its lit twin.
std::vector<u32> AttentionStrip();
// A pin: loose, then pressed in (lit).
std::vector<u32> PinStrip();
// A cross on a square: plain, then lit.
std::vector<u32> CloseStrip();
// The help pages' pictures: an aircraft, the task marker, the AI levels, the tower's eye.
std::vector<u32> HelpPicture(i32 image);
// A vehicle's side view in its kind's colour (kind 0..10), at the size.
std::vector<u32> VehiclePicture(i32 kind, i32 width, i32 height);
// The in-game buttons' pictograms on a clear square: management (a bar chart), tower, the
// follow-me car, landing (an aircraft over a down arrow) and take-off (over an up arrow).
std::vector<u32> HudPicture(i32 picture);
