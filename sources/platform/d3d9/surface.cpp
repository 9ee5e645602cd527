#include "platform/d3d9/surface.h"

#include "platform/d3d9/format.h"

TD3DSurface::TD3DSurface(TD3DDevice* device, D3DFORMAT format, UINT width, UINT height, D3DPOOL pool,
                         DWORD usage, bool lockable, ULONG publicReferences)
    : TD3DResource(device, D3DRTYPE_SURFACE, pool, usage, publicReferences),
      owned_(std::make_unique<TImage>(format, width, height)), image_(owned_.get()), lockable_(lockable)
{
}

TD3DSurface::TD3DSurface(TD3DDevice* device, IUnknown* container, TD3DObject* containerObject, TImage* image,
                         D3DPOOL pool, DWORD usage, bool lockable)
    : TD3DResource(device, D3DRTYPE_SURFACE, pool, usage, 0), image_(image), container_(container),
      containerObject_(containerObject), lockable_(lockable)
{
}

ULONG TD3DSurface::AddRef()
{
    return container_ ? container_->AddRef() : AddRefPublic();
}

ULONG TD3DSurface::Release()
{
    return container_ ? container_->Release() : ReleasePublic();
}

HRESULT TD3DSurface::GetContainer(REFIID riid, void** container)
{
    if (!container)
        return D3DERR_INVALIDCALL;
    if (container_)
        return container_->QueryInterface(riid, container);
    return DeviceInterface(Device())->QueryInterface(riid, container);
}

HRESULT TD3DSurface::GetDesc(D3DSURFACE_DESC* desc)
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = {image_->Format(), D3DRTYPE_SURFACE, Usage(), Pool(), D3DMULTISAMPLE_NONE, 0,
             image_->Width(),  image_->Height()};
    return D3D_OK;
}

HRESULT TD3DSurface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags)
{
    if (!locked || !lockable_ || locked_ || image_->IsDepth())
        return D3DERR_INVALIDCALL;
    const D3DFORMAT format = image_->Format();
    RECT area = {0, 0, LONG(image_->Width()), LONG(image_->Height())};
    if (rect)
    {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
            rect->right > area.right || rect->bottom > area.bottom)
            return D3DERR_INVALIDCALL;
        // DXT rectangles start on a block.
        if (IsBlockFormat(format) && ((rect->left | rect->top) & 3))
            return D3DERR_INVALIDCALL;
        area = *rect;
    }
    const UINT row = IsBlockFormat(format) ? UINT(area.top) / 4 : UINT(area.top);
    const UINT column = area.left ? FormatPitch(format, UINT(area.left)) : 0;
    locked->Pitch = INT(image_->Pitch());
    locked->pBits = image_->Row(row) + column;
    locked_ = true;
    readOnlyLock_ = (flags & D3DLOCK_READONLY) != 0;
    return D3D_OK;
}

HRESULT TD3DSurface::UnlockRect()
{
    if (!locked_)
        return D3DERR_INVALIDCALL;
    locked_ = false;
    if (!readOnlyLock_)
        image_->Touch();
    return D3D_OK;
}

TD3DSurface* ToSurface(IDirect3DSurface9* surface)
{
    return dynamic_cast<TD3DSurface*>(surface);
}
