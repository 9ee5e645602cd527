#pragma once
// TXAudio2Sound: the XAudio2 sound instance (stored type 73's prototype, 156 bytes). The
// records serve as the manager's pool of dynamic sounds. A playing instance owns one source
// voice that sends to the reverb submix and to the mastering voice; each update steps its
// start delay, fades and fade level and sets its levels: a fixed speaker matrix without node,
// X3DAudio's matrix and Doppler factor with one.
#include "core/math/vector.h"
#include "engine/sound/sound.h"
#include "xaudio2/soundfade.h"

#include <cstddef>

struct IXAudio2SourceVoice;
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

    u32 IsPaused() override { return m_nState == SOUND_PAUSED ? 1 : 0; }
    u32 IsPlaying() override { return m_nState == SOUND_PLAYING ? 1 : 0; }
    u32 GetState() override { return m_nState; }
    u32 GetSerial() override { return m_nSerial; }
    i32 _Reserved0() override { return 0; }
    i32 _Reserved1(i32) override { return 0; }
    // Not supported: ends the program.
    TSoundParameter* FindParameter(const TName& name) override;
    // Ids outside 1..48 and those not listed are ignored.
    void SetParameter(i32 id, f32 value) override;
    // 45 sets or clears the release-when-faded flag; others go to SetParameter as floats.
    void SetParameterInt(i32 id, i32 value) override;
    void Pause() override;
    void Resume(u32 flag) override;
    void Stop(u32 immediate) override;
    // Needs a running engine and the clip loaded; a clip still loading makes it do nothing.
    void Play(i32 startArgument, const TSoundCurvePoint* curve) override;
    void _Reserved2() override {}
    void _Reserved3(i32) override {}
    void SignalSyncPoint(i32 value) override;

    // Binds a free record to a clip and a node (null: not positioned).
    void _Bind(TSoundData* data, TNode* node);
    // One update of t seconds (0 from Play): start delay, fades, fade level, levels, start.
    void _Update(f32 t);
    // Non-zero when a fade-out has ended and the sound is to be released.
    u32 _UpdateFade(f32 t);
    // Back to the free state: listeners told, end script run, voice destroyed, defaults.
    void _Release();
    void _Reset();
    // After a state restore: a voice again for a sound whose voice had started.
    void _RestartVoice();
    // The flags word is shared with the mixer's thread (the finished flag): changed atomically.
    void _SetFlags(u32 bits);
    void _ClearFlags(u32 bits);

    static TSoundCallListener* s_pCallListener;

    u32 m_nState;
    u32 m_nFlags;
    IXAudio2SourceVoice* pVoice;
    TVector m_PreviousPosition;
    // The emitter's velocity as X3DAudio was last given it; zero without node.
    TVector m_EmitterVelocity;
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
    // Reads the clip's block and makes the voice with the buffer submitted; 0, else 1 (logged)
    // and no voice.
    u32 _CreateVoice();
    void DestroyVoice();
    // The levels towards both destinations and the frequency ratio's Doppler factor.
    void SetLevelsWithoutNode(u32 channels);
    f32 SetLevelsWithNode(u32 channels, f32 t);
    void RunScript(TScript* script);
};

static_assert(sizeof(TXAudio2Sound) == 156);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TXAudio2Sound, m_nState) == 40);
static_assert(offsetof(TXAudio2Sound, m_nFlags) == 44);
static_assert(offsetof(TXAudio2Sound, pVoice) == 48);
static_assert(offsetof(TXAudio2Sound, m_PreviousPosition) == 52);
static_assert(offsetof(TXAudio2Sound, m_EmitterVelocity) == 68);
static_assert(offsetof(TXAudio2Sound, m_fVelocityTimer) == 84);
static_assert(offsetof(TXAudio2Sound, m_fStartDelay) == 88);
static_assert(offsetof(TXAudio2Sound, m_fFadeLevel) == 100);
static_assert(offsetof(TXAudio2Sound, m_fReverbSend) == 104);
static_assert(offsetof(TXAudio2Sound, m_fEffectivePitch) == 116);
static_assert(offsetof(TXAudio2Sound, Volume) == 120);
static_assert(offsetof(TXAudio2Sound, Pitch) == 136);
static_assert(offsetof(TXAudio2Sound, m_nSerial) == 152);
#pragma GCC diagnostic pop
