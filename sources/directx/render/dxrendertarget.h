#pragma once
// TDxRenderTarget: a colour target (a render-target texture whose level 0 is drawn into and
// which is sampled through the embedded texture) or a depth-stencil surface. The manager pools
// them; the device manager wraps its back buffer and depth-stencil surface in two of them.
#include "directx/render/dxtexture.h"
#include "engine/render/rendertarget.h"

// Flags.
constexpr u32 RENDER_TARGET_MIPMAPS = 0x1; // the colour texture generates its mip-maps

// Repository words: made by the manager, or wrapping a surface of the device.
constexpr u32 RENDER_TARGET_POOLED = 6;
constexpr u32 RENDER_TARGET_WRAPPED = 1;

class TDxRenderTarget : public TRenderTarget
{
public:
    TDxRenderTarget();
    explicit TDxRenderTarget(const char* name);

    // TResource.
    i32 Load() override;
    i32 Release() override;
    i32 OnDeviceLost() override;

    // TRenderTarget.
    TTexture* GetTexture() override;
    void* Lock(u32& bytes, i32 mode) override;
    void Unlock() override;
    void SetRenderTargets(TRenderTarget* depth, TRenderTarget* target1, TRenderTarget* target2,
                          TRenderTarget* target3) override;
    void SetRenderTarget(TRenderTarget* depth) override;
    void ReleaseReference() override;

    // Takes over one reference of a device surface (null: none), with its size and format;
    // the target and its texture are loaded at once and nothing is created.
    void Attach(IDirect3DSurface9* surface);
    // Gives up the wrapped surface.
    void Detach();
    // Fills a target the manager hands out.
    void Setup(const TName& name, u32 width, u32 height, u32 format, u32 shareable, u32 flags);

    IDirect3DSurface9* GetSurface() const { return m_pSurface; }
    // Bytes of the target: bits per pixel x width x height / 8.
    u32 GetSizeEstimate() const;

    u32 m_nFlags;
    u32 m_nDepth;
    u32 m_nShareable;
    u32 m_nWidth;
    u32 m_nHeight;
    // Engine format code.
    u32 m_nFormat;
    // 1 after creation; -1 while free.
    i32 m_nReferences;
    u32 m_nFree;
    TDxTexture m_Texture;
    IDirect3DSurface9* m_pSurface;

private:
    // Binds this target's surface in slot 0 and the depth target's surface.
    void _Bind(TRenderTarget* depth);
};
