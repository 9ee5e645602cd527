#include "directx/render/dxeffectstatefilter.h"

#include "core/system/log.h"
#include "engine/system/renderstats.h"
#include "platform/d3dx9/unknown.h"

#include <cstring>

TDxEffectStateFilter* g_pDxEffectStateFilter = nullptr;

namespace
{
const char* const kPrefix = "TDxEffectStateFilter::SetRenderState(): warning: ";

void Count(u32 counter, u32 amount = 1)
{
    g_RenderStatsCurrent.aCounter[counter] += amount;
}

void Describe(TDxStateRecord& record, const TDxStateDescriptor* descriptor, u32 index)
{
    record.pDescriptor = descriptor;
    record.nIndex = index;
}
} // namespace

TDxEffectStateFilter::TDxEffectStateFilter() : m_pDevice(nullptr)
{
    std::memset(m_aRenderState, 0, sizeof(m_aRenderState));
    std::memset(m_aSamplerState, 0, sizeof(m_aSamplerState));
    std::memset(m_aStageState, 0, sizeof(m_aStageState));
    std::memset(m_aTexture, 0, sizeof(m_aTexture));
    for (u32 i = 0; i < DX_STATE_DESCRIPTOR_COUNT; ++i)
    {
        const TDxStateDescriptor* descriptor = GetStateDescriptors() + i;
        if (descriptor->nType == DX_STATE_RENDER)
            Describe(m_aRenderState[descriptor->nState], descriptor, 0);
        else if (descriptor->nType == DX_STATE_SAMPLER)
            for (u32 sampler = 0; sampler < DX_FILTER_SAMPLERS; ++sampler)
            {
                const u32 number = sampler < DX_FILTER_SAMPLER_HIGH_RECORD
                                       ? sampler
                                       : sampler - DX_FILTER_SAMPLER_HIGH_RECORD + DX_FILTER_SAMPLER_HIGH;
                Describe(m_aSamplerState[sampler][descriptor->nState], descriptor, number);
            }
        else
            for (u32 stage = 0; stage < DX_FILTER_STAGES; ++stage)
                Describe(m_aStageState[stage][descriptor->nState], descriptor, stage);
    }
    for (u32 i = 0; i < DX_FILTER_TEXTURES; ++i)
        Describe(m_aTexture[i], &GetTextureDescriptor(),
                 i < DX_FILTER_PIXEL_TEXTURES ? i : i - DX_FILTER_PIXEL_TEXTURES + DX_FILTER_SAMPLER_HIGH);
    Reset();
}

void TDxEffectStateFilter::Reset()
{
    m_pPixelShader = nullptr;
    m_pVertexShader = nullptr;
    m_pDeclaration = nullptr;
    m_pIndices = nullptr;
    std::memset(m_apTarget, 0, sizeof(m_apTarget));
    std::memset(m_aStream, 0, sizeof(m_aStream));
    std::memset(m_aVertexConstant, 0, sizeof(m_aVertexConstant));
    std::memset(m_aPixelConstant, 0, sizeof(m_aPixelConstant));
    auto reset = [](TDxStateRecord* records, u32 count) {
        for (u32 i = 0; i < count; ++i)
        {
            TDxStateRecord& record = records[i];
            record.nValue = record.pDescriptor ? record.pDescriptor->nDefault : 0;
            record.nStale = 0;
            record.nInList = 0;
        }
    };
    reset(m_aTexture, DX_FILTER_TEXTURES);
    reset(m_aRenderState, DX_FILTER_RENDER_STATES);
    reset(&m_aSamplerState[0][0], DX_FILTER_SAMPLERS * DX_FILTER_SAMPLER_STATES);
    reset(&m_aStageState[0][0], DX_FILTER_STAGES * DX_FILTER_STAGE_STATES);
    m_nTouchedCount = 0;
    m_nSuppressTextures = 0;
    m_nTouchedFull = 0;
}

bool TDxEffectStateFilter::_Change(TDxStateRecord& record, u32 value)
{
    record.nStale = 0;
    if (record.nValue == value)
        return false;
    record.nValue = value;
    if (!record.nInList)
    {
        if (m_nTouchedCount == DX_FILTER_TOUCHED_CAPACITY)
        {
            // The state stays as set until something sets it again.
            if (!m_nTouchedFull)
                TLog::Print(g_pSystemLog, LOG_WARNING, kPrefix, "touched state list full, '%s' kept",
                            record.pDescriptor->szName);
            m_nTouchedFull = 1;
            return true;
        }
        record.nInList = 1;
        m_apTouched[m_nTouchedCount++] = &record;
    }
    return true;
}

void TDxEffectStateFilter::Sweep()
{
    m_nTouchedFull = 0;
    for (u32 i = 0; i < m_nTouchedCount;)
    {
        TDxStateRecord& record = *m_apTouched[i];
        if (!record.nStale)
        {
            record.nStale = 1;
            ++i;
            continue;
        }
        m_apTouched[i] = m_apTouched[--m_nTouchedCount];
        record.nInList = 0;
        record.nStale = 0;
        const TDxStateDescriptor& descriptor = *record.pDescriptor;
        if (record.nValue == descriptor.nDefault)
            continue;
        record.nValue = descriptor.nDefault;
        switch (descriptor.nType)
        {
        case DX_STATE_RENDER:
            m_pDevice->SetRenderState(D3DRENDERSTATETYPE(descriptor.nState), descriptor.nDefault);
            break;
        case DX_STATE_SAMPLER:
            m_pDevice->SetSamplerState(record.nIndex, D3DSAMPLERSTATETYPE(descriptor.nState), descriptor.nDefault);
            break;
        case DX_STATE_TEXTURE_STAGE:
            m_pDevice->SetTextureStageState(record.nIndex, D3DTEXTURESTAGESTATETYPE(descriptor.nState),
                                            descriptor.nDefault);
            break;
        default:
            m_pDevice->SetTexture(record.nIndex, nullptr);
            break;
        }
    }
}

HRESULT TDxEffectStateFilter::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_INVALIDARG;
    if (riid == IID_IUnknown || riid == IID_ID3DXEffectStateManager)
    {
        *object = static_cast<ID3DXEffectStateManager*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT TDxEffectStateFilter::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix)
{
    return m_pDevice->SetTransform(state, matrix);
}

HRESULT TDxEffectStateFilter::SetMaterial(const D3DMATERIAL9* material)
{
    return m_pDevice->SetMaterial(material);
}

HRESULT TDxEffectStateFilter::SetLight(DWORD index, const D3DLIGHT9* light)
{
    return m_pDevice->SetLight(index, light);
}

HRESULT TDxEffectStateFilter::LightEnable(DWORD index, BOOL enable)
{
    return m_pDevice->LightEnable(index, enable);
}

HRESULT TDxEffectStateFilter::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    // States without a descriptor (the adaptive tessellation) go straight to the device.
    if (static_cast<u32>(state) >= DX_FILTER_RENDER_STATES || !m_aRenderState[state].pDescriptor)
        return m_pDevice->SetRenderState(state, value);
    if (!_Change(m_aRenderState[state], value))
        return D3D_OK;
    return m_pDevice->SetRenderState(state, value);
}

TDxStateRecord* TDxEffectStateFilter::_TextureRecord(DWORD stage)
{
    if (stage < DX_FILTER_PIXEL_TEXTURES)
        return &m_aTexture[stage];
    if (stage >= DX_FILTER_SAMPLER_HIGH && stage < DX_FILTER_SAMPLER_HIGH + DX_FILTER_VERTEX_TEXTURES)
        return &m_aTexture[stage - DX_FILTER_SAMPLER_HIGH + DX_FILTER_PIXEL_TEXTURES];
    return nullptr;
}

HRESULT TDxEffectStateFilter::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture)
{
    if (m_nSuppressTextures)
        return D3D_OK;
    TDxStateRecord* record = _TextureRecord(stage);
    if (record && !_Change(*record, static_cast<u32>(reinterpret_cast<uintptr_t>(texture))))
        return D3D_OK;
    Count(RENDER_STATS_TEXTURE_CHANGES);
    return m_pDevice->SetTexture(stage, texture);
}

HRESULT TDxEffectStateFilter::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    if (stage >= DX_FILTER_STAGES || static_cast<u32>(type) >= DX_FILTER_STAGE_STATES ||
        !m_aStageState[stage][type].pDescriptor)
        return m_pDevice->SetTextureStageState(stage, type, value);
    if (!_Change(m_aStageState[stage][type], value))
        return D3D_OK;
    return m_pDevice->SetTextureStageState(stage, type, value);
}

TDxStateRecord* TDxEffectStateFilter::_SamplerRecord(DWORD sampler, DWORD type)
{
    if (type >= DX_FILTER_SAMPLER_STATES)
        return nullptr;
    u32 index = sampler;
    if (sampler >= DX_FILTER_SAMPLER_HIGH)
        index = sampler - DX_FILTER_SAMPLER_HIGH + DX_FILTER_SAMPLER_HIGH_RECORD;
    else if (sampler >= DX_FILTER_SAMPLER_HIGH_RECORD)
        return nullptr;
    if (index >= DX_FILTER_SAMPLERS || !m_aSamplerState[index][type].pDescriptor)
        return nullptr;
    return &m_aSamplerState[index][type];
}

HRESULT TDxEffectStateFilter::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    TDxStateRecord* record = _SamplerRecord(sampler, type);
    if (record && !_Change(*record, value))
        return D3D_OK;
    return m_pDevice->SetSamplerState(sampler, type, value);
}

HRESULT TDxEffectStateFilter::SetNPatchMode(float segments)
{
    return m_pDevice->SetNPatchMode(segments);
}

HRESULT TDxEffectStateFilter::SetFVF(DWORD fvf)
{
    return m_pDevice->SetFVF(fvf);
}

HRESULT TDxEffectStateFilter::SetVertexShader(IDirect3DVertexShader9* shader)
{
    if (shader == m_pVertexShader)
        return D3D_OK;
    m_pVertexShader = shader;
    Count(RENDER_STATS_VERTEX_SHADER_CHANGES);
    return m_pDevice->SetVertexShader(shader);
}

bool TDxEffectStateFilter::_ChangeConstants(f32 (*copy)[4], UINT start, const float* data, UINT count)
{
    // Registers beyond the copy are not filtered.
    if (start >= DX_FILTER_CONSTANTS || count > DX_FILTER_CONSTANTS - start)
        return true;
    const u32 bytes = count * 4 * sizeof(f32);
    if (std::memcmp(copy[start], data, bytes) == 0)
        return false;
    std::memcpy(copy[start], data, bytes);
    return true;
}

HRESULT TDxEffectStateFilter::SetVertexShaderConstantF(UINT start, const float* data, UINT count)
{
    if (!_ChangeConstants(m_aVertexConstant, start, data, count))
        return D3D_OK;
    Count(RENDER_STATS_VERTEX_CONSTANT_CALLS);
    return m_pDevice->SetVertexShaderConstantF(start, data, count);
}

HRESULT TDxEffectStateFilter::SetVertexShaderConstantI(UINT start, const int* data, UINT count)
{
    Count(RENDER_STATS_VERTEX_CONSTANT_CALLS);
    return m_pDevice->SetVertexShaderConstantI(start, data, count);
}

HRESULT TDxEffectStateFilter::SetVertexShaderConstantB(UINT start, const BOOL* data, UINT count)
{
    Count(RENDER_STATS_VERTEX_CONSTANT_CALLS);
    return m_pDevice->SetVertexShaderConstantB(start, data, count);
}

HRESULT TDxEffectStateFilter::SetPixelShader(IDirect3DPixelShader9* shader)
{
    if (shader == m_pPixelShader)
        return D3D_OK;
    m_pPixelShader = shader;
    Count(RENDER_STATS_PIXEL_SHADER_CHANGES);
    return m_pDevice->SetPixelShader(shader);
}

HRESULT TDxEffectStateFilter::SetPixelShaderConstantF(UINT start, const float* data, UINT count)
{
    if (!_ChangeConstants(m_aPixelConstant, start, data, count))
        return D3D_OK;
    Count(RENDER_STATS_PIXEL_CONSTANT_REGISTERS, count);
    return m_pDevice->SetPixelShaderConstantF(start, data, count);
}

HRESULT TDxEffectStateFilter::SetPixelShaderConstantI(UINT start, const int* data, UINT count)
{
    Count(RENDER_STATS_PIXEL_CONSTANT_REGISTERS, count);
    return m_pDevice->SetPixelShaderConstantI(start, data, count);
}

HRESULT TDxEffectStateFilter::SetPixelShaderConstantB(UINT start, const BOOL* data, UINT count)
{
    Count(RENDER_STATS_PIXEL_CONSTANT_REGISTERS, count);
    return m_pDevice->SetPixelShaderConstantB(start, data, count);
}

HRESULT TDxEffectStateFilter::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration)
{
    if (declaration == m_pDeclaration)
        return D3D_OK;
    m_pDeclaration = declaration;
    return m_pDevice->SetVertexDeclaration(declaration);
}

HRESULT TDxEffectStateFilter::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                              UINT stride)
{
    if (stream < DX_FILTER_STREAMS)
    {
        TStream& cached = m_aStream[stream];
        if (cached.pBuffer == buffer && cached.nOffset == offset && cached.nStride == stride)
            return D3D_OK;
        cached = {buffer, offset, stride};
    }
    return m_pDevice->SetStreamSource(stream, buffer, offset, stride);
}

HRESULT TDxEffectStateFilter::SetIndices(IDirect3DIndexBuffer9* indices)
{
    if (indices == m_pIndices)
        return D3D_OK;
    m_pIndices = indices;
    return m_pDevice->SetIndices(indices);
}

HRESULT TDxEffectStateFilter::SetRenderTarget(DWORD index, IDirect3DSurface9* surface)
{
    if (index < DX_FILTER_TARGETS)
    {
        if (m_apTarget[index] == surface)
            return D3D_OK;
        m_apTarget[index] = surface;
    }
    Count(RENDER_STATS_TARGET_CHANGES);
    return m_pDevice->SetRenderTarget(index, surface);
}
