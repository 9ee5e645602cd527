#include "testtypes.h"


#pragma GCC diagnostic ignored "-Winvalid-offsetof"

namespace
{
const TTestPart s_PartPrototype;
const TTestShape s_ShapePrototype;
const TTestTexture s_TexturePrototype;

TClusterTypeDecl s_PartDecl("TTestPart", TEST_PART_TYPE, sizeof(TTestPart), &s_PartPrototype, 1);
TClusterTypeDecl s_GroupDecl("TTestGroup", TEST_GROUP_TYPE, sizeof(TTestGroup), nullptr, 0,
                             {
                                 TClusterField(1, offsetof(TTestGroup, pFirst), TEST_SHAPE_TYPE, 1, "pFirst"),
                                 TClusterField(1, offsetof(TTestGroup, pParent), TEST_GROUP_TYPE, 1,
                                               "pParent"),
                             });
TClusterTypeDecl s_LinkDecl("TTestLink", TEST_LINK_TYPE, sizeof(TTestLink), nullptr, 0,
                            {TClusterField(1, offsetof(TTestLink, pTarget), 0, 1, "pTarget")});
TClusterTypeDecl s_TextureDecl("TTestTexture", TEST_TEXTURE_TYPE, sizeof(TTestTexture), &s_TexturePrototype,
                               1);
} // namespace

TClusterTypeDecl g_ShapeDecl(
    "TTestShape", TEST_SHAPE_TYPE, sizeof(TTestShape), &s_ShapePrototype, 1,
    {
        TClusterField(1, offsetof(TTestShape, pNext), TEST_SHAPE_TYPE, 1, "pNext", "TTestShape"),
        TClusterField(1, offsetof(TTestShape, pGroup), TEST_GROUP_TYPE, 1, "pGroup", "TTestShape"),
        TClusterField(1, offsetof(TTestShape, pAny), 0, 1, "pAny", "TTestShape"),
        TClusterField(1, offsetof(TTestShape, aGroup), TEST_GROUP_TYPE, 3, "aGroup", "TTestShape"),
        TClusterField(3, offsetof(TTestShape, pLinks), TEST_LINK_TYPE, 1, "TTestLink", "TTestShape"),
        TClusterField(4, offsetof(TTestShape, part), TEST_PART_TYPE, 1, "TTestPart::__vfptr", "TTestShape"),
    });

TShapeManager g_ShapeManager;
TClusterDynManager* g_pGroupManager = g_pCluster->RegisterDynManager(&s_GroupDecl);
TClusterDynManager* g_pLinkManager = g_pCluster->RegisterDynManager(&s_LinkDecl);
TClusterDynManager* g_pTextureManager = g_pCluster->RegisterDynManager(&s_TextureDecl);

TShapeManager::TShapeManager()
{
    RegisterArray(&g_ShapeDecl, &aShape);
    RegisterId(TEST_SHAPE_MANAGER_ID);
}

i32 TShapeManager::SetArray(u32, void*, i32)
{
    return 0;
}

i32 TShapeManager::GetData(i32 index, void*& data, i32& size)
{
    data = block.data();
    size = static_cast<i32>(block.size());
    return 0;
}

i32 TShapeManager::SetData(i32 index, const void* data, i32 size)
{
    block.assign(static_cast<const char*>(data), size);
    return 0;
}
