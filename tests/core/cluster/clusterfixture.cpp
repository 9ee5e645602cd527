#include "clusterfixture.h"

#include <cstring>
#include <new>

void ClusterTest::SetUp()
{
    g_pCluster->LinkTypes();
    g_pCluster->ClearListeners();
    g_pCluster->Clear();
    g_ShapeManager.nBlocks = 1;
    g_ShapeManager.block = "shape block";
}

void ClusterTest::TearDown()
{
    g_pCluster->ClearListeners();
    g_pCluster->Clear();
}

void ClusterTest::BuildGraph()
{
    TTestGroup* groups = MakeDynObjects<TTestGroup>(g_pGroupManager, 3);
    TTestLink* links = MakeDynObjects<TTestLink>(g_pLinkManager, 4);
    TTestTexture* textures = MakeDynObjects<TTestTexture>(g_pTextureManager, 3);
    m_Shapes.clear();
    g_ShapeManager.aShape.SetCount(4);
    for (i32 i = 0; i < 4; ++i)
    {
        m_Shapes.push_back(std::make_unique<TTestShape>());
        g_ShapeManager.aShape[i] = m_Shapes.back().get();
    }
    TTestShape** s = g_ShapeManager.aShape.GetData();
    for (i32 i = 0; i < 4; ++i)
    {
        s[i]->nId = 100 + i;
        s[i]->pNext = s[(i + 1) % 4];
        s[i]->part.nValue = 7;
    }
    s[0]->pGroup = &groups[1];
    s[0]->pAny = &textures[2];
    s[0]->aGroup[0] = &groups[0];
    s[0]->aGroup[1] = &groups[1];
    s[0]->aGroup[2] = &groups[2];
    s[0]->pLinks = &links[0];
    s[0]->nLinkCount = 2;
    s[1]->pAny = &groups[0];
    s[1]->pLinks = &links[2];
    s[1]->nLinkCount = 2;
    s[2]->pGroup = reinterpret_cast<TTestGroup*>(uintptr_t{CLUSTER_UNINITIALISED});
    s[2]->pAny = s[3];
    s[3]->pAny = &links[1];
    for (i32 j = 0; j < 3; ++j)
        groups[j] = {s[j], &groups[0], 200u + j, 0};
    links[0] = {300, s[1]};
    links[1] = {301, &textures[2]};
    links[2] = {302, &groups[2]};
    links[3] = {303, nullptr};
    for (i32 t = 0; t < 3; ++t)
        new (&textures[t]) TTestTexture();
    for (i32 t = 0; t < 3; ++t)
        textures[t].nId = 400 + t;
}

void ClusterTest::ExpectGraph()
{
    i32 groupCount = 0, linkCount = 0, textureCount = 0;
    TTestGroup* groups = DynObjects<TTestGroup>(g_pGroupManager, &groupCount);
    TTestLink* links = DynObjects<TTestLink>(g_pLinkManager, &linkCount);
    TTestTexture* textures = DynObjects<TTestTexture>(g_pTextureManager, &textureCount);
    ASSERT_EQ(std::vector<i32>({g_ShapeManager.aShape.GetCount(), groupCount, linkCount, textureCount}),
              std::vector<i32>({4, 3, 4, 3}));
    TTestShape** s = g_ShapeManager.aShape.GetData();
    for (i32 i = 0; i < 4; ++i)
    {
        EXPECT_EQ(s[i]->nId, 100u + i);
        EXPECT_EQ(s[i]->pNext, s[(i + 1) % 4]);
        // Virtual tables, the object's own and the embedded part's, come from the prototypes.
        EXPECT_EQ(s[i]->GetSides(), 3);
        EXPECT_EQ(s[i]->part.GetKind(), TEST_PART_TYPE);
        EXPECT_EQ(s[i]->part.nValue, 7u);
    }
    const std::vector<const void*> expected = {&groups[1], &textures[2], &groups[0], &groups[1], &groups[2], &links[0],
                                               nullptr,    &groups[0],   &links[2],  nullptr,    nullptr,    s[3],
                                               &links[1]};
    EXPECT_EQ(std::vector<const void*>({s[0]->pGroup, s[0]->pAny, s[0]->aGroup[0], s[0]->aGroup[1], s[0]->aGroup[2],
                                        s[0]->pLinks, s[1]->pGroup, s[1]->pAny, s[1]->pLinks, s[1]->aGroup[0],
                                        s[2]->pGroup, s[2]->pAny, s[3]->pAny}),
              expected);
    for (i32 j = 0; j < 3; ++j)
    {
        EXPECT_EQ(groups[j].pFirst, s[j]);
        EXPECT_EQ(groups[j].pParent, &groups[0]);
        EXPECT_EQ(groups[j].nId, 200u + j);
    }
    EXPECT_EQ(links[0].pTarget, s[1]);
    EXPECT_EQ(links[1].pTarget, &textures[2]);
    EXPECT_EQ(links[2].pTarget, &groups[2]);
    EXPECT_EQ(links[3].pTarget, nullptr);
    for (i32 t = 0; t < 3; ++t)
    {
        EXPECT_EQ(textures[t].nId, 400u + t);
        EXPECT_EQ(textures[t].GetWidth(), 64);
    }
}

std::vector<u8> ClusterTest::Save(std::initializer_list<TClusterManager*> managers)
{
    TTestStream stream;
    const std::vector<TClusterManager*> list(managers);
    EXPECT_EQ(g_pCluster->SaveToStream(stream, list.data(), static_cast<i32>(list.size())), 0);
    return stream.Bytes();
}

std::vector<u8> ClusterTest::SaveAll()
{
    return Save({&g_ShapeManager, g_pGroupManager, g_pLinkManager, g_pTextureManager});
}

i32 ClusterTest::Load(const std::vector<u8>& image, u32 flags)
{
    m_Images.push_back(std::make_unique<std::vector<u8>>(image));
    return g_pCluster->Load(m_Images.back()->data(), static_cast<u32>(image.size()), flags);
}

u32 ImageWord(const std::vector<u8>& image, u32 offset)
{
    u32 word;
    std::memcpy(&word, image.data() + offset, 4);
    return word;
}

void SetImageWord(std::vector<u8>& image, u32 offset, u32 word)
{
    std::memcpy(image.data() + offset, &word, 4);
}

bool FindImageArray(const std::vector<u8>& image, u32 type, u32& count, u32& offset)
{
    const u32 arrays = ImageWord(image, 12);
    offset = 20 + 8 * arrays;
    for (u32 j = 0; j < arrays; ++j)
    {
        count = ImageWord(image, 20 + 8 * j);
        const u32 stored = ImageWord(image, 24 + 8 * j);
        if (stored == type)
            return true;
        offset += count * g_pCluster->GetSlot(stored).pDecl->GetObjectSize();
    }
    return false;
}

void SetUserIds(std::vector<u8>& image, const std::vector<std::pair<u32, u32>>& pairs)
{
    const u32 old = ImageWord(image, image.size() - 4);
    EXPECT_EQ(old, 0u) << "images saved by the tests carry no user ids";
    image.resize(image.size() - 4);
    const u32 count = static_cast<u32>(pairs.size());
    image.insert(image.end(), reinterpret_cast<const u8*>(&count), reinterpret_cast<const u8*>(&count) + 4);
    for (const auto& [id, handle] : pairs)
    {
        image.insert(image.end(), reinterpret_cast<const u8*>(&id), reinterpret_cast<const u8*>(&id) + 4);
        image.insert(image.end(), reinterpret_cast<const u8*>(&handle),
                     reinterpret_cast<const u8*>(&handle) + 4);
    }
    SetImageWord(image, 8, ImageWord(image, 8) + 8 * count);
}
