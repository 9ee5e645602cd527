#pragma once
// The reverb presets by name: the 30 I3DL2 environments and "Off", ranked by their name ids as
// signed 32-bit integers (a preset's index is its rank). Their parameters come with the audio
// engine.
#include "core/system/name.h"

constexpr i32 REVERB_PRESET_COUNT = 31;

// The rank of the name, or -1 when it names no preset.
i32 FindReverbPresetIndex(const TName& name);
// The name of a rank 0 .. 30.
const TName& GetReverbPresetName(i32 index);
