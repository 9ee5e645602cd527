// The sky drawn before the scene: the dome or box around the eye, and for the dynamic sky the
// stars, the sun and the clouds and free elements instanced into the sky stream. The render
// manager's frame no longer clears the colour once the sky draws (the sky covers it); under the
// deferred renderer the sky goes into the G-buffer's colour, which the lighting keeps where no
// surface lies.
#include "core/math/color.h"
#include "engine/render/camera.h"
#include "engine/render/cameramanager.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/device.h"
#include "engine/render/mesh.h"
#include "engine/render/rendercontext.h"
#include "engine/render/renderer.h"
#include "engine/render/rendermanager.h"
#include "engine/render/shader.h"
#include "engine/render/texture.h"
#include "engine/render/viewport.h"
#include "engine/render/viewportset.h"
#include "engine/system/node.h"
#include "igame/effects/atmosphere.h"
#include "igame/effects/atmospheremanager.h"
#include "igame/effects/atmospherevertexpool.h"
#include "igame/effects/skyelement.h"
#include "igame/effects/skystream.h"

#include <algorithm>

namespace
{
// The published word of the deferred renderer's "Color" target.
constexpr u32 SKY_COLOR_TARGET_WORD = 1;
constexpr u32 SKY_DEFERRED_PASS = PASS_ATTACH_DEPTH | PASS_CLEAR_COLOUR | PASS_CLEAR_DEPTH | PASS_CLEAR_STENCIL;
// The sun shows between these times of day.
constexpr f32 SUN_RISE = 0.23f;
constexpr f32 SUN_SET = 0.77f;
constexpr u32 OPAQUE_ALPHA = 0xFF000000u;

// The node's matrix moved by the eye: the sky travels with the camera.
TMatrix AroundEye(const TAtmosphere& sky, const TVector& eye)
{
    TMatrix world = *const_cast<TAtmosphere&>(sky).GetNode()->GetWorldMatrix();
    world.aRow[3] = TVector(world.aRow[3].x + eye.x, world.aRow[3].y + eye.y, world.aRow[3].z + eye.z, 1.0f);
    return world;
}

void DrawMesh(TMeshData* mesh, TShader* shader, const TMatrix& world)
{
    if (!mesh || !shader || !g_pDrawMeshData)
        return;
    TRenderContext context(shader);
    g_pDrawMeshData(mesh, world, &context, nullptr);
}

// A texture that is set and loads; the shader's slot takes it.
u32 Bind(TShader* shader, u32 slot, TTexture* texture)
{
    if (!shader || !texture || texture->Require())
        return 0;
    shader->SetTexture(slot, texture);
    return 1;
}
} // namespace

void TAtmosphereManager::RenderManager()
{
    if (m_aAtmosphere.GetCount() == 0 || !m_nEnabled || !g_pRenderManager || !g_pDeviceManager ||
        !g_pDeviceManager->IsRunning())
        return;
    if (m_nFirstFrame)
    {
        m_nFirstFrame = 0;
        g_pRenderManager->SetFrameClearFlags(ATMOSPHERE_CLEAR_WITH_SKY);
    }
    TViewport* viewport = FrameViewport();
    TCamera* camera = SkyCamera();
    if (!camera)
        return;
    TRenderer* active = g_pRenderManager->GetActiveRenderer();
    TRenderTarget* colour = g_pRenderManager->GetPublishedTarget(SKY_COLOR_TARGET_WORD);
    if (active && active == g_pRenderManager->GetRegistered(RENDERER_PREFERRED) && colour)
        g_pRenderManager->SetPassTarget(colour, nullptr, nullptr, nullptr, SKY_DEFERRED_PASS,
                                        viewport ? viewport->m_nColor | OPAQUE_ALPHA : 0u);
    // The shaders see the sky's camera through the frame's viewport.
    if (viewport)
        viewport->Apply();
    if (g_pCameraManager)
        g_pCameraManager->SetCamera(camera);
    g_pRenderManager->SetCurrentCamera(camera);
    if (camera->pNode)
        camera->UpdateView();
    const TVector eye = camera->m_Placement.aRow[3];
    for (i32 i = 0; i < m_aAtmosphere.GetCount(); ++i)
    {
        TAtmosphere& sky = *m_aAtmosphere[i];
        if (sky.m_fWeight == 0.0f || !sky.pNode || !sky.GetNode()->IsEnabled() || sky.m_nSkyMode == 0)
            continue;
        if (sky.m_nSkyMode == ATMOSPHERE_DYNAMIC_SKY)
            DrawDynamicSky(sky, eye);
        else
            DrawPlainSky(sky, eye, i > 0);
    }
}

void TAtmosphereManager::DrawDynamicSky(TAtmosphere& sky, const TVector& eye)
{
    TSkyParameters& p = g_SkyParameters;
    if (p.CloudShadow.w == 0.0f)
        g_pDeviceManager->Clear(DEVICE_CLEAR_TARGET, 0u, 1.0f, 0);
    if (!Bind(sky.pShader, 0, sky.pMainBackgroundTexture) || !Bind(sky.pShader, 1, sky.pSunGlowTexture) ||
        !Bind(sky.pSkyElementsShader, 0, sky.pSkyElementsTexture))
        return;
    const f32 night = p.SunDirection.w;
    TAtmosphereVertexPool* pool = GetVertexPool();
    if (sky.pSkySunShader && pool)
    {
        Bind(sky.pSkySunShader, 0, sky.pSkyElementsTexture);
        pool->pCurrentShader = sky.pSkySunShader;
        if (night > 0.0f)
            DrawElements(sky.aStars.GetData(), sky.aStars.GetCount(), eye, 0);
    }
    // The dome and the sun see a night factor of 1; the sun's shows how clear the sky is.
    p.SunDirection.w = 1.0f;
    DrawMesh(sky.pMeshData, sky.pShader, AroundEye(sky, eye));
    if (sky.pSkySunShader && pool && sky.pSun && m_fTimeOfDay > SUN_RISE && m_fTimeOfDay < SUN_SET)
    {
        p.SunDirection.w = 1.0f - p.CloudShadow.w;
        DrawElements(&sky.pSun, 1, eye, 0);
        p.SunDirection.w = 1.0f;
    }
    p.SunDirection.w = night;
    if (!pool || !sky.pSkyElementsShader)
        return;
    pool->pCurrentShader = sky.pSkyElementsShader;
    p.LightColor.w = std::min(m_fCloudDensity * 2.0f, 1.0f);
    DrawElements(sky.aAmbientCloud.GetData(), sky.aAmbientCloud.GetCount(), eye, 0);
    p.LightColor.w = 1.0f;
    DrawElements(sky.aRainCloud.GetData(), sky.aRainCloud.GetCount(), eye, 1);
    DrawElements(sky.aSkyElement.GetData(), sky.aSkyElement.GetCount(), eye, 0);
}

void TAtmosphereManager::DrawPlainSky(TAtmosphere& sky, const TVector& eye, u32 later)
{
    if (!Bind(sky.pShader, 0, sky.pTexture))
        return;
    const TColor& c = CANVAS_DEFAULT_TEXT_COLOR;
    // A later sky fades in over the first by its weight.
    g_SkyParameters.CloudShadow = TVector(c.r, c.g, c.b, later ? sky.m_fWeight : c.a);
    DrawMesh(sky.pMeshData, sky.pShader, AroundEye(sky, eye));
}

void TAtmosphereManager::DrawElements(TSkyElement* const* elements, u32 count, const TVector& eye, u32 visibleOnly)
{
    TAtmosphereVertexPool* pool = GetVertexPool();
    if (!pool || !pool->pCurrentShader || count == 0)
        return;
    TSkyStream& stream = TSkyStream::Get();
    stream.Switch(pool->pCurrentShader);
    for (u32 i = 0; i < count; ++i)
    {
        const TSkyElement* element = elements[i];
        if (!element || (visibleOnly && !element->m_nVisible))
            continue;
        const u32 vertices = pool->GetVertexCount(*element);
        if (vertices == 0 || vertices > SKY_STREAM_VERTICES)
        {
            // Reports a template beyond the pool (once a load).
            pool->Instance(*element, eye, nullptr, 0);
            continue;
        }
        auto* out = static_cast<TSkyVertex*>(stream.Reserve(vertices));
        if (!out)
            return;
        pool->Instance(*element, eye, out, vertices);
    }
    stream.Flush();
}
