#pragma once
// TImposterManager ("Imposter"): owns the imposter data and imposters repositories load,
// collects the six vertices of every imposter drawn in a frame, and after its queue has been
// drawn copies them, with externally built batches, into its dynamic mesh of 60,000 vertices
// and draws them with the imposter shader. Main thread only.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/sarray.h"
#include "engine/render/devicemethods.h"
#include "engine/render/impostervertex.h"
#include "engine/render/renderscenemethods.h"
#include "engine/system/manager.h"
#include "engine/system/resourcemethods.h"

class TDynamicMesh;
class TImposter;
class TShader;
struct TImposterData;
struct TRenderQueue;

constexpr u32 IMPOSTER_DRAW_CAPACITY = 2000;
constexpr u32 IMPOSTER_BATCH_CAPACITY = 1024;
// Vertices of the dynamic mesh, and records copied in one run.
constexpr u32 IMPOSTER_MESH_VERTICES = 60000;
constexpr u32 IMPOSTER_COPY_RECORDS = 10000;
// The id under which state images carry the settings block: no one gives the manager one, so
// it takes the number of the imposter data type, as the UX manager does with its form type.
constexpr i32 IMPOSTER_MANAGER_ID = 44;

// Vertices built elsewhere (a vegetation patch, a prop pool) drawn with the imposters.
class TImposterBatch
{
public:
    virtual ~TImposterBatch() = default;
    virtual u32 GetVertexCount() = 0;
    virtual const TImposterVertex* GetVertices() = 0;
};

// The settings block: cell size, then the fade-out start and end distances.
struct TImposterSettings
{
    f32 aCellSize[4];
    f32 fFadeStart;
    f32 fFadeEnd;
    f32 aReserved[2];
};
static_assert(sizeof(TImposterSettings) == 32);

class TImposterManager : public TManager,
                         public TResourceMethods,
                         public TClusterMethods,
                         public TDeviceMethods,
                         public TRenderSceneMethods
{
public:
    TImposterManager();

    // Appends the imposter's record: 1 queued, 0 refused (disabled or full).
    u32 QueueDraw(const TImposterData* data, const TMatrix& world, const f32 colour[4], f32 alpha);
    // Appends a batch: 1 queued, 0 refused.
    u32 QueueUpdate(TImposterBatch* batch);
    // Drops every entry of the batch: a batch going away takes itself out of the lists, which
    // otherwise keep it until they are drawn.
    void ForgetBatch(TImposterBatch* batch);
    // Draws and empties this frame's lists.
    void DrawImposters();
    // Draws the lists as they are with another shader and pass word (the shadow passes'),
    // keeping them.
    void DrawWith(TShader* shader, u32 pass);
    // Room for count vertices at the write position; when they do not fit, what was written is
    // drawn first and the writes start again at 0. Null when there is no mesh to write into.
    TImposterVertex* LockVertices(u32 count);
    // Draws the vertices written and starts the writes again at 0.
    void FlushVertices();
    TDynamicMesh* GetMesh() const { return m_pMesh; }
    u32 GetWrittenCount() const { return m_nWritten; }

    TRenderQueue* GetQueue() const { return m_pQueue; }
    void SetQueue(TRenderQueue* queue) { m_pQueue = queue; }
    u32 IsEnabled() const { return m_nEnabled; }
    void SetEnabled(u32 enabled) { m_nEnabled = enabled; }
    TShader* GetShader() const { return m_pShader; }
    void SetShader(TShader* shader) { m_pShader = shader; }
    // What the directional shadow pass sets while it draws imposters.
    TShader* GetShadowShader() const { return m_pShadowShader; }
    void SetShadowShader(TShader* shader) { m_pShadowShader = shader; }
    u32 GetShadowFlag() const { return m_nShadowFlag; }
    void SetShadowFlag(u32 flag) { m_nShadowFlag = flag; }
    u32 GetDrawCount() const { return m_aDraw.GetCount(); }
    const TImposterRecord& GetRecord(u32 index) const { return m_aDraw[index]; }
    u32 GetBatchCount() const { return m_aBatch.GetCount(); }
    const TImposterSettings& GetSettings() const { return m_Settings; }
    // The pass word of the imposter draw being made.
    u32 GetPass() const { return m_nPass; }

    DArray<TImposterData*>& ImposterData() { return m_aImposterData; }
    DArray<TImposter*>& Imposters() { return m_aImposter; }

    // The settings block is the manager's one data block.
    i32 GetDataCount() override { return 1; }
    i32 GetDataSize() override { return sizeof(TImposterSettings); }
    i32 GetData(i32 index, void*& data, i32& size) override;
    // A block of another size is refused with a log line.
    i32 SetData(i32 index, const void* data, i32 size) override;

    void BeginManager() override;
    void FinalizeManager() override;
    // Makes the dynamic mesh and finds the queue "Normal" of the first render scene.
    void OnClusterLoad() override;
    void OnClusterUnload() override;
    // The mesh's buffer goes with the device; the next lock makes it again.
    void OnDeviceLost() override;
    void AfterQueue(TRenderQueue* queue) override;

private:
    DArray<TImposterData*> m_aImposterData;
    DArray<TImposter*> m_aImposter;
    TRenderQueue* m_pQueue;
    TShader* m_pShader;
    u32 m_nEnabled;
    SArray<TImposterRecord, IMPOSTER_DRAW_CAPACITY, 0> m_aDraw;
    SArray<TImposterBatch*, IMPOSTER_BATCH_CAPACITY, 0> m_aBatch;
    TImposterSettings m_Settings;
    u32 m_nPass;
    TShader* m_pShadowShader;
    u32 m_nShadowFlag;
    TDynamicMesh* m_pMesh;
    // Vertices written since the last draw.
    u32 m_nWritten;

    void _CreateMesh();
    void _CopyVertices(const TImposterVertex* vertices, u32 count);
};

extern TImposterManager* g_pImposterManager;
// The variable imposter_show.
u32 ImposterShow();
// The variable imposter_distance: near, fade length, far, and a fourth value.
const f32* ImposterDistance();
