#include "platform/d3d9/cubetexture.h"

TD3DCubeTexture::TD3DCubeTexture(TD3DDevice* device, UINT edge, UINT levels, DWORD usage, D3DFORMAT format,
                                 D3DPOOL pool)
    : TD3DBaseTexture(device, D3DRTYPE_CUBETEXTURE, pool, usage, format, edge, edge, 1, levels, 6)
{
    for (UINT face = 0; face < 6; ++face)
    {
        for (UINT level = 0; level < StoredLevels(); ++level)
            surfaces_.push_back(new TD3DSurface(device, static_cast<IDirect3DCubeTexture9*>(this), this,
                                                &Image(face, level), pool, usage, Lockable()));
    }
}

TD3DCubeTexture::~TD3DCubeTexture()
{
    for (TD3DSurface* surface : surfaces_)
        delete surface;
}

HRESULT TD3DCubeTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc)
{
    if (level >= GetLevelCount())
        return D3DERR_INVALIDCALL;
    return Face(0, level)->GetDesc(desc);
}

HRESULT TD3DCubeTexture::GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface9** surface)
{
    if (!surface || face > D3DCUBEMAP_FACE_NEGATIVE_Z || level >= GetLevelCount())
        return D3DERR_INVALIDCALL;
    *surface = Face(face, level);
    (*surface)->AddRef();
    return D3D_OK;
}

HRESULT TD3DCubeTexture::LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                                  DWORD flags)
{
    if (face > D3DCUBEMAP_FACE_NEGATIVE_Z || level >= GetLevelCount())
        return D3DERR_INVALIDCALL;
    if (!Lockable())
        return D3DERR_INVALIDCALL;
    return Face(face, level)->LockRect(locked, rect, flags);
}

HRESULT TD3DCubeTexture::UnlockRect(D3DCUBEMAP_FACES face, UINT level)
{
    if (face > D3DCUBEMAP_FACE_NEGATIVE_Z || level >= GetLevelCount())
        return D3DERR_INVALIDCALL;
    return Face(face, level)->UnlockRect();
}
