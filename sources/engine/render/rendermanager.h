#pragma once
// TRenderManager ("Render"): stands in for the render pipeline until it is built. It opens the
// frame with its render-list word 0 (the back buffer cleared to the clear colour) and closes it
// with word 1; its in-render flag, set in between, tells the canvas that a frame is being
// drawn. It keeps the viewport, camera and viewport set being drawn.
#include "engine/system/manager.h"

class TCamera;
class TRenderer;
class TViewport;
struct TViewportSet;

constexpr u32 RENDER_CLEAR_COLOUR = 0xFF2A4A6A;
// Render-list words.
constexpr u32 RENDER_STEP_FRAME_BEGIN = 0;
constexpr u32 RENDER_STEP_FRAME_END = 1;

class TRenderManager : public TManager
{
public:
    TRenderManager();
    void RenderManager() override;

    // Applies the viewport and draws its render scenes, or every scene when it lists none.
    void RenderViewport(TViewport* viewport);
    // The renderer that draws the viewports: the forward renderer until the pipeline chooses.
    TRenderer* GetRenderer() const;

    TViewport* GetCurrentViewport() const { return m_pCurrentViewport; }
    void SetCurrentViewport(TViewport* viewport) { m_pCurrentViewport = viewport; }
    TCamera* GetCurrentCamera() const { return m_pCurrentCamera; }
    void SetCurrentCamera(TCamera* camera) { m_pCurrentCamera = camera; }
    TViewportSet* GetCurrentViewportSet() const { return m_pCurrentViewportSet; }
    void SetCurrentViewportSet(TViewportSet* set) { m_pCurrentViewportSet = set; }

    // Set while the frame is drawn.
    u32 m_nInRender;

private:
    TViewport* m_pCurrentViewport;
    TCamera* m_pCurrentCamera;
    TViewportSet* m_pCurrentViewportSet;
};

extern TRenderManager* g_pRenderManager;
