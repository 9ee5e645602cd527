#include "xaudio2/reverbpresets.h"

#include <algorithm>
#include <array>

namespace
{
const char* const kPresetNames[REVERB_PRESET_COUNT] = {
    "Default",
    "Generic",
    "Padded Cell",
    "Room",
    "Bathroom",
    "Living Room",
    "Stone Room",
    "Auditorium",
    "Concert Hall",
    "Cave",
    "Arena",
    "Hangar",
    "Carpeted Hallway",
    "Hallway",
    "Stone Corridor",
    "Alley",
    "Forest",
    "City",
    "Mountains",
    "Quarry",
    "Plain",
    "Parking Lot",
    "Sewer Pipe",
    "Underwater",
    "Small Room",
    "Medium Room",
    "Large Room",
    "Medium Hall",
    "Large Hall",
    "Plate",
    "Off",
};

// Built on first use: the names in the order of their ids as signed integers.
const std::array<TName, REVERB_PRESET_COUNT>& Ranked()
{
    static const std::array<TName, REVERB_PRESET_COUNT> s_Ranked = [] {
        std::array<TName, REVERB_PRESET_COUNT> names;
        for (i32 i = 0; i < REVERB_PRESET_COUNT; ++i)
            names[i].Set(kPresetNames[i], true);
        std::sort(names.begin(), names.end(), [](const TName& a, const TName& b) {
            return static_cast<i32>(a.GetId()) < static_cast<i32>(b.GetId());
        });
        return names;
    }();
    return s_Ranked;
}
} // namespace

i32 FindReverbPresetIndex(const TName& name)
{
    const auto& ranked = Ranked();
    for (i32 i = 0; i < REVERB_PRESET_COUNT; ++i)
        if (ranked[i] == name)
            return i;
    return -1;
}

const TName& GetReverbPresetName(i32 index)
{
    return Ranked()[index];
}
