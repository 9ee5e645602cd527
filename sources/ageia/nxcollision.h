#pragma once
// The stored layouts of static collision meshes: TNxCollisionMeshData (type 64, 96 bytes), a
// resource holding cooked mesh data, and TNxCollisionMesh (type 65, 60 bytes), the node object
// that places one in the scene.
#include "engine/system/nodekindnames.h"
#include "engine/system/nodeobject.h"
#include "engine/system/resource.h"
#include <cstring>

class NxConvexMesh;
class NxTriangleMesh;
class TDynamicsGeometry;

// The resource kind of collision mesh data.
constexpr u32 COLLISION_MESH_DATA_KIND = 3;

class TNxCollisionMeshData : public TResource
{
public:
    TNxCollisionMeshData()
    {
        std::memset(reinterpret_cast<u8*>(this) + sizeof(TResource), 0, sizeof(*this) - sizeof(TResource));
        m_nKind = COLLISION_MESH_DATA_KIND;
    }

    NxTriangleMesh* m_pTriangleMesh;
    NxConvexMesh* m_pConvexMesh;
    u8 m_aReserved76[20];
};

static_assert(sizeof(TNxCollisionMeshData) == 96);

class TNxCollisionMesh : public TNodeObject
{
public:
    TNxCollisionMesh()
    {
        std::memset(reinterpret_cast<u8*>(this) + 12, 0, sizeof(*this) - 12);
        m_nClassName = g_NameTCollisionMesh.GetId();
        m_Name.Set("Default", true);
    }

    TName m_Name;
    u32 m_nReserved16;
    TNxCollisionMeshData* pCollisionMeshData;
    TDynamicsGeometry* pGeometry;
    u8 m_aReserved28[32];
};

static_assert(sizeof(TNxCollisionMesh) == 60);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TNxCollisionMesh, m_Name) == 12);
static_assert(offsetof(TNxCollisionMesh, pCollisionMeshData) == 20);
static_assert(offsetof(TNxCollisionMesh, pGeometry) == 24);
#pragma GCC diagnostic pop

