#pragma once
// The operations that 2D, cube and volume textures share.
#include "platform/d3d9/resource.h"
#include "platform/d3d9/texturestore.h"

template <class Interface> class TD3DBaseTexture : public TD3DResource<Interface>, public TTextureStore
{
public:
    DWORD SetLOD(DWORD lod) override
    {
        if (this->Pool() != D3DPOOL_MANAGED)
            return 0;
        const DWORD previous = lod_;
        lod_ = lod < StoredLevels() ? lod : StoredLevels() - 1;
        return previous;
    }
    DWORD GetLOD() override { return lod_; }
    // A texture with automatic mipmaps shows one level; the others are the device's business.
    DWORD GetLevelCount() override { return AutoGenerates() ? 1 : StoredLevels(); }
    HRESULT SetAutoGenFilterType(D3DTEXTUREFILTERTYPE filter) override
    {
        if (filter == D3DTEXF_NONE)
            return D3DERR_INVALIDCALL;
        filter_ = filter;
        return D3D_OK;
    }
    D3DTEXTUREFILTERTYPE GetAutoGenFilterType() override { return filter_; }
    void GenerateMipSubLevels() override { PrepareForSampling(); }

    // The most detailed level sampling may use.
    UINT LodClamp() const { return lod_; }

protected:
    TD3DBaseTexture(TD3DDevice* device, D3DRESOURCETYPE type, D3DPOOL pool, DWORD usage, D3DFORMAT format,
                    UINT width, UINT height, UINT depth, UINT levels, UINT faces)
        : TD3DResource<Interface>(device, type, pool, usage, 1),
          TTextureStore(type, format, width, height, depth, levels, faces,
                        (usage & D3DUSAGE_AUTOGENMIPMAP) != 0)
    {
    }

    bool AnswersBase(REFIID riid) const
    {
        return this->AnswersResource(riid) || riid == IID_IDirect3DBaseTexture9;
    }
    bool Lockable() const { return this->Pool() != D3DPOOL_DEFAULT || (this->Usage() & D3DUSAGE_DYNAMIC); }

private:
    DWORD lod_ = 0;
    D3DTEXTUREFILTERTYPE filter_ = D3DTEXF_LINEAR;
};
