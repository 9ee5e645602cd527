#pragma once
// TRenderTarget: a resource drawing goes to and that can then be sampled as a texture: a colour
// target (a render-target texture) or a depth-stencil surface. Its Direct3D form is
// TDxRenderTarget, pooled by the render-target manager.
#include "engine/system/resource.h"

class TTexture;

// Engine format codes the renderers make their targets in.
constexpr u32 RENDER_TARGET_A8R8G8B8 = 258;
constexpr u32 RENDER_TARGET_R5G6B5 = 262;
constexpr u32 RENDER_TARGET_A16B16G16R16F = 1027;
constexpr u32 RENDER_TARGET_R32F = 1281;
constexpr u32 RENDER_TARGET_D24S8 = 516;

// Lock modes.
constexpr i32 RENDER_TARGET_LOCK_READ = 0;
constexpr i32 RENDER_TARGET_LOCK_WRITE = 1;
constexpr i32 RENDER_TARGET_LOCK_READ_WRITE = 2;

class TRenderTarget : public TResource
{
public:
    // The texture to sample (the target is loaded first).
    virtual TTexture* GetTexture() = 0;
    // The pixels in system memory and their byte count; null when they cannot be had.
    virtual void* Lock(u32& bytes, i32 mode) = 0;
    virtual void Unlock() = 0;
    // This target in colour slot 0, the others (or none) in slots 1-3, and the depth target.
    virtual void SetRenderTargets(TRenderTarget* depth, TRenderTarget* target1, TRenderTarget* target2,
                                  TRenderTarget* target3) = 0;
    // This target alone, with the depth target (or none).
    virtual void SetRenderTarget(TRenderTarget* depth) = 0;
    // Drops one reference; the last one gives the target back to its manager.
    virtual void ReleaseReference() = 0;
};
