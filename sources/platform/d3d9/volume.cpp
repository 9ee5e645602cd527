#include "platform/d3d9/volume.h"

#include "platform/d3d9/format.h"

TD3DVolume::TD3DVolume(IDirect3DVolumeTexture9* container, TImage* image, D3DPOOL pool, DWORD usage,
                       bool lockable)
    : TD3DUnknown(nullptr, 0), container_(container), image_(image), pool_(pool), usage_(usage),
      lockable_(lockable)
{
}

HRESULT TD3DVolume::GetContainer(REFIID riid, void** container)
{
    if (!container)
        return D3DERR_INVALIDCALL;
    return container_->QueryInterface(riid, container);
}

HRESULT TD3DVolume::GetDesc(D3DVOLUME_DESC* desc)
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = {image_->Format(), D3DRTYPE_VOLUME,  usage_,         pool_,
             image_->Width(),  image_->Height(), image_->Depth()};
    return D3D_OK;
}

HRESULT TD3DVolume::LockBox(D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags)
{
    if (!locked || !lockable_ || locked_)
        return D3DERR_INVALIDCALL;
    D3DBOX area = {0, 0, image_->Width(), image_->Height(), 0, image_->Depth()};
    if (box)
    {
        if (box->Left >= box->Right || box->Top >= box->Bottom || box->Front >= box->Back ||
            box->Right > area.Right || box->Bottom > area.Bottom || box->Back > area.Back)
            return D3DERR_INVALIDCALL;
        if (IsBlockFormat(image_->Format()) && ((box->Left | box->Top) & 3))
            return D3DERR_INVALIDCALL;
        area = *box;
    }
    const D3DFORMAT format = image_->Format();
    const UINT row = IsBlockFormat(format) ? area.Top / 4 : area.Top;
    locked->RowPitch = INT(image_->Pitch());
    locked->SlicePitch = INT(image_->SlicePitch());
    locked->pBits = image_->Row(row, area.Front) + (area.Left ? FormatPitch(format, area.Left) : 0);
    locked_ = true;
    readOnlyLock_ = (flags & D3DLOCK_READONLY) != 0;
    return D3D_OK;
}

HRESULT TD3DVolume::UnlockBox()
{
    if (!locked_)
        return D3DERR_INVALIDCALL;
    locked_ = false;
    if (!readOnlyLock_)
        image_->Touch();
    return D3D_OK;
}
