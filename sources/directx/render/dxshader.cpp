#include "directx/render/dxshader.h"

#include "core/system/abort.h"
#include "core/system/memory.h"
#include "core/system/string.h"
#include "directx/render/dxeffectstatefilter.h"
#include "directx/render/dxshadermanager.h"
#include "engine/render/material.h"
#include "engine/render/meshdata.h"
#include "engine/render/shaderparameterplugin.h"
#include "engine/render/texture.h"
#include "platform/d3dx9/d3dx9.h"

#include <cstring>
#include <new>

namespace
{
const char* const kSlotNames[SHADER_TEXTURE_SLOTS] = {"Color0", "Color1", "Normal0", "Mask0",  "Env0",   "Env1",
                                                      "User0",  "User1",  "User2",   "User3",  "User4",  "User5",
                                                      "User6",  "User7",  "User8",   "User9",  "User10", "User11",
                                                      "User12", "User13", "User14",  "User15"};
constexpr u32 kDefineTextLength = 1024;
} // namespace

TDxShaderProgram::TDxShaderProgram()
    : nTextureSlots(0), nSharedEffect(-1), pEffect(nullptr), nTextureCount(0), nBindingCount(0)
{
    std::memset(aSampler, DX_NO_SAMPLER, sizeof(aSampler));
}

const char* TextureSlotName(u32 slot)
{
    return slot < SHADER_TEXTURE_SLOTS ? kSlotNames[slot] : "";
}

const char* TextureSlotList(u32 mask)
{
    static char s_aText[SHADER_TEXTURE_SLOTS * 9 + 1];
    s_aText[0] = 0;
    u32 length = 0;
    for (u32 slot = 0; slot < SHADER_TEXTURE_SLOTS; ++slot)
        if (mask & (1u << slot))
        {
            s_aText[length++] = ' ';
            for (const char* c = kSlotNames[slot]; *c; ++c)
                s_aText[length++] = static_cast<char>(*c >= 'A' && *c <= 'Z' ? *c + 32 : *c);
            s_aText[length] = 0;
        }
    return s_aText;
}

u32 MaterialTextureMask(const TMaterial* material)
{
    u32 mask = 0;
    if (material)
        for (u32 slot = 0; slot < SHADER_TEXTURE_SLOTS; ++slot)
            if (material->aTexture[slot])
                mask |= 1u << slot;
    return mask;
}

TShaderParameter* TDxShader::FindParameter(const TName& name)
{
    for (u32 i = 0; i < m_aParameter.GetCount(); ++i)
        if (m_aParameter[i].Name == name)
            return &m_aParameter[i].Parameter;
    return nullptr;
}

TShaderParameterEntry* TDxShader::_AddLocalParameter(const TName& name)
{
    if (m_aParameter.GetCount() == SHADER_PARAMETER_CAPACITY)
        return nullptr;
    u32 at = 0;
    while (at < m_aParameter.GetCount() && m_aParameter[at].Name < name)
        ++at;
    m_aParameter.SetCount(m_aParameter.GetCount() + 1);
    // Entries move as bytes: their virtual tables stay those of local parameters.
    for (u32 i = m_aParameter.GetCount() - 1; i > at; --i)
        std::memcpy(static_cast<void*>(&m_aParameter[i]), &m_aParameter[i - 1], sizeof(TShaderParameterEntry));
    TShaderParameterEntry& entry = m_aParameter[at];
    entry.Name = name;
    new (&entry.Parameter) TDxShaderLocalParameter();
    entry.Parameter.m_Name = name;
    entry.Parameter.m_nFlags = SHADER_PARAMETER_PLUGIN;
    return &entry;
}

void TDxShader::SetDefine(const TName& name, const TName& value)
{
    u32 at = 0;
    while (at < m_aDefine.GetCount() && m_aDefine[at].Name < name)
        ++at;
    if (at < m_aDefine.GetCount() && m_aDefine[at].Name == name)
        m_aDefine[at].Value = value;
    else
    {
        if (m_aDefine.GetCount() == SHADER_DEFINE_CAPACITY)
            __Abort("TDxShader::SetDefine", "dxshader.cpp", __LINE__, "count too big");
        m_aDefine.SetCount(m_aDefine.GetCount() + 1);
        for (u32 i = m_aDefine.GetCount() - 1; i > at; --i)
            m_aDefine[i] = m_aDefine[i - 1];
        m_aDefine[at] = {name, value};
    }
    _RebuildDefineText();
}

void TDxShader::RemoveDefine(const TName& name)
{
    for (u32 at = 0; at < m_aDefine.GetCount(); ++at)
        if (m_aDefine[at].Name == name)
        {
            for (u32 i = at; i + 1 < m_aDefine.GetCount(); ++i)
                m_aDefine[i] = m_aDefine[i + 1];
            m_aDefine.SetCount(m_aDefine.GetCount() - 1);
            _RebuildDefineText();
            return;
        }
}

void TDxShader::_RebuildDefineText()
{
    if (m_aDefine.GetCount() == 0)
    {
        m_DefineText.Clear();
        return;
    }
    char text[kDefineTextLength + 1];
    u32 length = 0;
    for (u32 i = 0; i < m_aDefine.GetCount(); ++i)
    {
        const i32 written = FormatStringN(text + length, kDefineTextLength + 1 - length, "%s=%s|",
                                          m_aDefine[i].Name.GetText(), m_aDefine[i].Value.GetText());
        if (written < 0)
            break;
        length += static_cast<u32>(written);
        if (length >= kDefineTextLength)
        {
            length = kDefineTextLength;
            break;
        }
    }
    text[length] = 0;
    m_DefineText.Set(text, true);
}

TShader* TDxShader::SetTexture(u32 slot, TTexture* texture)
{
    if (slot >= SHADER_TEXTURE_SLOTS)
        return this;
    aTexture[slot] = texture;
    if (texture)
        m_nTextureMask |= 1u << slot;
    else
        m_nTextureMask &= ~(1u << slot);
    return this;
}

i32 TDxShader::Begin(TNodeObject* object, const TMeshDescription* mesh, TMaterial* material)
{
    if (Require())
        return 1;
    const u32 materialMask = MaterialTextureMask(material);
    TDxShaderProgram* program = _Compile(mesh, materialMask, object);
    if (!program->pEffect)
        return 1;
    // A surface whose own texture is still being read waits for it: unbound, it would draw black.
    for (u32 i = 0; material && i < program->nTextureCount; ++i)
    {
        TTexture* texture = material->aTexture[program->aTexture[i].nSlot];
        if (texture && texture->Require())
            return 1;
    }
    m_pProgram = program;
    m_nBeginTextureMask = m_nTextureMask;
    for (u32 i = 0; i < program->nBindingCount; ++i)
        program->aBinding[i].pPlugin->Apply(object, this, &program->aBinding[i].Parameter, material, mesh);
    const u32 mask = m_nTextureMask | materialMask;
    UINT passes = 0;
    g_pDxEffectStateFilter->SetTextureSuppression(1);
    program->pEffect->Begin(&passes, D3DXFX_DONOTSAVESTATE);
    program->pEffect->BeginPass(0);
    g_pDxEffectStateFilter->SetTextureSuppression(0);
    for (u32 i = 0; i < program->nTextureCount; ++i)
    {
        const u32 slot = program->aTexture[i].nSlot;
        if (!(mask & (1u << slot)))
            continue;
        TTexture* texture = material && material->aTexture[slot] ? material->aTexture[slot] : aTexture[slot];
        if (!texture || texture->Require())
            continue;
        const u8 sampler = program->aSampler[slot];
        if (sampler == DX_NO_SAMPLER)
            continue;
        g_pDxEffectStateFilter->SetTexture(sampler & 0xF, texture->m_pTexture);
        if (sampler > 15)
            g_pDxEffectStateFilter->SetTexture(sampler >> 4, texture->m_pTexture);
    }
    g_pDxEffectStateFilter->Sweep();
    return 0;
}

void TDxShader::End()
{
    if (!m_pProgram)
        return;
    m_pProgram->pEffect->EndPass();
    m_pProgram->pEffect->End();
    m_pProgram = nullptr;
    // Textures plug-ins put into slots during the draw leave with it.
    const u32 remembered = m_nBeginTextureMask;
    if (m_nTextureMask != remembered)
    {
        for (u32 slot = 0; slot < SHADER_TEXTURE_SLOTS; ++slot)
            if ((m_nTextureMask & (1u << slot)) && !(remembered & (1u << slot)))
                aTexture[slot] = nullptr;
        m_nTextureMask = remembered;
    }
}

i32 TDxShader::_FindLookup(const TShaderProgramKey& key) const
{
    i32 low = 0;
    i32 high = m_aLookup.GetCount() - 1;
    while (low <= high)
    {
        const i32 middle = (low + high) / 2;
        const i32 order = std::memcmp(&m_aLookup[middle].Key, &key, sizeof(key));
        if (order == 0)
            return middle;
        if (order < 0)
            low = middle + 1;
        else
            high = middle - 1;
    }
    return -1 - low;
}

void TDxShader::_InsertLookup(const TShaderProgramKey& key, TDxShaderProgram* program)
{
    i32 at = _FindLookup(key);
    if (at >= 0)
    {
        m_aLookup[at].pProgram = program;
        return;
    }
    at = -1 - at;
    m_aLookup.SetCount(m_aLookup.GetCount() + 1);
    for (i32 i = m_aLookup.GetCount() - 1; i > at; --i)
        m_aLookup[i] = m_aLookup[i - 1];
    m_aLookup[at] = {key, program};
}
