#pragma once
// The reference counts every object of the software device shares. Public references are the
// ones AddRef and Release count; bindings in the device state hold internal references, so a
// texture released by the application while still bound lives until it is unbound, as in
// Direct3D. While an object has public references it holds one reference on its owner (the
// device, or the Direct3D object for a device), which is how the device's final Release
// answers the references still outstanding.
#include "platform/d3d9/d3d9.h"

#include <atomic>
#include <cstdint>

class TD3DObject
{
public:
    TD3DObject(const TD3DObject&) = delete;
    TD3DObject& operator=(const TD3DObject&) = delete;

    ULONG AddRefPublic();
    ULONG ReleasePublic();
    void Bind();
    void Unbind();
    ULONG PublicReferences() const { return ULONG(counts_.load() & 0xFFFFFFFFu); }

protected:
    // `publicReferences` is 1 for objects handed to the application, 0 for the device's own.
    TD3DObject(IUnknown* owner, ULONG publicReferences);
    virtual ~TD3DObject() = default;
    // Called when the public count leaves or reaches 0 (not for the count given at construction).
    virtual void PublicReferencesChanged(bool alive) {}

private:
    std::atomic<std::uint64_t> counts_;
    IUnknown* owner_;
};

// IUnknown for one interface of the layer; `Answers` lists the identifiers it responds to.
template <class Interface> class TD3DUnknown : public Interface, public TD3DObject
{
public:
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_INVALIDARG;
        if (!Answers(riid))
        {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        this->AddRef();
        *object = static_cast<Interface*>(this);
        return S_OK;
    }
    ULONG AddRef() override { return AddRefPublic(); }
    ULONG Release() override { return ReleasePublic(); }

protected:
    TD3DUnknown(IUnknown* owner, ULONG publicReferences) : TD3DObject(owner, publicReferences) {}
    virtual bool Answers(REFIID riid) const = 0;
};
