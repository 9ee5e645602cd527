#pragma once
// TDxTextureManager ("Texture", back end "Dx"): owns every texture and texture animation, and
// steps the animations each frame.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/marray.h"
#include "directx/render/dxtexture.h"
#include "directx/render/dxtextureanimation.h"
#include "engine/render/texturemanager.h"

constexpr i32 DX_TEXTURE_GROWTH = 1024;

class TDxTextureManager : public TTextureManager, public TClusterMethods
{
public:
    TDxTextureManager();

    // Hears of cluster loads, to adopt the loaded animations.
    i32 InitializeManager() override;
    // TManager: every animation steps by the frame time.
    void UpdateManager(f32 step) override;

    // TTextureManager.
    i32 GetTextureCount() override { return m_aTexture.GetCount(); }
    TTexture* GetTexture(i32 index) override { return m_aTexture[index]; }
    TTexture* FindTexture(const TName& name) override;
    TTexture* CreateTexture(const TName& name, i32 width, i32 height, i32 depth, i32 levels, i32 type, i32 format,
                            u32 flags) override;
    TTexture* CreateTextureEntry(const TName& name) override;
    i32 GetTextureAnimationCount() override { return m_aAnimation.GetCount(); }
    TTextureAnimation* GetTextureAnimation(i32 index) override { return m_aAnimation[index]; }
    TTextureAnimation* FindTextureAnimation(const TName& name) override;
    TTextureAnimation* CreateTextureAnimation(const TName& name) override;

    // TClusterManager: the cluster sees every texture and texture animation; a load hands its
    // own over (those held before are unloaded and deleted).
    i32 GetArray(u32 typeId, void*& data, i32& count) override;
    i32 SetArray(u32 typeId, void* data, i32 count) override;

    // Unloads and deletes everything.
    void Clear();

    // Every loaded animation adopted, once its objects are whole.
    void OnClusterLoad() override;
    // The loaded animation at `index`: its frames cut to the textures it links (a frame that is
    // no texture of ours ends them), its target told its index.
    void AdoptAnimation(i32 index);

private:
    MArray<TDxTexture, 1, DX_TEXTURE_GROWTH> m_aTexture;
    // The pointer table of the loaded textures, which the cluster fills.
    DArray<TDxTexture*> m_aLoaded;
    DArray<TDxTexture*> m_aForeign;
    MArray<TDxTextureAnimation, 1, DX_TEXTURE_GROWTH> m_aAnimation;
    DArray<TDxTextureAnimation*> m_aLoadedAnimation;
    DArray<TDxTextureAnimation*> m_aForeignAnimation;
};

extern TDxTextureManager* g_pDxTextureManager;
