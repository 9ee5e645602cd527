#include "platform/d3d9/volumetexture.h"

TD3DVolumeTexture::TD3DVolumeTexture(TD3DDevice* device, UINT width, UINT height, UINT depth, UINT levels,
                                     DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : TD3DBaseTexture(device, D3DRTYPE_VOLUMETEXTURE, pool, usage, format, width, height, depth, levels, 1)
{
    for (UINT level = 0; level < StoredLevels(); ++level)
        volumes_.push_back(new TD3DVolume(this, &Image(0, level), pool, usage, Lockable()));
}

TD3DVolumeTexture::~TD3DVolumeTexture()
{
    for (TD3DVolume* volume : volumes_)
        delete volume;
}

HRESULT TD3DVolumeTexture::GetLevelDesc(UINT level, D3DVOLUME_DESC* desc)
{
    if (level >= GetLevelCount())
        return D3DERR_INVALIDCALL;
    return volumes_[level]->GetDesc(desc);
}

HRESULT TD3DVolumeTexture::GetVolumeLevel(UINT level, IDirect3DVolume9** volume)
{
    if (!volume || level >= GetLevelCount())
        return D3DERR_INVALIDCALL;
    *volume = volumes_[level];
    (*volume)->AddRef();
    return D3D_OK;
}

HRESULT TD3DVolumeTexture::LockBox(UINT level, D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags)
{
    if (level >= GetLevelCount())
        return D3DERR_INVALIDCALL;
    return volumes_[level]->LockBox(locked, box, flags);
}

HRESULT TD3DVolumeTexture::UnlockBox(UINT level)
{
    if (level >= GetLevelCount())
        return D3DERR_INVALIDCALL;
    return volumes_[level]->UnlockBox();
}
