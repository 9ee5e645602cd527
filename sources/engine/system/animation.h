#pragma once
// TAnimation (stored type 56, 172 bytes): one playing instance of an animation data on one
// skeleton: play position in frames, speed, looping, optional per-track weights and up to 16
// timed events whose functions run on the main thread. The animation manager advances it at
// the fixed rate and fires its events once per frame; the skeleton's blend program samples it.
#include "core/system/types.h"
#include "engine/system/animationkey.h"

class TAnimationData;
class TScript;
class TSkeleton;

// States.
constexpr u32 ANIMATION_STOPPED = 0;
constexpr u32 ANIMATION_PLAYING = 1;
constexpr u32 ANIMATION_PAUSED = 2;
// Flags: advanced with the timer's frame time before the game's time scale and pause apply.
constexpr u32 ANIMATION_REAL_TIME = 0x1;
// Play flags.
constexpr u32 ANIMATION_PLAY_RESUME = 0x1;   // a stopped animation keeps its position
constexpr u32 ANIMATION_PLAY_RESET_SPEED = 0x2; // speed 1.0 first
constexpr u32 ANIMATION_PLAY_BACKWARD = 0x4;
constexpr u32 ANIMATION_BONE_CAPACITY = 60;
// A bone map entry of a bone that no track drives.
constexpr u8 ANIMATION_NO_TRACK = 255;

class TAnimation
{
public:
    // The data's length in frames; 0 without data.
    f32 GetLength() const;
    // Sets the time and re-arms the events: the next one is the first whose time is later.
    void SetTime(f32 time);
    // loop: -1 keeps the loop switch. See the ANIMATION_PLAY_ flags.
    void Play(i32 loop, u32 flags);
    void Stop() { m_nState = ANIMATION_STOPPED; }
    // Advances the position by step seconds (only while playing with loaded data).
    void Update(f32 step);
    // Runs the functions of the events due at the current time, in table order.
    void FireEvents();
    // The key of the bone at the current time, weighted by its track's weight; false when no
    // track of the data drives the bone.
    bool SampleBone(u32 bone, TAnimationKey& out) const;
    // Loaded records: run-time pointers the writer's words cannot hold are cleared.
    void ForgetRunTimeLinks() { m_pTrackWeights = nullptr; }

    u32 m_nState;
    u32 m_nFlags;
    f32 m_fTime;
    f32 m_fTimeScale;
    u32 m_nLoop;
    f32 m_fSpeed;
    i32 m_nNextEvent;
    TSkeleton* pSkeleton;
    TAnimationData* pAnimationData;
    // Optional: the weight of track t is entry t + 1.
    const f32* m_pTrackWeights;
    u32 m_nReserved40;
    TScript* aEventFunction[16];
    // For each skeleton bone the track that drives it; ANIMATION_NO_TRACK for none.
    u8 aBoneMap[ANIMATION_BONE_CAPACITY];
    u32 m_nReserved168;
};

static_assert(sizeof(TAnimation) == 172);
static_assert(offsetof(TAnimation, m_nState) == 0);
static_assert(offsetof(TAnimation, m_nFlags) == 4);
static_assert(offsetof(TAnimation, m_fTime) == 8);
static_assert(offsetof(TAnimation, m_fTimeScale) == 12);
static_assert(offsetof(TAnimation, m_nLoop) == 16);
static_assert(offsetof(TAnimation, m_fSpeed) == 20);
static_assert(offsetof(TAnimation, m_nNextEvent) == 24);
static_assert(offsetof(TAnimation, pSkeleton) == 28);
static_assert(offsetof(TAnimation, pAnimationData) == 32);
static_assert(offsetof(TAnimation, m_pTrackWeights) == 36);
static_assert(offsetof(TAnimation, aEventFunction) == 44);
static_assert(offsetof(TAnimation, aBoneMap) == 108);
