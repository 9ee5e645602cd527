#include "xaudio2/xaudio2soundreverb.h"

#include "engine/system/nodekindnames.h"
#include "xaudio2/xaudio2state.h"

TXAudio2SoundReverb::TXAudio2SoundReverb()
{
    m_nClassName = g_NameTSoundReverb.GetId();
    m_fInnerRadius = 1.0f;
    m_fOuterRadius = 2.0f;
}

void TXAudio2SoundReverb::SetPresetIndex(i32 index)
{
    if (m_nPresetIndex >= 0 && static_cast<u32>(m_nPresetIndex) < g_XAudio2.ReverbPresets.GetCount())
        m_nPresetIndex = index;
}
