#pragma once
// TRenderTargetManager ("RenderTarget"): hands out pooled render targets by size and format.
// Its Direct3D form is TDxRenderTargetManager.
#include "engine/system/manager.h"

class TRenderTarget;

class TRenderTargetManager : public TManager
{
public:
    virtual i32 GetRenderTargetCount() = 0;
    virtual TRenderTarget* GetRenderTarget(i32 index) = 0;
    // A loaded target with one reference: a shareable request may get a live equal target.
    virtual TRenderTarget* CreateRenderTarget(const TName& name, u32 width, u32 height, u32 format, u32 shareable,
                                              u32 unused, u32 flags) = 0;
    // Colour slot 0-3, or 4 for the depth target.
    virtual TRenderTarget* GetCurrentTarget(i32 index) = 0;
    virtual TRenderTarget* GetCurrentDepthTarget() = 0;
};

extern TRenderTargetManager* g_pRenderTargetManager;
