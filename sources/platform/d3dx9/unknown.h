#pragma once
// Reference counting and QueryInterface for the objects of the D3DX layer.
#include "platform/d3dx9/d3dx9.h"

#include <atomic>

extern const IID IID_ID3DXBuffer;
extern const IID IID_ID3DXEffect;
extern const IID IID_ID3DXEffectPool;
extern const IID IID_ID3DXEffectStateManager;
extern const IID IID_ID3DXFont;
extern const IID IID_ID3DXSprite;

template <class Interface> class TD3DXUnknown : public Interface
{
public:
    explicit TD3DXUnknown(const IID& interfaceId) : interfaceId_(interfaceId) {}
    virtual ~TD3DXUnknown() = default;

    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_INVALIDARG;
        if (!(riid == IID_IUnknown || riid == interfaceId_))
        {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        *object = static_cast<Interface*>(this);
        return S_OK;
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

private:
    const IID& interfaceId_;
    std::atomic<ULONG> references_{1};
};
