#pragma once
// TRenderManager ("Render"): stands in for the render pipeline until it is built. Its render
// step clears the back buffer to the clear colour, and its in-render flag tells the canvas
// that a frame is being drawn.
#include "engine/system/manager.h"

constexpr u32 RENDER_CLEAR_COLOUR = 0xFF2A4A6A;

class TRenderManager : public TManager
{
public:
    TRenderManager();
    void RenderManager() override;

    // Set while the frame is drawn.
    u32 m_nInRender;
};

extern TRenderManager* g_pRenderManager;
