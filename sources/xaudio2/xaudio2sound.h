#pragma once
// TXAudio2Sound: the XAudio2 sound instance (stored type 73's prototype, 156 bytes). The
// records serve as the manager's pool of dynamic sounds. No voice exists yet: an instance
// keeps its parameters, its state and its fades, which the manager steps every frame, and
// tells the call listener what it was asked (audio output comes with the platform layer).
#include "core/math/vector.h"
#include "xaudio2/sound.h"
#include "xaudio2/soundfade.h"

#include <cstddef>

class IXAudio2SourceVoice;
class TNode;
class TXAudio2Sound;

// Flags.
constexpr u32 SOUND_VOICE_STARTED = 0x1;
constexpr u32 SOUND_RELEASE_WHEN_FADED = 0x2;
constexpr u32 SOUND_FADING_IN = 0x8;
constexpr u32 SOUND_FADING_OUT = 0x18;
constexpr u32 SOUND_FADE_BITS = 0x18;
constexpr u32 SOUND_FINISHED = 0x20;

// What an instance was asked, for the one call listener (tests record game code's requests).
enum ESoundCall : u32
{
    SOUND_CALL_PLAY,
    SOUND_CALL_STOP,
    SOUND_CALL_PARAMETER,
};

class TSoundCallListener
{
public:
    virtual ~TSoundCallListener() = default;
    // value: the parameter's value, or Stop's immediate flag; id: the parameter id, else 0.
    virtual void OnSoundCall(TXAudio2Sound* sound, ESoundCall call, i32 id, f32 value) = 0;
};

class TXAudio2Sound : public TSound
{
public:
    TXAudio2Sound();

    u32 IsPlaying() override { return m_nState == SOUND_PLAYING ? 1 : 0; }
    u32 GetState() override { return m_nState; }
    // Ids outside 1..48 and those not listed are ignored.
    void SetParameter(i32 id, f32 value) override;
    // 45 sets or clears the release-when-faded flag; others go to SetParameter as floats.
    void SetParameterInt(i32 id, i32 value) override;
    void Stop(u32 immediate) override;
    void Play(i32 startArgument, const TSoundCurvePoint* curve) override;

    // Binds a free record to a clip and a node (null: not positioned).
    void _Bind(TSoundData* data, TNode* node);
    // One step of the start delay, the fades and the fade level; a fade-out that has ended on
    // a sound released when faded stops it.
    void _Update(f32 t);
    // Non-zero when a fade-out has ended and the sound is to be released.
    u32 _UpdateFade(f32 t);
    // Back to the free state: listeners told, end script run, data dropped, defaults.
    void _Release();
    void _Reset();

    static TSoundCallListener* s_pCallListener;

    u32 m_nState;
    u32 m_nFlags;
    IXAudio2SourceVoice* pVoice;
    TVector m_PreviousPosition;
    TVector m_Reserved68;
    f32 m_fVelocityTimer;
    f32 m_fStartDelay;
    f32 m_fFadeInTime;
    f32 m_fFadeOutTime;
    f32 m_fFadeLevel;
    f32 m_fReverbSend;
    f32 m_fDirectLevel;
    f32 m_fEffectiveVolume;
    f32 m_fEffectivePitch;
    TSoundFade Volume;
    TSoundFade Pitch;
    u32 m_nSerial;

private:
    void Tell(ESoundCall call, i32 id, f32 value);
};

static_assert(sizeof(TXAudio2Sound) == 156);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TXAudio2Sound, m_nState) == 40);
static_assert(offsetof(TXAudio2Sound, pVoice) == 48);
static_assert(offsetof(TXAudio2Sound, m_PreviousPosition) == 52);
static_assert(offsetof(TXAudio2Sound, m_fVelocityTimer) == 84);
static_assert(offsetof(TXAudio2Sound, m_fFadeLevel) == 100);
static_assert(offsetof(TXAudio2Sound, m_fEffectivePitch) == 116);
static_assert(offsetof(TXAudio2Sound, Volume) == 120);
static_assert(offsetof(TXAudio2Sound, Pitch) == 136);
static_assert(offsetof(TXAudio2Sound, m_nSerial) == 152);
#pragma GCC diagnostic pop
