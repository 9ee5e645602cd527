#include "engine/render/shader.h"

#include "core/system/log.h"

#include <cstring>

TShader::TShader()
{
    // The layout after the resource part starts zeroed: no textures, parameters or programs.
    std::memset(reinterpret_cast<u8*>(this) + sizeof(TResource), 0, sizeof(TShader) - sizeof(TResource));
}

TShader* TShader::SetTexture(u32 slot, TTexture* texture)
{
    if (slot >= SHADER_TEXTURE_SLOTS)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TShader::SetTexture(): error: ", "no texture slot %u", slot);
        return this;
    }
    aTexture[slot] = texture;
    if (texture)
        m_nTextureMask |= 1u << slot;
    else
        m_nTextureMask &= ~(1u << slot);
    return this;
}

void TShader::RebuildMask()
{
    m_nTextureMask = 0;
    for (u32 slot = 0; slot < SHADER_TEXTURE_SLOTS; ++slot)
        if (aTexture[slot])
            m_nTextureMask |= 1u << slot;
}

void TShader::CopyDefines(const TShader& other)
{
    m_aDefine = other.m_aDefine;
    m_DefineText = other.m_DefineText;
}
