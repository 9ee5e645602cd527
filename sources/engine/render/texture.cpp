#include "engine/render/texture.h"

TTexture::TTexture()
    : m_nFlags(0), m_nWidth(0), m_nHeight(0), m_nDepth(0), m_nLevels(0), m_nType(TEXTURE_2D), m_nFormat(0),
      m_pTexture(nullptr), m_pStaging(nullptr), m_nD3DFormat(0), m_nByteSize(0), m_nPending(0), m_nAnimation(-1)
{
}

