#include "platform/d3d9/texture.h"

TD3DTexture::TD3DTexture(TD3DDevice* device, UINT width, UINT height, UINT levels, DWORD usage,
                         D3DFORMAT format, D3DPOOL pool)
    : TD3DBaseTexture(device, D3DRTYPE_TEXTURE, pool, usage, format, width, height, 1, levels, 1)
{
    for (UINT level = 0; level < StoredLevels(); ++level)
        surfaces_.push_back(new TD3DSurface(device, static_cast<IDirect3DTexture9*>(this), this,
                                            &Image(0, level), pool, usage, Lockable()));
}

TD3DTexture::~TD3DTexture()
{
    for (TD3DSurface* surface : surfaces_)
        delete surface;
}

HRESULT TD3DTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc)
{
    if (level >= GetLevelCount())
        return D3DERR_INVALIDCALL;
    return surfaces_[level]->GetDesc(desc);
}

HRESULT TD3DTexture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface)
{
    if (!surface || level >= GetLevelCount())
        return D3DERR_INVALIDCALL;
    *surface = surfaces_[level];
    (*surface)->AddRef();
    return D3D_OK;
}

HRESULT TD3DTexture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags)
{
    if (level >= GetLevelCount())
        return D3DERR_INVALIDCALL;
    // The texture's pool and usage decide whether its levels may be locked at all.
    if (!Lockable())
        return D3DERR_INVALIDCALL;
    return surfaces_[level]->LockRect(locked, rect, flags);
}

HRESULT TD3DTexture::UnlockRect(UINT level)
{
    if (level >= GetLevelCount())
        return D3DERR_INVALIDCALL;
    return surfaces_[level]->UnlockRect();
}
