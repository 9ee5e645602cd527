#pragma once
// TVegetationCluster (stored type 123, 240 bytes): a patch of packed plant instances. Each
// instance is the six 16-byte vertices of its imposter quad (96 bytes), which the imposter
// manager draws far away; near the camera its plant kind's meshes are drawn at the instance,
// cross-faded with the quad. Loading copies the instances out of the repository: the cluster
// writes each quad's fade into its own copy.
#include "core/math/boundbox.h"
#include "core/math/vector.h"
#include "engine/render/impostermanager.h"
#include "engine/render/impostervertex.h"
#include "engine/system/resource.h"

class TMesh;
class TRenderContext;
struct TRenderQueue;

constexpr u16 VEGETATION_CLUSTER_TYPE_ID = 123;
// No near-instance record.
constexpr u32 VEGETATION_NO_RECORD = 0xFFFFFFFFu;
// The meshes of a plant kind's mesh set.
constexpr u32 VEGETATION_KIND_MESHES = 8;

// A plant kind's meshes in one queue, each with whether its node leaves it at the plant's root:
// found once for a run of plants of one kind.
struct TVegetationKindMeshes
{
    u32 nKind = VEGETATION_NO_RECORD;
    u32 nCount = 0;
    TMesh* aMesh[VEGETATION_KIND_MESHES];
    bool aAtRoot[VEGETATION_KIND_MESHES];
};

class TVegetationCluster : public TImposterBatch, public TResource
{
public:
    TVegetationCluster();
    ~TVegetationCluster() override;

    // The imposter batch: six vertices an instance.
    u32 GetVertexCount() override { return m_nInstanceCount * IMPOSTER_VERTICES; }
    const TImposterVertex* GetVertices() override;

    // A block that is no whole number of instances is refused with a line (no instances).
    i32 Load() override;
    i32 Release() override;

    // Draws the near instances for the queue (the near and far fades, the instance meshes); a
    // second pass of the same frame replays the first one's decisions. skipImposter: the
    // imposter is not queued for update.
    void Draw(TRenderContext* context, TRenderQueue* queue, u32 skipImposter);

    // The box the proxies answer (before the cluster is loaded too: the queues' visibility test
    // decides whether it is drawn and so loaded).
    const TBoundBox& GetBounds();
    u32 GetInstanceCount() const { return m_nInstanceCount; }
    const TImposterRecord* GetInstances() const { return pInstance; }
    u32 GetFadedCount() const { return m_nFadedCount; }
    // The instances' packed colours and indices recorded this frame, first to last.
    u32 GetNearHead() const { return m_nNearHead; }

    TVector m_Centre;
    // The patch's extent about its centre, and how far its plants reach beyond it.
    f32 m_fSize;
    f32 m_fExtraRadius;
    TImposterRecord* pInstance;
    u32 m_nInstanceCount;
    u32 m_nFrameStamp;
    u32 m_nNearHead;
    u32 m_nNearTail;
    u32 m_nFadedCount;
    // The centre, half the size plus the extra radius each way.
    TBoundBox m_Bounds;
    // The instances' matrices, built at the first near plant for the instances and the position
    // scale kept beside them (built again when either changes): a near plant then costs a copy,
    // not a frame.
    TMatrix* pInstanceMatrix;
    f32 m_aMatrixScale[3];
    const TImposterRecord* pMatrixInstances;
    u32 m_nMatrixCount;
    u8 m_aReserved208[32];

private:
    void FreeInstances();
    // Clears the words Load and drawing fill, freeing nothing.
    void ForgetRunTimeWords();
    // Sets the alpha of the instance's six vertices.
    void SetImposterAlpha(u32 index, u8 alpha);
    // The instances' matrices for the position scale the plants are drawn at.
    const TMatrix* InstanceMatrices();
    // Draws the instance's plant kind for the queue with the colour (0xAABBGGRR) at its matrix;
    // `meshes` holds the last kind's meshes.
    void DrawInstance(TRenderContext* context, TRenderQueue* queue, u32 index, u32 colour, const TMatrix& instance,
                      TVegetationKindMeshes& meshes);
};

static_assert(sizeof(TVegetationCluster) == 240);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TVegetationCluster, m_Centre) == 72);
static_assert(offsetof(TVegetationCluster, m_fSize) == 88);
static_assert(offsetof(TVegetationCluster, m_fExtraRadius) == 92);
static_assert(offsetof(TVegetationCluster, pInstance) == 96);
static_assert(offsetof(TVegetationCluster, m_nInstanceCount) == 100);
static_assert(offsetof(TVegetationCluster, m_nFrameStamp) == 104);
static_assert(offsetof(TVegetationCluster, m_nNearHead) == 108);
static_assert(offsetof(TVegetationCluster, m_nFadedCount) == 116);
static_assert(offsetof(TVegetationCluster, m_Bounds) == 120);
static_assert(offsetof(TVegetationCluster, pInstanceMatrix) == 184);
static_assert(offsetof(TVegetationCluster, m_nMatrixCount) == 204);
#pragma GCC diagnostic pop

const TClusterTypeDecl& VegetationClusterDecl();

// The quad's fade at the distance r: 0 nearer than n, 1 beyond f, linear between.
f32 VegetationImposterFade(f32 r, f32 n, f32 f);
// The mesh's fade: 1 up to n + d0 (d0 = 0.75 (f - n)), 0 beyond f + d0, linear between.
f32 VegetationMeshFade(f32 r, f32 n, f32 f);
// An instance's world matrix: turned by its heading and tilt bytes, scaled by its size byte,
// at its position steps times the scale.
TMatrix VegetationInstanceMatrix(const TImposterVertex& vertex, const f32 positionScale[3]);
