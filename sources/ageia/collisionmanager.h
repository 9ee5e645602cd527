#pragma once
// TCollisionManager ("Collision"): the static collision geometry of the scene (collision mesh
// data, collision meshes) and every geometric question asked of the physics scene: ray casts,
// overlaps, overlap checks, batched ray casts and the triangles of meshes inside a box.
// TNxCollisionManager is the one implementation.
#include "core/math/boundbox.h"
#include <cstddef>
#include "core/math/matrix.h"
#include "core/math/ray.h"
#include "engine/system/manager.h"

class TCollisionFilter;
class TCollisionHeightField;
class TDynamicsGeometry;
class TMeshData;
class TNode;
class TRepository;
class TNxCollisionMesh;
class TNxCollisionMeshData;

// The query record: the caller's group filter in, the results out (caller-owned).
struct TCollisionHit
{
    u32 nFilter;
    // Set to 1 on a hit by the ray casts; never cleared (the caller clears it).
    u32 nHit;
    TVector Point;
    TVector Normal;
    // (u, v, 0, 1) of the hit triangle.
    TVector Barycentric;
    // Triangle index of a collision-mesh hit (closest ray cast only).
    u32 nFace;
    // The object of the hit shape's user data (see each query).
    void* pOwner;
    // The dynamics geometry hit by a ray cast, else null.
    TDynamicsGeometry* pGeometry;
};

static_assert(sizeof(TCollisionHit) == 68);
static_assert(offsetof(TCollisionHit, Point) == 8 && offsetof(TCollisionHit, nFace) == 56);
static_assert(offsetof(TCollisionHit, pGeometry) == 64);

// The caller's function of EnumerateBoxTriangles, called in two forms. Per batch of triangles
// of one mesh, positions null: (triangle count, the mesh's node, user-data kind, user-data
// object, null, null, 0, user). Per triangle: (triangle index, null, 0, null, three positions
// and three normals in the mesh's frame, material, user). Non-zero stops the enumeration.
using TBoxTriangleCallback = i32 (*)(u32 index, TNode* node, u32 kind, void* object, const TVector* positions,
                                     const TVector* normals, u32 material, void* user);

class TCollisionManager : public TManager
{
public:
    virtual i32 GetCollisionMeshDataCount() = 0;
    virtual TNxCollisionMeshData* GetCollisionMeshData(i32 index) = 0;
    // Cooks the render mesh's vertices and indices (data type 1 convex, 2 triangles) into a new
    // resource whose block is appended to the repository. flags bit 0: vertices of 24 bytes.
    virtual TNxCollisionMeshData* CreateCollisionMeshData(u32 reserved, TMeshData* mesh, const void* vertices,
                                                          const u16* indices, TRepository* repository, u32 dataType,
                                                          u32 flags) = 0;
    virtual i32 GetCollisionMeshCount() = 0;
    virtual TNxCollisionMesh* GetCollisionMesh(i32 index) = 0;
    virtual TNxCollisionMesh* CreateCollisionMesh(TNode* node, TNxCollisionMeshData* data, u32 attachToBody) = 0;
    virtual i32 GetHeightFieldCount() = 0;
    virtual TCollisionHeightField* GetHeightField(i32 index) = 0;
    // The next of at most 2048 height fields; null (logged) when all are in use.
    virtual TCollisionHeightField* CreateHeightField() = 0;
    virtual void SetMeshPairCollision(TNxCollisionMesh* a, TNxCollisionMesh* b, u32 enable) = 0;
    virtual void SetGroupCollision(u16 a, u16 b, u32 enable) = 0;

    // Ray casts over the ray's length: 1 on a hit, the record filled; 0 leaves it as it was.
    virtual u32 RayCastExcludingNodes(const TRay& ray, TCollisionHit& hit, TNode* const* nodes) = 0;
    virtual u32 RayCastExcludingNode(const TRay& ray, TCollisionHit& hit, TNode* node) = 0;
    virtual u32 RayCastFiltered(const TRay& ray, TCollisionHit& hit, TCollisionFilter& filter) = 0;
    virtual u32 RayCast(const TRay& ray, TCollisionHit& hit, u32 reserved) = 0;
    virtual u32 Sphere() = 0;
    // Overlaps: 1 and the owner of the first shape found, else 0.
    virtual u32 OverlapSphere(const TVector& centre, f32 radius, TCollisionHit& hit) = 0;
    virtual u32 OverlapBoxExcludingNodes(const TMatrix& matrix, TBoundBox box, TCollisionHit& hit,
                                         TNode* const* nodes) = 0;
    virtual u32 OverlapBoxExcludingNode(const TMatrix& matrix, TBoundBox box, TCollisionHit& hit, TNode* node) = 0;
    virtual u32 OverlapBoxFiltered(const TMatrix& matrix, TBoundBox box, TCollisionHit& hit,
                                   TCollisionFilter& filter) = 0;
    virtual u32 OverlapBox(const TMatrix& matrix, TBoundBox box, TCollisionHit& hit) = 0;
    virtual u32 Capsule() = 0;
    // start: the first point with the radius in w; end: the second point.
    virtual u32 OverlapCapsule(const TVector& start, const TVector& end, TCollisionHit& hit) = 0;
    // Batched ray casts: results arrive in each request's record after ExecuteQueries.
    virtual void QueueRayCast(const TRay& ray, TCollisionHit& hit) = 0;
    virtual void ExecuteQueries() = 0;
    virtual u32 FinishQueries(u32 block) = 0;
    virtual u32 CheckSphere(const TVector& centre, f32 radius, TCollisionHit& hit) = 0;
    // The triangles of static meshes in the box, its size taken as half extents.
    virtual u32 EnumerateBoxTriangles(const TMatrix& matrix, TBoundBox box, TCollisionHit& hit,
                                      TBoxTriangleCallback callback, void* user) = 0;
    virtual u32 CheckBox(const TMatrix& matrix, TBoundBox box, TCollisionHit& hit) = 0;
    virtual u32 CheckCapsule(const TVector& start, const TVector& end, TCollisionHit& hit) = 0;
};

extern TCollisionManager* g_pCollisionManager;
