#include "engine/system/animation.h"

#include "engine/system/animationdata.h"
#include "engine/system/script.h"
#include "engine/system/scriptargument.h"

#include <cmath>

f32 TAnimation::GetLength() const
{
    return pAnimationData ? static_cast<f32>(pAnimationData->m_nLength) : 0.0f;
}

void TAnimation::SetTime(f32 time)
{
    m_fTime = time;
    m_nNextEvent = 0;
    if (!pAnimationData)
        return;
    const u32 count = pAnimationData->GetEventCount();
    while (static_cast<u32>(m_nNextEvent) < count && pAnimationData->aEvent[m_nNextEvent].fTime <= time)
        ++m_nNextEvent;
}

void TAnimation::Play(i32 loop, u32 flags)
{
    if (loop != -1)
        m_nLoop = static_cast<u32>(loop);
    if (flags & ANIMATION_PLAY_RESET_SPEED)
        m_fSpeed = 1.0f;
    m_fSpeed = std::fabs(m_fSpeed);
    if (flags & ANIMATION_PLAY_BACKWARD)
        m_fSpeed = -m_fSpeed;
    if (m_nState == ANIMATION_STOPPED)
    {
        m_nState = ANIMATION_PLAYING;
        if (!(flags & ANIMATION_PLAY_RESUME))
        {
            m_fTime = (flags & ANIMATION_PLAY_BACKWARD) ? GetLength() : 0.0f;
            m_nNextEvent = 0;
        }
    }
    else if (m_nState == ANIMATION_PAUSED)
        m_nState = ANIMATION_PLAYING;
}

void TAnimation::Update(f32 step)
{
    if (m_nState != ANIMATION_PLAYING || !pAnimationData || !pAnimationData->IsLoaded() || m_fSpeed == 0.0f)
        return;
    const f32 length = GetLength();
    m_fTime += m_fTimeScale * m_fSpeed * step;
    if (m_fSpeed > 0.0f && m_fTime >= length)
    {
        if (!m_nLoop)
        {
            m_fTime = length;
            m_nState = ANIMATION_STOPPED;
            return;
        }
        m_fTime = length > 0.0f ? std::fmod(m_fTime, length) : 0.0f;
        m_nNextEvent = 0;
    }
    else if (m_fSpeed < 0.0f && m_fTime < 0.0f)
    {
        if (!m_nLoop)
        {
            m_fTime = 0.0f;
            m_nState = ANIMATION_STOPPED;
            return;
        }
        // Wrapped from the end by what lies below 0, so the time stays within [0, length].
        m_fTime = length > 0.0f ? length - std::fmod(std::fabs(m_fTime), length) : 0.0f;
        m_nNextEvent = 0;
    }
}

void TAnimation::FireEvents()
{
    if (!pAnimationData || m_nNextEvent < 0)
        return;
    const u32 count = pAnimationData->GetEventCount();
    while (static_cast<u32>(m_nNextEvent) < count && pAnimationData->aEvent[m_nNextEvent].fTime <= m_fTime)
    {
        if (TScript* function = aEventFunction[m_nNextEvent])
        {
            function->SetArgument(0, ScriptObjectArgument(this));
            function->Run(nullptr);
        }
        ++m_nNextEvent;
    }
}

bool TAnimation::SampleBone(u32 bone, TAnimationKey& out) const
{
    if (bone >= ANIMATION_BONE_CAPACITY || aBoneMap[bone] == ANIMATION_NO_TRACK || !pAnimationData)
        return false;
    const u32 track = aBoneMap[bone];
    if (!pAnimationData->SampleTrack(out, track, m_fTime))
        return false;
    if (m_pTrackWeights)
    {
        // Weight 1 keeps the sample, smaller weights shrink it towards the zero key.
        static const TAnimationKey s_Zero{};
        InterpolateKey(s_Zero, out, m_pTrackWeights[track + 1], out);
    }
    return true;
}
