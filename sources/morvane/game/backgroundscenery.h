#pragma once
// TBackgroundScenery: what the game logic draws once per rendered frame besides the scene: the
// traffic cars driving their curves of the pool "TrafficCurve" (each culled by a fixed box and
// drawn with the level's traffic shader, one flush after all), and the power-line wires sagging
// between the points of each child of "PowerLineCurves" (lines batched in one dynamic buffer of
// 1,000 vertices, fading and coarsening with distance). Neither touches the game's state.
// Cars on a curve of fewer than two points or outside the pool, and line nodes of fewer than two
// points, are skipped, each with one line.
#include "core/math/boundbox.h"
#include "core/math/vector.h"
#include "core/system/templates/darray.h"

#include <vector>

class TCamera;
class TCurvePool;
class TDynamicMesh;
class TNode;
class TShader;
struct TTrafficVehicle;

// The line buffer's vertex: "__Pos" then "__Color" (layout "line3d").
struct TLineVertex
{
    f32 aPosition[3];
    u32 nColour;
};

static_assert(sizeof(TLineVertex) == 16);

constexpr u32 LINE_BUFFER_VERTICES = 1000;
constexpr f32 TRAFFIC_CULL_HALF_SIZE = 4.0f;
constexpr f32 POWER_LINE_MAX_DISTANCE = 7000.0f;
constexpr f32 POWER_LINE_FULL_ALPHA_DISTANCE = 100.0f;
constexpr f32 POWER_LINE_ALPHA = 0.4f;
constexpr f32 POWER_LINE_ALPHA_FALL = 5.7971014e-05f;
constexpr f32 POWER_LINE_FINE_DISTANCE = 3000.0f;
constexpr f32 POWER_LINE_MEDIUM_DISTANCE = 4000.0f;
constexpr f32 POWER_LINE_SAG = 45.0f;

// How a wire is drawn at a distance: no segments beyond reach.
struct TWireLook
{
    f32 fAlpha;
    u32 nSegments;
};

class TBackgroundScenery
{
public:
    TBackgroundScenery();

    static TWireLook LookAt(f32 distance);
    static const struct TMeshDescription& LineFormat();

    // A new level: the line buffer made once a device can make one, the cars checked again at
    // the first frame their pool is loaded, the line nodes checked now.
    void OnClusterLoad(TNode* powerLines);
    // A buffer and shader made elsewhere (tests, benchmarks); not owned. The shader stands in
    // for "Shader_line3d_gbuffer" while none is loaded.
    void AttachLineBuffer(TDynamicMesh* mesh, TShader* shader)
    {
        m_pLineBuffer = mesh;
        m_pAttachedShader = shader;
    }

    // The frame: cars moved by the step and drawn, then the wires.
    void DrawTraffic(TCurvePool* pool, DArray<TTrafficVehicle*>& cars, TShader* shader, const TCamera& camera,
                     f32 step);
    void DrawPowerLines(TNode* powerLines, const TVector& camera);

    // What the last frames drew (tests, benchmarks).
    u32 GetCarsDrawn() const { return m_nCarsDrawn; }
    u32 GetLineDraws() const { return m_nLineDraws; }
    u32 GetLineVertices() const { return m_nLineVertices; }
    void ResetCounts() { m_nCarsDrawn = m_nLineDraws = m_nLineVertices = 0; }

private:
    // 1 when every car was checked against the loaded pool (each bad one logged once).
    u32 CheckCars(const TCurvePool& pool, DArray<TTrafficVehicle*>& cars);
    void WriteWire(const TVector& from, const TVector& to, const TVector& camera);
    void FlushLines();

    TBoundBox m_CullBox;
    TDynamicMesh* m_pLineBuffer;
    TShader* m_pLineShader;
    TShader* m_pAttachedShader;
    TLineVertex* m_pLines;
    u32 m_nLinesWritten;
    // One entry per car once checked: 1 when it drives.
    std::vector<u8> m_aCarDrives;
    u32 m_nCarsChecked;
    u32 m_nCarsDrawn;
    u32 m_nLineDraws;
    u32 m_nLineVertices;
};
