#pragma once
// 2D textures: a chain of level surfaces.
#include "platform/d3d9/basetexture.h"
#include "platform/d3d9/surface.h"

#include <vector>

class TD3DTexture : public TD3DBaseTexture<IDirect3DTexture9>
{
public:
    TD3DTexture(TD3DDevice* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                D3DPOOL pool);
    ~TD3DTexture() override;

    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;
    HRESULT AddDirtyRect(const RECT* rect) override { return D3D_OK; }

    TD3DSurface* Level(UINT level) { return surfaces_[level]; }

private:
    bool Answers(REFIID riid) const override { return AnswersBase(riid) || riid == IID_IDirect3DTexture9; }

    std::vector<TD3DSurface*> surfaces_;
};
