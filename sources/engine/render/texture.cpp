#include "engine/render/texture.h"

TTexture::TTexture()
    : m_nFlags(0), m_nWidth(0), m_nHeight(0), m_nDepth(0), m_nLevels(0), m_nType(TEXTURE_2D), m_nFormat(0),
      m_pTexture(nullptr), m_pStaging(nullptr), m_nD3DFormat(0), m_nByteSize(0), m_nPending(0), m_nAnimation(-1)
{
}


const u32* TTexture::GetPixels()
{
    if (m_aLevel.GetCount() == 0 || (m_nFlags & TEXTURE_COMPRESSED) || m_nWidth <= 0 || m_nHeight <= 0)
        return nullptr;
    const TTextureLevel& top = m_aLevel[0];
    const u64 bytes = static_cast<u64>(m_nWidth) * 4 * static_cast<u64>(m_nHeight);
    if (top.nPitch != static_cast<u64>(m_nWidth) * 4 || top.nSize < bytes)
        return nullptr;
    return reinterpret_cast<const u32*>(GetData(top.nOffset, static_cast<u32>(bytes)));
}
