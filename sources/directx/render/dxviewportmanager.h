#pragma once
// TDxViewportManager ("Viewport", back end "Dx"): owns the viewports and the current viewport
// set, to which new viewports may be appended.
#include "core/system/templates/marray.h"
#include "directx/render/dxviewport.h"
#include "engine/render/viewportset.h"
#include "engine/system/manager.h"

constexpr i32 DX_VIEWPORT_GROWTH = 1024;

class TDxViewportManager : public TManager
{
public:
    TDxViewportManager();

    i32 GetViewportCount() { return m_aViewport.GetCount(); }
    TDxViewport* GetViewport(i32 index) { return m_aViewport[index]; }
    // A viewport with the construction defaults; with addToSet also appended to the current set
    // (refused with a log line when there is none or it is full).
    TDxViewport* __CreateViewport(const TName& name, u32 addToSet);
    void SetCurrentSet(TViewportSet* set) { m_pCurrentSet = set; }
    // The viewport last applied; null before the first.
    TDxViewport* GetCurrentViewport() const { return m_pCurrentViewport; }
    void SetCurrentViewport(TDxViewport* viewport) { m_pCurrentViewport = viewport; }
    TViewportSet* GetCurrentSet() const { return m_pCurrentSet; }
    // Deletes every viewport.
    void Clear();
    // What the render step draws (VIEWPORT_MODE_*): the current set by default.
    void SetMode(u32 mode) { m_nMode = mode; }
    void RenderManager() override;

private:
    MArray<TDxViewport, 1, DX_VIEWPORT_GROWTH> m_aViewport;
    TViewportSet* m_pCurrentSet;
    TDxViewport* m_pCurrentViewport;
    u32 m_nMode;
};

extern TDxViewportManager* g_pDxViewportManager;
