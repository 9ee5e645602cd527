#pragma once
#include "platform/d3d9/buffer.h"
#include "platform/d3d9/resource.h"

class TD3DVertexBuffer : public TD3DResource<IDirect3DVertexBuffer9>
{
public:
    TD3DVertexBuffer(TD3DDevice* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
        : TD3DResource(device, D3DRTYPE_VERTEXBUFFER, pool, usage, 1), buffer_(length), fvf_(fvf)
    {
    }

    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override
    {
        return buffer_.Lock(offset, size, data, flags, Usage());
    }
    HRESULT Unlock() override { return buffer_.Unlock(); }
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override
    {
        if (!desc)
            return D3DERR_INVALIDCALL;
        *desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, Usage(), Pool(), buffer_.Size(), fvf_};
        return D3D_OK;
    }

    const TBuffer& Buffer() const { return buffer_; }

private:
    bool Answers(REFIID riid) const override
    {
        return AnswersResource(riid) || riid == IID_IDirect3DVertexBuffer9;
    }

    TBuffer buffer_;
    DWORD fvf_;
};
