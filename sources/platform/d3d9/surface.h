#pragma once
// A 2D surface: a level (or cube face) of a texture, a render target, a depth-stencil surface
// or an off-screen plain surface. A surface that belongs to a texture shares the texture's
// reference count, as in Direct3D.
#include "platform/d3d9/image.h"
#include "platform/d3d9/resource.h"

#include <memory>

class TD3DSurface : public TD3DResource<IDirect3DSurface9>
{
public:
    // A stand-alone surface that owns its pixels.
    TD3DSurface(TD3DDevice* device, D3DFORMAT format, UINT width, UINT height, D3DPOOL pool, DWORD usage,
                bool lockable, ULONG publicReferences);
    // A level of a texture: the pixels belong to the texture.
    TD3DSurface(TD3DDevice* device, IUnknown* container, TD3DObject* containerObject, TImage* image,
                D3DPOOL pool, DWORD usage, bool lockable);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetContainer(REFIID riid, void** container) override;
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;

    TImage& Image() { return *image_; }
    // The object whose internal reference keeps this surface alive while the device binds it.
    TD3DObject* Holder() { return containerObject_ ? containerObject_ : this; }
    bool IsLocked() const { return locked_; }

private:
    bool Answers(REFIID riid) const override
    {
        return AnswersResource(riid) || riid == IID_IDirect3DSurface9;
    }

    std::unique_ptr<TImage> owned_;
    TImage* image_;
    IUnknown* container_ = nullptr;
    TD3DObject* containerObject_ = nullptr;
    bool lockable_;
    bool locked_ = false;
    bool readOnlyLock_ = false;
};

// The surface behind an interface pointer of this layer, or null.
TD3DSurface* ToSurface(IDirect3DSurface9* surface);
