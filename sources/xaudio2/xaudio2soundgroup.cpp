#include "xaudio2/xaudio2soundgroup.h"

#include "xaudio2/soundtypes.h"

TXAudio2SoundGroup::TXAudio2SoundGroup()
    : m_nEnabled(1), m_nReserved72(0), m_fOwnVolume(1.0f), m_fOwnPitch(1.0f), m_fEffectiveVolume(1.0f),
      m_fEffectivePitch(1.0f), VolumeFade{1.0f, 1.0f, 1.0f, 0}, PitchFade{1.0f, 1.0f, 1.0f, 0},
      m_fBaseGain(1.0f)
{
    m_nKind = SOUND_KIND_GROUP;
}

TSoundGroup* TXAudio2SoundGroup::GetParent()
{
    if (aUses.GetCount() == 0 || !aUses[0].pResource || aUses[0].pResource->m_nKind != SOUND_KIND_GROUP)
        return nullptr;
    return static_cast<TSoundGroup*>(aUses[0].pResource);
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

f32 TXAudio2SoundGroup::GetVolume()
{
    return static_cast<f32>(m_nEnabled) * m_fEffectiveVolume * m_fBaseGain;
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
    TSoundGroup* parent = GetParent();
    m_fEffectiveVolume = volume * (parent ? parent->GetVolume() : 1.0f);
}

void TXAudio2SoundGroup::_ApplyPitch(f32 pitch)
{
    if (Require())
        return;
    m_fOwnPitch = pitch;
    TSoundGroup* parent = GetParent();
    m_fEffectivePitch = pitch * (parent ? static_cast<TXAudio2SoundGroup*>(parent)->m_fEffectivePitch : 1.0f);
}
