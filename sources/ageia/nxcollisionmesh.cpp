#include "ageia/nxcollisionmesh.h"

#include "ageia/controllermanager.h"
#include "ageia/dynamicsgeometry.h"
#include "ageia/nxcollisionmeshdata.h"
#include "ageia/nxdynamics.h"
#include "ageia/nxpose.h"
#include "core/system/log.h"
#include "engine/system/node.h"
#include "engine/system/nodekindnames.h"
#include "platform/physics/nxactor.h"
#include "platform/physics/nxscene.h"
#include "platform/physics/nxshapedesc.h"

#include <cstring>

TNxCollisionMesh::TNxCollisionMesh()
{
    std::memset(reinterpret_cast<u8*>(this) + sizeof(TNodeObject), 0, sizeof(*this) - sizeof(TNodeObject));
    m_nClassName = g_NameTCollisionMesh.GetId();
    m_MaterialName.Set("Default", true);
    m_UserData = {COLLISION_USER_MESH, this};
}

void TNxCollisionMesh::OnEnable(u32 enabled)
{
    if (enabled)
        __Create();
    else
        __Release();
}

void TNxCollisionMesh::__Create()
{
    NxScene* scene = g_pNxDynamicsManager ? g_pNxDynamicsManager->GetScene() : nullptr;
    if (m_pActor || m_nBodyOwned || !scene || !pNode)
        return;
    TNxCollisionMeshData* data = pCollisionMeshData;
    if (data)
        data->Require();
    NxConvexShapeDesc convex;
    NxTriangleMeshShapeDesc triangles;
    NxShapeDesc* shape = nullptr;
    if (data && data->ConvexMesh())
    {
        convex.meshData = data->ConvexMesh();
        shape = &convex;
    }
    else if (data && data->TriangleMesh())
    {
        triangles.meshData = data->TriangleMesh();
        shape = &triangles;
    }
    if (!shape)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TNxCollisionMesh::__Create(): error: ", "'%s': no collision mesh: no actor",
                    pNode->m_Name.GetPrintText());
        return;
    }
    m_UserData = {COLLISION_USER_MESH, this};
    shape->group = m_nCollisionGroup;
    shape->materialIndex = m_nMaterialIndex;
    shape->userData = &m_UserData;
    shape->groupsMask.bits0 = m_nGroupsMask;
    const bool enabled = pNode->IsEnabled() != 0;
    if (!enabled)
        shape->shapeFlags |= NX_SF_DISABLE_RAYCASTING | NX_SF_DISABLE_SCENE_QUERIES;

    NxActorDesc actor;
    actor.globalPose = PoseOf(UnscaledPose(*GetMatrix(), "TNxCollisionMesh::__Create(): warning: ", pNode->m_Name.GetText()));
    actor.group = m_nCollisionGroup;
    actor.flags = enabled ? 0 : NX_AF_DISABLE_COLLISION;
    actor.userData = &m_UserData;
    actor.shapes.push_back(shape);
    m_pActor = scene->createActor(actor);
    m_pShape = m_pActor && m_pActor->getNbShapes() ? m_pActor->getShapes()[0] : nullptr;
}

void TNxCollisionMesh::__Release()
{
    NxScene* scene = g_pNxDynamicsManager ? g_pNxDynamicsManager->GetScene() : nullptr;
    if (!m_nBodyOwned && m_pActor && scene)
        scene->releaseActor(*m_pActor);
    ForgetActor();
}

void TNxCollisionMesh::OnNodeUpdate(const TName*)
{
    if (!m_pShape)
        return;
    const TMatrix world =
        UnscaledPose(*GetMatrix(), "TNxCollisionMesh::OnNodeUpdate(): warning: ", pNode->m_Name.GetText());
    m_pShape->setGlobalPose(PoseOf(world));
    if (g_pControllerManager)
        g_pControllerManager->OnStaticGeometryMoved();
}

void TNxCollisionMesh::SetGroupsMask(u32 mask)
{
    m_nGroupsMask = mask;
    if (pGeometry)
        pGeometry->SetGroupsMask(static_cast<u16>(mask));
    if (m_pShape)
    {
        NxGroupsMask groups;
        groups.bits0 = mask;
        m_pShape->setGroupsMask(groups);
    }
}

void TNxCollisionMesh::SetCollisionGroup(u16 group)
{
    m_nCollisionGroup = group;
    if (pGeometry)
        pGeometry->SetGroup(group);
    if (m_pActor)
        m_pActor->setGroup(group);
    if (m_pShape)
        m_pShape->setGroup(group);
}

void TNxCollisionMesh::SetDominanceGroup(u16 group)
{
    if (m_pActor)
        m_pActor->setDominanceGroup(group);
}
