#pragma once
// The state manager of an effect that was given none: every call goes straight to the device.
#include "platform/d3dx9/unknown.h"

class TDeviceStateManager : public TD3DXUnknown<ID3DXEffectStateManager>
{
public:
    explicit TDeviceStateManager(IDirect3DDevice9* device)
        : TD3DXUnknown(IID_ID3DXEffectStateManager), device_(device)
    {
    }

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override
    {
        return device_->SetTransform(state, matrix);
    }
    HRESULT SetMaterial(const D3DMATERIAL9* material) override { return device_->SetMaterial(material); }
    HRESULT SetLight(DWORD index, const D3DLIGHT9* light) override { return device_->SetLight(index, light); }
    HRESULT LightEnable(DWORD index, BOOL enable) override { return device_->LightEnable(index, enable); }
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override
    {
        return device_->SetRenderState(state, value);
    }
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override
    {
        return device_->SetTexture(stage, texture);
    }
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override
    {
        return device_->SetTextureStageState(stage, type, value);
    }
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override
    {
        return device_->SetSamplerState(sampler, type, value);
    }
    HRESULT SetNPatchMode(float segments) override { return device_->SetNPatchMode(segments); }
    HRESULT SetFVF(DWORD fvf) override { return device_->SetFVF(fvf); }
    HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override
    {
        return device_->SetVertexShader(shader);
    }
    HRESULT SetVertexShaderConstantF(UINT start, const float* data, UINT count) override
    {
        return device_->SetVertexShaderConstantF(start, data, count);
    }
    HRESULT SetVertexShaderConstantI(UINT start, const int* data, UINT count) override
    {
        return device_->SetVertexShaderConstantI(start, data, count);
    }
    HRESULT SetVertexShaderConstantB(UINT start, const BOOL* data, UINT count) override
    {
        return device_->SetVertexShaderConstantB(start, data, count);
    }
    HRESULT SetPixelShader(IDirect3DPixelShader9* shader) override { return device_->SetPixelShader(shader); }
    HRESULT SetPixelShaderConstantF(UINT start, const float* data, UINT count) override
    {
        return device_->SetPixelShaderConstantF(start, data, count);
    }
    HRESULT SetPixelShaderConstantI(UINT start, const int* data, UINT count) override
    {
        return device_->SetPixelShaderConstantI(start, data, count);
    }
    HRESULT SetPixelShaderConstantB(UINT start, const BOOL* data, UINT count) override
    {
        return device_->SetPixelShaderConstantB(start, data, count);
    }

private:
    IDirect3DDevice9* device_; // the effect holds the reference
};
