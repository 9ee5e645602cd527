#pragma once
// TForwardRendering: the fall-back renderer (registry index 0), which needs pixel shader 2.0 and
// draws each viewport straight into the back buffer: one pass lit by the main directional
// light ("Shader_forwardrendering_light_directional", imposters with
// "Shader_imposter_forwardrendering"), then one additive pass per spot light
// ("Shader_forwardrendering_light_spot") over the objects the spot test lets through; at most
// four further lights a viewport (point lights take places without drawing).
#include "engine/render/renderer.h"

class TCamera;
class TLight;
class TRenderContext;
struct TRenderQueue;
struct TViewportRecord;

// Pixel shader 2.0.
constexpr u32 FORWARD_MIN_PIXEL_SHADER = 2000;
// Lights a forward pass handles, the directional one included.
constexpr u32 FORWARD_LIGHT_LIMIT = 4;

// The spot test's constants: objects up to this radius (x 0.6) only by their sphere, beyond the
// far one first by the light's reach.
constexpr f32 SPOT_TEST_RADIUS_FACTOR = 0.6f;
constexpr f32 SPOT_TEST_SMALL_RADIUS = 10.0f;
constexpr f32 SPOT_TEST_LARGE_RADIUS = 100.0f;
constexpr f32 SPOT_TEST_RANGE_MARGIN = 1.1f;

// A spot pass is scissored to its reach's screen rectangle: the cube about the range's sphere,
// this much wider, and these pixels more on each side for the rounding across a triangle.
constexpr f32 REACH_RANGE_MARGIN = 1.01f;
constexpr f32 REACH_PIXEL_MARGIN = 2.0f;

class TForwardRendering : public TRenderer
{
public:
    TForwardRendering();

    void CheckSupport(const TRendererCaps& caps) override;
    i32 Initialize() override;
    void ReleaseRenderTargets() override {}
    void CreateRenderTargets() override {}
    void PublishTargets() override {}
    // The back buffer with depth, cleared.
    void BeginFrame(u32 clearFlags, u32 colour) override;
    // 0: the forward pass of the pass; 21: the back buffer again; other ids nothing.
    void RenderQueue(TRenderPass* pass, u32 id) override;

    // The light the directional pass uses and whether its scenes are drawn inline (no light
    // qualified: the first directional light whatever its state); null: no directional pass.
    static TLight* FindDirectionalLight(u32& inline_);
    // The pixels of the viewport (left, top, right, bottom; right and bottom excluded) where a
    // light can add anything: beyond its range it adds nothing. False when its reach extends
    // behind the eye, where the projection has no bound.
    static bool ReachRectangle(TLight& light, const TCamera& camera, const TViewportRecord& viewport,
                               i32 (&rect)[4]);

private:
    void _RenderPass(TRenderPass* pass);
    // 1 when a directional pass was drawn.
    u32 _RenderDirectional(TRenderPass* pass, TRenderQueue* alphaBlend);
    void _RenderFurtherLights(TRenderPass* pass, TRenderQueue* alphaBlend, u32 count);
};

extern TForwardRendering* g_pForwardRendering;
