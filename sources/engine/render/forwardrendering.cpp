#include "engine/render/forwardrendering.h"

#include "engine/render/camera.h"
#include "engine/render/device.h"
#include "engine/render/impostermanager.h"
#include "engine/render/light.h"
#include "engine/render/lightmanager.h"
#include "engine/render/lightsettings.h"
#include "engine/render/rendercontext.h"
#include "engine/render/renderer.h"
#include "engine/render/rendermanager.h"
#include "engine/render/renderobject.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/render/shadowmanager.h"
#include "engine/render/shaderlink.h"
#include "engine/render/viewport.h"
#include "engine/system/node.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{
TForwardRendering s_ForwardRendering;

TShaderLink s_DirectionalShader("Shader_forwardrendering_light_directional");
TShaderLink s_SpotShader("Shader_forwardrendering_light_spot");
TShaderLink s_ImposterShader("Shader_imposter_forwardrendering");
const TName s_NameAlphaBlend("Alpha blend", true);
const TName s_NameImposters("Imposters (forward)", true);

constexpr f32 kDegrees = 57.29578f;

// The light of a pass: drawn by the forward renderer when on and not above level 0.
bool Drawable(const TLight* light)
{
    return light->IsValid() && light->IsOn() && light->m_nLevel <= 0;
}

// The imposters of the directional pass are a step of the pipeline recorder.
void RecordImposters(TShader* shader, u32)
{
    g_pRenderManager->RecordPipelineStep(s_NameImposters, shader);
}

// The scenes of the pass drawn without the frustum cull of feather blending: light set on,
// then each enabled queue.
void RenderScenesInline(TRenderPass* pass, TRenderContext* context)
{
    if (!(pass->m_nFlags & RENDER_PASS_SCENES))
        return;
    const auto draw = [context](TRenderScene* scene) {
        if (scene->pLightSet)
            scene->pLightSet->Enable();
        for (u32 i = 0; i < scene->GetQueueCount(); ++i)
            if (scene->aRenderQueue[i] && (scene->aRenderQueue[i]->m_nFlags & RENDER_QUEUE_ENABLED))
                scene->aRenderQueue[i]->Render(context, RenderObjectInFrustum, nullptr);
    };
    if (!pass->ListsScenes())
    {
        DArray<TRenderScene*>& scenes = g_pRenderSceneManager->Scenes();
        for (i32 i = 0; i < scenes.GetCount(); ++i)
            draw(scenes[i]);
        return;
    }
    for (void* scene : pass->aRenderScene)
        if (scene)
            draw(static_cast<TRenderScene*>(scene));
}

// Values 24-27: the light's stored shadow values (the fill's) while shadows are on, for every
// light that casts; otherwise no light is shadowed.
void FillShadowValues()
{
    if (g_pShadowManager && g_pShadowManager->IsEnabled())
        return;
    f32* shadow = g_LightSettings.aValue + LIGHT_SETTINGS_SHADOW;
    shadow[0] = shadow[1] = shadow[2] = 0.0f;
    shadow[3] = 1.0f;
}

f32 Distance(const TVector& a, const TVector& b)
{
    const f32 dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}
} // namespace

TForwardRendering* g_pForwardRendering = &s_ForwardRendering;

TForwardRendering::TForwardRendering() : TRenderer("TForwardRendering", 0, RENDERER_FALLBACK) {}

void TForwardRendering::CheckSupport(const TRendererCaps& caps)
{
    m_nSupported = caps.nPixelShaderVersion >= FORWARD_MIN_PIXEL_SHADER ? 1 : 0;
}

i32 TForwardRendering::Initialize()
{
    CreateRenderTargets();
    return 0;
}

void TForwardRendering::BeginFrame(u32 clearFlags, u32 colour)
{
    g_pRenderManager->BindBackBuffer(1);
    g_pDeviceManager->Clear(clearFlags, colour, 1.0f, 0);
}

void TForwardRendering::RenderQueue(TRenderPass* pass, u32 id)
{
    if (id == RENDER_QUEUE_OPAQUE && pass)
        _RenderPass(pass);
    else if (id == RENDER_QUEUE_TRANSPARENT_LIGHTING)
        g_pRenderManager->BindBackBuffer(1);
}

void TForwardRendering::_RenderPass(TRenderPass* pass)
{
    g_pRenderManager->BindBackBuffer(1);
    const u32 zero = 0;
    if (pass->m_nFlags & RENDER_PASS_CLEAR_DEPTH)
        g_pDeviceManager->Clear(DEVICE_CLEAR_DEPTH | DEVICE_CLEAR_STENCIL, zero, 1.0f, 0);
    else
    {
        g_pRenderManager->ResetPassState();
        g_pDeviceManager->Clear(DEVICE_CLEAR_STENCIL, zero, 1.0f, 0);
    }
    DArray<TRenderScene*>& scenes = g_pRenderSceneManager->Scenes();
    TRenderQueue* alphaBlend = scenes.GetCount() > 0 ? scenes[0]->FindQueue(s_NameAlphaBlend) : nullptr;
    const u32 count = _RenderDirectional(pass, alphaBlend);
    _RenderFurtherLights(pass, alphaBlend, count);
}

TLight* TForwardRendering::FindDirectionalLight(u32& inline_)
{
    inline_ = 0;
    DArray<TLight*>& lights = g_pLightManager->Lights();
    TLight* first = nullptr;
    for (i32 i = 0; i < lights.GetCount(); ++i)
    {
        TLight* light = lights[i];
        if (light->m_nType != LIGHT_DIRECTIONAL)
            continue;
        if (Drawable(light))
            return light;
        if (!first)
            first = light;
    }
    inline_ = first ? 1 : 0;
    return first;
}

u32 TForwardRendering::_RenderDirectional(TRenderPass* pass, TRenderQueue* alphaBlend)
{
    u32 inline_ = 0;
    TLight* light = FindDirectionalLight(inline_);
    if (!light)
        return 0;
    g_LightSettings.Fill(*light);
    g_LightSettings.aValue[LIGHT_SETTINGS_INTENSITY] = light->m_fIntensity;
    FillShadowValues();
    g_LightSettings.aValue[LIGHT_SETTINGS_FORWARD_NUMBER] = 0.0f;

    TShader* shader = s_DirectionalShader.Get();
    if (g_pImposterManager)
        g_pImposterManager->SetShader(s_ImposterShader.Get());
    g_pImposterDrawCallback = RecordImposters;
    TRenderContext context(shader);
    if (inline_)
        RenderScenesInline(pass, &context);
    else
        pass->RenderScenes(&context);
    if (alphaBlend)
        alphaBlend->Render(&context, RenderObjectInFrustum, nullptr);
    g_pImposterDrawCallback = nullptr;
    return 1;
}

namespace
{
// The polygon about a spot's cone, and the corners of the shape it makes (the light, then two
// rings of the polygon's corners).
constexpr u32 SPOT_HULL_SIDES = 16;
constexpr u32 SPOT_HULL_CORNERS = 1 + 2 * SPOT_HULL_SIDES;

// The screen box (-1..1 each way, y down) of points through the camera; false when one lies
// behind the eye, where the projection has no bound.
bool ProjectedBox(const TCamera& camera, const TVector* points, u32 count, f32 (&low)[2], f32 (&high)[2])
{
    const TVector* m = camera.m_ViewProjection.aRow;
    for (u32 i = 0; i < count; ++i)
    {
        const TVector& p = points[i];
        const f32 clipX = p.x * m[0].x + p.y * m[1].x + p.z * m[2].x + m[3].x;
        const f32 clipY = p.x * m[0].y + p.y * m[1].y + p.z * m[2].y + m[3].y;
        const f32 clipW = p.x * m[0].w + p.y * m[1].w + p.z * m[2].w + m[3].w;
        if (!(clipW > 0.0f))
            return false;
        const f32 xy[2] = {clipX / clipW, -clipY / clipW};
        for (u32 a = 0; a < 2; ++a)
        {
            low[a] = std::min(low[a], xy[a]);
            high[a] = std::max(high[a], xy[a]);
        }
    }
    return true;
}

// A spot light adds nothing outside its cone: where the pass's program finds the cosine off the
// axis (the axis row as it is, unnormalised) at or below the outer cosine. Within the range r
// the lit part is the cone up to the circle where it meets the sphere (at r cos a off the
// light, radius r sin a) and the cap beyond it: the pyramid from the light to a polygon about
// that circle, and the prism from it to the same polygon at r, hold both. Answers the corners
// of those; none when the cone opens to 90 degrees or more.
u32 ConeHull(TLight& light, f32 range, TVector (&corners)[SPOT_HULL_CORNERS])
{
    const TMatrix& world = *light.GetMatrix();
    const TVector& axis = world.aRow[2];
    const f32 length = axis.Length();
    const f32 cosine = light.m_aAttenuation[LIGHT_SPOT_COS_OUTER] / (length > 0.0f ? length : 1.0f);
    if (light.m_nType != LIGHT_SPOT || !(length > 0.0f) || !(cosine > 0.0f))
        return 0;
    const f32 c = std::min(cosine, 1.0f);
    // The polygon's sides touch the circle; its corners lie this much further out.
    constexpr f32 kCornerFactor = 1.0f / 0.98078528f; // 1 / cos(pi / 16)
    const f32 radius = range * std::sqrt(1.0f - c * c) * kCornerFactor * REACH_RANGE_MARGIN;
    const TVector n = axis.Scaled(1.0f / length);
    // Two directions across the axis, from the world axis it is least along.
    const TVector other = std::fabs(n.x) < 0.5f ? TVector(1.0f, 0.0f, 0.0f, 0.0f) : TVector(0.0f, 1.0f, 0.0f, 0.0f);
    const TVector across = TVector::Cross(n, other).Normalized();
    const TVector up = TVector::Cross(n, across);
    const TVector& at = world.aRow[3];
    corners[0] = at;
    const f32 steps[2] = {range * c, range};
    for (u32 i = 0; i < SPOT_HULL_SIDES; ++i)
    {
        const f32 angle = static_cast<f32>(i) * (6.2831853f / SPOT_HULL_SIDES);
        const f32 s = std::cos(angle) * radius, t = std::sin(angle) * radius;
        for (u32 ring = 0; ring < 2; ++ring)
            corners[1 + ring * SPOT_HULL_SIDES + i] =
                TVector(at.x + n.x * steps[ring] + across.x * s + up.x * t,
                        at.y + n.y * steps[ring] + across.y * s + up.y * t,
                        at.z + n.z * steps[ring] + across.z * s + up.z * t, 1.0f);
    }
    return SPOT_HULL_CORNERS;
}
} // namespace

bool TForwardRendering::ReachRectangle(TLight& light, const TCamera& camera, const TViewportRecord& viewport,
                                       i32 (&rect)[4])
{
    const TVector& at = light.GetMatrix()->aRow[3];
    const f32 r = light.m_fRange * REACH_RANGE_MARGIN;
    TVector cube[8];
    for (u32 corner = 0; corner < 8; ++corner)
        cube[corner] = TVector(at.x + ((corner & 1) ? r : -r), at.y + ((corner & 2) ? r : -r),
                               at.z + ((corner & 4) ? r : -r), 1.0f);
    TVector hull[SPOT_HULL_CORNERS];
    const u32 hullCorners = ConeHull(light, r, hull);
    // Each shape that lies before the eye bounds the reach; where both do, their overlap does.
    f32 low[2] = {-1e30f, -1e30f}, high[2] = {1e30f, 1e30f};
    bool bounded = false;
    for (const auto& [points, count] : {std::pair<const TVector*, u32>{cube, 8}, {hull, hullCorners}})
    {
        f32 shapeLow[2] = {1e30f, 1e30f}, shapeHigh[2] = {-1e30f, -1e30f};
        if (count == 0 || !ProjectedBox(camera, points, count, shapeLow, shapeHigh))
            continue;
        bounded = true;
        for (u32 a = 0; a < 2; ++a)
        {
            low[a] = std::max(low[a], shapeLow[a]);
            high[a] = std::min(high[a], shapeHigh[a]);
        }
    }
    if (!bounded)
        return false;
    // From -1..1 across the viewport to its pixels, clamped to it.
    const f32 origin[2] = {static_cast<f32>(viewport.nX), static_cast<f32>(viewport.nY)};
    const f32 size[2] = {static_cast<f32>(viewport.nWidth), static_cast<f32>(viewport.nHeight)};
    for (u32 a = 0; a < 2; ++a)
    {
        const f32 from = std::floor(origin[a] + (low[a] + 1.0f) * 0.5f * size[a]) - REACH_PIXEL_MARGIN;
        const f32 to = std::ceil(origin[a] + (high[a] + 1.0f) * 0.5f * size[a]) + REACH_PIXEL_MARGIN;
        rect[a] = static_cast<i32>(std::clamp(from, origin[a], origin[a] + size[a]));
        rect[a + 2] = static_cast<i32>(std::clamp(std::max(to, from), origin[a], origin[a] + size[a]));
    }
    return true;
}

void TForwardRendering::_RenderFurtherLights(TRenderPass* pass, TRenderQueue* alphaBlend, u32 count)
{
    u32 number = 0;
    DArray<TLight*>& lights = g_pLightManager->Lights();
    for (i32 i = 0; i < lights.GetCount(); ++i)
    {
        TLight* light = lights[i];
        if (light->m_nType == LIGHT_DIRECTIONAL || !Drawable(light))
            continue;
        g_LightSettings.Fill(*light);
        FillShadowValues();
        g_LightSettings.aValue[LIGHT_SETTINGS_FORWARD_NUMBER] = static_cast<f32>(number++);
        if (light->m_nType == LIGHT_SPOT)
        {
            TRenderContext context(s_SpotShader.Get());
            // The scenes' tiles outside the light's reach are never shaded; a scissor set by the
            // caller stays.
            i32 rect[4];
            const TCamera* camera = g_pRenderManager->GetCurrentCamera();
            const bool scissor = camera && !g_pDeviceManager->GetScissorTest() &&
                                 ReachRectangle(*light, *camera, pass->m_Record, rect);
            if (scissor)
            {
                g_pDeviceManager->SetScissorRect(rect[0], rect[1], rect[2], rect[3]);
                g_pDeviceManager->SetScissorTest(1);
            }
            if (pass->ListsScenes())
            {
                for (void* scene : pass->aRenderScene)
                    if (scene)
                        static_cast<TRenderScene*>(scene)->Draw(&context, light);
            }
            else
            {
                DArray<TRenderScene*>& scenes = g_pRenderSceneManager->Scenes();
                for (i32 s = 0; s < scenes.GetCount(); ++s)
                    scenes[s]->Draw(&context, light);
            }
            // Unscissored: a particle in the queue blends itself again with its own shader, so a
            // cut at the rectangle's edge would show as a seam in the smoke.
            if (scissor)
                g_pDeviceManager->ResetScissorRect();
            if (alphaBlend)
                alphaBlend->Render(&context, ObjectInLightVolume, light);
        }
        if (++count > FORWARD_LIGHT_LIMIT)
            return;
    }
}

u32 ObjectInLightVolume(TRenderObject* object, const TMatrix* camera, void* argument)
{
    if (!object->pNode)
        return 0;
    auto* light = static_cast<TLight*>(argument);
    const TBoundBox& box = *object->GetBoundBox();
    const f32 r = box.radius * SPOT_TEST_RADIUS_FACTOR;
    const TMatrix& world = *object->GetMatrix();
    const TVector centre = world.TransformPoint(TVector(box.centre[0], box.centre[1], box.centre[2], 1.0f));
    const TMatrix& lightWorld = *light->GetMatrix();
    const TVector& at = lightWorld.aRow[3];
    const f32 distance = Distance(centre, at);
    const f32 range = light->m_fRange;

    if (r <= SPOT_TEST_SMALL_RADIUS)
    {
        if (distance < r)
            return 1;
    }
    else
    {
        // The light in the object's frame: relative to the node, through the rotation's transpose.
        const TVector d(at.x - world.aRow[3].x, at.y - world.aRow[3].y, at.z - world.aRow[3].z, 0.0f);
        const f32 local[3] = {d.Dot(world.aRow[0]), d.Dot(world.aRow[1]), d.Dot(world.aRow[2])};
        const f32* low = &box.minimum.x;
        const f32* high = &box.maximum.x;
        bool inside = true;
        bool reached = true;
        const f32 margin = range * SPOT_TEST_RANGE_MARGIN;
        for (u32 axis = 0; axis < 3; ++axis)
        {
            inside = inside && local[axis] >= low[axis] && local[axis] <= high[axis];
            reached = reached && local[axis] >= low[axis] - margin && local[axis] <= high[axis] + margin;
        }
        if (inside)
            return 1;
        if (r > SPOT_TEST_LARGE_RADIUS && !reached)
            return 0;
    }

    if (distance - r >= range || !IsBoxInFrustum(box, world, *camera))
        return 0;
    if (distance <= 0.0f)
        return 1;
    const TVector& axis = lightWorld.aRow[2];
    const f32 axisLength = std::sqrt(axis.Dot(axis));
    const f32 cosine = TVector(centre.x - at.x, centre.y - at.y, centre.z - at.z, 0.0f).Dot(axis) /
                       (distance * (axisLength > 0.0f ? axisLength : 1.0f));
    const f32 angle = std::acos(std::clamp(cosine, -1.0f, 1.0f)) * kDegrees;
    const f32 spread = std::asin(std::clamp(r / distance, -1.0f, 1.0f)) * kDegrees;
    // The cone angles are stored in radians; the test compares in degrees.
    const f32 cone = (light->m_aConeAngle[0] + light->m_aConeAngle[1]) * 0.5f * kDegrees;
    return angle < spread + cone ? 1 : 0;
}
