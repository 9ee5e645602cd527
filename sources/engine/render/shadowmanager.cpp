#include "engine/render/shadowmanager.h"

#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "core/system/string.h"
#include "core/system/timer.h"
#include "engine/render/camera.h"
#include "engine/render/cameramanager.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/deferredrendering.h"
#include "engine/render/device.h"
#include "engine/render/imposter.h"
#include "engine/render/impostermanager.h"
#include "engine/render/light.h"
#include "engine/render/lightmanager.h"
#include "engine/render/rendercontext.h"
#include "engine/render/renderer.h"
#include "engine/render/rendermanager.h"
#include "engine/render/renderobject.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/render/rendertarget.h"
#include "engine/render/rendertargetmanager.h"
#include "engine/render/shaderlink.h"
#include "engine/render/shadowcascades.h"
#include "engine/render/shadowsettings.h"
#include "engine/render/texture.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"

#include <algorithm>
#include <cmath>

TShadowManager* g_pShadowManager = nullptr;

namespace
{
TShadowManager s_ShadowManager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Shadow", "Shadow", &g_pShadowManager, &s_ShadowManager);

TShaderLink s_BufferShader("Shader_shadow_buffer");
TShaderLink s_ProjectionShader("Shader_shadow_projection");
TShaderLink s_ImposterShader("Shader_imposter_shadow");
// The shadow map pass's name: casters that draw otherwise there (particles) ask for it.
const TName s_NameShadowBuffer("shadow_buffer", true);
TShaderLink s_BlurHorizontal("ShaderBlurHorizontal");
TShaderLink s_BlurVertical("ShaderBlurVertical");

constexpr const char* kCreateError = "TShadowManager::CreateTargets(): error: ";
constexpr TColor kWhite = {1.0f, 1.0f, 1.0f, 1.0f};
// Projection shader slots: the opaque positions, the transparency positions, the map.
constexpr u32 PROJECTION_POSITION_SLOT = 0;
constexpr u32 PROJECTION_TRANSPARENT_SLOT = 1;
constexpr u32 PROJECTION_MAP_SLOT = 3;
// Blur shader slots: the image blurred and the positions it keeps edges by.
constexpr u32 BLUR_IMAGE_SLOT = 0;
constexpr u32 BLUR_POSITION_SLOT = 6;
// A point light's map border (x, y, width, height in a unit aperture): drawn lit, so that nothing
// beyond the map's cone is shadowed.
constexpr f32 kPointBorder[4][4] = {{0.0f, 0.0f, 1.0f, 0.05f},
                                    {0.0f, 0.95f, 1.0f, 1.0f},
                                    {0.0f, 0.0f, 0.05f, 1.0f},
                                    {0.95f, 0.0f, 1.0f, 1.0f}};

// Set by imposter changes, cluster loads and device changes; cleared after each pass that ran
// its light loop.
u32 s_nCasterListsChanged = 1;

// One local light's casters near it: rebuilt when the lists changed, the light moved more than
// SHADOW_LOCAL_LIST_MOVE or the list expired. One per shadow slot, each kept for its light.
struct TLocalCasters
{
    const TLight* pLight = nullptr;
    TRenderObject* apCaster[SHADOW_LOCAL_CASTERS] = {};
    u32 nCount = 0;
    TVector Position = TVector(0.0f, -100000.0f, 0.0f, 1.0f);
    f64 fExpiry = 0.0;
};
TLocalCasters s_aLocalCasters[SHADOW_LIGHT_LIMIT];
// The casters of the local light's map, those of its list inside its view.
DArray<TRenderObject*> s_aScratch;

TTexture* TextureOf(TRenderTarget* target)
{
    return target ? target->GetTexture() : nullptr;
}

} // namespace

f32 ShadowLocalFieldOfView(const TLight& light)
{
    const f64 cone = light.m_aConeAngle[0] - (light.m_aConeAngle[1] < 0.0f ? light.m_aConeAngle[1] : 0.0f);
    const f64 degrees = 2.0 * cone * (180.0 / 3.14159265358979323846) + SHADOW_LOCAL_FOV_MARGIN;
    return std::clamp(static_cast<f32>(degrees), SHADOW_LOCAL_FOV_MINIMUM, SHADOW_LOCAL_FOV_MAXIMUM);
}

u32 ShadowLocalCasterCount(u32 slot)
{
    return s_aLocalCasters[slot].nCount;
}

TShadowManager::TShadowManager()
    : m_pMap(nullptr), m_pDepth(nullptr), m_pFilter(nullptr), m_apMask{}, m_nEnabled(1), m_nTargetsCreated(0),
      m_nShadowCount(0), m_fMapWidth(SHADOW_MAP_SIZE_DEFAULT), m_fMapHeight(SHADOW_MAP_SIZE_DEFAULT),
      m_fDistanceFactor(1.0f), m_nRendering(0), m_aBlur{TVector(0.0f, 0.0f, 0.0f, 0.0f), TVector(0.0f, 0.0f, 0.0f, 0.0f)},
      m_nSoften(1)
{
}

void TShadowManager::BeginManager()
{
    m_nTargetsCreated = 0;
    if (g_pDeviceManager)
        g_pDeviceManager->AddMethod(this);
    g_pCluster->AddListener(this);
}

void TShadowManager::EndManager()
{
    ReleaseTargets();
}

void TShadowManager::OnDeviceRestore()
{
    s_nCasterListsChanged = 1;
    if (m_nEnabled)
        CreateTargets();
}

void TShadowManager::OnDeviceRelease()
{
    ReleaseTargets();
}

void TShadowManager::OnClusterLoad()
{
    s_nCasterListsChanged = 1;
}

void TShadowManager::OnClusterUnload()
{
    ResetSplitCasters();
    for (TLocalCasters& list : s_aLocalCasters)
        list = TLocalCasters();
    ReleaseTargets();
}

void TShadowManager::__ResetCasterLists()
{
    s_nCasterListsChanged = 1;
    ResetSplitCasters();
}

u32 TShadowManager::HaveCasterListsChanged()
{
    return s_nCasterListsChanged;
}

TRenderTarget* TShadowManager::GetTarget(i32 index) const
{
    switch (index)
    {
    case SHADOW_TARGET_MAP:
        return m_pMap;
    case SHADOW_TARGET_DEPTH:
        return m_pDepth;
    case SHADOW_MASK_OPAQUE:
    case SHADOW_MASK_TRANSPARENT:
        return m_apMask[index];
    default:
        return nullptr;
    }
}

void TShadowManager::SetEnabled(i32 value)
{
    if (static_cast<u32>(value) == m_nEnabled)
        return;
    m_nEnabled = static_cast<u32>(value);
    if (m_nEnabled && (!g_pRenderManager->GetPublishedTarget(PUBLISHED_POSITION) || !g_pDeferredRendering->m_nEnabled))
    {
        // Shadows are the deferred renderer's: refused, not reported.
        m_nEnabled = 0;
        StoreShadowEnable(0);
        return;
    }
    StoreShadowEnable(value);
    if (!g_pDeviceManager)
        return;
    if (!m_nEnabled)
        ReleaseTargets();
    // Before the device exists (the start-up settings) its creation makes the targets.
    else if (g_pDeviceManager->GetDevice())
        CreateTargets();
}

void TShadowManager::SetMapSize(f32 width, f32 height)
{
    if (width == 0.0f)
        return;
    if (height == 0.0f)
        height = width;
    if (!(width > 0.0f) || !(height > 0.0f))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TShadowManager::SetMapSize(): error: ",
                    "%gx%g is no shadow map size (kept %gx%g)", width, height, m_fMapWidth, m_fMapHeight);
        return;
    }
    const u32 largest = g_pDeviceManager ? g_pDeviceManager->GetMaxTextureSize() : 0;
    if (largest && (width > static_cast<f32>(largest) || height > static_cast<f32>(largest)))
    {
        TLog::Print(g_pSystemLog, LOG_WARNING, "TShadowManager::SetMapSize(): warning: ",
                    "%gx%g is beyond the device's largest texture: cut to %u", width, height, largest);
        width = std::min(width, static_cast<f32>(largest));
        height = std::min(height, static_cast<f32>(largest));
    }
    if (width == m_fMapWidth && height == m_fMapHeight)
        return;
    m_fMapWidth = width;
    m_fMapHeight = height;
    if (g_pDeviceManager && g_pDeviceManager->GetDevice() && m_nEnabled)
    {
        ReleaseTargets();
        CreateTargets();
    }
}

void TShadowManager::SetDistanceFactor(f32 factor)
{
    if (factor > 0.0f)
    {
        m_fDistanceFactor = factor;
        return;
    }
    // No distance: shadows go off through the enable operation, targets and variable with them.
    m_fDistanceFactor = 0.0f;
    SetEnabled(0);
}

void TShadowManager::SetSoften(i32 value)
{
    m_nSoften = static_cast<u32>(value);
    if (!m_nTargetsCreated)
        return;
    if (m_nSoften)
        CreateFilterTarget();
    else if (m_pFilter)
    {
        m_pFilter->ReleaseReference();
        m_pFilter = nullptr;
    }
}

bool TShadowManager::_Create(TRenderTarget*& target, const char* name, u32 width, u32 height, u32 format)
{
    target = g_pRenderTargetManager->CreateRenderTarget(TName(name, true), width, height, format, 0, 0, 0);
    if (target && target->IsLoaded())
        return true;
    TLog::Print(g_pSystemLog, LOG_ERROR, kCreateError, "'%s' %ux%u refused: shadows off", name, width, height);
    if (target)
        target->ReleaseReference();
    target = nullptr;
    return false;
}

void TShadowManager::CreateTargets()
{
    if (!m_nEnabled || m_nTargetsCreated)
        return;
    const u32 width = static_cast<u32>(g_pDeviceManager->GetBackBufferWidth());
    const u32 height = static_cast<u32>(g_pDeviceManager->GetBackBufferHeight());
    const u32 mapWidth = static_cast<u32>(m_fMapWidth), mapHeight = static_cast<u32>(m_fMapHeight);
    char name[32];
    bool made = true;
    for (u32 i = 0; i < SHADOW_MASK_COUNT && made; ++i)
    {
        FormatStringN(name, sizeof name, "Shadow Mask %d", i);
        made = _Create(m_apMask[i], name, width, height, RENDER_TARGET_A8R8G8B8);
    }
    made = made && _Create(m_pMap, "Shadow RT", mapWidth, mapHeight, RENDER_TARGET_R32F) &&
           _Create(m_pDepth, "Shadow BB", mapWidth, mapHeight, RENDER_TARGET_D24S8);
    m_nTargetsCreated = 1;
    if (!made)
    {
        // Whatever was made goes again; shadows stay off until shadow_enable turns them on.
        ReleaseTargets();
        m_nEnabled = 0;
        StoreShadowEnable(0);
        return;
    }
    if (TShader* projection = s_ProjectionShader.Get())
        projection->SetTexture(PROJECTION_MAP_SLOT, m_pMap->GetTexture());
    if (m_nSoften)
        CreateFilterTarget();
}

void TShadowManager::CreateFilterTarget()
{
    if (!m_nEnabled || m_pFilter)
        return;
    const u32 width = static_cast<u32>(g_pDeviceManager->GetBackBufferWidth());
    const u32 height = static_cast<u32>(g_pDeviceManager->GetBackBufferHeight());
    // Without it the mask is simply not blurred.
    _Create(m_pFilter, "Shadow Filter", width, height, RENDER_TARGET_A8R8G8B8);
}

void TShadowManager::ReleaseTargets()
{
    if (!m_nTargetsCreated)
        return;
    m_nTargetsCreated = 0;
    for (TRenderTarget*& target : {std::ref(m_apMask[0]), std::ref(m_apMask[1]), std::ref(m_pMap),
                                   std::ref(m_pDepth), std::ref(m_pFilter)})
    {
        if (target)
            target->ReleaseReference();
        target = nullptr;
    }
    if (TShader* projection = s_ProjectionShader.Get())
        for (u32 slot : {PROJECTION_POSITION_SLOT, PROJECTION_TRANSPARENT_SLOT, PROJECTION_MAP_SLOT})
            projection->SetTexture(slot, nullptr);
}

TShader* TShadowManager::BufferShader()
{
    return s_BufferShader.Get();
}

TShader* TShadowManager::ProjectionShader()
{
    return s_ProjectionShader.Get();
}

TShader* TShadowManager::ImposterShader()
{
    return s_ImposterShader.Get();
}

f32 TShadowManager::ShadowDistance(const TLight& light) const
{
    return light.m_fShadowDistance * m_fDistanceFactor;
}

void TShadowManager::SetChannel(TLight& light, u32 slot)
{
    for (u32 k = 0; k < 8; ++k)
        light.m_aChannel[k / 4][k % 4] = k == slot && slot < SHADOW_LIGHT_LIMIT ? 1.0f : 0.0f;
}

void TShadowManager::RenderShadows()
{
    if (!m_nEnabled)
        return;
    CreateTargets();
    if (!m_nTargetsCreated)
        return;
    for (TRenderTarget* mask : m_apMask)
        g_pRenderManager->SetPassTarget(mask, nullptr, nullptr, nullptr, PASS_CLEAR_COLOUR, 0);
    DArray<TLight*>& lights = g_pLightManager->Lights();
    if (lights.GetCount() == 0)
    {
        EndPass();
        return;
    }
    TCamera* remembered = g_pCameraManager ? g_pCameraManager->GetCurrentCamera() : nullptr;
    // The splits follow the camera the pass is drawn with (the viewport's, which the game's main
    // camera is); the main camera stands in without one.
    TCamera* main = remembered ? remembered : g_pCameraManager ? g_pCameraManager->GetMainCamera() : nullptr;
    m_nShadowCount = 0;
    if (TShader* projection = s_ProjectionShader.Get())
    {
        projection->SetTexture(PROJECTION_POSITION_SLOT,
                               TextureOf(g_pRenderManager->GetPublishedTarget(PUBLISHED_POSITION)));
        projection->SetTexture(PROJECTION_TRANSPARENT_SLOT,
                               TextureOf(g_pRenderManager->GetPublishedTarget(PUBLISHED_TEMP3)));
    }
    m_nRendering = 1;
    for (i32 i = 0; i < lights.GetCount(); ++i)
    {
        TLight& light = *lights[i];
        if (!light.m_nCastsShadows || !light.IsOn() || light.m_fPower < SHADOW_POWER_MINIMUM)
            continue;
        if (m_nShadowCount >= SHADOW_LIGHT_LIMIT)
        {
            SetChannel(light, SHADOW_LIGHT_LIMIT);
            continue;
        }
        const u32 mask = m_nShadowCount / SHADOW_LIGHT_LIMIT;
        if (main && light.m_nType == LIGHT_DIRECTIONAL)
            RenderDirectionalShadow(*this, light, mask, *main);
        else if (main && (light.m_nType == LIGHT_POINT || light.m_nType == LIGHT_SPOT))
            _RenderLocal(light, mask, *main);
        ++m_nShadowCount;
    }
    m_nRendering = 0;
    if (m_nSoften && m_pFilter)
        _Soften();
    EndPass();
    if (g_pCameraManager)
    {
        g_pCameraManager->SetCamera(remembered);
        if (remembered && remembered->pNode)
            remembered->UpdateView();
    }
    s_nCasterListsChanged = 0;
}

void TShadowManager::EndPass()
{
    g_pRenderManager->EndPass();
}

void TShadowManager::RenderMap(TRenderObject* const* casters, u32 count, u32 pointLight)
{
    g_pRenderManager->BindTargetWithDepth(m_pMap, m_pDepth, DEVICE_CLEAR_TARGET | DEVICE_CLEAR_DEPTH | DEVICE_CLEAR_STENCIL,
                                          0);
    TShader* shader = s_BufferShader.Get();
    TRenderContext context(shader);
    context.SetPassName(s_NameShadowBuffer);
    for (u32 i = 0; i < count; ++i)
        casters[i]->Draw(&context);
    if (g_pFlushMeshInstances)
        g_pFlushMeshInstances();
    if (g_pImposterManager)
        TImposter::SetupShader(g_pImposterManager, s_ImposterShader.Get(), 1);
    if (pointLight && g_pCanvasManager)
    {
        const f32 width = g_pCanvasManager->GetApertureWidth(), height = g_pCanvasManager->GetApertureHeight();
        g_pCanvasManager->SetApertureSize(1.0f, 1.0f, 0);
        TShader* plain = g_pCanvasManager->SetShader(nullptr, 0);
        for (const f32* rect : kPointBorder)
            g_pCanvasManager->DrawTexture(rect[0], rect[1], rect[0] + rect[2], rect[1] + rect[3], plain, kWhite);
        g_pCanvasManager->Flush();
        g_pCanvasManager->SetApertureSize(width, height, 0);
    }
}

void TShadowManager::RenderProjection()
{
    g_pRenderManager->SetPassTarget(m_apMask[SHADOW_MASK_OPAQUE], m_apMask[SHADOW_MASK_TRANSPARENT], nullptr, nullptr, 0,
                                    0);
    if (g_pCanvasManager)
    {
        g_pCanvasManager->SetApertureToDevice();
        g_pCanvasManager->DrawFullScreen(s_ProjectionShader.Get(), kWhite);
    }
}

void TShadowManager::_RenderLocal(TLight& light, u32 mask, TCamera& camera)
{
    const TMatrix& world = *light.GetMatrix();
    const TMatrix lightView = TMatrix::MultiplyInverse(TMatrix(1.0f), world);
    const TVector& position = world.aRow[3];
    const f32 distance = ShadowDistance(light);

    // The list of this light's slot, kept while the light stays near where it was built.
    TLocalCasters& list = s_aLocalCasters[m_nShadowCount];
    const f64 now = g_pTimer->GetTime();
    if (s_nCasterListsChanged || list.pLight != &light || ShadowDistanceBetween(position, list.Position) > SHADOW_LOCAL_LIST_MOVE ||
        now > list.fExpiry)
    {
        list.pLight = &light;
        list.fExpiry = now + SHADOW_LOCAL_LIST_LIFETIME;
        list.Position = position;
        list.nCount = 0;
        ForEachRenderObject([&](TRenderObject* object) {
            if (ShadowNodeOn(object) && object->CastsShadow() &&
                ShadowDistanceBetween(object->GetMatrix()->aRow[3], position) <= distance)
                list.apCaster[list.nCount++] = object;
            return list.nCount < SHADOW_LOCAL_CASTERS;
        });
    }
    SetChannel(light, m_nShadowCount);

    const f32 fov = ShadowLocalFieldOfView(light);
    const f32 scale = 1.0f / std::tan(fov * 0.5f * 0.017453292f);
    TMatrix perspective(0.0f);
    perspective.aRow[0].x = scale;
    perspective.aRow[1].y = scale;
    perspective.aRow[2].z = distance / (distance - SHADOW_LOCAL_NEAR);
    perspective.aRow[2].w = 1.0f;
    perspective.aRow[3].z = -SHADOW_LOCAL_NEAR * perspective.aRow[2].z;
    TCamera lens;
    lens.m_nFitMode = CAMERA_FIT_EXPLICIT;
    lens.m_fHorizontalFov = lens.m_fVerticalFov = fov;
    lens.m_fNearClip = SHADOW_LOCAL_NEAR;
    lens.m_fFarClip = distance;
    g_pCameraManager->UseDefaultCamera(world, reinterpret_cast<const u32*>(&lens.m_nFlags));

    FillLightVectors(light, mask, camera, position);
    g_ShadowParameters.aVector[SHADOW_RANGE] = TVector(0.0f, 10000.0f, 10000.0f, 10000.0f);
    g_ShadowParameters.aVector[SHADOW_BIAS] = TVector(light.m_fDepthBias, light.m_fLocalBias, 1.0f / m_fMapWidth, 0.0f);
    const TMatrix viewProjection = Matrix4Multiply(lightView, perspective);
    g_ShadowParameters.projection = viewProjection;

    s_aScratch.SetCount(0);
    for (u32 i = 0; i < list.nCount; ++i)
    {
        TRenderObject* caster = list.apCaster[i];
        if (IsBoxInFrustum(*caster->GetBoundBox(), *caster->GetMatrix(), viewProjection) != FRUSTUM_OUTSIDE)
            s_aScratch.Add(caster);
    }
    RenderMap(s_aScratch.GetData(), static_cast<u32>(s_aScratch.GetCount()), light.m_nType == LIGHT_POINT);
    EndPass();
    g_ShadowParameters.projection = ShadowTextureMatrix(camera.m_Placement, viewProjection, m_fMapWidth, m_fMapHeight);
    RenderProjection();
    EndPass();
}

void TShadowManager::_Soften()
{
    m_aBlur[0] = TVector(SHADOW_BLUR_STEP, SHADOW_BLUR_DEPTH_TOLERANCE, 0.0f, 0.0f);
    TTexture* positions = TextureOf(g_pRenderManager->GetPublishedTarget(PUBLISHED_POSITION));
    g_pRenderManager->ResetPassState();
    const struct
    {
        TRenderTarget* target;
        TShaderLink& shader;
        TRenderTarget* source;
    } passes[] = {{m_pFilter, s_BlurHorizontal, m_apMask[SHADOW_MASK_OPAQUE]},
                  {m_apMask[SHADOW_MASK_OPAQUE], s_BlurVertical, m_pFilter}};
    for (const auto& pass : passes)
    {
        g_pRenderManager->SetPassTarget(pass.target, nullptr, nullptr, nullptr, 0, 0);
        TShader* shader = pass.shader.Get();
        if (!shader || !g_pCanvasManager)
            continue;
        shader->SetTexture(BLUR_IMAGE_SLOT, pass.source->GetTexture());
        shader->SetTexture(BLUR_POSITION_SLOT, positions);
        g_pCanvasManager->DrawFullScreen(shader, kWhite);
    }
    EndPass();
}
