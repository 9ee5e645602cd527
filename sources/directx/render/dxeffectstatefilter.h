#pragma once
// TDxEffectStateFilter: the state manager of every effect. It drops state, shader, constant and
// texture changes that would not change the device, counts the others in the render counters,
// and keeps the list of states changed since the last sweep: a state one effect pass set and the
// next pass did not is put back to its default by the sweep that follows that pass. The meshes
// and render targets set declarations, streams, indices and targets through it too.
#include "directx/render/dxstatedescriptor.h"
#include "platform/d3dx9/d3dx9.h"

constexpr u32 DX_FILTER_RENDER_STATES = 256;
constexpr u32 DX_FILTER_SAMPLERS = 32;
constexpr u32 DX_FILTER_SAMPLER_STATES = 14;
// Sampler numbers from 256 up (displacement and vertex samplers) are kept from this record on.
constexpr u32 DX_FILTER_SAMPLER_HIGH = 256;
constexpr u32 DX_FILTER_SAMPLER_HIGH_RECORD = 16;
constexpr u32 DX_FILTER_STAGES = 16;
constexpr u32 DX_FILTER_STAGE_STATES = 34;
// Texture records: pixel stages 0-15, then stages 256-263 (displacement and vertex textures).
constexpr u32 DX_FILTER_PIXEL_TEXTURES = 16;
constexpr u32 DX_FILTER_VERTEX_TEXTURES = 8;
constexpr u32 DX_FILTER_TEXTURES = DX_FILTER_PIXEL_TEXTURES + DX_FILTER_VERTEX_TEXTURES;
constexpr u32 DX_FILTER_STREAMS = 16;
constexpr u32 DX_FILTER_CONSTANTS = 512;
constexpr u32 DX_FILTER_TARGETS = 4;
constexpr u32 DX_FILTER_TOUCHED_CAPACITY = 256;

// The value a state was last given on the device, and its place in the touched list.
struct TDxStateRecord
{
    const TDxStateDescriptor* pDescriptor;
    u32 nValue;
    // Sampler or stage number (as given to the device).
    u32 nIndex;
    u8 nStale;
    u8 nInList;
};

class TDxEffectStateFilter : public ID3DXEffectStateManager
{
public:
    TDxEffectStateFilter();

    void SetDevice(IDirect3DDevice9* device) { m_pDevice = device; }
    // The device was created or reset: its states are Direct3D's defaults, nothing is bound.
    void Reset();
    // Puts back to its default each state the passes since the previous sweep did not set again.
    void Sweep();
    // While set, the effects' own texture changes are ignored.
    void SetTextureSuppression(u32 suppress) { m_nSuppressTextures = suppress; }
    u32 GetTouchedCount() const { return m_nTouchedCount; }

    // IUnknown: the filter lives as long as the program; its users never free it.
    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }

    // ID3DXEffectStateManager.
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT SetMaterial(const D3DMATERIAL9* material) override;
    HRESULT SetLight(DWORD index, const D3DLIGHT9* light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT SetNPatchMode(float segments) override;
    HRESULT SetFVF(DWORD fvf) override;
    HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override;
    HRESULT SetVertexShaderConstantF(UINT start, const float* data, UINT count) override;
    HRESULT SetVertexShaderConstantI(UINT start, const int* data, UINT count) override;
    HRESULT SetVertexShaderConstantB(UINT start, const BOOL* data, UINT count) override;
    HRESULT SetPixelShader(IDirect3DPixelShader9* shader) override;
    HRESULT SetPixelShaderConstantF(UINT start, const float* data, UINT count) override;
    HRESULT SetPixelShaderConstantI(UINT start, const int* data, UINT count) override;
    HRESULT SetPixelShaderConstantB(UINT start, const BOOL* data, UINT count) override;

    // The engine's own drawing code.
    HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration);
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride);
    HRESULT SetIndices(IDirect3DIndexBuffer9* indices);
    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface);

private:
    struct TStream
    {
        IDirect3DVertexBuffer9* pBuffer;
        UINT nOffset;
        UINT nStride;
    };

    // The record's value is value already: false. Otherwise stores it and lists the record.
    bool _Change(TDxStateRecord& record, u32 value);
    // Compares and copies constant registers; false when they hold these values already.
    static bool _ChangeConstants(f32 (*copy)[4], UINT start, const float* data, UINT count);
    TDxStateRecord* _SamplerRecord(DWORD sampler, DWORD type);
    TDxStateRecord* _TextureRecord(DWORD stage);

    IDirect3DDevice9* m_pDevice;
    IDirect3DPixelShader9* m_pPixelShader;
    IDirect3DVertexShader9* m_pVertexShader;
    IDirect3DVertexDeclaration9* m_pDeclaration;
    IDirect3DIndexBuffer9* m_pIndices;
    IDirect3DSurface9* m_apTarget[DX_FILTER_TARGETS];
    TDxStateRecord m_aTexture[DX_FILTER_TEXTURES];
    TStream m_aStream[DX_FILTER_STREAMS];
    f32 m_aVertexConstant[DX_FILTER_CONSTANTS][4];
    f32 m_aPixelConstant[DX_FILTER_CONSTANTS][4];
    TDxStateRecord m_aRenderState[DX_FILTER_RENDER_STATES];
    TDxStateRecord m_aSamplerState[DX_FILTER_SAMPLERS][DX_FILTER_SAMPLER_STATES];
    TDxStateRecord m_aStageState[DX_FILTER_STAGES][DX_FILTER_STAGE_STATES];
    u32 m_nTouchedCount;
    TDxStateRecord* m_apTouched[DX_FILTER_TOUCHED_CAPACITY];
    u32 m_nSuppressTextures;
    // Set when the touched list refused a record, so that the warning is logged once per sweep.
    u32 m_nTouchedFull;
};

// The one filter, created with the first device and kept for the program's life: effects that
// outlive a device still hold it as their state manager.
extern TDxEffectStateFilter* g_pDxEffectStateFilter;
