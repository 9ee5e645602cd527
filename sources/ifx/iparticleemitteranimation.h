#pragma once
// TIParticleEmitterAnimation: the animation's accessors; playing it is not built.
#include "ifx/particleemitteranimation.h"

class TIParticleEmitterAnimation : public TParticleEmitterAnimation
{
public:
    // Frame duration 15 s, position 0, no frames.
    TIParticleEmitterAnimation();

    u32 IsPlaying() override { return m_nFlags & PARTICLE_ANIMATION_PLAYING ? 1 : 0; }
    u32 IsLooping() override { return m_nFlags & PARTICLE_ANIMATION_LOOPING ? 1 : 0; }
    f32 GetTime() override { return m_fPosition * m_fFrameDuration; }
    f32 GetPosition() override { return m_fPosition; }
    f32 GetDuration() override { return static_cast<f32>(m_nFrameCount) * m_fFrameDuration; }
    f32 GetFrameDuration() override { return m_fFrameDuration; }
    void SetTime(f32 time) override;
    void SetPosition(f32 position) override { m_fPosition = position; }
    void SetDuration(f32 duration) override;
    void SetFrameDuration(f32 duration) override { m_fFrameDuration = duration; }
    void Play() override;
    void Stop() override;
    void Pause() override;
    void SetLoop(u32 loop) override;
    i32 GetFrameCount() override { return m_nFrameCount; }
    TParticleEmitterData* GetCurrentFrameData() override;
};
