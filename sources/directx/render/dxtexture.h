#pragma once
// TDxTexture: the Direct3D 9 form of a texture resource. 2D, cube and volume textures, managed
// (or, on a 9Ex device, default-pool), dynamic or staged; levels are streamed from repository
// data straight into locked texture memory, with the top levels skipped when the device or
// the settings ask for smaller textures.
#include "engine/render/texture.h"
#include "engine/system/command/variable.h"
#include "platform/d3d9/d3d9.h"

// The level skip of one texture: what is created, and how many stored top levels are left out.
struct TTextureLevelSkip
{
    i32 nSkip;
    i32 nWidth;
    i32 nHeight;
    i32 nDepth;
    i32 nLevels;
};

// The skip for a texture of that size and level count (0: full chain): first the requested
// skip, raised while a dimension exceeds maxDimension; a skip that would leave a side of 4 or
// less, or every level, skips nothing. With the mipmap test on, a size that is not a power of
// two keeps one level.
TTextureLevelSkip ComputeLevelSkip(i32 width, i32 height, i32 depth, i32 levels, D3DFORMAT format, i32 skip,
                                   u32 maxDimension, bool mipmapTest);

class TDxTexture : public TTexture
{
public:
    TDxTexture() = default;

    // TResource.
    i32 Load() override;
    i32 Release() override;
    i32 OnDeviceLost() override;
    void OnDataArrived(u32 tag) override;

    // TTexture.
    i32 CopyFromRenderTarget(i32 level, TRenderTarget* target) override;
    i32 Copy(i32 levelOrFace, TTexture* source) override;
    void* Lock(i32 mode, i32 level, u32& pitch, u32& size) override;
    void Unlock(i32 level) override;
    TTextureAnimation* GetAnimation() override;

    // Creates the Direct3D texture (nothing for an animation target).
    void __Create();

private:
    TTextureLevelSkip _LevelSkip() const;
    IDirect3DBaseTexture9* _CreateTexture(const TTextureLevelSkip& size, DWORD usage, D3DPOOL pool);
    // Reads every kept level (and face) into the load texture.
    void _ReadLevels(const TTextureLevelSkip& size);
    // Moves the load texture into the final one; the texture is then loaded.
    void _Complete();
    u32* _Statistic();
    // Uploads a system-memory surface into a level (2D) or face (cube).
    i32 _Upload(i32 levelOrFace, IDirect3DSurface9* source);
};

static_assert(sizeof(TDxTexture) == sizeof(TTexture));

// "device_texture_mipmap_skip": top levels every loaded texture leaves out.
extern TVariable& g_device_texture_mipmap_skip;
// "texture_mipmap_test": textures whose size is not a power of two get one level.
extern TVariable& g_texture_mipmap_test;

// Copies every level (and face) of one texture into another of the same description.
void _CopySurface(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* destination, i32 type, D3DFORMAT format);
