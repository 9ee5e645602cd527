#pragma once
// What every resource of the software device shares: its device, pool, usage and type, and the
// count of live default-pool resources through which Reset is refused while any remain.
#include "platform/d3d9/object.h"

class TD3DDevice;

IDirect3DDevice9* DeviceInterface(TD3DDevice* device);
void CountDefaultPoolResource(TD3DDevice* device, int change);

template <class Interface> class TD3DResource : public TD3DUnknown<Interface>
{
public:
    HRESULT GetDevice(IDirect3DDevice9** device) override
    {
        if (!device)
            return D3DERR_INVALIDCALL;
        *device = DeviceInterface(device_);
        (*device)->AddRef();
        return D3D_OK;
    }
    DWORD SetPriority(DWORD priority) override
    {
        const DWORD previous = priority_;
        priority_ = priority;
        return previous;
    }
    DWORD GetPriority() override { return priority_; }
    void PreLoad() override {}
    D3DRESOURCETYPE GetType() override { return type_; }

    D3DPOOL Pool() const { return pool_; }
    DWORD Usage() const { return usage_; }
    TD3DDevice* Device() const { return device_; }

protected:
    TD3DResource(TD3DDevice* device, D3DRESOURCETYPE type, D3DPOOL pool, DWORD usage, ULONG publicReferences)
        : TD3DUnknown<Interface>(DeviceInterface(device), publicReferences), device_(device), type_(type),
          pool_(pool), usage_(usage)
    {
        if (publicReferences > 0 && pool_ == D3DPOOL_DEFAULT)
            CountDefaultPoolResource(device_, 1);
    }

    void PublicReferencesChanged(bool alive) override
    {
        if (pool_ == D3DPOOL_DEFAULT)
            CountDefaultPoolResource(device_, alive ? 1 : -1);
    }

    bool AnswersResource(REFIID riid) const { return riid == IID_IUnknown || riid == IID_IDirect3DResource9; }

private:
    TD3DDevice* device_;
    D3DRESOURCETYPE type_;
    D3DPOOL pool_;
    DWORD usage_;
    DWORD priority_ = 0;
};
