#pragma once
// TReverbPresetSet: the 30 I3DL2 environments, converted to the reverb's own parameters, and
// "Off" (all zero), ranked by their name ids as signed 32-bit integers: a preset's index is its
// rank. Empty until Build, which every start of the sound engine calls.
#include "core/system/name.h"
#include "core/system/templates/sset.h"
#include "platform/xaudio2/xaudio2fx.h"

constexpr u32 REVERB_PRESET_COUNT = 31;

class TReverbPresetSet
{
public:
    void Build();
    u32 GetCount() const { return m_aPreset.GetCount(); }
    // The rank of the name, or -1 when it names no preset.
    i32 Find(const TName& name) const { return m_aPreset.FindKey(name); }
    const TName& GetName(u32 index) const { return m_aPreset[index].key; }
    const XAUDIO2FX_REVERB_PARAMETERS& GetParameters(u32 index) const { return m_aPreset[index].value; }

private:
    SSet<TMapKey<TName, XAUDIO2FX_REVERB_PARAMETERS>, REVERB_PRESET_COUNT, TName, 0> m_aPreset;
};
