#include "directx/debug/debugscene.h"

#include "directx/debug/debugmanager.h"
#include "directx/render/dxcanvasmanager.h"
#include "directx/render/dxshader.h"
#include "directx/render/dxshadermanager.h"
#include "engine/render/pipelinerecorder.h"
#include "engine/render/rendermanager.h"
#include "engine/render/rendertarget.h"
#include "engine/render/shadowmanager.h"

namespace
{
// The shaders the wire-frame switch re-prepares, by their real names.
const char* const WIREFRAME_SHADERS[] = {"Shader_deferredrendering_gbuffer", "Shader_forwardrendering_light_directional"};

void DrawThumbnail(TRenderTarget* target, f32 left, f32 top, f32 right, f32 bottom)
{
    if (!target)
        return;
    TShader* shader = g_pDxCanvasManager->SetShader(target->GetTexture(), 0);
    g_pDxCanvasManager->DrawTexture(left, top, right, bottom, shader, DEBUG_WHITE);
}
} // namespace

void DrawDebugGrid()
{
    for (f32 v = -DEBUG_GRID_EXTENT; v <= DEBUG_GRID_EXTENT; v += DEBUG_GRID_STEP)
    {
        g_pDxCanvasManager->DrawLine3D(TVector(v, 0.0f, -DEBUG_GRID_EXTENT, 1.0f), TVector(v, 0.0f, DEBUG_GRID_EXTENT, 1.0f),
                                       DEBUG_PALE_GREY);
        g_pDxCanvasManager->DrawLine3D(TVector(-DEBUG_GRID_EXTENT, 0.0f, v, 1.0f), TVector(DEBUG_GRID_EXTENT, 0.0f, v, 1.0f),
                                       DEBUG_PALE_GREY);
    }
    const TVector origin(0.0f, 0.0f, 0.0f, 1.0f);
    g_pDxCanvasManager->DrawLine3D(origin, TVector(DEBUG_AXIS_LENGTH, 0.0f, 0.0f, 1.0f), DEBUG_BLUE);
    g_pDxCanvasManager->DrawLine3D(origin, TVector(0.0f, DEBUG_AXIS_LENGTH, 0.0f, 1.0f), DEBUG_GREEN);
    g_pDxCanvasManager->DrawLine3D(origin, TVector(0.0f, 0.0f, DEBUG_AXIS_LENGTH, 1.0f), DEBUG_RED);
}

void DrawPipelineThumbnails(f32 width, f32 height)
{
    for (u32 k = 0; k < DEBUG_PIPELINE_THUMBNAILS; ++k)
        DrawThumbnail(g_pRenderManager->GetPublishedTarget(k + 1), 0.1f * static_cast<f32>(k) * width, 0.9f * height,
                      0.1f * static_cast<f32>(k + 1) * width, height);
}

void DrawShadowThumbnails(f32 width, f32 height)
{
    if (!g_pShadowManager || !g_pShadowManager->IsEnabled() || !g_pShadowManager->AreTargetsCreated())
        return;
    const f32 top = 0.7f * height;
    DrawThumbnail(g_pShadowManager->GetTarget(SHADOW_MASK_OPAQUE), 0.0f, top, 0.3f * width, height);
    DrawThumbnail(g_pShadowManager->GetTarget(SHADOW_MASK_TRANSPARENT), 0.3f * width, top, 0.6f * width, height);
    DrawThumbnail(g_pShadowManager->GetTarget(SHADOW_TARGET_MAP), 0.6f * width, top, 0.9f * width, height);
}

void SetWireframe(i32 on)
{
    static const TName s_Wireframe("Wireframe", true);
    static const TName s_One("1", true);
    if (!g_pDxShaderManager)
        return;
    for (const char* name : WIREFRAME_SHADERS)
    {
        TDxShader* shader = g_pDxShaderManager->FindShader(TName(name, true));
        if (!shader)
            continue;
        if (on)
            shader->SetDefine(s_Wireframe, s_One);
        else
            shader->RemoveDefine(s_Wireframe);
    }
    if (on && g_pRenderManager)
        g_pRenderManager->SetFrameClearFlags(DEBUG_WIREFRAME_CLEAR_FLAGS);
}

void SetPipelineDebug(i32 on)
{
    g_PipelineRecorder.SetRecording(static_cast<u32>(on));
    if (on == 0)
        g_PipelineRecorder.ReleaseTexture();
}
