#include "ageia/nxbody.h"
#include "ageia/nxcollisionmesh.h"
#include "ageia/nxcollisionmeshdata.h"
#include "ageia/nxcontroller.h"
#include "ageia/nxgeometry.h"
#include "ageia/nxjoint.h"
#include "ageia/physicstypes.h"
#include "support/declaredlinks.h"

#include <gtest/gtest.h>

TEST(PhysicsTypes, DescriptorsHaveTheStoredSizesAndLinks)
{
    struct
    {
        const TClusterTypeDecl& decl;
        u16 id;
        u32 size;
        u32 members;
    } const expected[] = {
        {DynamicsMaterialDecl(), 78, 64, 0},   {DynamicsGeometryDecl(), 79, 424, 4}, {DynamicsBodyDecl(), 80, 540, 13},
        {DynamicsJointDecl(), 82, 796, 7},     {CollisionMeshDataDecl(), 64, 96, 2},  {CollisionMeshDecl(), 65, 60, 3},
        {ControllerDecl(), 27, 24, 1},
    };
    for (const auto& e : expected)
    {
        EXPECT_EQ(e.id, e.decl.GetTypeId()) << e.decl.GetName();
        EXPECT_EQ(e.size, e.decl.GetObjectSize()) << e.decl.GetName();
        EXPECT_EQ(e.members, e.decl.GetMemberCount()) << e.decl.GetName();
        EXPECT_EQ(1, e.decl.GetVirtualTableWords());
    }
    const TClusterMemberDecl& geometries = DynamicsBodyDecl().GetMember(3);
    EXPECT_EQ(112u, geometries.nOffset);
    EXPECT_EQ(42u, geometries.nCount);
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
// The round trip of images takes its positions from the declarations: these pin them.
TEST(PhysicsTypes, EveryDeclaredLinkIsTheMemberItNames)
{
    ExpectDeclaredLinks(DynamicsMaterialDecl(), std::vector<TLinkPin>{});
    ExpectDeclaredLinks(DynamicsGeometryDecl(),
                        {LINK(TNxDynamicsGeometry, pNode), LINK(TNxDynamicsGeometry, pBody),
                         LINK(TNxDynamicsGeometry, pSkeleton), LINK(TNxDynamicsGeometry, pCollisionData)});
    ExpectDeclaredLinks(DynamicsBodyDecl(),
                        {LINK(TNxDynamicsBody, pNode), LINK(TNxDynamicsBody, pScript), LINK(TNxDynamicsBody, pMethods),
                         LINK(TNxDynamicsBody, aGeometry), LINK(TNxDynamicsBody, pSkeleton),
                         LINK(TNxDynamicsBody, pNext), LINK(TNxDynamicsBody, pPrev), LINK(TNxDynamicsBody, pNext2),
                         LINK(TNxDynamicsBody, pPrev2), LINK(TNxDynamicsBody, lJointA.pFirst),
                         LINK(TNxDynamicsBody, lJointA.pLast), LINK(TNxDynamicsBody, lJointB.pFirst),
                         LINK(TNxDynamicsBody, lJointB.pLast)});
    ExpectDeclaredLinks(DynamicsJointDecl(),
                        {LINK(TNxDynamicsJoint, pNode), LINK(TNxDynamicsJoint, pBodyA), LINK(TNxDynamicsJoint, pBodyB),
                         LINK(TNxDynamicsJoint, pPrev), LINK(TNxDynamicsJoint, pNext), LINK(TNxDynamicsJoint, pPrev2),
                         LINK(TNxDynamicsJoint, pNext2)});
    ExpectDeclaredLinks(CollisionMeshDataDecl(), {RESOURCE_USES(TNxCollisionMeshData)});
    ExpectDeclaredLinks(CollisionMeshDecl(), {LINK(TNxCollisionMesh, pNode), LINK(TNxCollisionMesh, pCollisionMeshData),
                                              LINK(TNxCollisionMesh, pGeometry)});
    ExpectDeclaredLinks(ControllerDecl(), {LINK(TNxController, pNode)});
}
#pragma GCC diagnostic pop
