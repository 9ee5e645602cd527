// Reflection descriptors: member records, registration and binding to type slots.
#include "clusterfixture.h"

#include <cstring>

TEST_F(ClusterTest, DescriptorsAreBoundToTheSlotOfTheirTypeId)
{
    const TClusterSlot& shapes = g_pCluster->GetSlot(TEST_SHAPE_TYPE);
    EXPECT_EQ(shapes.pDecl, &g_ShapeDecl);
    EXPECT_EQ(shapes.pManager, &g_ShapeManager);
    EXPECT_EQ(shapes.nKind, CLUSTER_ARRAY_POINTERS);
    EXPECT_EQ(g_ShapeDecl.GetMemberCount(), 6u);
    EXPECT_STREQ(g_ShapeDecl.GetMember(4).szName, "TTestShape::TTestLink");
    EXPECT_EQ(g_ShapeDecl.GetMember(3).nCount, 3u);
    EXPECT_EQ(g_pCluster->GetSlot(TEST_GROUP_TYPE).nKind, CLUSTER_ARRAY_MANAGED);
    EXPECT_EQ(g_pCluster->GetSlot(TEST_GROUP_TYPE).pManager, g_pGroupManager);
    // The later of two descriptors with one id wins; a type without an array has no manager.
    EXPECT_EQ(g_pCluster->GetSlot(TEST_TWIN_TYPE).pDecl, &g_TwinSecondDecl);
    EXPECT_EQ(g_pCluster->GetSlot(TEST_PART_TYPE).pManager, nullptr);
    EXPECT_STREQ(g_pCluster->GetSlot(TEST_PART_TYPE).pDecl->GetName(), "TTestPart");
}

using ClusterDescriptorDeathTest = ClusterTest;

TEST_F(ClusterDescriptorDeathTest, LinkingRefusesDescriptorsOrNamesThatDoNotFit)
{
    EXPECT_DEATH(
        {
            TClusterTypeDecl outside("TOutside", 60, 8, nullptr, 0, {TClusterField(1, 4, 60, 2, "aPair")});
            g_pCluster->LinkTypes();
        },
        "'TOutside': invalid descriptor");
    EXPECT_DEATH(
        {
            TClusterTypeDecl missing("TMissing", 61, 8, nullptr, 0, {TClusterField(4, 4, 62, 1, "__vfptr")});
            g_pCluster->LinkTypes();
        },
        "'TMissing': invalid descriptor");
    EXPECT_DEATH(
        {
            TClusterTypeDecl far("TFar", 1024, 8, nullptr, 0);
            g_pCluster->LinkTypes();
        },
        "'TFar': type id 1024 out of range");
    const std::string name(58, 'm');
    EXPECT_DEATH(TClusterField(1, 0, 0, 1, name.c_str(), "TOwner"), "member name too long");
}
