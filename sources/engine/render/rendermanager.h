#pragma once
// TRenderManager ("Render"): the spine of every frame. It keeps the registry of renderers,
// chooses the one that draws each viewport, opens the frame with its render-list word 0 and
// closes it with word 1, and owns the state of the current pass (the bound target, whether a
// scene is open, the ping-pong pair of pipeline targets) through which every full-screen pass
// binds its target. Its pipeline recorder (pipelinerecorder.h) lists the passes of a frame.
// The viewport manager draws each viewport through RenderViewport. Main thread only.
#include "core/cluster/clustermethods.h"
#include "engine/render/devicemethods.h"
#include "engine/render/renderer.h"
#include "engine/system/manager.h"

class TCamera;
class TRenderTarget;
class TShader;
class TTexture;
class TViewport;
struct TViewportSet;

// Render-list words.
constexpr u32 RENDER_STEP_FRAME_BEGIN = 0;
constexpr u32 RENDER_STEP_FRAME_END = 1;

constexpr u32 RENDER_PUBLISHED_TARGETS = 7;
// The published words of the deferred renderer's targets.
constexpr u32 PUBLISHED_COLOR = 1;
constexpr u32 PUBLISHED_POSITION = 2;
constexpr u32 PUBLISHED_NORMAL = 3;
constexpr u32 PUBLISHED_TEMP1 = 4;
constexpr u32 PUBLISHED_TEMP2 = 5;
constexpr u32 PUBLISHED_TEMP3 = 6;
// The frame clear flags at start: colour, depth and stencil.
constexpr u32 RENDER_FRAME_CLEAR_DEFAULT = 7;

// BeginPipelinePass flags.
constexpr u32 PIPELINE_KEEP_TARGET = 0x2;
constexpr u32 PIPELINE_COPY_PREVIOUS = 0x4;
// SetPassTarget flags (BeginPipelinePass passes these on).
constexpr u32 PASS_ATTACH_DEPTH = 0x8;
constexpr u32 PASS_CLEAR_COLOUR = 0x10;
constexpr u32 PASS_CLEAR_DEPTH = 0x20;
constexpr u32 PASS_CLEAR_STENCIL = 0x40;
constexpr u32 PASS_PIPELINE_BIND = 0x8000;
// Bind values that skip a repeat of themselves.
constexpr u32 PASS_REPEAT_MASK = 0xA;

class TRenderManager : public TManager, public TDeviceMethods, public TClusterMethods
{
public:
    TRenderManager();

    // Registers its listeners, then the forward and the deferred renderer.
    void BeginManager() override;
    // The renderers' targets and the recorder's texture go back.
    void EndManager() override;
    // Word 0 the frame start, word 1 the frame end; other words nothing.
    void RenderManager() override;

    // TDeviceMethods: the first step of a reset or re-creation releases the renderers' targets,
    // the last step of a creation or reset makes them again.
    void OnDeviceRelease() override;
    void OnDeviceRestore() override;
    // TClusterMethods: the first render scene becomes current, then both renderers initialise.
    void OnClusterLoad() override;

    // Stores the renderer at its index; a taken index logs and is replaced.
    void __RegisterRenderer(TRenderer* renderer);
    TRenderer* GetRegistered(u32 index) const { return m_apRegistry[index]; }
    // Keeps the active renderer while the override flag is set; else the candidate, or the
    // preferred renderer when enabled, else the fall-back one.
    TRenderer* _SelectRenderer(TRenderer* candidate);
    TRenderer* GetActiveRenderer() const { return m_pActiveRenderer; }
    void SetOverride(u32 on) { m_nOverride = on; }

    // Draws one viewport: it becomes current and applies its camera, the renderer it names (or
    // the fall-back one when that is disabled) becomes active, and the active renderer draws
    // it as render queue 0.
    void RenderViewport(TViewport* viewport);

    // The next full-screen pass: flips between the ping-pong targets A and B unless it keeps
    // the current one (flag 2), copies the previous target in (4), attaches depth (8).
    void BeginPipelinePass(u32 flags);
    // Binds a target (with up to three more) and opens a pass; binds of 2 or 10 skip a repeat.
    void SetPassTarget(TRenderTarget* target, TRenderTarget* target1, TRenderTarget* target2,
                       TRenderTarget* target3, u32 flags, u32 colour);
    void BindPublishedTarget(u32 index, u32 flags);
    void BindTarget(TRenderTarget* target, u32 flags, u32 colour);
    void BindBackBuffer(u32 attachDepth);
    // The previous pipeline target's texture, null when there is none.
    TTexture* GetPreviousTexture() const;
    // Back to no pass state: index -1, no current target, no flags.
    void ResetPassState();
    // The flags the next bind compares with for a repeat.
    void SetLastBindFlags(u32 flags) { m_nLastBindFlags = flags; }
    // Ends the open scene, if any: the next bind opens the next pass.
    void EndPass();
    // Binds a target with a depth target of its own (a shadow map's), clears with the device's
    // clear flags and opens a pass.
    void BindTargetWithDepth(TRenderTarget* target, TRenderTarget* depth, u32 clearFlags, u32 colour);

    // The pipeline recorder's step (while recording), its viewer and its reset.
    void RecordPipelineStep(const TName& step, TShader* shader);
    void _RenderStatistics();
    void _ResetPipelineDebug();

    // The table the active renderer publishes into: words 1-6.
    TRenderTarget* GetPublishedTarget(u32 index) const { return m_apPublished[index]; }
    void SetPublishedTarget(u32 index, TRenderTarget* target) { m_apPublished[index] = target; }
    void SetPingPong(u32 a, u32 b)
    {
        m_nPingPongA = a;
        m_nPingPongB = b;
    }
    i32 GetPingPongIndex() const { return m_nPingPong; }
    TRenderTarget* GetCurrentTarget() const { return m_pCurrentTarget; }
    TRenderTarget* GetPreviousTarget() const { return m_pPreviousTarget; }
    u32 IsPassOpen() const { return m_nPassOpen; }
    u32 IsPipelineBind() const { return m_nPipelineBind; }
    u32 GetFrameClearFlags() const { return m_nFrameClearFlags; }
    void SetFrameClearFlags(u32 flags) { m_nFrameClearFlags = flags; }

    TViewport* GetCurrentViewport() const { return m_pCurrentViewport; }
    void SetCurrentViewport(TViewport* viewport) { m_pCurrentViewport = viewport; }
    TCamera* GetCurrentCamera() const { return m_pCurrentCamera; }
    void SetCurrentCamera(TCamera* camera) { m_pCurrentCamera = camera; }
    TViewportSet* GetCurrentViewportSet() const { return m_pCurrentViewportSet; }
    void SetCurrentViewportSet(TViewportSet* set) { m_pCurrentViewportSet = set; }

    // Set between the frame start and the frame end: the canvas draws only inside a frame.
    u32 m_nInRender;

private:
    void _BeginFrame();
    void _EndFrame();
    // The canvas's copy shader with the texture over the whole bound target.
    static void _CopyTexture(TTexture* texture);

    TRenderTarget* m_apPublished[RENDER_PUBLISHED_TARGETS];
    u32 m_nPipelineBind;
    u32 m_nPassOpen;
    i32 m_nPingPong;
    u32 m_nPingPongA;
    u32 m_nPingPongB;
    TRenderTarget* m_pCurrentTarget;
    TRenderTarget* m_pPreviousTarget;
    u32 m_nFrameClearFlags;
    TRenderer* m_pActiveRenderer;
    u32 m_nLastBindFlags;
    u32 m_nOverride;
    TRenderer* m_apRegistry[RENDERER_REGISTRY_SIZE];

    TViewport* m_pCurrentViewport;
    TCamera* m_pCurrentCamera;
    TViewportSet* m_pCurrentViewportSet;
};

extern TRenderManager* g_pRenderManager;

// Set by the platform: the viewport set the viewport manager draws, and the shader manager's
// once-a-frame run of its global parameter plug-ins. Null: none.
extern TViewportSet* (*g_pFindViewportSet)();
extern void (*g_pApplyGlobalShaderParameters)();
// The variable rendermanager_backgroundcolor (ARGB; the frame forces alpha 0xFF).
u32 RenderBackgroundColor();
