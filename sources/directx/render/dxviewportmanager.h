#pragma once
// TDxViewportManager ("Viewport", back end "Dx"): owns the viewports and the current viewport
// set, to which new viewports may be appended. Viewports that follow the back buffer take its
// size after every device creation or reset and every cluster load.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/marray.h"
#include "directx/render/dxviewport.h"
#include "engine/render/devicemethods.h"
#include "engine/render/viewportset.h"
#include "engine/system/manager.h"

constexpr i32 DX_VIEWPORT_GROWTH = 1024;

class TDxViewportManager : public TManager, public TDeviceMethods, public TClusterMethods
{
public:
    TDxViewportManager();

    i32 GetViewportCount() { return m_aViewport.GetCount(); }
    TDxViewport* GetViewport(i32 index) { return m_aViewport[index]; }
    // A viewport with the construction defaults; with addToSet also appended to the current set
    // (refused with a log line when there is none or it is full).
    TDxViewport* __CreateViewport(const TName& name, u32 addToSet);
    void SetCurrentSet(TViewportSet* set)
    {
        m_pCurrentSet = set;
        m_bLoadedSet = false;
    }
    // The viewport last applied; null before the first.
    TDxViewport* GetCurrentViewport() const { return m_pCurrentViewport; }
    void SetCurrentViewport(TDxViewport* viewport) { m_pCurrentViewport = viewport; }
    TViewportSet* GetCurrentSet() const { return m_pCurrentSet; }
    // The viewport sets the cluster loads or saves.
    DArray<TViewportSet*>& ViewportSets() { return m_aLoadedSet; }
    // Deletes every viewport.
    void Clear();
    // Every viewport with the follow flag gets the rectangle (0, 0, video width, video height).
    void FitViewportsToDevice();

    void BeginManager() override;
    // Draws by the entry's word (VIEWPORT_MODE_*, viewportrendering.h).
    void RenderManager() override;
    void OnDeviceChange() override { FitViewportsToDevice(); }
    // Loaded viewports draw with the renderer the frame selects, and follow the back buffer.
    void OnClusterLoad() override;
    // The set went with the cluster.
    void OnClusterUnload() override { m_pCurrentSet = nullptr; }
    // TClusterManager: a load hands its viewports over (those held before are deleted, and the
    // current viewport forgotten); the first of its viewport sets becomes the current set, and
    // goes when a cleared cluster hands an empty set array over.
    i32 GetArray(u32 typeId, void*& data, i32& count) override;
    i32 SetArray(u32 typeId, void* data, i32 count) override;

private:
    MArray<TDxViewport, 1, DX_VIEWPORT_GROWTH> m_aViewport;
    // The pointer tables of the loaded viewports and viewport sets, which the cluster fills.
    DArray<TDxViewport*> m_aLoaded;
    DArray<TDxViewport*> m_aForeign;
    DArray<TViewportSet*> m_aLoadedSet;
    TViewportSet* m_pCurrentSet;
    TDxViewport* m_pCurrentViewport;
    // The current set is one of the loaded sets, which go with the cluster.
    bool m_bLoadedSet;
};

extern TDxViewportManager* g_pDxViewportManager;
