#pragma once
#include "platform/d3d9/buffer.h"
#include "platform/d3d9/resource.h"

class TD3DIndexBuffer : public TD3DResource<IDirect3DIndexBuffer9>
{
public:
    TD3DIndexBuffer(TD3DDevice* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
        : TD3DResource(device, D3DRTYPE_INDEXBUFFER, pool, usage, 1), buffer_(length), format_(format)
    {
    }

    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override
    {
        return buffer_.Lock(offset, size, data, flags, Usage());
    }
    HRESULT Unlock() override { return buffer_.Unlock(); }
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override
    {
        if (!desc)
            return D3DERR_INVALIDCALL;
        *desc = {format_, D3DRTYPE_INDEXBUFFER, Usage(), Pool(), buffer_.Size()};
        return D3D_OK;
    }

    const TBuffer& Buffer() const { return buffer_; }
    D3DFORMAT Format() const { return format_; }

private:
    bool Answers(REFIID riid) const override
    {
        return AnswersResource(riid) || riid == IID_IDirect3DIndexBuffer9;
    }

    TBuffer buffer_;
    D3DFORMAT format_;
};
