#include "ageia/physicstypes.h"

#include "ageia/nxbody.h"
#include "ageia/nxcollisionmesh.h"
#include "ageia/nxcollisionmeshdata.h"
#include "ageia/nxcontroller.h"
#include "ageia/nxgeometry.h"
#include "ageia/nxjoint.h"
#include "ageia/nxmaterial.h"
#include "engine/system/scenetypes.h"

namespace
{
constexpr u16 SKELETON_TYPE_ID = 53;

// Built on first use, destroyed at exit; loaded objects take their virtual tables from it.
template <class T> const T* Prototype()
{
    static const T s_Prototype{};
    return &s_Prototype;
}

TClusterField Link(u32 offset, u32 typeId, const char* name, u32 count = 1)
{
    return TClusterField(CLUSTER_MEMBER_REFERENCE, offset, typeId, count, name);
}

TClusterField NodeLink()
{
    return Link(4, NODE_TYPE_ID, "TNodeObject::pNode");
}
} // namespace

const TClusterTypeDecl& DynamicsMaterialDecl()
{
    static TClusterTypeDecl s_Decl("TDynamicsMaterial", DYNAMICS_MATERIAL_TYPE_ID, sizeof(TNxDynamicsMaterial),
                                   Prototype<TNxDynamicsMaterial>(), 1);
    return s_Decl;
}

const TClusterTypeDecl& DynamicsGeometryDecl()
{
    static TClusterTypeDecl s_Decl(
        "TDynamicsGeometry", DYNAMICS_GEOMETRY_TYPE_ID, sizeof(TNxDynamicsGeometry), Prototype<TNxDynamicsGeometry>(),
        1,
        {NodeLink(), Link(52, DYNAMICS_BODY_TYPE_ID, "pBody"), Link(68, SKELETON_TYPE_ID, "pSkeleton"),
         Link(416, COLLISION_MESH_DATA_TYPE_ID, "pCollisionData")});
    return s_Decl;
}

const TClusterTypeDecl& DynamicsBodyDecl()
{
    static TClusterTypeDecl s_Decl(
        "TDynamicsBody", DYNAMICS_BODY_TYPE_ID, sizeof(TNxDynamicsBody), Prototype<TNxDynamicsBody>(), 1,
        {NodeLink(), Link(12, SCRIPT_TYPE_ID, "pScript"), Link(16, 0, "pMethods"),
         Link(112, DYNAMICS_GEOMETRY_TYPE_ID, "aGeometry", BODY_GEOMETRY_CAPACITY),
         Link(468, SKELETON_TYPE_ID, "pSkeleton"), Link(280, DYNAMICS_BODY_TYPE_ID, "pNext"),
         Link(284, DYNAMICS_BODY_TYPE_ID, "pPrev"), Link(288, DYNAMICS_BODY_TYPE_ID, "pNext2"),
         Link(292, DYNAMICS_BODY_TYPE_ID, "pPrev2"), Link(296, DYNAMICS_JOINT_TYPE_ID, "lJointA.pFirst"),
         Link(300, DYNAMICS_JOINT_TYPE_ID, "lJointA.pLast"), Link(304, DYNAMICS_JOINT_TYPE_ID, "lJointB.pFirst"),
         Link(308, DYNAMICS_JOINT_TYPE_ID, "lJointB.pLast")});
    return s_Decl;
}

const TClusterTypeDecl& DynamicsJointDecl()
{
    static TClusterTypeDecl s_Decl("TDynamicsJoint", DYNAMICS_JOINT_TYPE_ID, sizeof(TNxDynamicsJoint),
                                   Prototype<TNxDynamicsJoint>(), 1,
                                   {NodeLink(), Link(16, DYNAMICS_BODY_TYPE_ID, "pBodyA"),
                                    Link(20, DYNAMICS_BODY_TYPE_ID, "pBodyB"), Link(780, DYNAMICS_JOINT_TYPE_ID, "pPrev"),
                                    Link(784, DYNAMICS_JOINT_TYPE_ID, "pNext"),
                                    Link(788, DYNAMICS_JOINT_TYPE_ID, "pPrev2"),
                                    Link(792, DYNAMICS_JOINT_TYPE_ID, "pNext2")});
    return s_Decl;
}

const TClusterTypeDecl& CollisionMeshDataDecl()
{
    // Both records are the resource head's link arrays (item pointers after capacity and count).
    static TClusterTypeDecl s_Decl(
        "TCollisionMeshData", COLLISION_MESH_DATA_TYPE_ID, sizeof(TNxCollisionMeshData),
        Prototype<TNxCollisionMeshData>(), 1,
        {TClusterField(CLUSTER_MEMBER_RUN, 36, RESOURCE_LINK_TYPE_ID, 1, "TResource::TResourceLink"),
         TClusterField(CLUSTER_MEMBER_RUN, 48, RESOURCE_LINK_TYPE_ID, 1, "TResource::TResourceLink")});
    return s_Decl;
}

const TClusterTypeDecl& CollisionMeshDecl()
{
    static TClusterTypeDecl s_Decl("TCollisionMesh", COLLISION_MESH_TYPE_ID, sizeof(TNxCollisionMesh),
                                   Prototype<TNxCollisionMesh>(), 1,
                                   {NodeLink(), Link(20, COLLISION_MESH_DATA_TYPE_ID, "pCollisionMeshData"),
                                    Link(24, DYNAMICS_GEOMETRY_TYPE_ID, "pGeometry")});
    return s_Decl;
}

const TClusterTypeDecl& ControllerDecl()
{
    static TClusterTypeDecl s_Decl("TController", CONTROLLER_TYPE_ID, sizeof(TNxController),
                                   Prototype<TNxController>(), 1, {NodeLink()});
    return s_Decl;
}

namespace
{
// Declared with the program's statics, in the order of the table of physics types.
const TClusterTypeDecl* const s_apDecl[] = {
    &DynamicsMaterialDecl(),  &DynamicsGeometryDecl(), &DynamicsBodyDecl(), &DynamicsJointDecl(),
    &CollisionMeshDataDecl(), &CollisionMeshDecl(),    &ControllerDecl(),
};
} // namespace
