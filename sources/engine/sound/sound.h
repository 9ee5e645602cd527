#pragma once
// TSound (stored type 73): one instance of a sound clip, optionally on a scene node. The
// manager hands instances out of its pool (TSoundManager::PlaySound); callers keep the pointer
// only while the instance plays, and may keep its serial beside it to tell whether a pooled
// record still belongs to them.
#include "engine/system/nodeobject.h"

class TScript;
class TSoundData;
class TSoundParameter;

// The numeric parameters of SetParameter, which game code passes as numbers.
constexpr i32 SOUND_PARAMETER_VOLUME = 1;         // volume fade target
constexpr i32 SOUND_PARAMETER_VOLUME_NOW = 2;     // volume, current and target
constexpr i32 SOUND_PARAMETER_PITCH = 4;          // pitch fade target
constexpr i32 SOUND_PARAMETER_PITCH_NOW = 5;      // pitch, current and target
constexpr i32 SOUND_PARAMETER_RANDOM_PITCH = 9;   // pitch drawn around 1.0 within the value
constexpr i32 SOUND_PARAMETER_REVERB_SEND = 35;   // reverb send of a sound without node
constexpr i32 SOUND_PARAMETER_FADE_IN = 37;       // fade-in time, seconds
constexpr i32 SOUND_PARAMETER_FADE_OUT = 38;      // fade-out time, seconds
constexpr i32 SOUND_PARAMETER_DIRECT_LEVEL = 39;  // direct level of a sound without node
constexpr i32 SOUND_PARAMETER_START_DELAY = 40;   // seconds before the clip starts
constexpr i32 SOUND_PARAMETER_RELEASE_FADED = 45; // integer: release when the fade-out ends
constexpr i32 SOUND_PARAMETER_FADE_LEVEL = 46;    // fade level 0..1
constexpr i32 SOUND_PARAMETER_PITCH_RATE = 47;    // pitch fade rate := 1 / value
constexpr i32 SOUND_PARAMETER_VOLUME_RATE = 48;   // volume fade rate := 1 / value
constexpr i32 SOUND_PARAMETER_NOT_STARTED = 49;   // PlaySoundEx only: made, not started
constexpr i32 SOUND_PARAMETER_LAST = 48;

// States.
constexpr u32 SOUND_STOPPED = 0;
constexpr u32 SOUND_PLAYING = 1;
constexpr u32 SOUND_PAUSED = 2;
constexpr u32 SOUND_STOPPING = 3;

// One point of a distance curve: distance (in units of the curve distance scaler), value.
struct TSoundCurvePoint
{
    f32 fDistance;
    f32 fValue;
};

static_assert(sizeof(TSoundCurvePoint) == 8);

// A custom volume curve has this many points.
constexpr u32 SOUND_CURVE_POINTS = 5;

class TSound : public TNodeObject
{
public:
    TSound();

    virtual u32 IsPaused() = 0;
    virtual u32 IsPlaying() = 0;
    virtual u32 GetState() = 0;
    virtual u32 GetSerial() = 0;
    // Slots kept for the interface's order; no effect in this system.
    virtual i32 _Reserved0() = 0;
    virtual i32 _Reserved1(i32 argument) = 0;
    virtual TSoundParameter* FindParameter(const TName& name) = 0;
    virtual void SetParameter(i32 id, f32 value) = 0;
    virtual void SetParameterInt(i32 id, i32 value) = 0;
    virtual void Pause() = 0;
    // Resumes a paused sound when the flag is set.
    virtual void Resume(u32 flag) = 0;
    // Immediate: at once, else through the fade-out time when one is set.
    virtual void Stop(u32 immediate) = 0;
    // The start argument carries no meaning; curve: five points, or null for the default.
    virtual void Play(i32 startArgument, const TSoundCurvePoint* curve) = 0;
    virtual void _Reserved2() = 0;
    virtual void _Reserved3(i32 argument) = 0;
    // Runs the sync-point script with the value as its second argument.
    virtual void SignalSyncPoint(i32 value) = 0;

    TSoundData* pSoundData;
    TScript* pScriptStart;
    TScript* pScriptEnd;
    TScript* pScriptSyncPoint;
    // A game sound stores itself here; the sound code does not read it.
    void* pOwner;
    f32 m_fCurveDistanceScaler;
    const TSoundCurvePoint* pCurve;
};

static_assert(sizeof(TSound) == 40);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TSound, pSoundData) == 12);
static_assert(offsetof(TSound, pScriptStart) == 16);
static_assert(offsetof(TSound, pScriptEnd) == 20);
static_assert(offsetof(TSound, pScriptSyncPoint) == 24);
static_assert(offsetof(TSound, pOwner) == 28);
static_assert(offsetof(TSound, m_fCurveDistanceScaler) == 32);
static_assert(offsetof(TSound, pCurve) == 36);
#pragma GCC diagnostic pop
