// Saving references whose arrays the save has to find: references of any type that hop from
// array to array, and a pointer array whose objects lie out of index order with gaps between.
#include "clusterfixture.h"

#include <new>

namespace
{
constexpr i32 SHAPES = 8;
// Leaves a gap of 16 bytes after each 48-byte shape.
constexpr u32 SHAPE_STRIDE = 64;
constexpr i32 GROUPS = 5;
constexpr i32 TEXTURES = 3;
constexpr i32 LINKS = 40;

// Where a reference points: an object of an array.
struct TTarget
{
    u32 nType;
    i32 nIndex;
};

// Link k points into a different array than link k - 1, and never in order.
TTarget LinkTarget(i32 k)
{
    switch (k % 4)
    {
    case 0:
        return {TEST_SHAPE_TYPE, (k * 3) % SHAPES};
    case 1:
        return {TEST_GROUP_TYPE, k % GROUPS};
    case 2:
        return {TEST_TEXTURE_TYPE, k % TEXTURES};
    default:
        return {TEST_LINK_TYPE, (k * 7) % LINKS};
    }
}
} // namespace

class ClusterSaveMapTest : public ClusterTest
{
protected:
    // Shapes in one arena, the last one first, each followed by a gap; groups point at them.
    void BuildScatteredGraph()
    {
        m_Arena.assign(SHAPES * SHAPE_STRIDE, 0);
        g_ShapeManager.aShape.SetCount(SHAPES);
        for (i32 i = 0; i < SHAPES; ++i)
            g_ShapeManager.aShape[i] = new (m_Arena.data() + (SHAPES - 1 - i) * SHAPE_STRIDE) TTestShape();
        TTestGroup* groups = MakeDynObjects<TTestGroup>(g_pGroupManager, GROUPS);
        for (i32 j = 0; j < GROUPS; ++j)
            groups[j] = {g_ShapeManager.aShape[SHAPES - 1 - j], nullptr, 200u + j, 0};
        TTestTexture* textures = MakeDynObjects<TTestTexture>(g_pTextureManager, TEXTURES);
        for (i32 t = 0; t < TEXTURES; ++t)
            new (&textures[t]) TTestTexture();
        TTestLink* links = MakeDynObjects<TTestLink>(g_pLinkManager, LINKS);
        for (i32 k = 0; k < LINKS; ++k)
            links[k] = {static_cast<u32>(k), Address(LinkTarget(k))};
    }

    // The address of a target in what the arrays hold now.
    static u8* Address(const TTarget& target)
    {
        u8* object = nullptr;
        if (target.nType == TEST_SHAPE_TYPE)
            object = reinterpret_cast<u8*>(g_ShapeManager.aShape[target.nIndex]);
        else if (target.nType == TEST_GROUP_TYPE)
            object = reinterpret_cast<u8*>(&DynObjects<TTestGroup>(g_pGroupManager)[target.nIndex]);
        else if (target.nType == TEST_TEXTURE_TYPE)
            object = reinterpret_cast<u8*>(&DynObjects<TTestTexture>(g_pTextureManager)[target.nIndex]);
        else
            object = reinterpret_cast<u8*>(&DynObjects<TTestLink>(g_pLinkManager)[target.nIndex]);
        return object;
    }

    // Keeps the shapes alive until the fixture has cleared the cluster.
    std::vector<u8> m_Arena;
};

using ClusterSaveMapDeathTest = ClusterSaveMapTest;

TEST_F(ClusterSaveMapDeathTest, ReferencesOfAnyTypeFindTheirArrayWhateverTheOrderAndNoneMayLieBesideScatteredObjects)
{
    BuildScatteredGraph();
    u8* third = reinterpret_cast<u8*>(g_ShapeManager.aShape[2]);
    // The gap after a shape belongs to no array.
    DynObjects<TTestLink>(g_pLinkManager)[5].pTarget = third + sizeof(TTestShape);
    EXPECT_DEATH(SaveAll(), "TTestLink\\[5\\]\\.pTarget\\(0:\\[0\\]\\) : member is invalid");
    // A reference names a whole object: one inside an object would be refused by the load.
    DynObjects<TTestLink>(g_pLinkManager)[5].pTarget = third + 4;
    EXPECT_DEATH(SaveAll(), "TTestLink\\[5\\]\\.pTarget\\(0:\\[0\\]\\) : member is invalid");
    DynObjects<TTestLink>(g_pLinkManager)[5].pTarget = &DynObjects<TTestGroup>(g_pGroupManager)[2].nId;
    EXPECT_DEATH(SaveAll(), "TTestLink\\[5\\]\\.pTarget\\(0:\\[0\\]\\) : member is invalid");
    DynObjects<TTestLink>(g_pLinkManager)[5].pTarget = third;
    DynObjects<TTestGroup>(g_pGroupManager)[1].pFirst =
        reinterpret_cast<TTestShape*>(third + sizeof(TTestShape));
    EXPECT_DEATH(SaveAll(), "TTestGroup\\[1\\]\\.pFirst\\(0:\\[0\\]\\) : member is invalid");
    DynObjects<TTestGroup>(g_pGroupManager)[1].pFirst = reinterpret_cast<TTestShape*>(third + 8);
    EXPECT_DEATH(SaveAll(), "TTestGroup\\[1\\]\\.pFirst\\(0:\\[0\\]\\) : member is invalid");
    BuildScatteredGraph();
    const std::vector<u8> image = SaveAll();

    u32 count = 0, links = 0, groups = 0;
    ASSERT_TRUE(FindImageArray(image, TEST_LINK_TYPE, count, links));
    ASSERT_EQ(count, static_cast<u32>(LINKS));
    for (i32 k = 0; k < LINKS; ++k)
    {
        const TTarget target = LinkTarget(k);
        const u32 offset = target.nIndex * g_pCluster->GetSlot(target.nType).pDecl->GetObjectSize();
        EXPECT_EQ(ImageWord(image, links + k * sizeof(TTestLink) + offsetof(TTestLink, pTarget)),
                  target.nType << 24 | offset / 4)
            << "link " << k;
    }
    // Typed references into the scattered shapes count by index, not by address.
    ASSERT_TRUE(FindImageArray(image, TEST_GROUP_TYPE, count, groups));
    for (i32 j = 0; j < GROUPS; ++j)
        EXPECT_EQ(ImageWord(image, groups + j * sizeof(TTestGroup) + offsetof(TTestGroup, pFirst)),
                  (SHAPES - 1 - j) * sizeof(TTestShape));

    g_pCluster->Clear();
    ASSERT_EQ(Load(image), 0);
    TTestLink* loaded = DynObjects<TTestLink>(g_pLinkManager);
    for (i32 k = 0; k < LINKS; ++k)
        EXPECT_EQ(loaded[k].pTarget, Address(LinkTarget(k))) << "link " << k;
    TTestGroup* loadedGroups = DynObjects<TTestGroup>(g_pGroupManager);
    for (i32 j = 0; j < GROUPS; ++j)
        EXPECT_EQ(loadedGroups[j].pFirst, g_ShapeManager.aShape[SHAPES - 1 - j]);
}
