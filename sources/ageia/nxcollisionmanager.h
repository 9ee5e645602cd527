#pragma once
// TNxCollisionManager ("Collision", type "Nx"): the collision service over the physics layer's
// scene, SDK and batched query object, which the dynamics manager owns. Collision mesh data
// and collision meshes are cluster arrays (repository loads fill them); static actors are made
// after cluster loads and state loads for meshes on enabled nodes, and released at unloads.
#include "ageia/collisionmanager.h"
#include "ageia/nxheightfield.h"
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "engine/system/statemethods.h"

class NxScene;

// The lists grow by this many entries when full.
constexpr i32 COLLISION_LIST_GROWTH = 1024;
// Shapes looked at by the overlap queries.
constexpr u32 COLLISION_FILTERED_SHAPES = 32;
constexpr u32 COLLISION_TRIANGLE_SHAPES = 128;
// Meshes of more indices than this are named in the log while cooked.
constexpr u32 COLLISION_LARGE_MESH_INDICES = 20000;

class TNxCollisionManager : public TCollisionManager, public TClusterMethods, public TStateMethods
{
public:
    TNxCollisionManager();
    ~TNxCollisionManager() override;

    i32 SetArray(u32 typeId, void* data, i32 count) override;
    void BeginManager() override;
    void EndManager() override;
    // The data's meshes go before the SDK that holds them.
    void FinalizeManager() override;

    i32 GetCollisionMeshDataCount() override { return m_aData.GetCount(); }
    TNxCollisionMeshData* GetCollisionMeshData(i32 index) override { return m_aData[index]; }
    TNxCollisionMeshData* CreateCollisionMeshData(u32 reserved, TMeshData* mesh, const void* vertices,
                                                  const u16* indices, TRepository* repository, u32 dataType,
                                                  u32 flags) override;
    i32 GetCollisionMeshCount() override { return m_aMesh.GetCount(); }
    TNxCollisionMesh* GetCollisionMesh(i32 index) override { return m_aMesh[index]; }
    TNxCollisionMesh* CreateCollisionMesh(TNode* node, TNxCollisionMeshData* data, u32 attachToBody) override;
    i32 GetHeightFieldCount() override { return static_cast<i32>(m_aHeightField.GetCount()); }
    TCollisionHeightField* GetHeightField(i32 index) override { return m_aHeightField.Get(static_cast<u32>(index)); }
    TCollisionHeightField* CreateHeightField() override { return m_aHeightField.Create(); }
    void SetMeshPairCollision(TNxCollisionMesh* a, TNxCollisionMesh* b, u32 enable) override;
    void SetGroupCollision(u16 a, u16 b, u32 enable) override;

    u32 RayCastExcludingNodes(const TRay& ray, TCollisionHit& hit, TNode* const* nodes) override;
    u32 RayCastExcludingNode(const TRay& ray, TCollisionHit& hit, TNode* node) override;
    u32 RayCastFiltered(const TRay& ray, TCollisionHit& hit, TCollisionFilter& filter) override;
    u32 RayCast(const TRay& ray, TCollisionHit& hit, u32 reserved) override;
    u32 Sphere() override;
    u32 OverlapSphere(const TVector& centre, f32 radius, TCollisionHit& hit) override;
    u32 OverlapBoxExcludingNodes(const TMatrix& matrix, TBoundBox box, TCollisionHit& hit,
                                 TNode* const* nodes) override;
    u32 OverlapBoxExcludingNode(const TMatrix& matrix, TBoundBox box, TCollisionHit& hit, TNode* node) override;
    u32 OverlapBoxFiltered(const TMatrix& matrix, TBoundBox box, TCollisionHit& hit, TCollisionFilter& filter) override;
    u32 OverlapBox(const TMatrix& matrix, TBoundBox box, TCollisionHit& hit) override;
    u32 Capsule() override;
    u32 OverlapCapsule(const TVector& start, const TVector& end, TCollisionHit& hit) override;
    void QueueRayCast(const TRay& ray, TCollisionHit& hit) override;
    void ExecuteQueries() override;
    u32 FinishQueries(u32 block) override;
    u32 CheckSphere(const TVector& centre, f32 radius, TCollisionHit& hit) override;
    u32 EnumerateBoxTriangles(const TMatrix& matrix, TBoundBox box, TCollisionHit& hit, TBoxTriangleCallback callback,
                              void* user) override;
    u32 CheckBox(const TMatrix& matrix, TBoundBox box, TCollisionHit& hit) override;
    u32 CheckCapsule(const TVector& start, const TVector& end, TCollisionHit& hit) override;

    void OnClusterUnload() override;
    void OnClusterLoad() override;
    i32 SaveState(u32 pass, TStream& stream) override;
    i32 LoadState(u32 pass, TStream& stream) override;

private:
    // Ray casts: the nearest accepted hit (filter null: every hit on a shape that does not
    // hold the origin) written into the record; face: whether the triangle index is written.
    u32 _RayCast(const TRay& ray, TCollisionHit& hit, TCollisionFilter* filter, bool face);
    // Actors made in another scene died with it.
    void ForgetActorsOfOldScene();
    void ReleaseActors();
    void FreeOwned(u32 typeId);

    DArray<TNxCollisionMeshData*> m_aData;
    DArray<TNxCollisionMesh*> m_aMesh;
    TNxHeightFieldArray m_aHeightField;
    // Those made here rather than loaded: freed when a load replaces their list.
    DArray<TNxCollisionMeshData*> m_aOwnedData;
    DArray<TNxCollisionMesh*> m_aOwnedMesh;
    // The scene the static actors were made in.
    NxScene* m_pActorScene;
    // Stored types whose lists a load has just replaced (bit 0 data, bit 1 meshes).
    u32 m_nLoadedTypes;
};

extern TNxCollisionManager* g_pNxCollisionManager;
