#pragma once
// TGameSound (stored type 111, 212 bytes): up to 16 clips played one after another, at random
// or shuffled, once or in a loop, each clip started with its volume and pitch drawn within the
// settings' ranges. Clips play through the sound manager's instances; with a maximum of one
// instance the playing one is kept in pSound for Stop and the parameter setters.
#include "core/system/types.h"
#include "engine/sound/sound.h"

#include <cstddef>

class TNode;
class TSound;
class TSoundData;

constexpr u32 GAME_SOUND_CLIP_CAPACITY = 16;

// Play modes.
constexpr u32 GAME_SOUND_SEQUENTIAL = 0;
constexpr u32 GAME_SOUND_SEQUENTIAL_1 = 1;
constexpr u32 GAME_SOUND_RANDOM = 2;
constexpr u32 GAME_SOUND_RANDOM_NO_REPEAT = 3;
constexpr u32 GAME_SOUND_SHUFFLED = 4;
constexpr u32 GAME_SOUND_ONE_RANDOM = 5;

// Results of Play and PlayNext.
constexpr i32 GAME_SOUND_STARTED = 0;
constexpr i32 GAME_SOUND_MAXIMUM_REACHED = 1;
constexpr i32 GAME_SOUND_NO_INSTANCE = 2;
constexpr i32 GAME_SOUND_NOTHING_LEFT = 3;

// The playback settings, stored with the record.
struct TGameSoundSettings
{
    u32 nPlayMode;
    // 0: the clip list plays once.
    u32 nLoop;
    u32 nReserved8;
    f32 fReserved12;
    f32 fReserved16;
    // How many clip instances may play at once.
    u32 nMaxInstances;
    // Parameter 1 (volume target) and 4 (pitch target) of each clip: base + a draw in range.
    f32 fVolumeBase;
    f32 fVolumeRange;
    f32 fPitchBase;
    f32 fPitchRange;
    f32 fReserved40;
    // Parameters 40, 37 and 38 of each clip.
    f32 fStartDelay;
    f32 fFadeIn;
    f32 fFadeOut;
    f32 fReserved56;
    // Copied into each instance.
    f32 fCurveDistanceScaler;
};

static_assert(sizeof(TGameSoundSettings) == 64);

class TGameSound
{
public:
    TGameSound();
    virtual ~TGameSound() = default;

    // Starts the first clip by the play mode; GAME_SOUND_STARTED (the playing flag set) or
    // PlayNext's code.
    i32 Play(TNode* node);
    // The next clip: GAME_SOUND_MAXIMUM_REACHED, GAME_SOUND_NO_INSTANCE, GAME_SOUND_NOTHING_LEFT
    // (and stopped) or GAME_SOUND_STARTED.
    i32 PlayNext();
    // Clears the playing flag; a kept instance is stopped (0: through its fade-out) and let go.
    void Stop(u32 immediate);
    // To the kept instance; nothing without one.
    void SetParameter(i32 id, f32 value);
    void SetParameterInt(i32 id, i32 value);
    // An instance of this sound was released: the next clip, or the end; with a maximum of one,
    // an instance Stop already let go changes nothing.
    void OnClipEnded(TSound* sound);
    // The clips in an order drawn at random.
    void Shuffle();
    u32 IsPlaying() const { return m_nPlaying; }
    // The clips the record really holds (the stored count is at most 16).
    u32 GetClipCount() const;

    // Whether an instance's owner is a game sound.
    static bool IsGameSound(const void* owner);

    u32 m_nReserved4;
    TGameSoundSettings Settings;
    u32 m_nClipCount;
    TSoundData* aSoundData[GAME_SOUND_CLIP_CAPACITY];
    TSound* pSound;
    TNode* pStartNode;
    u32 m_nPlaying;
    i32 m_nActiveCount;
    i32 m_nClip;
    // -1: no limit.
    i32 m_nRemaining;
    u32 m_aReserved164[2];
    TSoundCurvePoint aCurve[SOUND_CURVE_POINTS];
};

static_assert(sizeof(TGameSound) == 212);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TGameSound, Settings) == 8);
static_assert(offsetof(TGameSound, m_nClipCount) == 72);
static_assert(offsetof(TGameSound, aSoundData) == 76);
static_assert(offsetof(TGameSound, pSound) == 140);
static_assert(offsetof(TGameSound, pStartNode) == 144);
static_assert(offsetof(TGameSound, m_nPlaying) == 148);
static_assert(offsetof(TGameSound, m_nRemaining) == 160);
static_assert(offsetof(TGameSound, aCurve) == 172);
#pragma GCC diagnostic pop
