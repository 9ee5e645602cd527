#include "engine/render/deferredrendering.h"

#include "core/math/boundbox.h"
#include "core/system/log.h"
#include "core/system/timer.h"
#include "engine/render/camera.h"
#include "engine/render/cameramanager.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/device.h"
#include "engine/render/devicemethods.h"
#include "engine/render/impostermanager.h"
#include "engine/render/light.h"
#include "engine/render/lightmanager.h"
#include "engine/render/lightsettings.h"
#include "engine/render/rendercontext.h"
#include "engine/render/rendermanager.h"
#include "engine/render/renderobject.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/render/rendertarget.h"
#include "engine/render/rendertargetmanager.h"
#include "engine/render/shader.h"
#include "engine/render/shaderlink.h"
#include "engine/render/shadowmanager.h"
#include "engine/render/texture.h"
#include "engine/render/viewport.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"

#include <algorithm>
#include <cmath>

namespace
{
TDeferredRendering s_DeferredRendering;

constexpr const char* kSupportPrefix = "TDeferredRendering::CheckSupport(): ";
constexpr const char* kCreatePrefix = "TDeferredRendering::_CreateRenderTargets(): ";
constexpr const char* kTargetNames[DEFERRED_TARGETS] = {"Color", "Position", "Normal", "Temp1", "Temp2", "Temp3"};
constexpr TColor kWhite = {1.0f, 1.0f, 1.0f, 1.0f};
// The render manager's ping-pong words: Temp1 or Temp3 first, Temp2 second.
constexpr u32 PING_PONG_TRANSPARENT = DEFERRED_TEMP1 + 1;
constexpr u32 PING_PONG_OPAQUE = DEFERRED_TEMP3 + 1;
constexpr u32 PING_PONG_SECOND = DEFERRED_TEMP2 + 1;
// The G-buffer pass's last bind flags after its pass state reset.
constexpr u32 GBUFFER_BIND_FLAGS = 8;

TShaderLink s_GBufferShader("Shader_deferredrendering_gbuffer");
TShaderLink s_ImposterShader("Shader_imposter_deferredrendering");
TShaderLink s_DirectionalShader("Shader_deferredrendering_light_directional");
TShaderLink s_PointShader("Shader_deferredrendering_light_point");
TShaderLink s_SpotShader("Shader_deferredrendering_light_spot");
TShaderLink s_CombineShader("Shader_deferredrendering_combine");

const TName s_NameAlphaBlend("Alpha blend", true);
const TName s_NameParticles("Particles", true);
const TName s_NameOn("1", true);
const TName s_DefineAlphaPass("DAlphaBlendAlphaPass", true);
const TName s_DefineAlphaCombine("DAlphaBlendAlphaCombine", true);
const TName s_DefineAlphaCombine2("DAlphaBlendAlphaCombine2", true);
const TName s_DefinePositionOutput("DPositionOutput", true);
const TName s_DefineTransparent("DTransparent", true);
const TName s_DefineSubtract("DLightingTypeSubtract", true);

const TName s_StepGBufferOpaque("G-Buffer create (opaque)", true);
const TName s_StepGBufferTransparent("G-Buffer create (transparent)", true);
const TName s_StepAlphaCombine2("A-Buffer alpha combine 2", true);
const TName s_StepABuffer("A-Buffer create", true);
const TName s_StepAlphaCombine("Alpha blend combine", true);
const TName s_StepTransparencyPosition("Render transparency position", true);
const TName s_StepTransparencyCombine("Transparency combine", true);
const TName s_StepOpaqueCombine("Opaque combine", true);
const TName s_StepDirectional("Lighting (directional light)", true);
const TName s_StepSpot("Lighting (spot light)", true);

class Tdeferredrendering_disableVariable : public TVariable
{
public:
    Tdeferredrendering_disableVariable()
        : TVariable("deferredrendering_disable", "Disable deferred rendering (use forward rendering).", 0)
    {
        m_Value.SetInt(0);
    }
    void OnChange() override
    {
        TDeferredRendering& renderer = *g_pDeferredRendering;
        if (m_Value.ToInt() != 0)
        {
            renderer.ReleaseRenderTargets();
            if (renderer.m_nEnabled)
            {
                renderer.m_nEnabled = 0;
                // Disabled now: the release takes the shadows with it.
                renderer.ReleaseRenderTargets();
            }
            return;
        }
        if (!renderer.m_nSupported)
            TCommandManager::Instance().PrintError("Deferred renderer not supported.");
        else
            renderer.Enable();
    }
};

Tdeferredrendering_disableVariable s_deferredrendering_disable;

TTexture* TextureOf(TRenderTarget* target)
{
    return target ? target->GetTexture() : nullptr;
}

void DrawFullScreen(TShader* shader)
{
    if (g_pCanvasManager && shader)
        g_pCanvasManager->DrawFullScreen(shader, kWhite);
}

// The canvas's copy of a texture over the whole bound target.
void CopyTexture(TTexture* texture)
{
    if (g_pCanvasManager)
        g_pCanvasManager->DrawFullScreen(g_pCanvasManager->SetShader(texture, 0), kWhite);
}

void SetDefine(TShader* shader, const TName& define, u32 on)
{
    if (!shader)
        return;
    if (on)
        shader->SetDefine(define, s_NameOn);
    else
        shader->RemoveDefine(define);
}

// The current-light block of a deferred light pass: the light's values, the world-to-light
// matrix, its number in the pass, the game time and its fade fraction; value 24 (the shadow's)
// is zero for a light that gets no shadow.
void FillLightBlock(TLight& light, u32 number, u32 shadowed)
{
    f32* v = g_LightSettings.aValue;
    g_LightSettings.Fill(light);
    std::copy(light.m_aValue140, light.m_aValue140 + 8, v + LIGHT_SETTINGS_VALUES140);
    if (!shadowed)
        v[LIGHT_SETTINGS_SHADOW] = 0.0f;
    const TMatrix& world = *light.GetMatrix();
    f32* m = v + LIGHT_SETTINGS_WORLD_TO_LIGHT;
    const TVector& t = world.aRow[3];
    for (u32 axis = 0; axis < 3; ++axis)
    {
        const TVector& r = world.aRow[axis];
        m[0 * 4 + axis] = r.x;
        m[1 * 4 + axis] = r.y;
        m[2 * 4 + axis] = r.z;
        m[3 * 4 + axis] = -(t.x * r.x + t.y * r.y + t.z * r.z);
    }
    m[3] = m[7] = m[11] = 0.0f;
    m[15] = 1.0f;
    v[LIGHT_SETTINGS_DEFERRED_NUMBER] = static_cast<f32>(number);
    v[LIGHT_SETTINGS_DEFERRED_NUMBER + 1] = 0.0f;
    v[LIGHT_SETTINGS_GAME_TIME] = v[LIGHT_SETTINGS_GAME_TIME + 1] = g_pTimer->GetGameTime();
    v[LIGHT_SETTINGS_FADE_FRACTION] = light.m_fFadeFraction;
}

// Slack around a light's screen rectangle, in pixels and as a share of its range, so that rounding
// in the light's shading never reaches past it.
constexpr f32 LIGHT_RECT_MARGIN = 2.0f;
constexpr f32 LIGHT_RECT_RANGE_SLACK = 1.01f;
// Below this depth (clip w) a corner counts as behind the camera.
constexpr f32 LIGHT_RECT_NEAREST = 1e-3f;
// A spot whose outer cosine is this small or less is bounded by its sphere alone.
constexpr f32 LIGHT_RECT_CONE_COSINE = 0.05f;

// The screen box of the convex hull of points (x, y, z), grown to whole pixels; false when a
// point lies behind the camera.
bool ScreenBoxOf(const f32 (*points)[3], u32 count, const TMatrix& m, u32 width, u32 height, f32 box[4])
{
    box[0] = box[1] = INFINITY;
    box[2] = box[3] = -INFINITY;
    for (u32 i = 0; i < count; ++i)
    {
        const f32* p = points[i];
        f32 clip[4];
        for (u32 c = 0; c < 4; ++c)
        {
            const f32* column = &m.aRow[0].x + c;
            clip[c] = p[0] * column[0] + p[1] * column[4] + p[2] * column[8] + column[12];
        }
        if (!(clip[3] > LIGHT_RECT_NEAREST))
            return false;
        const f32 x = (clip[0] / clip[3] + 1.0f) * 0.5f * static_cast<f32>(width);
        const f32 y = (1.0f - clip[1] / clip[3]) * 0.5f * static_cast<f32>(height);
        box[0] = std::min(box[0], x);
        box[1] = std::min(box[1], y);
        box[2] = std::max(box[2], x);
        box[3] = std::max(box[3], y);
    }
    return std::isfinite(box[0] + box[1] + box[2] + box[3]);
}

// The whole pixels of a screen box, two wider each way for rounding, clamped to the screen.
void PixelsOf(const f32 box[4], u32 width, u32 height, i32 rect[4])
{
    const f32 w = static_cast<f32>(width), h = static_cast<f32>(height);
    rect[0] = static_cast<i32>(std::clamp(std::floor(box[0] - LIGHT_RECT_MARGIN), 0.0f, w));
    rect[1] = static_cast<i32>(std::clamp(std::floor(box[1] - LIGHT_RECT_MARGIN), 0.0f, h));
    rect[2] = static_cast<i32>(std::clamp(std::ceil(box[2] + LIGHT_RECT_MARGIN), 0.0f, w));
    rect[3] = static_cast<i32>(std::clamp(std::ceil(box[3] + LIGHT_RECT_MARGIN), 0.0f, h));
    // Off the screen: an empty rectangle at its corner.
    rect[2] = std::max(rect[2], rect[0]);
    rect[3] = std::max(rect[3], rect[1]);
}

// The screen box of the objects a queue draws, gathered by its frustum test; unbounded once an
// object reaches behind the camera.
struct TDrawnBox
{
    u32 width, height;
    u32 unbounded = 0;
    f32 box[4] = {INFINITY, INFINITY, -INFINITY, -INFINITY};
};

u32 RenderObjectInFrustumMeasured(TRenderObject* object, const TMatrix* camera, void* argument)
{
    if (!RenderObjectInFrustum(object, camera, nullptr))
        return 0;
    TDrawnBox& drawn = *static_cast<TDrawnBox*>(argument);
    const TBoundBox& bound = *object->GetBoundBox();
    const TMatrix& world = *object->GetMatrix();
    f32 corners[8][3];
    for (u32 i = 0; i < 8; ++i)
    {
        const f32 x = i & 1 ? bound.maximum.x : bound.minimum.x, y = i & 2 ? bound.maximum.y : bound.minimum.y,
                  z = i & 4 ? bound.maximum.z : bound.minimum.z;
        for (u32 c = 0; c < 3; ++c)
        {
            const f32* column = &world.aRow[0].x + c;
            corners[i][c] = x * column[0] + y * column[4] + z * column[8] + column[12];
        }
    }
    f32 box[4];
    if (!ScreenBoxOf(corners, 8, *camera, drawn.width, drawn.height, box))
        drawn.unbounded = 1;
    else
    {
        drawn.box[0] = std::min(drawn.box[0], box[0]);
        drawn.box[1] = std::min(drawn.box[1], box[1]);
        drawn.box[2] = std::max(drawn.box[2], box[2]);
        drawn.box[3] = std::max(drawn.box[3], box[3]);
    }
    return 1;
}

// A pass cut to the rectangle `bound` (null: the screen), and a light's pass further to the
// screen rectangle of its volume, except the first light of the opaque pass: that one marks every
// drawn pixel lit for the combine.
class TPassScissor
{
public:
    TPassScissor(const i32* bound, TLight* light, u32 first)
    {
        i32 rect[4] = {0, 0, 0, 0};
        u32 cut = 0;
        if (bound)
        {
            std::copy(bound, bound + 4, rect);
            cut = 1;
        }
        TCamera* camera = g_pCameraManager ? g_pCameraManager->GetCurrentCamera() : nullptr;
        i32 reach[4];
        if (light && !first && camera &&
            TDeferredRendering::LightScreenRect(*light, camera->m_ViewProjection,
                                                static_cast<u32>(g_pDeviceManager->GetBackBufferWidth()),
                                                static_cast<u32>(g_pDeviceManager->GetBackBufferHeight()), reach))
        {
            if (!cut)
                std::copy(reach, reach + 4, rect);
            else
            {
                rect[0] = std::max(rect[0], reach[0]);
                rect[1] = std::max(rect[1], reach[1]);
                rect[2] = std::max(rect[0], std::min(rect[2], reach[2]));
                rect[3] = std::max(rect[1], std::min(rect[3], reach[3]));
            }
            cut = 1;
        }
        if (!cut)
            return;
        g_pDeviceManager->SetScissorRect(rect[0], rect[1], rect[2], rect[3]);
        g_pDeviceManager->SetScissorTest(1);
        m_nOn = 1;
    }
    ~TPassScissor()
    {
        if (m_nOn)
            g_pDeviceManager->ResetScissorRect();
    }

private:
    u32 m_nOn = 0;
};
} // namespace

TDeferredRendering* g_pDeferredRendering = &s_DeferredRendering;

TDeferredRendering::TDeferredRendering()
    : TRenderer("TDeferredRendering", DEFERRED_FLAGS, RENDERER_PREFERRED), m_apTarget{}, m_pAlphaBlend(nullptr),
      m_pParticles(nullptr)
{
}

TShader* TDeferredRendering::GBufferShader()
{
    return s_GBufferShader.Get();
}

TShader* TDeferredRendering::ImposterShader()
{
    return s_ImposterShader.Get();
}

TShader* TDeferredRendering::CombineShader()
{
    return s_CombineShader.Get();
}

void TDeferredRendering::CheckSupport(const TRendererCaps& caps)
{
    m_nSupported = 1;
    if (caps.nMaxRenderTargets < DEFERRED_MIN_RENDER_TARGETS)
    {
        TLog::Print(g_pSystemLog, LOG_INFO, kSupportPrefix, "disabled (device does not support 4 MRT)");
        m_nSupported = 0;
    }
    if (caps.nPixelShaderVersion < DEFERRED_MIN_PIXEL_SHADER)
    {
        TLog::Print(g_pSystemLog, LOG_INFO, kSupportPrefix, "disabled (device does not support pixel shader 3)");
        m_nSupported = 0;
    }
    if (caps.nFloatTargets != 1)
    {
        TLog::Print(g_pSystemLog, LOG_INFO, kSupportPrefix,
                    "disabled (device floating point RT capabilities are inadequate)");
        m_nSupported = 0;
    }
    if (m_nSupported)
        return;
    // Nothing may draw with it: the renderer choice falls back to the forward renderer, and the
    // shadows, which need it, go off.
    m_nEnabled = 0;
    ReleaseRenderTargets();
    if (s_deferredrendering_disable.GetValue().ToInt() != 0)
        s_deferredrendering_disable.SetInt(0);
}

i32 TDeferredRendering::Initialize()
{
    if (!g_pDeviceManager || !m_nEnabled)
        return 0;
    _CreateRenderTargets();
    if (!m_nEnabled)
        return 0;
    for (TShaderLink* link : {&s_DirectionalShader, &s_PointShader, &s_SpotShader})
        if (TShader* shader = link->Get())
        {
            shader->SetTexture(DEFERRED_LIGHT_POSITION_SLOT, TextureOf(m_apTarget[DEFERRED_POSITION]));
            shader->SetTexture(DEFERRED_LIGHT_NORMAL_SLOT, TextureOf(m_apTarget[DEFERRED_NORMAL]));
        }
    _FindQueues();
    for (u32 i = 0; i < g_pDeviceManager->GetMethodCount(); ++i)
        g_pDeviceManager->GetMethod(i)->OnRendererChange();
    return 0;
}

void TDeferredRendering::_FindQueues()
{
    DArray<TRenderScene*>& scenes = g_pRenderSceneManager->Scenes();
    m_pAlphaBlend = scenes.GetCount() > 0 ? scenes[0]->FindQueue(s_NameAlphaBlend) : nullptr;
    m_pParticles = scenes.GetCount() > 0 ? scenes[0]->FindQueue(s_NameParticles) : nullptr;
}

void TDeferredRendering::_CreateRenderTargets()
{
    const u32 width = static_cast<u32>(g_pDeviceManager->GetBackBufferWidth());
    const u32 height = static_cast<u32>(g_pDeviceManager->GetBackBufferHeight());
    TLog::Print(g_pSystemLog, LOG_INFO, kCreatePrefix, "%dx%d", width, height);
    if (m_apTarget[DEFERRED_COLOR])
        return;
    for (u32 i = 0; i < DEFERRED_TARGETS; ++i)
    {
        TRenderTarget*& target = m_apTarget[i];
        target = g_pRenderTargetManager->CreateRenderTarget(TName(kTargetNames[i], true), width, height,
                                                            RENDER_TARGET_A16B16G16R16F, 0, 0, 0);
        if (target && target->IsLoaded())
            continue;
        // A target the device refused: the forward renderer draws instead.
        TLog::Print(g_pSystemLog, LOG_ERROR, "TDeferredRendering::_CreateRenderTargets(): error: ",
                    "'%s' %ux%u refused: deferred rendering off", kTargetNames[i], width, height);
        if (target)
            target->ReleaseReference();
        target = nullptr;
        ReleaseRenderTargets();
        m_nEnabled = 0;
        ReleaseRenderTargets();
        return;
    }
}

void TDeferredRendering::ReleaseRenderTargets()
{
    if (m_apTarget[DEFERRED_COLOR])
        for (TRenderTarget*& target : m_apTarget)
        {
            if (target)
                target->ReleaseReference();
            target = nullptr;
        }
    if (!m_nEnabled && g_pShadowManager)
        g_pShadowManager->SetEnabled(0);
}

void TDeferredRendering::CreateRenderTargets()
{
    ReleaseRenderTargets();
    Initialize();
}

void TDeferredRendering::PublishTargets()
{
    for (u32 i = 0; i < DEFERRED_TARGETS; ++i)
        g_pRenderManager->SetPublishedTarget(i + 1, m_apTarget[i]);
}

void TDeferredRendering::BeginFrame(u32 clearFlags, u32 colour)
{
    TRenderTarget* const* t = m_apTarget;
    if (!t[DEFERRED_POSITION])
        return;
    // The level's queues come after the device: found again each frame, never kept past an unload.
    _FindQueues();
    g_pRenderManager->SetPassTarget(t[DEFERRED_COLOR], nullptr, nullptr, nullptr, PASS_ATTACH_DEPTH, 0);
    g_pDeviceManager->Clear(clearFlags, clearFlags & DEVICE_CLEAR_TARGET ? RenderBackgroundColor() | 0xFF000000u : 0u,
                            1.0f, 0);
    // Each float target is written once: Position takes its own clear alone, and Temp2 is cleared
    // where the A-buffer and the lights begin, before anything reads it.
    g_pRenderManager->SetPassTarget(t[DEFERRED_NORMAL], t[DEFERRED_TEMP1], nullptr, nullptr, PASS_CLEAR_COLOUR, 0);
    g_pRenderManager->SetPassTarget(t[DEFERRED_POSITION], nullptr, nullptr, nullptr, PASS_CLEAR_COLOUR,
                                    DEFERRED_POSITION_CLEAR);
}

void TDeferredRendering::RenderQueue(TRenderPass* pass, u32 id)
{
    switch (id)
    {
    case RENDER_QUEUE_OPAQUE:
        if (pass)
            _RenderGBuffer(pass);
        break;
    case RENDER_QUEUE_OPAQUE_LIGHTING:
        _RenderCombine(0);
        break;
    case RENDER_QUEUE_TRANSPARENT:
        _RenderTransparentGBuffer();
        break;
    case RENDER_QUEUE_TRANSPARENT_LIGHTING:
        _RenderCombine(1);
        break;
    default:
        break;
    }
}

void TDeferredRendering::_RenderGBuffer(TRenderPass* pass)
{
    TRenderTarget* const* t = m_apTarget;
    g_pRenderManager->ResetPassState();
    g_pRenderManager->SetLastBindFlags(GBUFFER_BIND_FLAGS);
    const u32 flags = PASS_ATTACH_DEPTH | PASS_CLEAR_DEPTH | PASS_CLEAR_STENCIL;
    if (t[DEFERRED_POSITION])
        g_pRenderManager->SetPassTarget(t[DEFERRED_COLOR], t[DEFERRED_POSITION], t[DEFERRED_NORMAL], t[DEFERRED_TEMP1],
                                        flags, 0);
    else
        g_pRenderManager->SetPassTarget(t[DEFERRED_COLOR], nullptr, nullptr, nullptr, flags, 0);
    if (g_pImposterManager)
        g_pImposterManager->SetShader(s_ImposterShader.Get());
    TShader* shader = s_GBufferShader.Get();
    TRenderContext context(shader);
    pass->RenderScenes(&context);
    g_pRenderManager->RecordPipelineStep(s_StepGBufferOpaque, shader);
}

void TDeferredRendering::_RenderTransparentQueues(u32 measure)
{
    if (g_pImposterManager)
        g_pImposterManager->SetShader(s_ImposterShader.Get());
    TRenderContext context(s_GBufferShader.Get());
    TDrawnBox drawn;
    drawn.width = static_cast<u32>(g_pDeviceManager->GetBackBufferWidth());
    drawn.height = static_cast<u32>(g_pDeviceManager->GetBackBufferHeight());
    for (TRenderQueue* queue : {m_pAlphaBlend, m_pParticles})
        if (queue)
            queue->Render(&context, measure ? RenderObjectInFrustumMeasured : RenderObjectInFrustum, &drawn);
    if (!measure || drawn.unbounded)
        return;
    m_nTransparentBounded = 1;
    if (drawn.box[0] > drawn.box[2])
        std::fill(m_aTransparentRect, m_aTransparentRect + 4, 0);
    else
        PixelsOf(drawn.box, drawn.width, drawn.height, m_aTransparentRect);
}

void TDeferredRendering::_RenderTransparentGBuffer()
{
    TRenderTarget* const* t = m_apTarget;
    if (!t[DEFERRED_COLOR])
    {
        m_nTransparentBounded = 0;
        return;
    }
    g_pRenderManager->ResetPassState();
    g_pRenderManager->EndPass();
    g_pRenderManager->SetPassTarget(t[DEFERRED_TEMP3], nullptr, nullptr, nullptr, 0, 0);
    TShader* combine = s_CombineShader.Get();
    SetDefine(combine, s_DefineAlphaCombine2, 1);
    if (combine)
        combine->SetTexture(DEFERRED_COMBINE_COLOR_SLOT, TextureOf(t[DEFERRED_COLOR]));
    {
        // It weighs the colour to nothing: cut to where the A-buffer pass drew, it leaves the
        // same target.
        const TPassScissor scissor(TransparentBound(1), nullptr, 0);
        DrawFullScreen(combine);
    }
    g_pRenderManager->RecordPipelineStep(s_StepAlphaCombine2, combine);
    SetDefine(combine, s_DefineAlphaCombine2, 0);
    m_nTransparentBounded = 0;
    // Colour and material start empty; the opaque positions and normals stay, since the post
    // effects read them after this pass (the transparent surfaces write theirs over them, and the
    // transparency combine takes nothing where no colour was drawn).
    g_pRenderManager->SetPassTarget(t[DEFERRED_COLOR], t[DEFERRED_TEMP1], nullptr, nullptr,
                                    PASS_ATTACH_DEPTH | PASS_CLEAR_COLOUR | PASS_CLEAR_STENCIL, 0);
    g_pRenderManager->SetPassTarget(t[DEFERRED_COLOR], t[DEFERRED_POSITION], t[DEFERRED_NORMAL], t[DEFERRED_TEMP1],
                                    PASS_ATTACH_DEPTH, 0);
    if (!m_pAlphaBlend)
    {
        // Nothing transparent: its lights and combine have nothing to change.
        m_nTransparentBounded = 1;
        std::fill(m_aTransparentRect, m_aTransparentRect + 4, 0);
        return;
    }
    _RenderTransparentQueues(1);
    g_pRenderManager->RecordPipelineStep(s_StepGBufferTransparent, s_GBufferShader.Get());
}

void TDeferredRendering::_RenderCombine(u32 transparent)
{
    TRenderTarget* const* t = m_apTarget;
    if (!t[DEFERRED_COLOR])
        return;
    g_pRenderManager->EndPass();
    TShader* gbuffer = s_GBufferShader.Get();
    TShader* imposter = s_ImposterShader.Get();
    TShader* combine = s_CombineShader.Get();
    if (!transparent)
    {
        // The A-buffer: the transparent queues' colour and cover, over the opaque colour.
        g_pRenderManager->SetPassTarget(t[DEFERRED_TEMP2], nullptr, nullptr, nullptr,
                                        PASS_ATTACH_DEPTH | PASS_CLEAR_COLOUR, 0);
        // Where the transparent queues draw; nothing drawn bounds an empty rectangle.
        m_nTransparentBounded = 1;
        std::fill(m_aTransparentRect, m_aTransparentRect + 4, 0);
        if (m_pAlphaBlend)
        {
            m_nTransparentBounded = 0;
            SetDefine(gbuffer, s_DefineAlphaPass, 1);
            SetDefine(imposter, s_DefineAlphaPass, 1);
            _RenderTransparentQueues(1);
            g_pRenderManager->RecordPipelineStep(s_StepABuffer, gbuffer);
            SetDefine(gbuffer, s_DefineAlphaPass, 0);
            SetDefine(imposter, s_DefineAlphaPass, 0);
        }
        g_pRenderManager->SetPassTarget(t[DEFERRED_COLOR], nullptr, nullptr, nullptr, 0, 0);
        SetDefine(combine, s_DefineAlphaCombine, 1);
        if (combine)
            combine->SetTexture(DEFERRED_COMBINE_COLOR_SLOT, TextureOf(t[DEFERRED_TEMP2]));
        {
            // Beyond the A-buffer's surfaces it holds the clear (0), which leaves the colour.
            const TPassScissor scissor(TransparentBound(1), nullptr, 0);
            DrawFullScreen(combine);
        }
        g_pRenderManager->RecordPipelineStep(s_StepAlphaCombine, combine);
        SetDefine(combine, s_DefineAlphaCombine, 0);

        if (g_pShadowManager && g_pShadowManager->IsEnabled())
        {
            // The positions the shadows fall on: the opaque ones, the nearest transparent ones
            // in front of them.
            g_pRenderManager->SetPassTarget(t[DEFERRED_TEMP3], nullptr, nullptr, nullptr, PASS_ATTACH_DEPTH, 0);
            CopyTexture(TextureOf(t[DEFERRED_POSITION]));
            if (m_pAlphaBlend)
            {
                SetDefine(gbuffer, s_DefinePositionOutput, 1);
                SetDefine(imposter, s_DefinePositionOutput, 1);
                _RenderTransparentQueues();
                g_pRenderManager->RecordPipelineStep(s_StepTransparencyPosition, gbuffer);
                SetDefine(gbuffer, s_DefinePositionOutput, 0);
                SetDefine(imposter, s_DefinePositionOutput, 0);
            }
            g_pRenderManager->EndPass();
            g_pShadowManager->RenderShadows();
        }
    }
    // The light pass clears it first.
    g_pRenderManager->SetPassTarget(t[DEFERRED_TEMP2], nullptr, nullptr, nullptr, PASS_ATTACH_DEPTH, 0);
    _RenderLights(transparent);
    g_pRenderManager->EndPass();

    g_pRenderManager->SetPingPong(transparent ? PING_PONG_TRANSPARENT : PING_PONG_OPAQUE, PING_PONG_SECOND);
    g_pRenderManager->ResetPassState();
    // Cleared only without a combine: with one, every pixel of the target is drawn next.
    g_pRenderManager->BeginPipelinePass(PASS_ATTACH_DEPTH | (combine ? 0 : PASS_CLEAR_COLOUR));
    if (!combine)
        return;
    combine->SetTexture(DEFERRED_COMBINE_COLOR_SLOT, TextureOf(t[DEFERRED_COLOR]));
    combine->SetTexture(DEFERRED_COMBINE_LIGHT_SLOT, TextureOf(t[DEFERRED_TEMP2]));
    if (transparent)
    {
        SetDefine(combine, s_DefineTransparent, 1);
        combine->SetTexture(DEFERRED_COMBINE_SCENE_SLOT, TextureOf(t[DEFERRED_TEMP3]));
        CopyTexture(TextureOf(t[DEFERRED_TEMP3]));
        {
            // Beyond the transparent surfaces the combine gives the scene it was copied over.
            const TPassScissor scissor(TransparentBound(1), nullptr, 0);
            DrawFullScreen(combine);
        }
        g_pRenderManager->RecordPipelineStep(s_StepTransparencyCombine, combine);
        SetDefine(combine, s_DefineTransparent, 0);
        combine->SetTexture(DEFERRED_COMBINE_LIGHT_SLOT, nullptr);
        combine->SetTexture(DEFERRED_COMBINE_SCENE_SLOT, nullptr);
        return;
    }
    // The opaque combine writes every pixel, unblended: a copy of "Color" under it would be drawn
    // over whole.
    DrawFullScreen(combine);
    g_pRenderManager->RecordPipelineStep(s_StepOpaqueCombine, combine);
    combine->SetTexture(DEFERRED_COMBINE_LIGHT_SLOT, nullptr);
}

bool TDeferredRendering::LightScreenRect(TLight& light, const TMatrix& viewProjection, u32 width, u32 height,
                                         i32 rect[4])
{
    if (light.m_nType != LIGHT_POINT && light.m_nType != LIGHT_SPOT)
        return false;
    const TMatrix& world = *light.GetMatrix();
    const TVector& at = world.aRow[3];
    const f32 range = std::max(light.m_fRange, 0.0f) * LIGHT_RECT_RANGE_SLACK;
    // Where the light reaches: within its range (the shading's distance is the camera-space one,
    // which the camera's rigid view keeps).
    f32 corners[8][3];
    for (u32 i = 0; i < 8; ++i)
    {
        corners[i][0] = at.x + (i & 1 ? range : -range);
        corners[i][1] = at.y + (i & 2 ? range : -range);
        corners[i][2] = at.z + (i & 4 ? range : -range);
    }
    f32 box[4];
    bool bounded = ScreenBoxOf(corners, 8, viewProjection, width, height, box);
    // A spot adds light only inside its outer cone along its +Z: within the pyramid from its
    // position to the square that holds the cone's section at its range, which bounds it alone
    // where the sphere reaches behind the camera.
    const f32 cosine = light.m_aAttenuation[LIGHT_SPOT_COS_OUTER];
    const TVector& x = world.aRow[0];
    const TVector& y = world.aRow[1];
    const TVector& z = world.aRow[2];
    const auto unit = [](const TVector& v) { return std::fabs(v.x * v.x + v.y * v.y + v.z * v.z - 1.0f) < 1e-3f; };
    const auto square = [](const TVector& a, const TVector& b) { return std::fabs(a.x * b.x + a.y * b.y + a.z * b.z) < 1e-3f; };
    if (light.m_nType == LIGHT_SPOT && cosine > LIGHT_RECT_CONE_COSINE && cosine <= 1.0f && unit(x) && unit(y) &&
        unit(z) && square(x, y) && square(y, z) && square(x, z))
    {
        const f32 side = range * std::sqrt(1.0f - cosine * cosine) / cosine * LIGHT_RECT_RANGE_SLACK;
        f32 pyramid[5][3] = {{at.x, at.y, at.z}};
        for (u32 i = 0; i < 4; ++i)
        {
            const f32 a = i & 1 ? side : -side, b = i & 2 ? side : -side;
            pyramid[i + 1][0] = at.x + z.x * range + x.x * a + y.x * b;
            pyramid[i + 1][1] = at.y + z.y * range + x.y * a + y.y * b;
            pyramid[i + 1][2] = at.z + z.z * range + x.z * a + y.z * b;
        }
        f32 narrow[4];
        if (ScreenBoxOf(pyramid, 5, viewProjection, width, height, narrow))
        {
            if (!bounded)
                std::copy(narrow, narrow + 4, box);
            box[0] = std::max(box[0], narrow[0]);
            box[1] = std::max(box[1], narrow[1]);
            box[2] = std::min(box[2], narrow[2]);
            box[3] = std::min(box[3], narrow[3]);
            bounded = true;
        }
    }
    if (!bounded)
        return false;
    PixelsOf(box, width, height, rect);
    return true;
}

void TDeferredRendering::_RenderLights(u32 transparent)
{
    {
        // The transparent pass's lights and combine read the light target only where the
        // transparent surfaces were drawn.
        const TPassScissor scissor(TransparentBound(transparent), nullptr, 0);
        g_pDeviceManager->Clear(DEVICE_CLEAR_TARGET, 0u, 1.0f, 0);
    }
    const u32 shadows = g_pShadowManager && g_pShadowManager->IsEnabled();
    TTexture* mask =
        shadows ? TextureOf(g_pShadowManager->GetTarget(transparent ? SHADOW_MASK_TRANSPARENT : SHADOW_MASK_OPAQUE))
                : nullptr;
    TShader* directional = s_DirectionalShader.Get();
    TShader* point = s_PointShader.Get();
    TShader* spot = s_SpotShader.Get();
    for (TShader* shader : {directional, point, spot})
        if (shader)
        {
            shader->SetTexture(DEFERRED_LIGHT_SHADOW_SLOT, mask);
            shader->SetTexture(DEFERRED_LIGHT_MATERIAL_SLOT, TextureOf(m_apTarget[DEFERRED_TEMP1]));
        }
    DArray<TLight*>& lights = g_pLightManager->Lights();
    const i32 level = g_pLightManager->GetOptimizationLevel();
    u32 number = 0, casting = 0;
    for (i32 i = 0; i < lights.GetCount(); ++i)
    {
        TLight& light = *lights[i];
        if (!light.IsValid() || !light.IsOn() || light.m_nLevel > level)
            continue;
        if (light.m_nCastsShadows)
            ++casting;
        FillLightBlock(light, number++, shadows && casting <= SHADOW_LIGHT_LIMIT);
        TTexture* projection = light.pProjection;
        if (projection)
            projection->Require();
        const TPassScissor scissor(TransparentBound(transparent), &light, number == 1);
        switch (light.m_nType)
        {
        case LIGHT_DIRECTIONAL:
            if (!directional)
                break;
            directional->SetTexture(DEFERRED_LIGHT_PROJECTION_SLOT, projection);
            DrawFullScreen(directional);
            g_pRenderManager->RecordPipelineStep(s_StepDirectional, directional);
            break;
        case LIGHT_POINT:
            DrawFullScreen(point);
            break;
        case LIGHT_SPOT: {
            if (!spot)
                break;
            const u32 subtract = light.m_nSubtract == 1;
            SetDefine(spot, s_DefineSubtract, subtract);
            spot->SetTexture(DEFERRED_LIGHT_PROJECTION_SLOT, projection);
            DrawFullScreen(spot);
            g_pRenderManager->RecordPipelineStep(s_StepSpot, spot);
            SetDefine(spot, s_DefineSubtract, 0);
            break;
        }
        default:
            break;
        }
    }
}
