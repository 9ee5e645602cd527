// Saving and loading object graphs: the reference encodings, the load flags, listeners, reset
// pointers, handles and user ids.
#include "clusterfixture.h"

#include "core/cluster/clusterhandlelink.h"
#include "core/cluster/useridlink.h"
#include "core/system/name.h"

TEST_F(ClusterTest, GraphOfEveryLinkKindIsStoredInItsEncodingsAndLoadsAtNewAddresses)
{
    BuildGraph();
    const std::vector<u8> image = SaveAll();
    // Saving converts a copy: the live objects keep their pointers.
    EXPECT_EQ(g_ShapeManager.aShape[0]->pNext, g_ShapeManager.aShape[1]);
    std::vector<void*> before(g_ShapeManager.aShape.GetData(), g_ShapeManager.aShape.GetData() + 4);

    g_pCluster->Clear();
    EXPECT_EQ(g_ShapeManager.aShape.GetCount(), 0);
    ASSERT_EQ(Load(image), 0);
    ExpectGraph();
    // Shapes are used where they lie in the image.
    const u8* loaded = m_Images.back()->data();
    for (i32 i = 0; i < 4; ++i)
    {
        EXPECT_NE(g_ShapeManager.aShape[i], before[i]);
        const u8* shape = reinterpret_cast<const u8*>(g_ShapeManager.aShape[i]);
        EXPECT_TRUE(shape >= loaded && shape < loaded + image.size());
    }

    // The references' stored encodings.
    EXPECT_EQ(ImageWord(image, 0), 0x484D4349u);
    EXPECT_EQ(ImageWord(image, 12), 4u);
    EXPECT_EQ(image.size(), 20 + 8 * 4 + ImageWord(image, 8));

    u32 count = 0, shapes = 0;
    ASSERT_TRUE(FindImageArray(image, TEST_SHAPE_TYPE, count, shapes));
    ASSERT_EQ(count, 4u);
    const u32 size = sizeof(TTestShape);
    // Shape 0 -> shape 1: the byte offset from the first shape.
    EXPECT_EQ(ImageWord(image, shapes + offsetof(TTestShape, pNext)), size);
    // Shape 3 -> shape 0 closes the cycle.
    EXPECT_EQ(ImageWord(image, shapes + 3 * size + offsetof(TTestShape, pNext)), 0u);
    EXPECT_EQ(ImageWord(image, shapes + offsetof(TTestShape, pGroup)), sizeof(TTestGroup));
    // A type-0 reference to the third texture (type 36, 1,660 bytes).
    EXPECT_EQ(ImageWord(image, shapes + offsetof(TTestShape, pAny)), (36u << 24) | (2 * 1660 / 4));
    // Null and the uninitialised fill both save as null.
    EXPECT_EQ(ImageWord(image, shapes + size + offsetof(TTestShape, pGroup)), CLUSTER_NULL);
    EXPECT_EQ(ImageWord(image, shapes + 2 * size + offsetof(TTestShape, pGroup)), CLUSTER_NULL);
    // A type-0 reference into the scattered shape array: shape 3 is at 3 x 48 bytes.
    EXPECT_EQ(ImageWord(image, shapes + 2 * size + offsetof(TTestShape, pAny)), (40u << 24) | (3 * 48 / 4));
    EXPECT_EQ(ImageWord(image, shapes + offsetof(TTestShape, aGroup) + 8), 2 * sizeof(TTestGroup));
    EXPECT_EQ(ImageWord(image, shapes + size + offsetof(TTestShape, pLinks)), 2 * sizeof(TTestLink));
    // The embedded part's virtual table.
    EXPECT_EQ(ImageWord(image, shapes + offsetof(TTestShape, part)), CLUSTER_VIRTUAL_TABLE);
}

TEST_F(ClusterTest, DataBlocksAreSavedOnlyForManagersThatHaveThemAndEmptyArraysLoadAsNull)
{
    BuildGraph();
    g_ShapeManager.block = "twelve bytes";
    std::vector<u8> image = Save({&g_ShapeManager});
    EXPECT_EQ(ImageWord(image, 16), 1u);
    g_ShapeManager.block.clear();
    ASSERT_EQ(Load(image), 0);
    EXPECT_EQ(g_ShapeManager.block, "twelve bytes");

    g_ShapeManager.nBlocks = 0;
    const std::vector<u8> without = Save({&g_ShapeManager});
    EXPECT_EQ(ImageWord(without, 16), 0u);
    EXPECT_EQ(without.size(), image.size() - 4 - 4 - 12);
    // The groups were not saved: references into their empty array load as null.
    g_pCluster->Clear();
    ASSERT_EQ(Load(without), 0);
    TTestShape* shape = g_ShapeManager.aShape[0];
    EXPECT_EQ(shape->pNext, g_ShapeManager.aShape[1]);
    EXPECT_EQ(shape->pGroup, nullptr);
    EXPECT_EQ(shape->aGroup[2], nullptr);
    EXPECT_EQ(shape->pAny, nullptr);
}

TEST_F(ClusterTest, LoadClearsFirstUnlessToldNotTo)
{
    TTestListener first("first", m_Journal), second("second", m_Journal);
    g_pCluster->AddListener(&first);
    g_pCluster->AddListener(&second);
    BuildGraph();
    const std::vector<u8> shapesOnly = Save({&g_ShapeManager});
    const std::vector<u8> groupsOnly = Save({g_pGroupManager});
    g_pCluster->Clear();
    m_Journal.clear();

    ASSERT_EQ(Load(shapesOnly, CLUSTER_LOAD_NO_CLEAR), 0);
    EXPECT_EQ(m_Journal, (std::vector<std::string>{"first.load", "second.load"}));
    void* cached = g_ShapeManager.aShape[0];
    g_pCluster->AddResetPointer(&cached);

    // Flag 4: the shapes stay, nobody hears of an unload, the cached pointer survives.
    m_Journal.clear();
    ASSERT_EQ(Load(groupsOnly, CLUSTER_LOAD_NO_CLEAR), 0);
    EXPECT_EQ(m_Journal, (std::vector<std::string>{"first.load", "second.load"}));
    EXPECT_EQ(g_ShapeManager.aShape.GetCount(), 4);
    EXPECT_EQ(cached, g_ShapeManager.aShape[0]);
    EXPECT_EQ(DynObjects<TTestGroup>(g_pGroupManager)[1].pFirst, g_ShapeManager.aShape[1]);

    // Without it: every listener hears of the unload, in order, the pointer is nulled and the
    // shapes are gone before the groups arrive.
    m_Journal.clear();
    ASSERT_EQ(Load(groupsOnly), 0);
    EXPECT_EQ(m_Journal,
              (std::vector<std::string>{"first.unload", "second.unload", "first.load", "second.load"}));
    EXPECT_EQ(cached, nullptr);
    EXPECT_EQ(g_ShapeManager.aShape.GetCount(), 0);
    EXPECT_EQ(DynObjects<TTestGroup>(g_pGroupManager)[1].pFirst, nullptr);

    // Flag 2: no load notification.
    m_Journal.clear();
    ASSERT_EQ(Load(shapesOnly, CLUSTER_LOAD_QUIET | CLUSTER_LOAD_NO_CLEAR), 0);
    EXPECT_TRUE(m_Journal.empty());
    g_pCluster->NotifyListeners();
    EXPECT_EQ(m_Journal, (std::vector<std::string>{"first.load", "second.load"}));
}

// A listener's unload forgets what its load check made of the objects: it never reaches objects
// no listener was told of (a quiet load never announced), whose run-time words are the image's.
TEST_F(ClusterTest, ListenersUnloadOnlyObjectsAnnouncedToThem)
{
    TArrayWatcher watcher;
    g_pCluster->AddListener(&watcher);
    BuildGraph();
    const std::vector<u8> shapesOnly = Save({&g_ShapeManager});
    const std::vector<u8> groupsOnly = Save({g_pGroupManager});
    const u32 quiet = CLUSTER_LOAD_QUIET | CLUSTER_LOAD_NO_CLEAR;
    const struct
    {
        const char* what;
        u32 shapeFlags, groupFlags;
        bool notify;
        i32 seen;
    } cases[] = {
        {"announced", CLUSTER_LOAD_NO_CLEAR, CLUSTER_LOAD_NO_CLEAR, false, 7},
        {"never announced", quiet, quiet, false, 0},
        {"announced later", quiet, quiet, true, 7},
        // A repository's dependency loads quietly, then the repository itself is announced.
        {"announced with the next load", quiet, CLUSTER_LOAD_NO_CLEAR, false, 7},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        g_pCluster->Clear();
        watcher.seen.clear();
        ASSERT_EQ(Load(shapesOnly, c.shapeFlags), 0);
        ASSERT_EQ(Load(groupsOnly, c.groupFlags), 0);
        EXPECT_EQ(g_ShapeManager.aShape.GetCount(), 4);
        if (c.notify)
            g_pCluster->NotifyListeners();
        g_pCluster->Clear();
        EXPECT_EQ(watcher.seen, std::vector<i32>{c.seen});
        EXPECT_EQ(g_ShapeManager.aShape.GetCount(), 0);
        EXPECT_EQ(DynObjects<TTestGroup>(g_pGroupManager), nullptr);
    }
}

TEST_F(ClusterTest, CopyLoadFillsNoMoreObjectsThanTheArrayHolds)
{
    BuildGraph();
    const std::vector<u8> image = Save({g_pGroupManager});
    TTestGroup* groups = MakeDynObjects<TTestGroup>(g_pGroupManager, 2);
    ASSERT_EQ(Load(image, CLUSTER_LOAD_COPY | CLUSTER_LOAD_NO_CLEAR), 0);
    i32 count = 0;
    EXPECT_EQ(DynObjects<TTestGroup>(g_pGroupManager, &count), groups);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(groups[1].nId, 201u);
    EXPECT_EQ(groups[1].pParent, &groups[0]);
    EXPECT_EQ(groups[1].pFirst, g_ShapeManager.aShape[1]);
}

// A saved game's image inflates as it is read: it may not be read twice from its start.
TEST_F(ClusterTest, LoadFromStreamCopiesQuietlyWithoutClearingAndNeverGoesBack)
{
    TTestListener listener("listener", m_Journal);
    g_pCluster->AddListener(&listener);
    for (const bool forwardOnly : {false, true})
    {
        SCOPED_TRACE(forwardOnly);
        BuildGraph();
        TTestStream stream;
        stream.Write("head", 4);
        TClusterManager* managers[] = {&g_ShapeManager, g_pGroupManager, g_pLinkManager, g_pTextureManager};
        ASSERT_EQ(g_pCluster->SaveToStream(stream, managers, 4), 0);
        const i32 end = stream.GetPosition();
        stream.Write("tail", 4);
        for (i32 i = 0; i < 4; ++i)
            g_ShapeManager.aShape[i]->pNext = nullptr;
        DynObjects<TTestLink>(g_pLinkManager)[0].pTarget = nullptr;
        m_Journal.clear();
        stream.Seek(4, STREAM_SEEK_SET);
        stream.SetForwardOnly(forwardOnly);
        ASSERT_EQ(g_pCluster->LoadFromStream(stream), 0);
        EXPECT_EQ(stream.GetPosition(), end);
        EXPECT_TRUE(m_Journal.empty());
        ExpectGraph();
        g_pCluster->Clear();
    }
}

TEST_F(ClusterTest, StreamsThatHoldNoImageOrRefuseBytesAreRefused)
{
    TTestStream stream(std::vector<u8>(64, 0));
    EXPECT_EQ(g_pCluster->LoadFromStream(stream), 1);
    // An image header that promises more than the stream holds.
    std::vector<u8> bytes(24, 0);
    SetImageWord(bytes, 0, CLUSTER_MAGIC);
    const f32 version = 1.0f;
    std::memcpy(bytes.data() + 4, &version, 4);
    SetImageWord(bytes, 8, 0x7FFFFF00);
    TTestStream large(bytes);
    EXPECT_EQ(g_pCluster->LoadFromStream(large), 1);
    TTestStream empty;
    EXPECT_EQ(g_pCluster->LoadFromStream(empty), 1);
    // A save reports a stream that refuses bytes.
    BuildGraph();
    TTestStream full;
    full.SetLimit(100);
    TClusterManager* managers[] = {&g_ShapeManager};
    EXPECT_EQ(g_pCluster->SaveToStream(full, managers, 1), 1);
}

TEST_F(ClusterTest, HandleLinksResolveOnceAndAreForgottenAtAClear)
{
    BuildGraph();
    const std::vector<u8> image = SaveAll();
    ASSERT_EQ(Load(image), 0);
    TClusterHandleLink link(TClusterHandle(2, TEST_SHAPE_TYPE));
    EXPECT_EQ(link.Get(), g_ShapeManager.aShape[2]);
    // The cache answers from then on, and it is registered for reset once.
    link.Handle = TClusterHandle(1, TEST_SHAPE_TYPE);
    EXPECT_EQ(link.Get(), g_ShapeManager.aShape[2]);
    EXPECT_EQ(g_pCluster->AddResetPointer(&link.pObject), 1);
    g_pCluster->Clear();
    EXPECT_EQ(link.pObject, nullptr);

    ASSERT_EQ(Load(image), 0);
    EXPECT_EQ(link.Get(), g_ShapeManager.aShape[1]);
    // Neither the null handle nor one past the array links anything, nor is registered.
    TClusterHandleLink none;
    EXPECT_EQ(none.Get(), nullptr);
    TClusterHandleLink past(TClusterHandle(9, TEST_SHAPE_TYPE));
    EXPECT_EQ(past.Get(), nullptr);
    EXPECT_EQ(g_pCluster->AddResetPointer(&past.pObject), 0);
    // The last registered pointer is taken off too: a clear leaves it alone.
    g_pCluster->RemoveResetPointer(&past.pObject);
    i32 kept = 0;
    past.pObject = &kept;
    g_pCluster->Clear();
    EXPECT_EQ(past.pObject, &kept);
    EXPECT_EQ(link.pObject, nullptr);
}

class ClusterUserIdTest : public ClusterTest
{
protected:
    std::vector<u8> ImageNaming(u16 shape)
    {
        BuildGraph();
        std::vector<u8> image = Save({&g_ShapeManager});
        // Ids sorted as signed integers.
        std::vector<std::pair<u32, u32>> pairs = {
            {m_Name.GetId(), TClusterHandle(shape, TEST_SHAPE_TYPE).GetWord()}};
        if (static_cast<i32>(m_Other.GetId()) < static_cast<i32>(m_Name.GetId()))
            pairs.insert(pairs.begin(), {m_Other.GetId(), TClusterHandle(0, TEST_SHAPE_TYPE).GetWord()});
        else
            pairs.push_back({m_Other.GetId(), TClusterHandle(0, TEST_SHAPE_TYPE).GetWord()});
        SetUserIds(image, pairs);
        return image;
    }

    TName m_Name{"ShapeTwo", true};
    TName m_Other{"ShapeZero", true};
};

TEST_F(ClusterUserIdTest, LinkResolvesOnceAndAgainAfterAClearAndSavedImagesCarryTheTable)
{
    ASSERT_EQ(Load(ImageNaming(2)), 0);
    EXPECT_EQ(g_pCluster->GetUserIds().GetCount(), 2u);
    TUserIdLink link(m_Name.GetId());
    EXPECT_EQ(link.GetObject(), g_ShapeManager.aShape[2]);
    EXPECT_EQ(link.pObject, g_ShapeManager.aShape[2]);
    // The cache is registered for reset exactly once.
    EXPECT_EQ(g_pCluster->AddResetPointer(&link.pObject), 1);
    EXPECT_EQ(link.GetObject(), g_ShapeManager.aShape[2]);

    g_pCluster->Clear();
    EXPECT_EQ(link.pObject, nullptr);
    EXPECT_EQ(g_pCluster->GetUserIds().GetCount(), 0u);
    ASSERT_EQ(Load(ImageNaming(1)), 0);
    EXPECT_EQ(link.GetObject(), g_ShapeManager.aShape[1]);
    EXPECT_EQ(TClusterHandle::FromUserId(m_Other.GetId()).GetObject(), g_ShapeManager.aShape[0]);

    // An unknown id finds nothing; an object set by hand is forgotten at a clear.
    TUserIdLink unknown(12345);
    EXPECT_EQ(unknown.FindObject(), nullptr);
    int other = 0;
    unknown.SetObject(&other);
    EXPECT_EQ(unknown.FindObject(), &other);
    g_pCluster->Clear();
    EXPECT_EQ(unknown.pObject, nullptr);
    ASSERT_EQ(Load(ImageNaming(3)), 0);
    const std::vector<u8> image = Save({&g_ShapeManager});
    ASSERT_EQ(ImageWord(image, image.size() - 20), 2u);
    g_pCluster->Clear();
    ASSERT_EQ(Load(image), 0);
    EXPECT_EQ(TClusterHandle::FromUserId(m_Name.GetId()).GetIndex(), 3);
}

using ClusterUserIdDeathTest = ClusterUserIdTest;

TEST_F(ClusterUserIdDeathTest, StaleIdsDoNotResolveAfterAClear)
{
    ASSERT_EQ(Load(ImageNaming(2)), 0);
    g_pCluster->Clear();
    TUserIdLink link(m_Name.GetId());
    EXPECT_DEATH(link.GetObject(),
                 "unable to find cluster object with user id 0x[0-9a-f]{8} \\('ShapeTwo'\\)");
}

using ClusterDeathTest = ClusterTest;

TEST_F(ClusterDeathTest, LinkingRefusesDescriptorsOrNamesThatDoNotFit)
{
    // Each descriptor lives until its link has run.
    EXPECT_DEATH((TClusterTypeDecl("TOutside", 60, 8, nullptr, 0, {TClusterField(1, 4, 60, 2, "aPair")}),
                  g_pCluster->LinkTypes()),
                 "'TOutside': invalid descriptor");
    EXPECT_DEATH((TClusterTypeDecl("TMissing", 61, 8, nullptr, 0, {TClusterField(4, 4, 62, 1, "__vfptr")}),
                  g_pCluster->LinkTypes()),
                 "'TMissing': invalid descriptor");
    EXPECT_DEATH((TClusterTypeDecl("TFar", 1024, 8, nullptr, 0), g_pCluster->LinkTypes()),
                 "'TFar': type id 1024 out of range");
    EXPECT_DEATH(TClusterField(1, 0, 0, 1, std::string(58, 'm').c_str(), "TOwner"), "member name too long");
}

TEST_F(ClusterDeathTest, SavingAReferenceOutsideItsArrayIsFatal)
{
    BuildGraph();
    TTestGroup outside = {};
    g_ShapeManager.aShape[1]->aGroup[2] = &outside;
    EXPECT_DEATH(SaveAll(), "TTestShape\\[1\\]\\.TTestShape::aGroup\\(3:\\[2\\]\\) : member is invalid");
    g_ShapeManager.aShape[1]->aGroup[2] = nullptr;
    g_ShapeManager.aShape[3]->pAny = &outside;
    EXPECT_DEATH(SaveAll(), "TTestShape\\[3\\]\\.TTestShape::pAny\\(2:\\[0\\]\\) : member is invalid");
}
