#include "morvane/game/backgroundscenery.h"

#include "core/system/log.h"
#include "engine/render/camera.h"
#include "engine/render/device.h"
#include "engine/render/dynamicmesh.h"
#include "engine/render/mesh.h"
#include "engine/render/meshdata.h"
#include "engine/render/rendercontext.h"
#include "engine/render/renderqueue.h"
#include "engine/render/shaderlink.h"
#include "engine/system/node.h"
#include "morvane/game/curvepool.h"
#include "morvane/game/trafficvehicle.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace
{
// Element usages and types of the device layer.
constexpr u32 USAGE_POSITION = 1;
constexpr u32 USAGE_COLOUR = 11;
constexpr u32 TYPE_FLOAT3 = 3;
constexpr u32 TYPE_COLOUR = 5;
constexpr u32 WIRE_SEGMENTS_FINE = 5;
constexpr u32 WIRE_SEGMENTS_MEDIUM = 4;
constexpr u32 WIRE_SEGMENTS_COARSE = 3;
const char* const kError = "TGameLogicManager::RenderManager(): error: ";

TShaderLink s_LineShader("Shader_line3d_gbuffer");

TMeshDescription MakeLineFormat()
{
    TName("__Color", true);
    TName("__Pos", true);
    TMeshDescription format = {};
    format.nStride = sizeof(TLineVertex);
    format.nElementCount = 2;
    format.aElement[0] = {offsetof(TLineVertex, aPosition), USAGE_POSITION, TYPE_FLOAT3, 0};
    format.aElement[1] = {offsetof(TLineVertex, nColour), USAGE_COLOUR, TYPE_COLOUR, 0};
    format.VertexLayout = TName("line3d", true);
    format.nVertexCount = LINE_BUFFER_VERTICES;
    return format;
}

TVector Point(const TUserData& record)
{
    f32 at[4];
    std::memcpy(at, record.aWord, sizeof at);
    return TVector(at[0], at[1], at[2], 1.0f);
}

// The quadratic curve from a over c to b at t.
TVector Bezier(const TVector& a, const TVector& c, const TVector& b, f32 t)
{
    const f32 u = 1.0f - t, ka = u * u, kc = 2.0f * u * t, kb = t * t;
    return TVector(a.x * ka + c.x * kc + b.x * kb, a.y * ka + c.y * kc + b.y * kb, a.z * ka + c.z * kc + b.z * kb,
                   1.0f);
}
} // namespace

TBackgroundScenery::TBackgroundScenery()
    : m_CullBox{}, m_pLineBuffer(nullptr), m_pLineShader(nullptr), m_pAttachedShader(nullptr), m_pLines(nullptr), m_nLinesWritten(0),
      m_nCarsChecked(0), m_nCarsDrawn(0), m_nLineDraws(0), m_nLineVertices(0)
{
    m_CullBox.minimum = TVector(-TRAFFIC_CULL_HALF_SIZE, -TRAFFIC_CULL_HALF_SIZE, -TRAFFIC_CULL_HALF_SIZE, 1.0f);
    m_CullBox.maximum = TVector(TRAFFIC_CULL_HALF_SIZE, TRAFFIC_CULL_HALF_SIZE, TRAFFIC_CULL_HALF_SIZE, 1.0f);
    m_CullBox.Update();
}

TWireLook TBackgroundScenery::LookAt(f32 distance)
{
    if (!(distance < POWER_LINE_MAX_DISTANCE))
        return {0.0f, 0};
    const f32 alpha = distance < POWER_LINE_FULL_ALPHA_DISTANCE
                          ? POWER_LINE_ALPHA
                          : POWER_LINE_ALPHA - (distance - POWER_LINE_FULL_ALPHA_DISTANCE) * POWER_LINE_ALPHA_FALL;
    const u32 segments = distance <= POWER_LINE_FINE_DISTANCE     ? WIRE_SEGMENTS_FINE
                         : distance <= POWER_LINE_MEDIUM_DISTANCE ? WIRE_SEGMENTS_MEDIUM
                                                                  : WIRE_SEGMENTS_COARSE;
    return {alpha, segments};
}

const TMeshDescription& TBackgroundScenery::LineFormat()
{
    static const TMeshDescription s_Format = MakeLineFormat();
    return s_Format;
}

void TBackgroundScenery::OnClusterLoad(TNode* powerLines)
{
    if (!m_pLineBuffer && g_pCreateDynamicLineMesh && g_pDeviceManager && g_pDeviceManager->GetDevice())
        m_pLineBuffer = g_pCreateDynamicLineMesh(LINE_BUFFER_VERTICES, LineFormat());
    m_pLines = nullptr;
    m_nLinesWritten = 0;
    m_aCarDrives.clear();
    m_nCarsChecked = 0;
    for (i32 i = 0; powerLines && i < powerLines->GetChildCount(); ++i)
    {
        TNode* line = powerLines->GetChild(i);
        if (!line->GetUserData() || line->aUserData.GetCount() < 2)
            TLog::Print(g_pSystemLog, LOG_ERROR, "TGameLogicManager::OnClusterLoad(): error: ",
                        "power line '%s' has %d points, a wire needs 2: skipped", line->m_Name.GetText(),
                        line->GetUserData() ? line->aUserData.GetCount() : 0);
    }
}

u32 TBackgroundScenery::CheckCars(const TCurvePool& pool, DArray<TTrafficVehicle*>& cars)
{
    if (m_nCarsChecked && m_aCarDrives.size() == static_cast<size_t>(cars.GetCount()))
        return 1;
    if (!pool.IsLoaded())
        return 0;
    m_aCarDrives.assign(static_cast<size_t>(cars.GetCount()), 0);
    for (i32 i = 0; i < cars.GetCount(); ++i)
    {
        const TCurveRecord* curve = pool.GetCurve(cars[i]->nCurve);
        if (!curve)
            TLog::Print(g_pSystemLog, LOG_ERROR, kError, "traffic car %d: curve %u lies outside the %u curves: skipped",
                        i, cars[i]->nCurve, pool.m_nCurveCount);
        else if (curve->nPointCount < 2)
            TLog::Print(g_pSystemLog, LOG_ERROR, kError,
                        "traffic car %d: curve %u has %u points, a car needs 2: skipped", i, cars[i]->nCurve,
                        curve->nPointCount);
        else
            m_aCarDrives[static_cast<size_t>(i)] = 1;
    }
    m_nCarsChecked = 1;
    return 1;
}

void TBackgroundScenery::DrawTraffic(TCurvePool* pool, DArray<TTrafficVehicle*>& cars, TShader* shader,
                                     const TCamera& camera, f32 step)
{
    if (!pool)
        return;
    pool->Require();
    if (!CheckCars(*pool, cars))
        return;
    TRenderContext context(shader);
    for (i32 i = 0; i < cars.GetCount(); ++i)
    {
        if (!m_aCarDrives[static_cast<size_t>(i)])
            continue;
        TTrafficVehicle& car = *cars[i];
        car.Drive(*pool, *pool->GetCurve(car.nCurve), step);
        if (!car.pMesh || !car.pMesh->pMeshData || !camera.IsBoxVisible(m_CullBox, car.World))
            continue;
        ++m_nCarsDrawn;
        if (g_pDrawMeshData)
            g_pDrawMeshData(car.pMesh->pMeshData, car.World, &context, car.pMesh);
    }
    if (g_pFlushMeshInstances)
        g_pFlushMeshInstances();
}

void TBackgroundScenery::DrawPowerLines(TNode* powerLines, const TVector& camera)
{
    if (!powerLines || !powerLines->IsEnabled())
        return;
    m_pLineShader = s_LineShader.Get();
    if (!m_pLineShader)
        m_pLineShader = m_pAttachedShader;
    for (i32 i = 0; i < powerLines->GetChildCount(); ++i)
    {
        TNode* line = powerLines->GetChild(i);
        const TUserData* points = line->GetUserData();
        if (!points)
            continue;
        const TMatrix& world = *line->GetWorldMatrix();
        for (i32 k = 1; k < line->aUserData.GetCount(); ++k)
            WriteWire(world.TransformPoint(Point(points[k - 1])), world.TransformPoint(Point(points[k])), camera);
    }
    FlushLines();
}

void TBackgroundScenery::WriteWire(const TVector& from, const TVector& to, const TVector& camera)
{
    const TVector middle((from.x + to.x) * 0.5f, (from.y + to.y) * 0.5f, (from.z + to.z) * 0.5f, 1.0f);
    const TWireLook look = LookAt(TVector::Subtract(middle, camera).Length());
    if (!look.nSegments)
        return;
    const u32 count = 2 * look.nSegments;
    if (m_pLines && m_nLinesWritten + count > LINE_BUFFER_VERTICES)
        FlushLines();
    if (!m_pLines)
    {
        m_pLines = m_pLineBuffer ? static_cast<TLineVertex*>(m_pLineBuffer->LockVertices(LINE_BUFFER_VERTICES)) : nullptr;
        if (!m_pLines)
            return;
    }
    const u32 colour = static_cast<u32>(std::lround(look.fAlpha * 255.0f)) << 24;
    const TVector sag(middle.x, middle.y - POWER_LINE_SAG, middle.z, 1.0f);
    TLineVertex* out = m_pLines + m_nLinesWritten;
    TVector previous = from;
    for (u32 s = 1; s <= look.nSegments; ++s)
    {
        const TVector next = Bezier(from, sag, to, static_cast<f32>(s) / static_cast<f32>(look.nSegments));
        *out++ = {{previous.x, previous.y, previous.z}, colour};
        *out++ = {{next.x, next.y, next.z}, colour};
        previous = next;
    }
    m_nLinesWritten += count;
}

void TBackgroundScenery::FlushLines()
{
    if (m_pLines && m_nLinesWritten && m_pLineShader)
    {
        m_pLineBuffer->Draw(m_nLinesWritten, m_pLineShader);
        ++m_nLineDraws;
        m_nLineVertices += m_nLinesWritten;
    }
    else if (m_pLines)
        m_pLineBuffer->Reset();
    m_pLines = nullptr;
    m_nLinesWritten = 0;
}
