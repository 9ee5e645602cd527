#pragma once
// Animation data whose keys live in a repository image of its own, and an animation playing it.
#include "engine/system/animation.h"
#include "engine/system/animationdata.h"
#include "engine/system/repository.h"

#include <cmath>
#include <cstring>
#include <vector>

inline TAnimationKey Key(f32 x, f32 y, f32 z, const TQuaternion& rotation = TQuaternion(0, 0, 0, 1), f32 scale = 1.0f)
{
    TAnimationKey key;
    key.SetRotation(rotation);
    const f32 position[4] = {x, y, z, 1.0f};
    const f32 scales[4] = {scale, scale, scale, 1.0f};
    std::memcpy(key.aPosition, position, sizeof position);
    std::memcpy(key.aScale, scales, sizeof scales);
    return key;
}

inline TQuaternion AboutZ(f32 degrees)
{
    const f32 half = degrees * 3.14159265f / 360.0f;
    return TQuaternion(0.0f, 0.0f, std::sin(half), std::cos(half));
}

// Animation data whose keys live in a repository image of its own.
struct TTestAnimation
{
    TTestAnimation(i32 length, const std::vector<TAnimationKey>& keys, u32 tracks = 1)
        : m_aKeys(keys), m_Repository(m_aKeys.data(), static_cast<u32>(m_aKeys.size() * sizeof(TAnimationKey)))
    {
        data.m_Name.Set("test_animation", true);
        data.m_nLength = length;
        data.m_nTrackCount = tracks;
        data.SetData(&m_Repository, 0, static_cast<u32>(m_aKeys.size() * sizeof(TAnimationKey)));
        std::memset(&animation, 0, sizeof animation);
        animation.pAnimationData = &data;
        animation.m_fTimeScale = 1.0f;
        animation.m_fSpeed = 1.0f;
        std::memset(animation.aBoneMap, ANIMATION_NO_TRACK, sizeof animation.aBoneMap);
    }
    ~TTestAnimation() { data.Unload(); }

    void AddEvent(f32 time, TScript* function)
    {
        data.aEvent[data.m_nEventCount] = {time, 0};
        animation.aEventFunction[data.m_nEventCount++] = function;
    }

    std::vector<TAnimationKey> m_aKeys;
    TRepository m_Repository;
    TAnimationData data;
    TAnimation animation;
};

