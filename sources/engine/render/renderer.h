#pragma once
// TRenderer: base of the renderers the render manager chooses between (the forward renderer at
// registry index 0, the deferred renderer at index 1). A renderer opens the frame, draws the
// render queues the viewport manager hands it by id, and publishes the targets later passes
// read. Its nine operations keep this slot order.
#include "core/math/matrix.h"
#include "core/system/name.h"
#include "core/system/types.h"

class TRenderObject;
class TShader;
class TViewport;

// The render pass a renderer draws: a viewport (its flags, render scenes, renderer and colour).
using TRenderPass = TViewport;

// Render-queue ids: the words of the viewport manager's render-list entries, and 0, which each
// viewport draw passes.
constexpr u32 RENDER_QUEUE_OPAQUE = 0;
constexpr u32 RENDER_QUEUE_OPAQUE_LIGHTING = 1;
constexpr u32 RENDER_QUEUE_TRANSPARENT = 20;
constexpr u32 RENDER_QUEUE_TRANSPARENT_LIGHTING = 21;

// Flags: the renderer draws through the pipeline colour targets, so the frame end copies the
// last one to the back buffer.
constexpr u32 RENDERER_PIPELINE_TARGETS = 2;
// Registry indexes.
constexpr u32 RENDERER_FALLBACK = 0;
constexpr u32 RENDERER_PREFERRED = 1;
constexpr u32 RENDERER_REGISTRY_SIZE = 2;

// Non-zero when the object may receive the light (the argument); camera is the clip volume's
// view-projection. The forward renderer's spot test.
u32 ObjectInLightVolume(TRenderObject* object, const TMatrix* camera, void* light);

// Set by a renderer while it draws imposters: called with the imposter shader and the pass
// word before the imposter vertices are drawn.
extern void (*g_pImposterDrawCallback)(TShader* shader, u32 pass);

// What the device offers the renderers.
struct TRendererCaps
{
    u32 nMaxRenderTargets;
    // Major x 1000 + minor.
    u32 nPixelShaderVersion;
    // 1 when A8R8G8B8 and A16B16G16R16F textures filter, R32F render-target textures and D24X8
    // depth-stencil surfaces exist.
    u32 nFloatTargets;
};

static_assert(sizeof(TRendererCaps) == 12);

class TRenderer
{
public:
    TRenderer(const char* name, u32 flags, u32 index);
    virtual ~TRenderer() = default;
    // Sets the supported word from the capabilities.
    virtual void CheckSupport(const TRendererCaps& caps) = 0;
    // 0 on success.
    virtual i32 Initialize() = 0;
    virtual void ReleaseRenderTargets() = 0;
    virtual void CreateRenderTargets() = 0;
    // Writes the renderer's output targets into the render manager's published-target table.
    virtual void PublishTargets() = 0;
    virtual void EndFrame() {}
    // Clear flags DEVICE_CLEAR_*, colour as ARGB.
    virtual void BeginFrame(u32 clearFlags, u32 colour) = 0;
    // pass may be null (render-list entries other than 0 and 10).
    virtual void RenderQueue(TRenderPass* pass, u32 id) = 0;

    // Unsupported: a log line and nothing else; disabled: enabled and initialised.
    void Enable();

    TName m_Name;
    // 1 when the renderer may draw.
    u32 m_nEnabled;
    // 1 when the device can run it.
    u32 m_nSupported;
    u32 m_nFlags;
    u32 m_nIndex;
};
