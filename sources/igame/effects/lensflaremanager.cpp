#include "igame/effects/lensflaremanager.h"

#include "core/cluster/cluster.h"
#include "core/system/timer.h"
#include "engine/render/camera.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/device.h"
#include "engine/render/dynamicmesh.h"
#include "engine/render/meshdata.h"
#include "engine/render/renderquery.h"
#include "engine/render/rendermanager.h"
#include "engine/render/shaderlink.h"
#include "engine/system/command/deferredvariable.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "igame/effects/lensflare.h"

#include <algorithm>
#include <cmath>

TLensFlareManager* g_pLensFlareManager = nullptr;

namespace
{
TLensFlareManager s_Manager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("LensFlare", "LensFlare", &g_pLensFlareManager, &s_Manager);

TShaderLink s_OcclusionShader("OcclusionQuery");
TDeferredVariable s_LensFlares("effect_lensflares");

// Keep the render manager's target, attach the depth buffer: the flares are depth-tested.
constexpr u32 LENS_FLARE_PASS_FLAGS = PIPELINE_KEEP_TARGET | PASS_ATTACH_DEPTH;

// The flare vertex is the canvas's, declared in its memory order (position, texture
// coordinates, colour), so that the canvas's shaders draw it.
const TMeshDescription& FlareFormat()
{
    static const TMeshDescription s_Format = CanvasVertexDescription();
    return s_Format;
}

TVector Sub(const TVector& a, const TVector& b)
{
    return TVector(a.x - b.x, a.y - b.y, a.z - b.z, 0.0f);
}

TVector Along(const TVector& p, const TVector& a, f32 s, const TVector& b, f32 t)
{
    return TVector(p.x + a.x * s + b.x * t, p.y + a.y * s + b.y * t, p.z + a.z * s + b.z * t, 1.0f);
}

// The screen position of a world point; false behind the camera.
bool Project(const TMatrix& viewProjection, const TVector& p, f32& x, f32& y)
{
    const TVector* r = viewProjection.aRow;
    const f32 cx = p.x * r[0].x + p.y * r[1].x + p.z * r[2].x + r[3].x;
    const f32 cy = p.x * r[0].y + p.y * r[1].y + p.z * r[2].y + r[3].y;
    const f32 cw = p.x * r[0].w + p.y * r[1].w + p.z * r[2].w + r[3].w;
    if (cw < 0.0f)
        return false;
    const f32 w = cw > 1e-12f ? cw : 1e-12f;
    x = cx / w;
    y = cy / w;
    return true;
}

f32 Heron(const f32* a, const f32* b, const f32* c)
{
    const f32 ab = std::hypot(a[0] - b[0], a[1] - b[1]), bc = std::hypot(b[0] - c[0], b[1] - c[1]),
              ca = std::hypot(c[0] - a[0], c[1] - a[1]);
    const f32 s = (ab + bc + ca) * 0.5f;
    return std::sqrt(std::max(s * (s - ab) * (s - bc) * (s - ca), 0.0f));
}
} // namespace

TLensFlareManager::TLensFlareManager()
{
    if (!g_pCluster)
        return;
    RegisterArray(&LensFlareDecl(), &m_aFlare);
}

void TLensFlareManager::BeginManager()
{
    g_pCluster->AddListener(this);
}

void TLensFlareManager::Activate(TLensFlare* flare)
{
    if (flare->pPrevious || flare->pNext || m_pHead == flare)
        return;
    flare->pPrevious = m_pTail;
    if (m_pTail)
        m_pTail->pNext = flare;
    else
        m_pHead = flare;
    m_pTail = flare;
}

void TLensFlareManager::Deactivate(TLensFlare* flare)
{
    if (!flare->pPrevious && !flare->pNext && m_pHead != flare)
        return;
    if (flare->pPrevious)
        flare->pPrevious->pNext = flare->pNext;
    else
        m_pHead = flare->pNext;
    if (flare->pNext)
        flare->pNext->pPrevious = flare->pPrevious;
    else
        m_pTail = flare->pPrevious;
    flare->pPrevious = flare->pNext = nullptr;
}

void TLensFlareManager::OnClusterLoad()
{
    if (g_pDeviceManager)
        g_pDeviceManager->Lock();
    if (!m_pMesh && g_pCreateDynamicMesh && g_pDeviceManager && g_pDeviceManager->GetDevice())
        m_pMesh = g_pCreateDynamicMesh(LENS_FLARE_BATCH_VERTICES, FlareFormat());
    if (m_pMesh)
        m_pMesh->Reset();
    m_pWrite = nullptr;
    m_nWritten = m_nRoom = 0;
    m_pHead = m_pTail = nullptr;
    for (i32 i = 0; i < m_aFlare.GetCount(); ++i)
    {
        TLensFlare* flare = m_aFlare[i];
        flare->pPrevious = flare->pNext = nullptr;
        // A stored image's run-time words are another program's.
        flare->pOcclusionQuery = nullptr;
        if (flare->pNode && flare->GetNode()->IsEnabled())
            Activate(flare);
    }
    if (g_pDeviceManager)
        g_pDeviceManager->Unlock();
}

void TLensFlareManager::OnClusterUnload()
{
    for (i32 i = 0; i < m_aFlare.GetCount(); ++i)
    {
        auto* query = static_cast<TFlareQuery*>(m_aFlare[i]->pOcclusionQuery);
        if (!query)
            continue;
        if (g_pDeviceManager && query->pQuery)
            g_pDeviceManager->DeleteRenderQuery(query->pQuery);
        delete query;
        m_aFlare[i]->pOcclusionQuery = nullptr;
    }
    m_pHead = m_pTail = nullptr;
}

void TLensFlareManager::Switch(TShader* shader, TTexture* texture)
{
    if (m_nWritten && (shader != m_pShader || texture != m_pTexture))
        FlushBatch();
    m_pShader = shader;
    m_pTexture = texture;
}

TCanvasVertex* TLensFlareManager::Reserve()
{
    if (m_nRoom < LENS_FLARE_QUAD_VERTICES)
    {
        FlushBatch();
        if (!m_pMesh && g_pCreateDynamicMesh)
            m_pMesh = g_pCreateDynamicMesh(LENS_FLARE_BATCH_VERTICES, FlareFormat());
        if (!m_pMesh)
            return nullptr;
        m_pWrite = static_cast<TCanvasVertex*>(m_pMesh->LockVertices(LENS_FLARE_BATCH_VERTICES));
        if (!m_pWrite)
            return nullptr;
        m_nRoom = LENS_FLARE_BATCH_VERTICES;
    }
    TCanvasVertex* quad = m_pWrite;
    m_pWrite += LENS_FLARE_QUAD_VERTICES;
    m_nRoom -= LENS_FLARE_QUAD_VERTICES;
    m_nWritten += LENS_FLARE_QUAD_VERTICES;
    return quad;
}

void TLensFlareManager::FlushBatch()
{
    if (m_pMesh && m_nWritten && m_pShader)
    {
        m_pMesh->Draw(m_nWritten, m_pShader);
        m_nDrawnVertices += m_nWritten;
    }
    else if (m_pMesh && m_nRoom)
        m_pMesh->Reset();
    m_pWrite = nullptr;
    m_nWritten = m_nRoom = 0;
}

void TLensFlareManager::RenderManager()
{
    if (s_LensFlares.GetValue().ToInt() == 0 || !m_pHead || !g_pRenderManager)
        return;
    if (g_pCanvasManager)
        g_pCanvasManager->Flush();
    g_pRenderManager->BeginPipelinePass(LENS_FLARE_PASS_FLAGS);
    m_nQueries = 0;
    const f32 dt = g_pTimer ? g_pTimer->GetRealTimeStep() : 0.0f;
    for (TLensFlare* flare = m_pHead; flare; flare = flare->pNext)
        Step(*flare, dt);
    FlushBatch();
}

u32 TLensFlareManager::Measure(TLensFlare& flare, const TMatrix& c, const TMatrix& viewProjection, f32 dt)
{
    const f32 s = flare.m_fOcclusionSize;
    if (!(s > 0.0f))
    {
        flare.m_fVisibility = 1.0f;
        return 1;
    }
    auto* query = static_cast<TFlareQuery*>(flare.pOcclusionQuery);
    if (!query)
    {
        query = new TFlareQuery{g_pDeviceManager->CreateRenderQuery(RENDER_QUERY_OCCLUSION, 1), 0};
        flare.pOcclusionQuery = query;
    }
    if (!query->pQuery)
        return 1;
    const TMatrix& n = *flare.GetMatrix();
    const TVector& p = n.aRow[3];
    if (!query->nIssued)
        flare.m_fVisibility = 1.0f;
    else
    {
        u32 pixels = 0;
        if (query->pQuery->GetData(&pixels, sizeof pixels, 0) == RENDER_QUERY_DATA_READY)
        {
            query->nIssued = 0;
            f32 corner[4][2];
            const f32 sign[4][2] = {{-1.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, -1.0f}, {-1.0f, -1.0f}};
            for (u32 k = 0; k < 4; ++k)
                if (!Project(viewProjection, Along(p, c.aRow[0], s * sign[k][0], c.aRow[1], s * sign[k][1]),
                             corner[k][0], corner[k][1]))
                    return 0;
            // Clip space to pixels: the viewport's half size.
            const f32 halfWidth = g_pDeviceManager ? static_cast<f32>(g_pDeviceManager->GetBackBufferWidth()) * 0.5f : 1.0f;
            const f32 halfHeight = g_pDeviceManager ? static_cast<f32>(g_pDeviceManager->GetBackBufferHeight()) * 0.5f : 1.0f;
            for (auto& k : corner)
            {
                k[0] *= halfWidth;
                k[1] *= halfHeight;
            }
            const f32 area = Heron(corner[0], corner[1], corner[2]) + Heron(corner[0], corner[2], corner[3]);
            flare.FadeTowards(TLensFlare::OcclusionTarget(static_cast<f32>(pixels), area), dt);
        }
    }
    if (!query->nIssued)
    {
        const TVector centre = n.TransformPoint(flare.m_OcclusionOffset);
        TCanvasVertex square[LENS_FLARE_QUAD_VERTICES];
        TLensFlare::WriteQuad(square, centre, c.aRow[0], c.aRow[1], s, s, 0xFFFFFFFFu);
        query->pQuery->Begin();
        if (g_pCanvasManager)
        {
            g_pCanvasManager->DrawUserVertices(LENS_FLARE_QUAD_VERTICES, square, s_OcclusionShader.Get());
            g_pCanvasManager->Flush();
        }
        query->pQuery->End();
        query->nIssued = 1;
        ++m_nQueries;
    }
    return 1;
}

void TLensFlareManager::Step(TLensFlare& flare, f32 dt)
{
    TCamera* camera = g_pRenderManager->GetCurrentCamera();
    if (!camera || !flare.pNode || !flare.GetNode()->IsEnabled() || !g_pDeviceManager || !g_pDeviceManager->IsRunning())
        return;
    const TMatrix& c = camera->m_Placement;
    const TMatrix& n = *flare.GetMatrix();
    const TVector& p = n.aRow[3];
    const TVector d = Sub(c.aRow[3], p).Normalized();
    if (!Measure(flare, c, camera->m_ViewProjection, dt))
        return;
    const f32 intensity = flare.m_fVisibility * flare.ConeFactor(n.aRow[2].Normalized().Dot(d));
    TVector right, up;
    flare.Axes(c.aRow[1], d, n, right, up);
    const i32 kind = LENS_FLARE_SHADER_KINDS[flare.GetBlendMode()];
    TShader* shader = g_pCanvasManager ? g_pCanvasManager->SetShader(flare.pTexture, kind) : nullptr;
    Switch(shader, flare.pTexture);
    TCanvasVertex* quad = Reserve();
    if (!quad)
        return;
    TColor colour = flare.m_Color;
    colour.a *= intensity;
    TLensFlare::WriteQuad(quad, p, right, up, flare.m_fWidth * intensity, flare.m_fHeight * intensity,
                          colour.ToARGB());
}
