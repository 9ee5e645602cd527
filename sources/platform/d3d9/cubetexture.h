#pragma once
// Cube textures: six faces of level surfaces, face by face.
#include "platform/d3d9/basetexture.h"
#include "platform/d3d9/surface.h"

#include <vector>

class TD3DCubeTexture : public TD3DBaseTexture<IDirect3DCubeTexture9>
{
public:
    TD3DCubeTexture(TD3DDevice* device, UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    ~TD3DCubeTexture() override;

    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface9** surface) override;
    HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                     DWORD flags) override;
    HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) override;
    HRESULT AddDirtyRect(D3DCUBEMAP_FACES face, const RECT* rect) override { return D3D_OK; }

    TD3DSurface* Face(UINT face, UINT level) { return surfaces_[face * StoredLevels() + level]; }

private:
    bool Answers(REFIID riid) const override
    {
        return AnswersBase(riid) || riid == IID_IDirect3DCubeTexture9;
    }

    std::vector<TD3DSurface*> surfaces_;
};
