#pragma once
// Volume textures: a chain of volumes.
#include "platform/d3d9/basetexture.h"
#include "platform/d3d9/volume.h"

#include <vector>

class TD3DVolumeTexture : public TD3DBaseTexture<IDirect3DVolumeTexture9>
{
public:
    TD3DVolumeTexture(TD3DDevice* device, UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                      D3DFORMAT format, D3DPOOL pool);
    ~TD3DVolumeTexture() override;

    HRESULT GetLevelDesc(UINT level, D3DVOLUME_DESC* desc) override;
    HRESULT GetVolumeLevel(UINT level, IDirect3DVolume9** volume) override;
    HRESULT LockBox(UINT level, D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) override;
    HRESULT UnlockBox(UINT level) override;
    HRESULT AddDirtyBox(const D3DBOX* box) override { return D3D_OK; }

private:
    bool Answers(REFIID riid) const override
    {
        return AnswersBase(riid) || riid == IID_IDirect3DVolumeTexture9;
    }

    std::vector<TD3DVolume*> volumes_;
};
