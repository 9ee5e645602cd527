#include "directx/debug/debugscene.h"

#include "directx/debug/debuglists.h"
#include "directx/debug/debugmanager.h"
#include "directx/render/dxcanvasmanager.h"
#include "directx/render/dxshader.h"
#include "directx/render/dxshadermanager.h"
#include "engine/render/pipelinerecorder.h"
#include "engine/render/rendermanager.h"
#include "engine/render/rendertarget.h"
#include "engine/render/shadowmanager.h"
#include "engine/render/camera.h"
#include "engine/render/cameramanager.h"
#include "engine/render/light.h"
#include "engine/render/lightmanager.h"
#include "engine/system/node.h"
#include "engine/system/skeleton.h"
#include "engine/system/skeletondata.h"
#include "engine/system/skeletonmanager.h"
#include "engine/system/skeletonpose.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace
{
// The shaders the wire-frame switch re-prepares, by their real names.
const char* const WIREFRAME_SHADERS[] = {"Shader_deferredrendering_gbuffer", "Shader_forwardrendering_light_directional"};

const char* const LIGHT_TYPE_NAMES[] = {"ambient", "directional", "point", "spot", "area", "volume"};
constexpr f32 DEGREES = 57.29578f;
constexpr TColor SHAPE_GREY = {0.5f, 0.5f, 0.5f, 1.0f};
constexpr TColor SHAPE_DARK_BLUE = {0.0f, 0.149f, 0.6f, 1.0f};
// The directional glyph: two strips beside the node, and the spot's direction strips.
constexpr f32 DIRECTIONAL_OFFSET = 0.3f;
constexpr f32 DIRECTIONAL_WIDTHS[2] = {0.4f, 0.2f};
constexpr f32 SPOT_STRIP_LENGTH = 1.8f;
constexpr f32 SPOT_STRIP_WIDTHS[2] = {0.25f, 0.2f};
// The spot cone's near ring.
constexpr f32 SPOT_NEAR = 1.3f;
// The point glyph in pixels: the circle, the star's rays along the axes and the diagonals.
constexpr f32 POINT_RADIUS = 4.0f;
constexpr f32 POINT_RAY = 9.0f;
constexpr f32 POINT_DIAGONAL = 6.0f;

TVector Along(const TVector& from, const TVector& axis, f32 length)
{
    return TVector::Add(from, axis.Scaled(length));
}

void DrawRing(const TMatrix& m, f32 distance, f32 a, f32 b, const TColor& color)
{
    const TVector centre = Along(m.aRow[3], m.aRow[2], distance);
    TVector previous;
    for (u32 i = 0; i < DEBUG_RING_POINTS; ++i)
    {
        const f32 angle = static_cast<f32>(i) * 5.0f / DEGREES;
        const TVector point = Along(Along(centre, m.aRow[0], a * std::cos(angle)), m.aRow[1], b * std::sin(angle));
        if (i > 0)
            g_pDxCanvasManager->DrawLine3D(previous, point, color);
        previous = point;
    }
}

void DrawSpotCone(const TMatrix& m, f32 degrees, bool skipEdges, f32 far, const TColor& edge, const TColor& ring)
{
    const f32 t = std::tan(degrees / DEGREES);
    if (!skipEdges)
    {
        const TVector tip = Along(m.aRow[3], m.aRow[2], SPOT_NEAR);
        for (u32 axis = 0; axis < 2; ++axis)
            for (f32 sign : {1.0f, -1.0f})
                g_pDxCanvasManager->DrawLine3D(m.aRow[3], Along(tip, m.aRow[axis], sign * t * SPOT_NEAR), edge);
    }
    DrawRing(m, SPOT_NEAR, t * SPOT_NEAR, t * SPOT_NEAR, ring);
    DrawRing(m, far, t * far, t * far, ring);
}

void DrawDirectionalShape(const TMatrix& m)
{
    const TColor* colors[2] = {&SHAPE_DARK_BLUE, &SHAPE_GREY};
    for (u32 k = 0; k < 2; ++k)
    {
        const f32 side = k == 0 ? DIRECTIONAL_OFFSET : -DIRECTIONAL_OFFSET;
        const TVector from = Along(Along(m.aRow[3], m.aRow[0], side), m.aRow[1], DIRECTIONAL_OFFSET);
        g_pDxCanvasManager->DrawStrip3D(from, Along(from, m.aRow[2], 1.0f), m.aRow[0].Scaled(k == 0 ? 1.0f : -1.0f),
                                          DIRECTIONAL_WIDTHS[k], 1.0f, *colors[k]);
    }
}

void DrawPointShape(const TLight& light, const TMatrix& m)
{
    const TCamera* camera = g_pCameraManager ? g_pCameraManager->GetCurrentCamera() : nullptr;
    if (!camera || !camera->pNode)
        return;
    const TVector centre = camera->ProjectPoint(m.aRow[3]);
    if (centre.z >= 1.0f)
        return;
    g_pDxCanvasManager->DrawCircle(centre.x, centre.y, POINT_RADIUS, SHAPE_DARK_BLUE);
    for (i32 dx = -1; dx <= 1; ++dx)
        for (i32 dy = -1; dy <= 1; ++dy)
        {
            if (dx == 0 && dy == 0)
                continue;
            const f32 reach = dx != 0 && dy != 0 ? POINT_DIAGONAL / std::sqrt(2.0f) : POINT_RAY;
            const f32 start = dx != 0 && dy != 0 ? POINT_RADIUS / std::sqrt(2.0f) : POINT_RADIUS;
            g_pDxCanvasManager->DrawLine(centre.x + start * dx, centre.y + start * dy, centre.x + reach * dx,
                                         centre.y + reach * dy, SHAPE_DARK_BLUE);
        }
    const TVector side = camera->pNode->GetWorldMatrix()->aRow[0];
    const TVector edge = camera->ProjectPoint(Along(m.aRow[3], side, light.m_fRange));
    g_pDxCanvasManager->DrawCircle(centre.x, centre.y, std::hypot(edge.x - centre.x, edge.y - centre.y),
                                   SHAPE_DARK_BLUE);
}

void DrawSpotShape(const TLight& light, const TMatrix& m)
{
    const f32 a = light.m_aConeAngle[0] * DEGREES;
    const f32 b = a - light.m_aConeAngle[1] * DEGREES;
    DrawSpotCone(m, std::max(a, b), false, light.m_fRange, SHAPE_GREY, SHAPE_DARK_BLUE);
    DrawSpotCone(m, std::min(a, b), true, light.m_fRange, SHAPE_GREY, SHAPE_DARK_BLUE);
    const TVector tip = Along(m.aRow[3], m.aRow[2], SPOT_STRIP_LENGTH);
    g_pDxCanvasManager->DrawStrip3D(m.aRow[3], tip, m.aRow[0], SPOT_STRIP_WIDTHS[0], 1.0f, SHAPE_DARK_BLUE);
    g_pDxCanvasManager->DrawStrip3D(m.aRow[3], tip, m.aRow[1], SPOT_STRIP_WIDTHS[1], 1.0f, SHAPE_GREY);
}

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

u32 DebugPackedColor(const f32 color[4])
{
    u32 packed = 0;
    for (u32 c = 0; c < 4; ++c)
        packed |= static_cast<u32>(std::clamp(color[c], 0.0f, 1.0f) * 255.0f) << (8 * c);
    return packed;
}

const char* DebugLightTypeName(i32 type)
{
    return type >= 0 && type < static_cast<i32>(std::size(LIGHT_TYPE_NAMES)) ? LIGHT_TYPE_NAMES[type] : "?";
}

void DrawLights()
{
    static const TName s_Font("Arial", true);
    if (!g_pLightManager)
        return;
    g_pDxCanvasManager->SetFont(s_Font, DEBUG_LIST_FONT_SIZE);
    const f32 x = g_pDxCanvasManager->GetApertureWidth() - DEBUG_LIGHT_LIST_INSET;
    f32 y = DEBUG_LIGHT_LIST_Y;
    DArray<TLight*>& lights = g_pLightManager->Lights();
    for (i32 i = 0; i < lights.GetCount(); ++i, y += DEBUG_LIGHT_LIST_STEP)
    {
        const TLight* light = lights[i];
        TNode* node = light->pNode;
        if (!node)
            continue;
        const bool on = light->IsOn() != 0;
        const char* name = node->m_Name.GetText();
        CanvasWritefColored(x, y, on ? DEBUG_WHITE : DEBUG_BLUE,
                            "%s(%s) %s col%08x rng%.1f pow%.2f int%.2f sh%d shb%.3f shrng%.1f shspl%d", name ? name : "",
                            node->GetPath(), DebugLightTypeName(light->m_nType), DebugPackedColor(light->m_aColor),
                            light->m_fRange, light->m_fPower, light->m_fIntensity, light->m_nCastsShadows,
                            light->m_fDepthBias, light->m_fShadowDistance, light->m_nSplitCount);
        if (!on)
            continue;
        const TMatrix& m = *node->GetWorldMatrix();
        if (light->m_nType == LIGHT_DIRECTIONAL)
            DrawDirectionalShape(m);
        else if (light->m_nType == LIGHT_POINT)
            DrawPointShape(*light, m);
        else if (light->m_nType == LIGHT_SPOT)
            DrawSpotShape(*light, m);
    }
    g_pDxCanvasManager->SetDefaultFont();
}

void DrawSkeletons(i32 mode)
{
    if (!g_pSkeletonManager)
        return;
    const TCamera* camera = g_pCameraManager ? g_pCameraManager->GetMainCamera() : nullptr;
    DArray<TSkeleton*>& skeletons = g_pSkeletonManager->Skeletons();
    for (i32 i = 0; i < skeletons.GetCount(); ++i)
    {
        TSkeleton* skeleton = skeletons[i];
        TNode* node = skeleton->pNode;
        const TSkeletonData* data = skeleton->pSkeletonData;
        const TSkeletonPose* pose = skeleton->pSkeletonPose;
        if (!node || !node->IsEnabled() || !data || !pose || !pose->m_pPublished)
            continue;
        const TMatrix& world = *node->GetWorldMatrix();
        const bool near =
            camera && camera->pNode &&
            TVector::Subtract(world.aRow[3], camera->pNode->GetWorldMatrix()->aRow[3]).Length() < DEBUG_SKELETON_NEAR;
        const u32 bones = pose->GetBoneCount(skeleton);
        for (u32 bone = 0; bone < bones; ++bone)
        {
            const i32 parent = data->GetParent(bone);
            const TMatrix at = TMatrix::Multiply(pose->m_pPublished[bone], world);
            const TMatrix from =
                TMatrix::Multiply(pose->m_pPublished[parent < 0 ? bone : static_cast<u32>(parent)], world);
            g_pDxCanvasManager->DrawLine3D(from.aRow[3], at.aRow[3], DEBUG_BLUE);
            g_pDxCanvasManager->DrawAxes(at, DEBUG_BONE_AXIS_LENGTH);
            // A bone without a name shows its number; a name the table has no text for, its id.
            const TName& name = data->aBone[bone].Name;
            if (mode == 2 && near && name.IsValid())
                CanvasWritefWorld(at.aRow[3], DEBUG_WHITE, "%s", name.GetPrintText());
            else if (mode == 2 && near)
                CanvasWritefWorld(at.aRow[3], DEBUG_WHITE, "%u", bone);
        }
    }
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
