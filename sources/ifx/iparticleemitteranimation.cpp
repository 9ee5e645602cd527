#include "ifx/iparticleemitteranimation.h"

#include "core/system/abort.h"

#include <cstring>

namespace
{
const char* const kSource = "sources/ifx/ifx";
constexpr f32 DEFAULT_FRAME_DURATION = 15.0f;
} // namespace

TParticleEmitterAnimation::TParticleEmitterAnimation()
{
    std::memset(reinterpret_cast<u8*>(this) + sizeof(TResource), 0,
                sizeof(TParticleEmitterAnimation) - sizeof(TResource));
}

TIParticleEmitterAnimation::TIParticleEmitterAnimation()
{
    m_fFrameDuration = DEFAULT_FRAME_DURATION;
}

void TIParticleEmitterAnimation::SetTime(f32 time)
{
    if (m_fFrameDuration != 0.0f)
        m_fPosition = time / m_fFrameDuration;
}

void TIParticleEmitterAnimation::SetDuration(f32 duration)
{
    // Without frames there is no frame to give the duration to.
    if (m_nFrameCount != 0)
        m_fFrameDuration = duration / static_cast<f32>(m_nFrameCount);
}

void TIParticleEmitterAnimation::Play()
{
    __Abort("TIParticleEmitterAnimation::Play", kSource, __LINE__, "unimplemented");
}

void TIParticleEmitterAnimation::Stop()
{
    __Abort("TIParticleEmitterAnimation::Stop", kSource, __LINE__, "unimplemented");
}

void TIParticleEmitterAnimation::Pause()
{
    __Abort("TIParticleEmitterAnimation::Pause", kSource, __LINE__, "unimplemented");
}

void TIParticleEmitterAnimation::SetLoop(u32)
{
    __Abort("TIParticleEmitterAnimation::SetLoop", kSource, __LINE__, "unimplemented");
}

TParticleEmitterData* TIParticleEmitterAnimation::GetCurrentFrameData()
{
    __Abort("TIParticleEmitterAnimation::GetCurrentFrameData", kSource, __LINE__, "unimplemented");
}
