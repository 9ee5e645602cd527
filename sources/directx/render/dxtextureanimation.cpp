#include "directx/render/dxtextureanimation.h"

#include "core/system/log.h"
#include "engine/render/texture.h"

#include <algorithm>
#include <cmath>

void TDxTextureAnimation::SetFrames(TTexture** frames, i32 count)
{
    m_ppFrame = frames;
    m_nFrameCount = count;
    m_nFrame = -1;
}

void TDxTextureAnimation::CutFrames(i32 textures)
{
    const i32 kept = std::clamp(m_nFrameCount, 0, textures);
    if (kept == m_nFrameCount)
        return;
    TLog::Print(g_pSystemLog, LOG_ERROR, "TDxTextureAnimation: ", "'%s': %d frames, %d textures linked",
                GetNameText(), m_nFrameCount, textures);
    m_nFrameCount = kept;
}

TTexture* TDxTextureAnimation::GetFrameTexture(i32 frame)
{
    if (frame < 0 || frame >= m_nFrameCount)
        return nullptr;
    if (m_ppFrame)
        return m_ppFrame[frame];
    return frame < aUses.GetCount() ? static_cast<TTexture*>(aUses[frame].pResource) : nullptr;
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
    // Every step, not only at a new frame: the target forgets its borrowed texture when released.
    const i32 frame = static_cast<i32>(m_fPosition);
    TTexture* texture = m_pTexture ? GetFrameTexture(frame) : nullptr;
    if (!texture || texture->Require())
        return;
    m_nFrame = frame;
    m_pTexture->m_pTexture = texture->m_pTexture;
}
