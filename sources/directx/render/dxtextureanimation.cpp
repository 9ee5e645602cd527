#include "directx/render/dxtextureanimation.h"

#include "engine/render/texture.h"

#include <cmath>

void TDxTextureAnimation::SetFrames(TTexture** frames, i32 count)
{
    m_ppFrame = frames;
    m_nFrameCount = count;
    m_nFrame = -1;
}

TTexture* TDxTextureAnimation::GetFrameTexture(i32 frame)
{
    if (frame < 0 || frame >= m_nFrameCount || !m_ppFrame)
        return nullptr;
    return m_ppFrame[frame];
}

void TDxTextureAnimation::Update(f32 seconds)
{
    if (Require() || m_nFrameCount <= 0)
        return;
    if (m_nPlaying)
    {
        const f32 count = static_cast<f32>(m_nFrameCount);
        m_fPosition += m_fSpeed * seconds;
        if (m_fPosition >= count)
        {
            if (!m_nLoop)
            {
                Stop();
                m_fPosition = count - 1.0f;
            }
            else
                m_fPosition = std::fmod(m_fPosition, count);
            if (m_pListener)
                m_pListener->OnTextureAnimationEnd(this);
        }
    }
    const i32 frame = static_cast<i32>(m_fPosition);
    if (frame == m_nFrame || !m_pTexture)
        return;
    TTexture* texture = GetFrameTexture(frame);
    if (!texture || texture->Require())
        return;
    m_nFrame = frame;
    m_pTexture->m_pTexture = texture->m_pTexture;
}
