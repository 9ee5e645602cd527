#include "xaudio2/reverbpresetset.h"

#include <cstring>

namespace
{
struct TPreset
{
    const char* szName;
    XAUDIO2FX_REVERB_I3DL2_PARAMETERS Parameters;
};

// In the order they are inserted; the set ranks them by name id.
const TPreset kPresets[] = {
    {"Default", XAUDIO2FX_I3DL2_PRESET_DEFAULT},
    {"Generic", XAUDIO2FX_I3DL2_PRESET_GENERIC},
    {"Padded Cell", XAUDIO2FX_I3DL2_PRESET_PADDEDCELL},
    {"Room", XAUDIO2FX_I3DL2_PRESET_ROOM},
    {"Bathroom", XAUDIO2FX_I3DL2_PRESET_BATHROOM},
    {"Living Room", XAUDIO2FX_I3DL2_PRESET_LIVINGROOM},
    {"Stone Room", XAUDIO2FX_I3DL2_PRESET_STONEROOM},
    {"Auditorium", XAUDIO2FX_I3DL2_PRESET_AUDITORIUM},
    {"Concert Hall", XAUDIO2FX_I3DL2_PRESET_CONCERTHALL},
    {"Cave", XAUDIO2FX_I3DL2_PRESET_CAVE},
    {"Arena", XAUDIO2FX_I3DL2_PRESET_ARENA},
    {"Hangar", XAUDIO2FX_I3DL2_PRESET_HANGAR},
    {"Carpeted Hallway", XAUDIO2FX_I3DL2_PRESET_CARPETEDHALLWAY},
    {"Hallway", XAUDIO2FX_I3DL2_PRESET_HALLWAY},
    {"Stone Corridor", XAUDIO2FX_I3DL2_PRESET_STONECORRIDOR},
    {"Alley", XAUDIO2FX_I3DL2_PRESET_ALLEY},
    {"Forest", XAUDIO2FX_I3DL2_PRESET_FOREST},
    {"City", XAUDIO2FX_I3DL2_PRESET_CITY},
    {"Mountains", XAUDIO2FX_I3DL2_PRESET_MOUNTAINS},
    {"Quarry", XAUDIO2FX_I3DL2_PRESET_QUARRY},
    {"Plain", XAUDIO2FX_I3DL2_PRESET_PLAIN},
    {"Parking Lot", XAUDIO2FX_I3DL2_PRESET_PARKINGLOT},
    {"Sewer Pipe", XAUDIO2FX_I3DL2_PRESET_SEWERPIPE},
    {"Underwater", XAUDIO2FX_I3DL2_PRESET_UNDERWATER},
    {"Small Room", XAUDIO2FX_I3DL2_PRESET_SMALLROOM},
    {"Medium Room", XAUDIO2FX_I3DL2_PRESET_MEDIUMROOM},
    {"Large Room", XAUDIO2FX_I3DL2_PRESET_LARGEROOM},
    {"Medium Hall", XAUDIO2FX_I3DL2_PRESET_MEDIUMHALL},
    {"Large Hall", XAUDIO2FX_I3DL2_PRESET_LARGEHALL},
    {"Plate", XAUDIO2FX_I3DL2_PRESET_PLATE},
};

static_assert(sizeof(kPresets) / sizeof(kPresets[0]) + 1 == REVERB_PRESET_COUNT);
} // namespace

void TReverbPresetSet::Build()
{
    TMapKey<TName, XAUDIO2FX_REVERB_PARAMETERS> entry;
    for (const TPreset& preset : kPresets)
    {
        entry.key.Set(preset.szName, true);
        ReverbConvertI3DL2ToNative(&preset.Parameters, &entry.value);
        m_aPreset.Insert(entry);
    }
    entry.key.Set("Off", true);
    std::memset(&entry.value, 0, sizeof entry.value);
    m_aPreset.Insert(entry);
}
