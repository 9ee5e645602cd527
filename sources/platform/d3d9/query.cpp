#include "platform/d3d9/query.h"

#include "platform/d3d9/device.h"

#include <chrono>
#include <cstring>

TD3DQuery::TD3DQuery(TD3DDevice* device, D3DQUERYTYPE type)
    : TD3DUnknown(DeviceInterface(device), 1), device_(device), type_(type)
{
}

HRESULT TD3DQuery::GetDevice(IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    *device = device_;
    device_->AddRef();
    return D3D_OK;
}

DWORD TD3DQuery::DataSize(D3DQUERYTYPE type)
{
    switch (type)
    {
    case D3DQUERYTYPE_VCACHE:
        return sizeof(D3DDEVINFO_VCACHE);
    case D3DQUERYTYPE_VERTEXSTATS:
        return sizeof(D3DDEVINFO_D3DVERTEXSTATS);
    case D3DQUERYTYPE_EVENT:
    case D3DQUERYTYPE_TIMESTAMPDISJOINT:
        return sizeof(BOOL);
    case D3DQUERYTYPE_OCCLUSION:
        return sizeof(DWORD);
    case D3DQUERYTYPE_TIMESTAMP:
    case D3DQUERYTYPE_TIMESTAMPFREQ:
        return sizeof(UINT64);
    case D3DQUERYTYPE_PIPELINETIMINGS:
        return 4 * sizeof(float);
    case D3DQUERYTYPE_INTERFACETIMINGS:
    case D3DQUERYTYPE_BANDWIDTHTIMINGS:
        return 5 * sizeof(float);
    case D3DQUERYTYPE_VERTEXTIMINGS:
    case D3DQUERYTYPE_PIXELTIMINGS:
    case D3DQUERYTYPE_CACHEUTILIZATION:
        return 2 * sizeof(float);
    default:
        return 0;
    }
}

bool TD3DQuery::Bracketed() const
{
    return type_ == D3DQUERYTYPE_OCCLUSION || type_ == D3DQUERYTYPE_TIMESTAMPDISJOINT ||
           type_ >= D3DQUERYTYPE_PIPELINETIMINGS;
}

HRESULT TD3DQuery::Issue(DWORD flags)
{
    if (flags == D3DISSUE_BEGIN)
    {
        // Types without a bracket take only END.
        if (!Bracketed())
            return D3DERR_INVALIDCALL;
        state_ = EState::Building;
        begin_ = device_->SamplesPassed();
        return D3D_OK;
    }
    if (flags != D3DISSUE_END)
        return D3DERR_INVALIDCALL;
    if (type_ == D3DQUERYTYPE_OCCLUSION)
        result_ = state_ == EState::Building ? device_->SamplesPassed() - begin_ : 0;
    else if (type_ == D3DQUERYTYPE_TIMESTAMP)
        result_ = std::uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                    std::chrono::steady_clock::now().time_since_epoch())
                                    .count());
    state_ = EState::Signalled;
    issued_ = true;
    return D3D_OK;
}

HRESULT TD3DQuery::GetData(void* data, DWORD size, DWORD flags)
{
    if (state_ == EState::Building)
        return D3DERR_INVALIDCALL; // begun and never ended
    if (data && size > 0 && size < GetDataSize())
        return D3DERR_INVALIDCALL;
    if (!data || size == 0)
        return S_OK;
    std::memset(data, 0, size);
    switch (type_)
    {
    case D3DQUERYTYPE_OCCLUSION: {
        const DWORD samples = result_ > 0xFFFFFFFFu ? 0xFFFFFFFFu : DWORD(result_);
        std::memcpy(data, &samples, sizeof(samples));
        break;
    }
    case D3DQUERYTYPE_EVENT: {
        const BOOL passed = TRUE;
        std::memcpy(data, &passed, sizeof(passed));
        break;
    }
    case D3DQUERYTYPE_TIMESTAMP:
        std::memcpy(data, &result_, sizeof(result_));
        break;
    case D3DQUERYTYPE_TIMESTAMPFREQ: {
        const UINT64 frequency = 1000000000ull;
        std::memcpy(data, &frequency, sizeof(frequency));
        break;
    }
    default:
        break;
    }
    return S_OK;
}
