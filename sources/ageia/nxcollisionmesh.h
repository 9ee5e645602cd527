#pragma once
// TNxCollisionMesh (stored type 65, 60 bytes): a static collision mesh over the physics layer.
// Its static actor exists while its node is enabled (and never when a dynamics body owns the
// mesh); the actor follows the node, unscaled.
#include "ageia/collisionmesh.h"
#include "ageia/collisionuserdata.h"

class NxActor;
class NxShape;
class TNxCollisionMeshData;

class TNxCollisionMesh : public TCollisionMesh
{
public:
    TNxCollisionMesh();

    void OnEnable(u32 enabled) override;
    void OnNodeUpdate(const TName* cause) override;
    void SetGroupsMask(u32 mask) override;
    u32 GetGroupsMask() override { return m_nGroupsMask; }
    void SetCollisionGroup(u16 group) override;
    u16 GetCollisionGroup() override { return m_nCollisionGroup; }
    void SetDominanceGroup(u16 group) override;
    u16 GetDominanceGroup() override { return 0; }
    void SetDynamicsGeometry(TDynamicsGeometry* geometry) override { pGeometry = geometry; }
    TDynamicsGeometry* GetDynamicsGeometry() override { return pGeometry; }

    // Makes the static actor when there is none; data that made no mesh makes none (logged).
    void __Create();
    // Releases the static actor, if any.
    void __Release();
    // The actor is gone with its scene: only the words are cleared.
    void ForgetActor() { m_pActor = nullptr; m_pShape = nullptr; }
    NxActor* GetActor() const { return m_pActor; }
    NxShape* GetShape() const { return m_pShape; }

    TName m_MaterialName;
    u16 m_nMaterialIndex;
    u16 m_nReserved18;
    TNxCollisionMeshData* pCollisionMeshData;
    TDynamicsGeometry* pGeometry;
    u32 m_nReserved28;
    u32 m_nGroupsMask;
    u16 m_nCollisionGroup;
    u16 m_nReserved38;
    NxActor* m_pActor;
    NxShape* m_pShape;
    u32 m_nBodyOwned;
    TCollisionUserData m_UserData;
};

static_assert(sizeof(TNxCollisionMesh) == 60);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TNxCollisionMesh, m_MaterialName) == 12);
static_assert(offsetof(TNxCollisionMesh, m_nMaterialIndex) == 16);
static_assert(offsetof(TNxCollisionMesh, pCollisionMeshData) == 20);
static_assert(offsetof(TNxCollisionMesh, pGeometry) == 24);
static_assert(offsetof(TNxCollisionMesh, m_nGroupsMask) == 32);
static_assert(offsetof(TNxCollisionMesh, m_nCollisionGroup) == 36);
static_assert(offsetof(TNxCollisionMesh, m_pActor) == 40);
static_assert(offsetof(TNxCollisionMesh, m_pShape) == 44);
static_assert(offsetof(TNxCollisionMesh, m_nBodyOwned) == 48);
static_assert(offsetof(TNxCollisionMesh, m_UserData) == 52);
#pragma GCC diagnostic pop
