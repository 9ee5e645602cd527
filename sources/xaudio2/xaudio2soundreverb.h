#pragma once
// TXAudio2SoundReverb (stored type 76's prototype): a preset name and index and two distances
// (1.0 and 2.0 by default), kept for the data's sake; the reverb the listener hears is chosen by
// TSoundManager::SetReverb alone.
#include "engine/sound/soundreverb.h"

class TXAudio2SoundReverb : public TSoundReverb
{
public:
    TXAudio2SoundReverb();

    const TName* GetPresetName() override { return &m_PresetName; }
    void SetRadius(f32 radius) override { m_fInnerRadius = m_fOuterRadius = radius; }
    // Only while the current index names a preset.
    void SetPresetIndex(i32 index) override;
};

static_assert(sizeof(TXAudio2SoundReverb) == 28);
