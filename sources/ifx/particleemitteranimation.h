#pragma once
// TParticleEmitterAnimation (stored type 86, 6,388 bytes): eight emitter-data images as the
// frames of an animation. Its playback is declared but not built: the operations that would
// play it end the program ("unimplemented"), and nothing of the module reads the frames.
#include "engine/system/resource.h"
#include "ifx/particleemitterdata.h"

class TParticleEmitterData;

constexpr u32 PARTICLE_ANIMATION_FRAMES = 8;
constexpr u32 PARTICLE_ANIMATION_PLAYING = 1;
constexpr u32 PARTICLE_ANIMATION_LOOPING = 2;

class TParticleEmitterAnimation : public TResource
{
public:
    virtual u32 IsPlaying() = 0;
    virtual u32 IsLooping() = 0;
    // Position x frame duration.
    virtual f32 GetTime() = 0;
    virtual f32 GetPosition() = 0;
    // Frame count x frame duration.
    virtual f32 GetDuration() = 0;
    virtual f32 GetFrameDuration() = 0;
    virtual void SetTime(f32 time) = 0;
    virtual void SetPosition(f32 position) = 0;
    // Frame duration := duration / frame count; ignored without frames.
    virtual void SetDuration(f32 duration) = 0;
    virtual void SetFrameDuration(f32 duration) = 0;
    virtual void Play() = 0;
    virtual void Stop() = 0;
    virtual void Pause() = 0;
    virtual void SetLoop(u32 loop) = 0;
    virtual i32 GetFrameCount() = 0;
    virtual TParticleEmitterData* GetCurrentFrameData() = 0;

    u32 m_nFlags;
    f32 m_fFrameDuration;
    // In frames.
    f32 m_fPosition;
    i32 m_nFrameCount;
    // The frames' stored images; their references are fixed up by the load.
    alignas(4) u8 aFrame[PARTICLE_ANIMATION_FRAMES][sizeof(TParticleEmitterData)];

protected:
    TParticleEmitterAnimation();
};

static_assert(sizeof(TParticleEmitterAnimation) == 6388);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TParticleEmitterAnimation, m_nFlags) == 68);
static_assert(offsetof(TParticleEmitterAnimation, m_nFrameCount) == 80);
static_assert(offsetof(TParticleEmitterAnimation, aFrame) == 84);
#pragma GCC diagnostic pop
