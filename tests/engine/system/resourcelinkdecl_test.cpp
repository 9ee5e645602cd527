// The stored form of a resource link, on which every stored resource's two link runs rely.
#include "engine/system/resourcelink.h"
#include "engine/system/scenetypes.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(ResourceLinkDecl, IsAPlainEightByteRecordWhoseSecondWordLinksToAnyType)
{
    const TClusterTypeDecl& decl = ResourceLinkDecl();
    EXPECT_STREQ(decl.GetName(), "TResourceLink");
    EXPECT_EQ(decl.GetTypeId(), 20);
    EXPECT_EQ(decl.GetObjectSize(), 8u);
    EXPECT_EQ(decl.GetPrototype(), nullptr);
    EXPECT_EQ(decl.GetVirtualTableWords(), 0);
    ASSERT_EQ(decl.GetMemberCount(), 1u);
    const TClusterMemberDecl& link = decl.GetMember(0);
    EXPECT_EQ(link.nKind, CLUSTER_MEMBER_REFERENCE);
    EXPECT_EQ(link.nOffset, 4u);
    EXPECT_EQ(link.nTypeId, 0u);
    EXPECT_EQ(link.nCount, 1u);
    EXPECT_STREQ(link.szName, "pResource");
}
