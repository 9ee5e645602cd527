#pragma once
// A vertex or pixel shader object: the shading model its function tokens name.
#include "platform/d3d9/object.h"
#include "platform/d3d9/shadingmodel.h"

#include <cstring>
#include <vector>

template <class Interface, class Model> class TD3DShader : public TD3DUnknown<Interface>
{
public:
    TD3DShader(IDirect3DDevice9* device, const Model* model, const DWORD* tokens, UINT length)
        : TD3DUnknown<Interface>(device, 1), device_(device), model_(model), tokens_(tokens, tokens + length)
    {
    }

    HRESULT GetDevice(IDirect3DDevice9** device) override
    {
        if (!device)
            return D3DERR_INVALIDCALL;
        *device = device_;
        device_->AddRef();
        return D3D_OK;
    }
    HRESULT GetFunction(void* data, UINT* size) override
    {
        if (!size)
            return D3DERR_INVALIDCALL;
        const UINT bytes = UINT(tokens_.size() * sizeof(DWORD));
        if (data)
        {
            if (*size < bytes)
                return D3DERR_INVALIDCALL;
            std::memcpy(data, tokens_.data(), bytes);
        }
        *size = bytes;
        return D3D_OK;
    }

    const Model* ShadingModel() const { return model_; }

private:
    bool Answers(REFIID riid) const override;

    IDirect3DDevice9* device_;
    const Model* model_;
    std::vector<DWORD> tokens_;
};

typedef TD3DShader<IDirect3DVertexShader9, TVertexModel> TD3DVertexShader;
typedef TD3DShader<IDirect3DPixelShader9, TPixelModel> TD3DPixelShader;

template <> inline bool TD3DVertexShader::Answers(REFIID riid) const
{
    return riid == IID_IUnknown || riid == IID_IDirect3DVertexShader9;
}

template <> inline bool TD3DPixelShader::Answers(REFIID riid) const
{
    return riid == IID_IUnknown || riid == IID_IDirect3DPixelShader9;
}
