#pragma once
// The game's UX records: the font "Font_ux", the two drawn layers, the tool tip with its label
// (the topmost control of layer 1) and the demonstration form "UXDemo" (uxdemorecords.h).
// The level carries them itself (each array type of a load comes from one image); "ux.data"
// serves programs that load them alone.
#include "core/system/types.h"

class TClusterManager;
class TRepositoryWriter;
class TUxDataWriter;

inline constexpr const char* UX_FONT_NAME = "Font_ux";
// The system's font the UX font is rasterised from.
inline constexpr const char* UX_FONT_FILE = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
inline constexpr const char* UX_LAYER_NAMES[] = {"ux_layer_0", "ux_layer_1"};
inline constexpr const char* UX_TOOL_TIP_LABEL = "ux_tooltip";

// Makes the records with the writer; the game's screens must be registered.
void AddGameUxRecords(TUxDataWriter& data);

// For the level writer: makes the records (kept until the next call) and appends the managers
// of the UX arrays; answers the new count.
i32 AddUxRecords(TRepositoryWriter& writer, TClusterManager** managers, i32 count);

// Writes "ux.data" with the textures and fonts the records use; false when it cannot be
// written. The cluster is cleared before and after.
bool WriteUxRepository(const char* path);
