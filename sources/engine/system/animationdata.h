#pragma once
// TAnimationData (stored type 55, 516 bytes): one skeletal animation as a resource: for every
// track (one per bone it drives) one key per whole frame, frames 0 .. length. The keys stay in
// the repository: Load points the key array at the resource's bytes, which it does not own.
#include "core/system/templates/darray.h"
#include "core/system/types.h"
#include "engine/system/animationkey.h"
#include "engine/system/resource.h"

#include <cstring>

constexpr u32 ANIMATION_EVENT_CAPACITY = 16;
constexpr u32 ANIMATION_TRACK_CAPACITY = 60;
// Interpolation: keys are not interpolated.
constexpr i32 ANIMATION_INTERPOLATION_STEP = 2;
// Flags: bones the animation does not drive keep their previous matrix.
constexpr u32 ANIMATION_KEEP_UNDRIVEN = 0x1;

struct TAnimationEvent
{
    // Frames.
    f32 fTime;
    // Carried for the event's function; not read here.
    u32 nWord;
};

static_assert(sizeof(TAnimationEvent) == 8);

class TAnimationData : public TResource
{
public:
    TAnimationData() { std::memset(reinterpret_cast<u8*>(this) + 68, 0, sizeof(*this) - 68); }

    // Checks that the resource's bytes hold every key (tracks x (length + 1) x 40 bytes) and
    // points the key array at them; data that does not hold them is refused with a log line and
    // stays unloaded without being tried again.
    i32 Load() override;
    // Empties the key array (it owns nothing).
    i32 Release() override;

    // The events the table really holds (the stored count is at most 16).
    u32 GetEventCount() const;
    // The key of the track at a time in frames, clamped to [0, length]; false when the track
    // has no keys.
    bool SampleTrack(TAnimationKey& out, u32 track, f32 time) const;

    i32 m_nLength;
    i32 m_nInterpolation;
    u32 m_nFlags;
    i32 m_nEventCount;
    TAnimationEvent aEvent[ANIMATION_EVENT_CAPACITY];
    TAnimationKey m_RootKey;
    u32 m_nTrackCount;
    u32 aTrackName[ANIMATION_TRACK_CAPACITY];
    DArray<TAnimationKey> aKey;
    u8 m_aReserved508[8];
};

// SampleTrack as a function of the data.
inline bool SampleTrack(const TAnimationData& data, TAnimationKey& out, u32 track, f32 time)
{
    return data.SampleTrack(out, track, time);
}

static_assert(sizeof(TAnimationData) == 516);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TAnimationData, m_nLength) == 68);
static_assert(offsetof(TAnimationData, m_nInterpolation) == 72);
static_assert(offsetof(TAnimationData, m_nFlags) == 76);
static_assert(offsetof(TAnimationData, m_nEventCount) == 80);
static_assert(offsetof(TAnimationData, aEvent) == 84);
static_assert(offsetof(TAnimationData, m_RootKey) == 212);
static_assert(offsetof(TAnimationData, m_nTrackCount) == 252);
static_assert(offsetof(TAnimationData, aTrackName) == 256);
static_assert(offsetof(TAnimationData, aKey) == 496);
#pragma GCC diagnostic pop
// Where loaded records' key arrays are cleared.
constexpr u32 ANIMATION_DATA_KEYS_OFFSET = 496;
#pragma GCC diagnostic push
#pragma GCC diagnostic pop
