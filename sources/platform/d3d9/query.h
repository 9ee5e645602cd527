#pragma once
// Queries. Drawing has finished when a draw call returns, so every issued query answers at once:
// an EVENT is a fence already passed, OCCLUSION counts the samples that passed the depth and
// stencil tests between its BEGIN and END, the timing types answer a plausible idle record.
#include "platform/d3d9/resource.h"

#include <cstdint>

class TD3DQuery : public TD3DUnknown<IDirect3DQuery9>
{
public:
    TD3DQuery(TD3DDevice* device, D3DQUERYTYPE type);

    HRESULT GetDevice(IDirect3DDevice9** device) override;
    D3DQUERYTYPE GetType() override { return type_; }
    DWORD GetDataSize() override { return DataSize(type_); }
    HRESULT Issue(DWORD flags) override;
    HRESULT GetData(void* data, DWORD size, DWORD flags) override;

    // Bytes of a query type's answer; 0 for a type the layer does not know.
    static DWORD DataSize(D3DQUERYTYPE type);

private:
    bool Answers(REFIID riid) const override { return riid == IID_IUnknown || riid == IID_IDirect3DQuery9; }
    bool Bracketed() const;

    enum class EState
    {
        Signalled, // never issued, or ended
        Building,  // begun, not ended
    };

    TD3DDevice* device_;
    D3DQUERYTYPE type_;
    EState state_ = EState::Signalled;
    bool issued_ = false;
    std::uint64_t begin_ = 0;
    std::uint64_t result_ = 0;
};
