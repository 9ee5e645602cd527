#pragma once
// TXAudio2SoundGroup: the XAudio2 group (stored type 69's prototype, 128 bytes, kind 13). Its
// effective volume is its own times its parent's, its effective pitch likewise; both are
// recomputed whenever a value is applied, and the fades apply theirs once per frame. A group
// that is not loaded ignores immediate changes (its fades still move).
#include "engine/sound/soundgroup.h"
#include "xaudio2/soundfade.h"

#include <cstddef>

class TXAudio2SoundGroup : public TSoundGroup
{
public:
    TXAudio2SoundGroup();

    void SetVolume(f32 volume, f32 time) override;
    void SetVolumeNow(f32 volume) override { SetVolume(volume, 0.0f); }
    void SetPitch(f32 pitch, f32 time) override;
    void SetPitchNow(f32 pitch) override { SetPitch(pitch, 0.0f); }
    f32 GetVolume() override;
    void Pause(u32 pause) override;
    void StopAll() override;

    // The first resource the group uses, when it is a group.
    TXAudio2SoundGroup* GetParent();
    // Steps both fades by t and applies their values.
    void _UpdateFades(f32 t);
    void _ApplyVolume(f32 volume);
    void _ApplyPitch(f32 pitch);

    u32 m_nReserved72;
    f32 m_fOwnVolume;
    f32 m_fOwnPitch;
    f32 m_fEffectiveVolume;
    f32 m_fEffectivePitch;
    TSoundFade VolumeFade;
    TSoundFade PitchFade;
    f32 m_fBaseGain;
};

static_assert(sizeof(TXAudio2SoundGroup) == 128);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TXAudio2SoundGroup, m_nEnabled) == 68);
static_assert(offsetof(TXAudio2SoundGroup, m_fOwnVolume) == 76);
static_assert(offsetof(TXAudio2SoundGroup, m_fEffectiveVolume) == 84);
static_assert(offsetof(TXAudio2SoundGroup, m_fEffectivePitch) == 88);
static_assert(offsetof(TXAudio2SoundGroup, VolumeFade) == 92);
static_assert(offsetof(TXAudio2SoundGroup, PitchFade) == 108);
static_assert(offsetof(TXAudio2SoundGroup, m_fBaseGain) == 124);
#pragma GCC diagnostic pop
