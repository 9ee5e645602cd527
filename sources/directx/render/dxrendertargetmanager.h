#pragma once
// TDxRenderTargetManager ("RenderTarget", back end "Dx"): up to 64 targets in creation order,
// shared between equal shareable requests, recycled through a free list, bound four colour
// targets and one depth target at a time, and locked through four system-memory surfaces (one
// per lockable format).
#include "core/system/templates/sarray.h"
#include "directx/render/dxrendertarget.h"
#include "engine/render/devicemethods.h"
#include "engine/render/rendertargetmanager.h"

constexpr u32 DX_RENDER_TARGET_CAPACITY = 64;
constexpr u32 DX_RENDER_TARGET_SLOTS = 4;
constexpr u32 DX_LOCK_SURFACES = 4;
// The locked-surface index while nothing is locked.
constexpr i32 DX_LOCK_NONE = -1;

class TDxRenderTargetManager : public TRenderTargetManager, public TDeviceMethods
{
public:
    TDxRenderTargetManager();

    // TManager.
    void BeginManager() override;
    void EndManager() override;

    // TRenderTargetManager.
    i32 GetRenderTargetCount() override { return static_cast<i32>(m_aTarget.GetCount()); }
    TRenderTarget* GetRenderTarget(i32 index) override { return &m_aTarget[static_cast<u32>(index)]; }
    TRenderTarget* CreateRenderTarget(const TName& name, u32 width, u32 height, u32 format, u32 shareable,
                                      u32 unused, u32 flags) override;
    TRenderTarget* GetCurrentTarget(i32 index) override;
    TRenderTarget* GetCurrentDepthTarget() override { return m_pCurrentDepth; }

    // TDeviceMethods: the lock surfaces go with the device.
    void OnDeviceRelease() override;

    // A released target waits here for the next request.
    void _PushFree(TDxRenderTarget* target);
    u32 GetFreeCount() const { return m_nFreeCount; }

    TRenderTarget* m_apCurrent[DX_RENDER_TARGET_SLOTS];
    TRenderTarget* m_pCurrentDepth;
    // Lock state shared by all targets.
    IDirect3DSurface9* m_apLockSurface[DX_LOCK_SURFACES];
    i32 m_nLocked;
    u32 m_nLockedBytes;
    i32 m_nLockMode;

private:
    u32 m_nFreeCount;
    TDxRenderTarget* m_apFree[DX_RENDER_TARGET_CAPACITY];
    SArray<TDxRenderTarget, DX_RENDER_TARGET_CAPACITY, 1> m_aTarget;
};

extern TDxRenderTargetManager* g_pDxRenderTargetManager;
