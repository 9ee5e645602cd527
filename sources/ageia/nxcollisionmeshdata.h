#pragma once
// TNxCollisionMeshData (stored type 64, 96 bytes): a resource whose data block holds a cooked
// convex or triangle mesh of the physics layer, followed for triangle meshes by one normal per
// vertex and the render mesh's index list. Loading turns the block back into the layer's mesh.
#include "engine/system/resource.h"

class NxConvexMesh;
class NxTriangleMesh;

// The resource kind of collision mesh data.
constexpr u32 COLLISION_MESH_DATA_KIND = 3;
// Data types.
constexpr u32 COLLISION_DATA_CONVEX = 1;
constexpr u32 COLLISION_DATA_TRIANGLES = 2;

class TNxCollisionMeshData : public TResource
{
public:
    TNxCollisionMeshData();
    ~TNxCollisionMeshData() override;

    // Makes the layer's mesh from the block; a block that does not make one is logged and
    // leaves the mesh null (shapes are then not made).
    i32 Load() override;
    i32 Release() override;

    NxConvexMesh* ConvexMesh() const;
    NxTriangleMesh* TriangleMesh() const;
    // The stored normal of a vertex, or null when the table has none for it.
    const f32* Normal(u32 vertex) const;

    u32 m_nDataType;
    u32 m_nCookedSize;
    void* m_pMesh;
    u32 m_nNormalCount;
    // One buffer owned by the data while loaded: the normals, then the indices.
    f32* m_pNormals;
    u32 m_nIndexCount;
    u16* m_pIndices;
};

static_assert(sizeof(TNxCollisionMeshData) == 96);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TNxCollisionMeshData, m_nDataType) == 68);
static_assert(offsetof(TNxCollisionMeshData, m_nCookedSize) == 72);
static_assert(offsetof(TNxCollisionMeshData, m_pMesh) == 76);
static_assert(offsetof(TNxCollisionMeshData, m_nNormalCount) == 80);
static_assert(offsetof(TNxCollisionMeshData, m_pNormals) == 84);
static_assert(offsetof(TNxCollisionMeshData, m_nIndexCount) == 88);
static_assert(offsetof(TNxCollisionMeshData, m_pIndices) == 92);
#pragma GCC diagnostic pop
