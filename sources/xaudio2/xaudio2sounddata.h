#pragma once
// TXAudio2SoundData: the XAudio2 clip (stored type 71's prototype): kind 12, default volume
// 1.0, loaded through the default resource load.
#include "engine/sound/sounddata.h"
#include "xaudio2/soundtypes.h"

class TXAudio2SoundData : public TSoundData
{
public:
    TXAudio2SoundData()
    {
        m_nKind = SOUND_KIND_DATA;
        m_fDefaultVolume = 1.0f;
    }
};

static_assert(sizeof(TXAudio2SoundData) == 88);
