#include "engine/render/rendermanager.h"

#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "engine/render/camera.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/deferredrendering.h"
#include "engine/render/device.h"
#include "engine/render/forwardrendering.h"
#include "engine/render/pipelinerecorder.h"
#include "engine/render/renderscenemanager.h"
#include "engine/render/rendertarget.h"
#include "engine/render/viewport.h"
#include "engine/render/viewportset.h"
#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"

TRenderManager* g_pRenderManager = nullptr;
TViewportSet* (*g_pFindViewportSet)() = nullptr;
void (*g_pApplyGlobalShaderParameters)() = nullptr;

namespace
{
TRenderManager s_RenderManager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Render", "Render", &g_pRenderManager, &s_RenderManager);

class Trendermanager_backgroundcolorVariable : public TVariable
{
public:
    Trendermanager_backgroundcolorVariable() : TVariable("rendermanager_backgroundcolor", "Background color.", 0)
    {
        m_Value.SetInt(0);
    }
    void OnChange() override {}
};

Trendermanager_backgroundcolorVariable s_rendermanager_backgroundcolor;

constexpr u32 kOpaque = 0xFF000000;
constexpr TColor kWhite = {1.0f, 1.0f, 1.0f, 1.0f};

TViewport* FirstViewport()
{
    TViewportSet* set = g_pFindViewportSet ? g_pFindViewportSet() : nullptr;
    return set && set->m_nViewportCount > 0 ? set->aViewport[0] : nullptr;
}
} // namespace

u32 RenderBackgroundColor()
{
    return static_cast<u32>(s_rendermanager_backgroundcolor.GetValue().ToInt());
}

TRenderManager::TRenderManager()
    : m_nInRender(0), m_apPublished{}, m_nPipelineBind(0), m_nPassOpen(0), m_nPingPong(-1), m_nPingPongA(0),
      m_nPingPongB(0), m_pCurrentTarget(nullptr), m_pPreviousTarget(nullptr),
      m_nFrameClearFlags(RENDER_FRAME_CLEAR_DEFAULT), m_pActiveRenderer(nullptr), m_nLastBindFlags(0), m_nOverride(0),
      m_apRegistry{}, m_pCurrentViewport(nullptr), m_pCurrentCamera(nullptr), m_pCurrentViewportSet(nullptr)
{
}

void TRenderManager::BeginManager()
{
    g_pCluster->AddListener(this);
    if (g_pDeviceManager)
        g_pDeviceManager->AddMethod(this);
    __RegisterRenderer(g_pForwardRendering);
    __RegisterRenderer(g_pDeferredRendering);
}

void TRenderManager::EndManager()
{
    for (TRenderer* renderer : m_apRegistry)
        if (renderer)
            renderer->ReleaseRenderTargets();
    g_PipelineRecorder.ReleaseTexture();
}

void TRenderManager::OnDeviceRelease()
{
    for (TRenderer* renderer : m_apRegistry)
        if (renderer)
            renderer->ReleaseRenderTargets();
}

void TRenderManager::OnDeviceRestore()
{
    for (TRenderer* renderer : m_apRegistry)
        if (renderer)
            renderer->CreateRenderTargets();
}

void TRenderManager::OnClusterLoad()
{
    DArray<TRenderScene*>& scenes = g_pRenderSceneManager->Scenes();
    g_pRenderSceneManager->SetCurrentScene(scenes.GetCount() > 0 ? scenes[0] : nullptr);
    for (TRenderer* renderer : m_apRegistry)
        if (renderer)
            renderer->Initialize();
}

void TRenderManager::__RegisterRenderer(TRenderer* renderer)
{
    TRenderer*& slot = m_apRegistry[renderer->m_nIndex];
    if (slot && slot != renderer)
        TLog::Print(g_pSystemLog, LOG_ERROR, "TRenderManager::__RegisterRenderer(): error: ",
                    "'%s':%d renderer replaced by '%s'", slot->m_Name.GetText(), renderer->m_nIndex,
                    renderer->m_Name.GetText());
    slot = renderer;
}

TRenderer* TRenderManager::_SelectRenderer(TRenderer* candidate)
{
    if (m_nOverride)
        return m_pActiveRenderer;
    if (candidate)
        m_pActiveRenderer = candidate;
    else
    {
        TRenderer* preferred = m_apRegistry[RENDERER_PREFERRED];
        m_pActiveRenderer = preferred && preferred->m_nEnabled ? preferred : m_apRegistry[RENDERER_FALLBACK];
    }
    return m_pActiveRenderer;
}

void TRenderManager::RenderManager()
{
    if (m_nStepWord == RENDER_STEP_FRAME_BEGIN)
        _BeginFrame();
    else if (m_nStepWord == RENDER_STEP_FRAME_END)
        _EndFrame();
}

void TRenderManager::_BeginFrame()
{
    if (!g_pDeviceManager || !g_pDeviceManager->IsDeviceReady())
        return;
    m_nInRender = 1;
    if (g_PipelineRecorder.IsRecording())
        _ResetPipelineDebug();
    TViewport* first = FirstViewport();
    TRenderer* renderer = first && m_nFrameClearFlags ? _SelectRenderer(first->pRenderer) : nullptr;
    if (renderer)
    {
        renderer->PublishTargets();
        renderer->BeginFrame(m_nFrameClearFlags, RenderBackgroundColor() | kOpaque);
    }
    else
    {
        // Without a renderer the console and the canvas still draw this frame, onto a defined
        // image rather than whatever the swap left in the back buffer.
        BindBackBuffer(1);
        if (m_nFrameClearFlags)
        {
            const u32 colour = RenderBackgroundColor() | kOpaque;
            g_pDeviceManager->Clear(m_nFrameClearFlags, colour, 1.0f, 0);
        }
    }
    if (g_pApplyGlobalShaderParameters)
        g_pApplyGlobalShaderParameters();
}

void TRenderManager::_EndFrame()
{
    if (m_pActiveRenderer && (m_pActiveRenderer->m_nFlags & RENDERER_PIPELINE_TARGETS))
    {
        BindBackBuffer(1);
        _CopyTexture(GetPreviousTexture());
    }
    // Only an open pass has a scene to end.
    if (m_nPassOpen)
        g_pDeviceManager->EndScene();
    ResetPassState();
    m_nPassOpen = 0;
    // Targets may be released before the next frame: no pass reads this frame's last one.
    m_pPreviousTarget = nullptr;
    if (m_pActiveRenderer)
        m_pActiveRenderer->EndFrame();
    m_pActiveRenderer = nullptr;
    m_nInRender = 0;
}

void TRenderManager::RenderViewport(TViewport* viewport)
{
    viewport->Apply();
    if (viewport->pRenderer)
    {
        TRenderer* named = viewport->pRenderer;
        m_pActiveRenderer = named->m_nEnabled ? named : m_apRegistry[RENDERER_FALLBACK];
        m_nOverride = 0;
        if (m_pActiveRenderer)
            m_pActiveRenderer->PublishTargets();
    }
    else if (!m_pActiveRenderer)
        _SelectRenderer(nullptr);
    if (m_pActiveRenderer)
        m_pActiveRenderer->RenderQueue(viewport, RENDER_QUEUE_OPAQUE);
}

void TRenderManager::ResetPassState()
{
    m_nPingPong = -1;
    m_pCurrentTarget = nullptr;
    m_nPipelineBind = 0;
    m_nLastBindFlags = 0;
}

void TRenderManager::BeginPipelinePass(u32 flags)
{
    if (!(flags & PIPELINE_KEEP_TARGET))
    {
        if (m_pCurrentTarget)
            m_pPreviousTarget = m_pCurrentTarget;
        m_nPingPong = m_nPingPong == -1 || m_nPingPong != static_cast<i32>(m_nPingPongA)
                          ? static_cast<i32>(m_nPingPongA)
                          : static_cast<i32>(m_nPingPongB);
    }
    else if (m_nPingPong == -1)
        m_nPingPong = static_cast<i32>(m_nPingPongA);
    if (!m_pActiveRenderer || !(m_pActiveRenderer->m_nFlags & RENDERER_PIPELINE_TARGETS))
    {
        BindBackBuffer(flags & PASS_ATTACH_DEPTH);
        return;
    }
    m_pCurrentTarget = m_apPublished[m_nPingPong];
    SetPassTarget(m_pCurrentTarget, nullptr, nullptr, nullptr, flags | PASS_PIPELINE_BIND, 0);
    if ((flags & PIPELINE_COPY_PREVIOUS) && m_pPreviousTarget)
        _CopyTexture(m_pPreviousTarget->GetTexture());
}

void TRenderManager::SetPassTarget(TRenderTarget* target, TRenderTarget* target1, TRenderTarget* target2,
                                   TRenderTarget* target3, u32 flags, u32 colour)
{
    if ((flags == PIPELINE_KEEP_TARGET || flags == PASS_REPEAT_MASK) && m_nLastBindFlags == flags)
        return;
    m_nLastBindFlags = flags & PASS_REPEAT_MASK;
    if (m_nPassOpen)
        g_pDeviceManager->EndScene();
    m_nPipelineBind = flags & PASS_PIPELINE_BIND;
    TRenderTarget* depth = flags & PASS_ATTACH_DEPTH ? g_pDeviceManager->GetDepthStencilTarget() : nullptr;
    // A table word nothing published: draw where the frame ends up, not through a null target.
    if (!target)
        target = g_pDeviceManager->GetBackBufferTarget();
    if (target1)
        target->SetRenderTargets(depth, target1, target2, target3);
    else
        target->SetRenderTarget(depth);
    if (flags & (PASS_CLEAR_COLOUR | PASS_CLEAR_DEPTH | PASS_CLEAR_STENCIL))
    {
        u32 mask = flags & PASS_CLEAR_COLOUR ? DEVICE_CLEAR_TARGET : 0;
        if (depth)
        {
            if (flags & PASS_CLEAR_DEPTH)
                mask |= DEVICE_CLEAR_DEPTH;
            if (flags & PASS_CLEAR_STENCIL)
                mask |= DEVICE_CLEAR_STENCIL;
        }
        if (mask)
            g_pDeviceManager->Clear(mask, colour, 1.0f, 0);
    }
    m_pCurrentTarget = target;
    g_pDeviceManager->BeginScene();
    m_nPassOpen = 1;
}

void TRenderManager::EndPass()
{
    if (m_nPassOpen)
        g_pDeviceManager->EndScene();
    m_nPassOpen = 0;
}

void TRenderManager::BindTargetWithDepth(TRenderTarget* target, TRenderTarget* depth, u32 clearFlags, u32 colour)
{
    m_nLastBindFlags = 0;
    EndPass();
    m_nPipelineBind = 0;
    target->SetRenderTarget(depth);
    if (clearFlags)
        g_pDeviceManager->Clear(clearFlags, colour, 1.0f, 0);
    m_pCurrentTarget = target;
    g_pDeviceManager->BeginScene();
    m_nPassOpen = 1;
}

void TRenderManager::BindPublishedTarget(u32 index, u32 flags)
{
    SetPassTarget(index < RENDER_PUBLISHED_TARGETS ? m_apPublished[index] : nullptr, nullptr, nullptr, nullptr, flags,
                  0);
}

void TRenderManager::BindTarget(TRenderTarget* target, u32 flags, u32 colour)
{
    SetPassTarget(target, nullptr, nullptr, nullptr, flags, colour);
}

void TRenderManager::BindBackBuffer(u32 attachDepth)
{
    m_nLastBindFlags = 0;
    if (m_pCurrentTarget)
        m_pPreviousTarget = m_pCurrentTarget;
    if (m_nPassOpen)
        g_pDeviceManager->EndScene();
    m_nPingPong = 0;
    m_pCurrentTarget = g_pDeviceManager->GetBackBufferTarget();
    g_pDeviceManager->SetBackBufferTarget(attachDepth);
    g_pDeviceManager->BeginScene();
    m_nPassOpen = 1;
}

TTexture* TRenderManager::GetPreviousTexture() const
{
    return m_pPreviousTarget ? m_pPreviousTarget->GetTexture() : nullptr;
}

void TRenderManager::_CopyTexture(TTexture* texture)
{
    if (g_pCanvasManager)
        g_pCanvasManager->DrawFullScreen(g_pCanvasManager->SetShader(texture, 0), kWhite);
}

void TRenderManager::RecordPipelineStep(const TName& step, TShader* shader)
{
    g_PipelineRecorder.Record(step, shader);
}

void TRenderManager::_RenderStatistics()
{
    g_PipelineRecorder.Draw();
}

void TRenderManager::_ResetPipelineDebug()
{
    g_PipelineRecorder.Reset();
}
