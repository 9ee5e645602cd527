#pragma once
// TLensFlareManager ("LensFlare", g_pLensFlareManager): the flares the cluster loads and the
// active list of those whose nodes are on. Drawn over the finished scene: each flare measures
// how much of a small square about it a GPU occlusion query saw the frame before, fades towards
// that, is faded by the angle between its light's axis and the camera, and becomes a quad of
// the canvas's 3D kinds through one batch of 3,072 vertices.
#include "core/cluster/clustermethods.h"
#include "core/math/matrix.h"
#include "core/system/templates/darray.h"
#include "engine/render/canvasvertex.h"
#include "engine/system/manager.h"

class TDynamicMesh;
class TLensFlare;
class TRenderQuery;
class TShader;
class TTexture;

constexpr u32 LENS_FLARE_BATCH_VERTICES = 3072;
constexpr u32 LENS_FLARE_QUAD_VERTICES = 6;
// The canvas shader kinds of the blend modes 0, 1, 2 (alpha, added, multiplied).
constexpr i32 LENS_FLARE_SHADER_KINDS[3] = {8, 10, 11};

class TLensFlareManager : public TManager, public TClusterMethods
{
public:
    TLensFlareManager();

    void BeginManager() override;
    void RenderManager() override;
    // The occlusion queries go back to the device before it closes: a program that ends with a
    // level loaded never unloads it.
    void FinalizeManager() override { OnClusterUnload(); }
    void OnClusterLoad() override;
    void OnClusterUnload() override;

    // The active list: appended at the tail unless linked; taken out keeping its neighbours.
    void Activate(TLensFlare* flare);
    void Deactivate(TLensFlare* flare);
    TLensFlare* GetFirstActive() const { return m_pHead; }
    DArray<TLensFlare*>& Flares() { return m_aFlare; }
    // Occlusion queries begun in the last frame drawn.
    u32 GetQueriesIssued() const { return m_nQueries; }
    u32 GetDrawnVertices() const { return m_nDrawnVertices; }

private:
    // One flare's occlusion query and whether it waits for a result.
    struct TFlareQuery
    {
        TRenderQuery* pQuery;
        u32 nIssued;
    };

    void Step(TLensFlare& flare, f32 dt);
    // 1 when the flare stays drawn this frame (not behind the camera).
    u32 Measure(TLensFlare& flare, const TMatrix& camera, const TMatrix& viewProjection, f32 dt);
    void Switch(TShader* shader, TTexture* texture);
    TCanvasVertex* Reserve();
    void FlushBatch();

    DArray<TLensFlare*> m_aFlare;
    TLensFlare* m_pHead = nullptr;
    TLensFlare* m_pTail = nullptr;
    u32 m_nQueries = 0;
    TDynamicMesh* m_pMesh = nullptr;
    TShader* m_pShader = nullptr;
    TTexture* m_pTexture = nullptr;
    TCanvasVertex* m_pWrite = nullptr;
    u32 m_nWritten = 0;
    u32 m_nRoom = 0;
    u32 m_nDrawnVertices = 0;
};

extern TLensFlareManager* g_pLensFlareManager;
