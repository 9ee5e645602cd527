// Shader loading: the data block inflated, one effect per program record, the parameters and
// textures each effect takes; and the lookup of a draw's program.
#include "directx/render/dxshader.h"

#include "core/compression/compressedfile.h"
#include "core/system/abort.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "directx/render/dxeffectstatefilter.h"
#include "directx/render/dxshadermanager.h"
#include "engine/render/device.h"
#include "engine/render/meshdata.h"
#include "engine/render/shaderparameterplugin.h"
#include "engine/render/texture.h"
#include "engine/render/texturemanager.h"
#include "engine/system/node.h"
#include "engine/system/nodeobject.h"
#include "platform/d3dx9/d3dx9.h"

#include <cstring>
#include <string>
#include <zlib.h>

namespace
{
const char* const kPrepareError = "TDxShader::_Prepare(): error: ";
const char* const kLoadError = "TDxShader::Load(): error: ";
constexpr u32 kInflateDone = Z_STREAM_END;

bool HasAnnotation(ID3DXEffect* effect, D3DXHANDLE parameter, const char* name)
{
    return effect->GetAnnotationByName(parameter, name) != nullptr;
}
} // namespace

i32 TDxShader::Load()
{
    TDxShaderManager& manager = *g_pDxShaderManager;
    const u32 programs = static_cast<u32>(m_aProgramData.GetCount());
    // Until its first load the run-time words are the writer's (a damaged image may hold any):
    // none of them is ours to use or free.
    if (!IsLoaded())
    {
        m_ppEffect = nullptr;
        m_pProgram = nullptr;
        m_aLookup.MarkForeign();
        for (u32 i = 0; i < m_aParameter.GetCount(); ++i)
        {
            TShaderParameter& parameter = m_aParameter[i].Parameter;
            parameter.m_pHandles = nullptr;
            parameter.m_pHandle = nullptr;
            parameter.m_pEffect = nullptr;
        }
    }
    m_aLookup.SetCount(0);
    if (!m_ppEffect)
    {
        if (!manager.TakeEffectPointers(programs + 1))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "'%s': effect pointers used up", GetNameText());
            SetLoaded(0);
            return 1;
        }
        m_ppEffect = static_cast<ID3DXEffect**>(MemoryAllocate((programs + 1) * sizeof(ID3DXEffect*)));
    }
    m_nEffectCount = 0;
    u8* data = nullptr;
    if (m_nDataSize)
    {
        // The stored block must inflate to exactly the size the shader gives.
        const u8* stored = GetData(0, m_nStoredSize);
        data = static_cast<u8*>(MemoryAllocate(m_nDataSize));
        u32 produced = m_nDataSize;
        if (!stored || !data || InflateBuffer(stored, m_nStoredSize, data, &produced) != i32(kInflateDone) ||
            produced != m_nDataSize)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "'%s': data block does not inflate to %u bytes",
                        GetNameText(), m_nDataSize);
            MemoryFree(data);
            Release();
            SetLoaded(0);
            return 1;
        }
        g_pDeviceManager->GetStatistics()->nShaders += m_nDataSize;
    }
    for (u32 i = 0; i < programs; ++i)
    {
        const TDxShaderProgramData& record = m_aProgramData[static_cast<i32>(i)];
        const bool shared = record.nDataSize == 0;
        // A shared program names an effect made before it: one of a skipped program does not exist.
        const bool inside = shared ? record.nDataOffset < m_nEffectCount
                                   : record.nDataOffset <= m_nDataSize && record.nDataSize <= m_nDataSize - record.nDataOffset;
        if (!inside)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "'%s': program %u lies outside the data (%u+%u of %u)",
                        GetNameText(), i, record.nDataOffset, record.nDataSize, m_nDataSize);
            continue;
        }
        if (!manager.TakePrograms(1))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "'%s': programs used up", GetNameText());
            break;
        }
        TDxShaderProgram* program = MemoryNew<TDxShaderProgram>();
        _InsertLookup(record.Key, program);
        program->nTextureSlots = record.nTextureSlots;
        std::memcpy(program->aSampler, record.aSampler, sizeof(program->aSampler));
        if (shared)
            program->nSharedEffect = static_cast<i32>(record.nDataOffset);
        _Prepare(program, data ? data + record.nDataOffset : nullptr, record.nDataSize);
    }
    SetLoaded(1);
    MemoryFree(data);
    return 0;
}

i32 TDxShader::Release()
{
    TDxShaderManager& manager = *g_pDxShaderManager;
    if (m_nDataSize && m_nEffectCount)
        g_pDeviceManager->GetStatistics()->nShaders -= m_nDataSize;
    for (i32 i = 0; i < m_aLookup.GetCount(); ++i)
    {
        TDxShaderProgram* program = m_aLookup[i].pProgram;
        manager.GiveBindings(program->nBindingCount);
        if (program->nSharedEffect < 0 && program->pEffect)
            program->pEffect->Release();
        MemoryDelete(program);
        manager.GivePrograms(1);
    }
    // Shaders of a loaded image are never destroyed: the lookup's storage goes here.
    m_aLookup.Free();
    for (u32 i = 0; i < m_aParameter.GetCount(); ++i)
    {
        TShaderParameter& parameter = m_aParameter[i].Parameter;
        MemoryFree(parameter.m_pHandles);
        parameter.m_pHandles = nullptr;
        parameter.m_pHandle = nullptr;
        parameter.m_pEffect = nullptr;
    }
    MemoryFree(m_ppEffect);
    m_ppEffect = nullptr;
    m_nEffectCount = 0;
    m_pProgram = nullptr;
    return 0;
}

i32 TDxShader::OnDeviceLost()
{
    for (i32 i = 0; i < m_aLookup.GetCount(); ++i)
    {
        TDxShaderProgram* program = m_aLookup[i].pProgram;
        if (!program->pEffect)
            continue;
        for (u32 t = 0; t < program->nTextureCount; ++t)
            program->aTexture[t].pParameter->SetTexture(nullptr);
        program->pEffect->OnLostDevice();
    }
    return 0;
}

i32 TDxShader::OnDeviceReset()
{
    for (i32 i = 0; i < m_aLookup.GetCount(); ++i)
        if (m_aLookup[i].pProgram->pEffect)
            m_aLookup[i].pProgram->pEffect->OnResetDevice();
    return 0;
}

void TDxShader::_Prepare(TDxShaderProgram* program, const void* data, u32 size)
{
    TDxShaderManager& manager = *g_pDxShaderManager;
    const u32 index = m_nEffectCount;
    if (program->nSharedEffect >= 0)
        program->pEffect = m_ppEffect[program->nSharedEffect];
    else
    {
        ID3DXBuffer* errors = nullptr;
        g_pDeviceManager->Lock();
        const HRESULT result = D3DXCreateEffectEx(g_pDeviceManager->GetDevice(), data, size, nullptr, nullptr, nullptr,
                                                  D3DXFX_NOT_CLONEABLE | D3DXSHADER_SKIPVALIDATION, manager.m_pPool,
                                                  &program->pEffect, &errors);
        g_pDeviceManager->Unlock();
        if (FAILED(result))
        {
            const std::string call = "D3DXCreateEffectEx( iDevice , data, size, 0, 0, 0, D3DXFX_NOT_CLONEABLE | "
                                     "D3DXSHADER_SKIPVALIDATION , ((TDxShaderManager*)pShaderMng)->pGlobalEffectPool, "
                                     "&pCEffect, &pError ) error: 0x%08x";
            if (errors)
                TLog::Print(g_pSystemLog, LOG_ERROR, kPrepareError, (call + " info: %s").c_str(), result,
                            static_cast<const char*>(errors->GetBufferPointer()));
            else
                TLog::Print(g_pSystemLog, LOG_ERROR, kPrepareError, (call + " (no info)").c_str(), result);
            // Without an effect the program stays in the lookup, unusable: its draws draw nothing.
            program->pEffect = nullptr;
        }
        if (errors)
            errors->Release();
        if (program->pEffect)
            program->pEffect->SetStateManager(g_pDxEffectStateFilter);
    }
    m_ppEffect[m_nEffectCount++] = program->pEffect;
    ID3DXEffect* effect = program->pEffect;
    if (!effect)
        return;
    D3DXHANDLE technique = effect->GetTechniqueByName("defaultshader");
    effect->SetTechnique(technique);

    D3DXEFFECT_DESC description = {};
    effect->GetDesc(&description);
    for (UINT p = 0; p < description.Parameters; ++p)
    {
        D3DXHANDLE parameter = effect->GetParameter(nullptr, p);
        D3DXPARAMETER_DESC desc = {};
        effect->GetParameterDesc(parameter, &desc);
        if ((desc.Flags & D3DX_PARAMETER_SHARED) || desc.Annotations == 0)
            continue;
        const bool used = effect->IsParameterUsed(parameter, technique) != FALSE;
        if (desc.Type == D3DXPT_TEXTURE && HasAnnotation(effect, parameter, "rid"))
        {
            D3DXHANDLE sampler = effect->GetAnnotationByName(parameter, "texturesampler");
            if (!sampler)
                TLog::Print(g_pSystemLog, LOG_ERROR, kPrepareError, "shader '%s' texture '%s' sampler not specified",
                            GetNameText(), desc.Name);
            else
            {
                INT slot = -1;
                LPCSTR rid = nullptr;
                effect->GetInt(sampler, &slot);
                effect->GetString(effect->GetAnnotationByName(parameter, "rid"), &rid);
                if (slot >= 0 && slot < static_cast<INT>(SHADER_TEXTURE_SLOTS) &&
                    (program->nTextureSlots & (1u << slot)) && rid && g_pTextureManager)
                    SetTexture(static_cast<u32>(slot), g_pTextureManager->FindTexture(TName(rid)));
            }
        }
        if (used && HasAnnotation(effect, parameter, "plugin") && !FindParameter(TName(desc.Name)) &&
            !_AddLocalParameter(TName(desc.Name, true)))
            TLog::Print(g_pSystemLog, LOG_ERROR, kPrepareError, "'%s': parameter set of '%s' full", desc.Name,
                        GetNameText());
    }

    const u32 programs = static_cast<u32>(m_aProgramData.GetCount());
    for (u32 i = 0; i < m_aParameter.GetCount(); ++i)
    {
        TShaderParameterEntry& entry = m_aParameter[i];
        D3DXHANDLE handle = effect->GetParameterByName(nullptr, entry.Name.GetText());
        if (!handle)
            continue;
        auto& local = static_cast<TDxShaderLocalParameter&>(entry.Parameter);
        if (!local.GetPairs())
        {
            if (!manager.TakeHandles(programs))
                continue;
            auto* pairs = static_cast<TDxEffectHandle*>(MemoryAllocate((programs + 1) * sizeof(TDxEffectHandle)));
            std::memset(pairs, 0, (programs + 1) * sizeof(TDxEffectHandle));
            pairs[0].pHandle = reinterpret_cast<const char*>(static_cast<uintptr_t>(programs));
            local.SetPairs(pairs);
        }
        if (index < programs)
            local.GetPairs()[index + 1] = {effect, handle};
        if (!effect->IsParameterUsed(handle, technique) || !(entry.Parameter.m_nFlags & SHADER_PARAMETER_PLUGIN))
            continue;
        TDxPluginEntry* plugin = manager.FindPlugin(entry.Name);
        if (!plugin)
            plugin = manager._EnterPlugin(entry.Name, nullptr);
        if (!plugin->pPlugin)
        {
            // No binding without a plug-in to call.
            TLog::Print(g_pSystemLog, LOG_ERROR, kPrepareError, "'%s': undeclared shader plugin", entry.Name.GetText());
            continue;
        }
        if (program->nBindingCount == DX_PROGRAM_BINDINGS || !manager.TakeBinding())
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kPrepareError, "'%s': no room to bind '%s'", GetNameText(),
                        entry.Name.GetText());
            continue;
        }
        TDxProgramBinding& binding = program->aBinding[program->nBindingCount++];
        binding.pPlugin = plugin->pPlugin;
        binding.Parameter = TDxShaderParameter();
        binding.Parameter.m_Name = entry.Name;
        binding.Parameter.Bind(effect, handle);
    }

    for (u32 slot = 0; slot < SHADER_TEXTURE_SLOTS; ++slot)
    {
        if (!(m_nGlobalTextureMask & (1u << slot)))
            continue;
        TDxShaderParameter* global = manager._EnterGlobalParameter(TName(TextureSlotName(slot), true));
        D3DXHANDLE handle = effect->GetParameterByName(nullptr, TextureSlotName(slot));
        if (!global || !handle || !effect->IsParameterUsed(handle, technique))
            continue;
        if (program->nTextureCount == DX_PROGRAM_TEXTURES)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kPrepareError, "'%s': no room for texture slot %u", GetNameText(), slot);
            break;
        }
        // Slots are visited in order: the list stays sorted.
        program->aTexture[program->nTextureCount++] = {slot, global};
    }
}

TDxShaderProgram* TDxShader::_Compile(const TMeshDescription* mesh, u32 materialMask, TNodeObject* object)
{
    const TShaderProgramKey key = {mesh ? mesh->VertexLayout.GetId() : 0, m_DefineText.GetId(),
                                   m_nTextureMask | materialMask};
    const i32 found = _FindLookup(key);
    if (found >= 0)
        return m_aLookup[found].pProgram;
    const char* nodeName = object && object->pNode ? object->pNode->m_Name.GetText() : "";
    const char* ownName = object ? TName().GetText() : "";
    if (object)
    {
        TName own;
        own.SetId(object->GetType());
        ownName = own.GetText();
    }
    std::string combined = TextureSlotList(key.nTextureMask);
    std::string own = TextureSlotList(m_nTextureMask);
    std::string material = TextureSlotList(materialMask);
    __Abort("TDxShader::_Compile", "dxshadercreate.cpp", __LINE__,
            "unlinked shader '%s' (mesh '%s' node '%s') : AddVertexTexture [%s+%d] define '%s' texture %d=%s (shd "
            "%d=%s, mat %d=%s)",
            GetNameText(), nodeName, ownName, mesh ? mesh->VertexLayout.GetText() : "", key.nTextureMask,
            m_DefineText.GetText(), key.nTextureMask, combined.c_str(), m_nTextureMask, own.c_str(), materialMask,
            material.c_str());
}
