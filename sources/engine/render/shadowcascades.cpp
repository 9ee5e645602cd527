#include "engine/render/shadowcascades.h"

#include "core/system/string.h"
#include "engine/render/camera.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/cameramanager.h"
#include "engine/render/impostermanager.h"
#include "engine/render/light.h"
#include "engine/render/rendermanager.h"
#include "engine/render/shadowmanager.h"
#include "engine/render/shadowsettings.h"
#include "engine/system/node.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace
{
TShadowSplitCasters s_aSplit[SHADOW_SPLIT_LIMIT];

const TName s_NameProjection("Directional shadow projection", true);

constexpr f32 kDegreesToRadians = 0.017453292f;
constexpr f32 kRadiansToDegrees = 57.29578f;

// "Directional shadow buffer (split %d)", one name per split.
const TName& BufferStepName(u32 split)
{
    static TName s_aName[SHADOW_SPLIT_LIMIT];
    if (!s_aName[split].GetId())
    {
        char text[48];
        FormatStringN(text, sizeof text, "Directional shadow buffer (split %d)", split);
        s_aName[split] = TName(text, true);
    }
    return s_aName[split];
}

// The axis-aligned bounds of a box's corners through a matrix.
TBoundBox TransformedBounds(const TBoundBox& box, const TMatrix& m)
{
    TBoundBox result{};
    result.minimum = TVector(FLT_MAX, FLT_MAX, FLT_MAX, 1.0f);
    result.maximum = TVector(-FLT_MAX, -FLT_MAX, -FLT_MAX, 1.0f);
    for (u32 corner = 0; corner < 8; ++corner)
    {
        const TVector p = m.TransformPoint(TVector(corner & 1 ? box.maximum.x : box.minimum.x,
                                                   corner & 2 ? box.maximum.y : box.minimum.y,
                                                   corner & 4 ? box.maximum.z : box.minimum.z, 1.0f));
        result.minimum = TVector(std::min(result.minimum.x, p.x), std::min(result.minimum.y, p.y),
                                 std::min(result.minimum.z, p.z), 1.0f);
        result.maximum = TVector(std::max(result.maximum.x, p.x), std::max(result.maximum.y, p.y),
                                 std::max(result.maximum.z, p.z), 1.0f);
    }
    result.Update();
    return result;
}

// The fields of view (degrees) the camera draws with: read from its projection, which its fit
// may have widened beyond the lens's own angles.
void DrawnFieldsOfView(const TCamera& camera, f32& horizontal, f32& vertical)
{
    const f32 sx = std::fabs(camera.m_Projection.aRow[0].x), sy = std::fabs(camera.m_Projection.aRow[1].y);
    horizontal = sx > 0.0f ? 2.0f * std::atan(1.0f / sx) * kRadiansToDegrees : camera.m_fHorizontalFov;
    vertical = sy > 0.0f ? 2.0f * std::atan(1.0f / sy) * kRadiansToDegrees : camera.m_fVerticalFov;
}

// A vector rotated by the view matrix (no translation), w 1.
TVector Rotated(const TMatrix& view, const TVector& v)
{
    return TVector(v.x * view.aRow[0].x + v.y * view.aRow[1].x + v.z * view.aRow[2].x,
                   v.x * view.aRow[0].y + v.y * view.aRow[1].y + v.z * view.aRow[2].y,
                   v.x * view.aRow[0].z + v.y * view.aRow[1].z + v.z * view.aRow[2].z, 1.0f);
}
} // namespace

TShadowSplitCasters& SplitCasters(u32 split)
{
    return s_aSplit[split];
}

void ResetSplitCasters()
{
    for (TShadowSplitCasters& record : s_aSplit)
    {
        record.nValid = 0;
        record.aCaster.SetCount(0);
    }
}

u32 ShadowSplitCount(const TLight& light)
{
    const i32 overridden = ShadowMapSplits();
    const i32 count = overridden ? overridden : light.m_nSplitCount;
    return static_cast<u32>(std::clamp<i32>(count, 1, SHADOW_SPLIT_LIMIT));
}

void ShadowSplitDistances(f32 nearClip, f32 farClip, u32 count, f32 weight, f32* distances)
{
    distances[0] = nearClip;
    distances[count] = farClip;
    for (u32 i = 1; i < count; ++i)
    {
        const f32 fraction = static_cast<f32>(i) / static_cast<f32>(count);
        distances[i] = weight * nearClip * std::pow(farClip / nearClip, fraction) +
                       (1.0f - weight) * (nearClip + (farClip - nearClip) * fraction);
    }
}

TBoundBox ShadowSliceBox(const TCamera& camera, f32 a, f32 b, const TMatrix& lightView)
{
    const TMatrix& place = camera.m_Placement;
    f32 horizontal, vertical;
    DrawnFieldsOfView(camera, horizontal, vertical);
    const f32 slope = std::tan((vertical + SHADOW_SPLIT_FOV_MARGIN) * 0.5f * kDegreesToRadians);
    TBoundBox box{};
    box.minimum = TVector(FLT_MAX, FLT_MAX, FLT_MAX, 1.0f);
    box.maximum = TVector(-FLT_MAX, -FLT_MAX, -FLT_MAX, 1.0f);
    for (f32 t : {a, b})
    {
        const f32 h = t * slope, w = h * (horizontal / vertical);
        for (u32 corner = 0; corner < 4; ++corner)
        {
            const f32 sx = corner & 1 ? w : -w, sy = corner & 2 ? h : -h;
            const TVector world(place.aRow[3].x + place.aRow[2].x * t + place.aRow[0].x * sx + place.aRow[1].x * sy,
                                place.aRow[3].y + place.aRow[2].y * t + place.aRow[0].y * sx + place.aRow[1].y * sy,
                                place.aRow[3].z + place.aRow[2].z * t + place.aRow[0].z * sx + place.aRow[1].z * sy,
                                1.0f);
            const TVector p = lightView.TransformPoint(world);
            box.minimum = TVector(std::min(box.minimum.x, p.x), std::min(box.minimum.y, p.y),
                                  std::min(box.minimum.z, p.z), 1.0f);
            box.maximum = TVector(std::max(box.maximum.x, p.x), std::max(box.maximum.y, p.y),
                                  std::max(box.maximum.z, p.z), 1.0f);
        }
    }
    box.Update();
    return box;
}

void CollectSplitCasters(u32 split, const TCamera& camera, const TLight& light, const TMatrix& lightView, f32 a, f32 b,
                         const TBoundBox& slice, f32 distance)
{
    TShadowSplitCasters& record = s_aSplit[split];
    const TMatrix& place = camera.m_Placement;
    const TMatrix& lightWorld = *const_cast<TLight&>(light).GetMatrix();
    if (record.nValid && record.fNear == a && record.fFar == b &&
        ShadowDistanceBetween(place.aRow[3], record.Camera.aRow[3]) <= SHADOW_REUSE_MOVE &&
        place.aRow[2].Dot(record.Camera.aRow[2]) >= SHADOW_REUSE_CAMERA_TURN &&
        ShadowDistanceBetween(lightWorld.aRow[3], record.Light.aRow[3]) <= SHADOW_REUSE_MOVE &&
        lightWorld.aRow[2].Dot(record.Light.aRow[2]) >= SHADOW_REUSE_LIGHT_TURN)
        return;
    record.nValid = 1;
    record.fNear = a;
    record.fFar = b;
    record.Camera = place;
    record.Light = lightWorld;
    TMatrix projection = camera.m_Projection;
    projection.aRow[2].z = b / (b - a);
    projection.aRow[3].z = -a * b / (b - a);
    record.ViewProjection = Matrix4Multiply(camera.m_View, projection);
    record.aCaster.SetCount(0);
    TVector low(FLT_MAX, FLT_MAX, FLT_MAX, 1.0f), high(-FLT_MAX, -FLT_MAX, -FLT_MAX, 1.0f);
    // The light's orientation alone: light-oriented boxes back to the world.
    TMatrix orientation = lightWorld;
    orientation.aRow[3] = TVector(0.0f, 0.0f, 0.0f, 1.0f);
    TMatrix turn = lightView;
    turn.aRow[3] = TVector(0.0f, 0.0f, 0.0f, 1.0f);
    ForEachRenderObject([&](TRenderObject* object) {
        if (!ShadowNodeOn(object) || !object->CastsShadow())
            return true;
        const TBoundBox& box = *object->GetBoundBox();
        const TMatrix& m = *object->GetMatrix();
        const TVector centre = m.TransformPoint(TVector(box.centre[0], box.centre[1], box.centre[2], 1.0f));
        if (std::max(ShadowDistanceBetween(place.aRow[3], centre) - box.diagonal, 0.0f) > distance)
            return true;
        const TVector c = lightView.TransformPoint(centre);
        const f32 r = box.diagonal * m.aRow[0].Length() * 0.5f;
        if (c.x + r < slice.minimum.x || c.x - r > slice.maximum.x || c.y + r < slice.minimum.y ||
            c.y - r > slice.maximum.y || c.z - r > slice.maximum.z)
            return true;
        // Its bounds and the shadow they throw along the light, against the split's volume.
        TBoundBox turned = TransformedBounds(box, TMatrix::Multiply(m, turn));
        turned.maximum.z += SHADOW_CASTER_STRETCH;
        turned.Update();
        if (IsBoxInFrustum(turned, orientation, record.ViewProjection) == FRUSTUM_OUTSIDE)
            return true;
        low = TVector(std::min(low.x, c.x - r), std::min(low.y, c.y - r), std::min(low.z, c.z - r), 1.0f);
        high = TVector(std::max(high.x, c.x + r), std::max(high.y, c.y + r), std::max(high.z, c.z + r), 1.0f);
        record.aCaster.Add(object);
        return true;
    });
    record.Box = TBoundBox{};
    record.Box.minimum = low;
    record.Box.maximum = high;
    record.Box.Update();
}

void FillLightVectors(const TLight& light, u32 mask, const TCamera& camera, const TVector& position)
{
    const TMatrix& world = *const_cast<TLight&>(light).GetMatrix();
    const TMatrix& view = camera.m_View;
    TVector* v = g_ShadowParameters.aVector;
    v[SHADOW_LIGHT_POSITION] = view.TransformPoint(position);
    v[SHADOW_LIGHT_AXIS] = view.TransformPoint(world.aRow[2]);
    const f32* channel = light.m_aChannel[mask];
    v[SHADOW_CHANNEL] = TVector(channel[0], channel[1], channel[2], channel[3]);
    v[SHADOW_AXIS_X] = Rotated(view, world.aRow[0]);
    v[SHADOW_AXIS_Y] = Rotated(view, world.aRow[1]);
    v[SHADOW_SOFTNESS] = TVector(light.m_fSoftness, light.m_fSoftness * 0.5f, 0.0f, 1.0f);
}

TMatrix ShadowTextureMatrix(const TMatrix& cameraToWorld, const TMatrix& viewProjection, f32 width, f32 height)
{
    // Each axis by its own size, so that maps that are not square keep their texel centres.
    TMatrix scaleBias(0.0f);
    scaleBias.aRow[0].x = 0.5f;
    scaleBias.aRow[1].y = -0.5f;
    scaleBias.aRow[2].z = 1.0f;
    scaleBias.aRow[3] = TVector(0.5f + 0.5f / width, 0.5f + 0.5f / height, 0.0f, 1.0f);
    return Matrix4Multiply(Matrix4Multiply(cameraToWorld, viewProjection), scaleBias);
}

void RenderDirectionalShadow(TShadowManager& manager, TLight& light, u32 mask, TCamera& camera)
{
    TShadowManager::SetChannel(light, manager.GetShadowCount());
    const TMatrix& world = *light.GetMatrix();
    const TMatrix lightView = TMatrix::MultiplyInverse(TMatrix(1.0f), world);
    const u32 count = ShadowSplitCount(light);
    const f32 distance = manager.ShadowDistance(light);
    const f32 nearClip = camera.m_fNearClip > 0.0f ? camera.m_fNearClip : SHADOW_CAMERA_NEAR_MINIMUM;
    const f32 farClip = std::min(distance, camera.m_fFarClip);
    f32 d[SHADOW_SPLIT_LIMIT + 1];
    ShadowSplitDistances(nearClip, farClip, count, ShadowSplitWeight(), d);

    const TVector& at = world.aRow[3];
    const TVector& axis = world.aRow[2];
    const TVector back(at.x - axis.x * light.m_fRange, at.y - axis.y * light.m_fRange, at.z - axis.z * light.m_fRange,
                       1.0f);
    FillLightVectors(light, mask, camera, back);
    TVector* v = g_ShadowParameters.aVector;
    const f32 fadeStart = light.m_fFadeFraction * distance;
    if (g_pCanvasManager)
        g_pCanvasManager->SetApertureSize(manager.GetMapWidth(), manager.GetMapHeight(), 0);

    f32 c = d[0];
    for (u32 s = 0; s < count; ++s)
    {
        v[SHADOW_BIAS] = TVector(static_cast<f32>(s + 1) * light.m_fDepthBias, 0.0f, 1.0f / manager.GetMapWidth(), 0.0f);
        const TBoundBox slice = ShadowSliceBox(camera, d[s], d[s + 1], lightView);
        v[SHADOW_RANGE] = TVector(c, d[s + 1], fadeStart, distance);
        CollectSplitCasters(s, camera, light, lightView, d[s], d[s + 1], slice, distance);
        TShadowSplitCasters& record = s_aSplit[s];
        if (record.aCaster.GetCount() == 0)
            continue;
        // The map fits the slice where the casters are; it reaches back to the nearest caster.
        const f32 xmin = std::max(slice.minimum.x, record.Box.minimum.x);
        const f32 xmax = std::min(slice.maximum.x, record.Box.maximum.x);
        const f32 ymin = std::max(slice.minimum.y, record.Box.minimum.y);
        const f32 ymax = std::min(slice.maximum.y, record.Box.maximum.y);
        const f32 zmin = record.Box.minimum.z, zmax = slice.maximum.z;
        if (!(xmax > xmin) || !(ymax > ymin) || !(zmax > zmin))
            continue;
        TMatrix orthographic(0.0f);
        orthographic.aRow[0].x = 2.0f / (xmax - xmin);
        orthographic.aRow[1].y = 2.0f / (ymax - ymin);
        orthographic.aRow[2].z = 1.0f / (zmax - zmin);
        orthographic.aRow[3] = TVector(-(xmax + xmin) / (xmax - xmin), -(ymax + ymin) / (ymax - ymin),
                                       -zmin / (zmax - zmin), 1.0f);
        const TMatrix viewProjection = Matrix4Multiply(lightView, orthographic);
        g_pCameraManager->UseDefaultCamera(world, nullptr);
        g_ShadowParameters.projection = viewProjection;
        if (g_pImposterManager)
        {
            g_pImposterManager->SetShadowShader(TShadowManager::ImposterShader());
            g_pImposterManager->SetShadowFlag(1);
        }
        manager.RenderMap(record.aCaster.GetData(), static_cast<u32>(record.aCaster.GetCount()), 0);
        g_pRenderManager->RecordPipelineStep(BufferStepName(s), TShadowManager::BufferShader());
        manager.EndPass();
        g_ShadowParameters.projection =
            ShadowTextureMatrix(camera.m_Placement, viewProjection, manager.GetMapWidth(), manager.GetMapHeight());
        manager.RenderProjection();
        g_pRenderManager->RecordPipelineStep(s_NameProjection, TShadowManager::ProjectionShader());
        manager.EndPass();
        c = d[s + 1];
    }
    if (c < camera.m_fFarClip)
    {
        // Beyond the last drawn split (w 1).
        v[SHADOW_RANGE] = TVector(c, camera.m_fFarClip, fadeStart, distance);
        v[SHADOW_BIAS] = TVector(0.0f, 0.0f, 0.0f, 1.0f);
        manager.RenderProjection();
        manager.EndPass();
    }
    if (g_pCanvasManager)
        g_pCanvasManager->SetApertureToDevice();
}
