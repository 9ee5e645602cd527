#include "engine/render/textureanimation.h"

TTextureAnimation::TTextureAnimation()
    : m_ppFrame(nullptr), m_nPlaying(0), m_nLoop(0), m_fSpeed(0.0f), m_fPosition(0.0f), m_pListener(nullptr),
      m_pTexture(nullptr), m_nFrameCount(0), m_nFrame(-1)
{
}

void TTextureAnimation::Stop()
{
    m_fPosition = 0.0f;
    m_nPlaying = 0;
}
