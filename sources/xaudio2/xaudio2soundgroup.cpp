#include "xaudio2/xaudio2soundgroup.h"

#include "engine/sound/sounddata.h"
#include "xaudio2/soundtypes.h"
#include "xaudio2/xaudio2sound.h"
#include "xaudio2/xaudio2soundmanager.h"

TXAudio2SoundGroup::TXAudio2SoundGroup()
    : m_nReserved72(0), m_fOwnVolume(1.0f), m_fOwnPitch(1.0f), m_fEffectiveVolume(1.0f), m_fEffectivePitch(1.0f),
      VolumeFade{1.0f, 1.0f, 1.0f, 0}, PitchFade{1.0f, 1.0f, 1.0f, 0}, m_fBaseGain(1.0f)
{
    m_nKind = SOUND_KIND_GROUP;
}

TXAudio2SoundGroup* TXAudio2SoundGroup::GetParent()
{
    if (aUses.GetCount() == 0 || !aUses[0].pResource || aUses[0].pResource->m_nKind != SOUND_KIND_GROUP)
        return nullptr;
    return static_cast<TXAudio2SoundGroup*>(aUses[0].pResource);
}

void TXAudio2SoundGroup::SetVolume(f32 volume, f32 time)
{
    VolumeFade.fTarget = volume;
    if (time == 0.0f)
    {
        VolumeFade.fCurrent = volume;
        _ApplyVolume(volume);
    }
    else if (time > 0.0f)
        VolumeFade.fRate = 1.0f / time;
}

void TXAudio2SoundGroup::SetPitch(f32 pitch, f32 time)
{
    PitchFade.fTarget = pitch;
    if (time == 0.0f)
    {
        PitchFade.fCurrent = pitch;
        PitchFade.fRate = 1.0f;
        _ApplyPitch(pitch);
    }
    else if (time > 0.0f)
        PitchFade.fRate = 1.0f / time;
}

f32 TXAudio2SoundGroup::GetVolume()
{
    return static_cast<f32>(m_nEnabled) * m_fEffectiveVolume * m_fBaseGain;
}

void TXAudio2SoundGroup::Pause(u32 pause)
{
    if (!IsLoaded())
        return;
    TXAudio2SoundManager& manager = *g_pXAudio2SoundManager;
    const TSoundIndexList& playing = manager.GetPlayingList();
    for (u32 i = 0; i < playing.GetCount(); ++i)
    {
        TXAudio2Sound* sound = manager.Sounds()[playing[i]];
        if (!sound->pSoundData || sound->pSoundData->pGroup != this)
            continue;
        if (pause)
            sound->Pause();
        else
            sound->Resume(1);
    }
}

void TXAudio2SoundGroup::StopAll()
{
    if (!IsLoaded())
        return;
    TXAudio2SoundManager& manager = *g_pXAudio2SoundManager;
    const TSoundIndexList& playing = manager.GetPlayingList();
    for (u32 i = 0; i < playing.GetCount(); ++i)
    {
        TXAudio2Sound* sound = manager.Sounds()[playing[i]];
        if (sound->pSoundData && sound->pSoundData->pGroup == this)
            sound->Stop(0);
    }
}

void TXAudio2SoundGroup::_UpdateFades(f32 t)
{
    VolumeFade.Step(t);
    _ApplyVolume(VolumeFade.fCurrent);
    PitchFade.Step(t);
    _ApplyPitch(PitchFade.fCurrent);
}

void TXAudio2SoundGroup::_ApplyVolume(f32 volume)
{
    if (Require())
        return;
    m_fOwnVolume = volume;
    TXAudio2SoundGroup* parent = GetParent();
    m_fEffectiveVolume = volume * (parent ? parent->GetVolume() : 1.0f);
}

void TXAudio2SoundGroup::_ApplyPitch(f32 pitch)
{
    if (Require())
        return;
    m_fOwnPitch = pitch;
    TXAudio2SoundGroup* parent = GetParent();
    m_fEffectivePitch = pitch * (parent ? parent->m_fEffectivePitch : 1.0f);
}
