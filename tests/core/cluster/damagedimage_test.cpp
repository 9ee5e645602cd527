// Images from files are checked: a damaged one is refused with a log line, without a crash,
// and leaves the cluster as it was (or cleared when a reference proves bad during the fix-up).
#include "clusterfixture.h"

#include "core/system/log.h"

#include <cstring>

namespace
{
class TLogCapture : public TLogListener
{
public:
    TLogCapture() { g_pSystemLog->SetListener(this); }
    ~TLogCapture() override { g_pSystemLog->SetListener(nullptr); }
    void OnLogLine(u32, const char* text) override { lines.push_back(text); }
    bool Saw(const std::string& part) const
    {
        for (const std::string& line : lines)
            if (line.find(part) != std::string::npos)
                return true;
        return false;
    }
    std::vector<std::string> lines;
};
} // namespace

class ClusterDamagedImageTest : public ClusterTest
{
protected:
    void SetUp() override
    {
        ClusterTest::SetUp();
        BuildGraph();
        m_Image = SaveAll();
        // What is loaded before the damaged image arrives.
        ASSERT_EQ(Load(m_Image), 0);
        g_pCluster->AddListener(&m_Listener);
        g_pCluster->AddListener(&m_Watcher);
    }

    // Refused before anything changed, with a log line holding the text.
    void ExpectRefused(const std::vector<u8>& image, const char* text, u32 size = 0)
    {
        TLogCapture capture;
        m_Images.push_back(std::make_unique<std::vector<u8>>(image));
        const u32 bytes = size ? size : static_cast<u32>(image.size());
        EXPECT_EQ(g_pCluster->Load(m_Images.back()->data(), bytes, 0), 1);
        EXPECT_TRUE(capture.Saw(text)) << "no log line with '" << text << "'";
        EXPECT_TRUE(m_Journal.empty());
        ExpectGraph();
    }

    // Refused during the fix-up: the cluster is cleared.
    void ExpectCleared(const std::vector<u8>& image, const char* text)
    {
        TLogCapture capture;
        m_Journal.clear();
        EXPECT_EQ(Load(image), 2);
        EXPECT_TRUE(capture.Saw(text)) << "no log line with '" << text << "'";
        EXPECT_EQ(m_Journal, (std::vector<std::string>{"listener.unload", "listener.unload"}));
        // The refused image's objects never reach a listener.
        ASSERT_FALSE(m_Watcher.seen.empty());
        EXPECT_EQ(m_Watcher.seen.back(), 0);
        EXPECT_EQ(g_ShapeManager.aShape.GetCount(), 0);
        EXPECT_EQ(DynObjects<TTestGroup>(g_pGroupManager), nullptr);
    }

    u32 Array(u32 type)
    {
        u32 count = 0, offset = 0;
        EXPECT_TRUE(FindImageArray(m_Image, type, count, offset));
        return offset;
    }

    // The table entry of the type.
    u32 Entry(u32 type)
    {
        for (u32 j = 0; j < ImageWord(m_Image, 12); ++j)
            if (ImageWord(m_Image, 24 + 8 * j) == type)
                return 20 + 8 * j;
        ADD_FAILURE();
        return 0;
    }

    std::vector<u8> m_Image;
    TTestListener m_Listener{"listener", m_Journal};
    TArrayWatcher m_Watcher;
};

TEST_F(ClusterDamagedImageTest, DamagedImagesAreRefusedAndBadReferencesClearTheCluster)
{
    std::vector<u8> image = m_Image;
    image[3] = 'X';
    ExpectRefused(image, "not an ICMH 1.0 image");
    image = m_Image;
    const f32 version = 2.0f;
    std::memcpy(image.data() + 4, &version, 4);
    ExpectRefused(image, "not an ICMH 1.0 image");
    ExpectRefused(m_Image, "no header", 19);
    ExpectRefused(m_Image, "do not fit", static_cast<u32>(m_Image.size() - 1));
    // One array more than a cluster holds, with room for its table entry.
    image = m_Image;
    image.resize(image.size() + 8 * (CLUSTER_ARRAY_COUNT + 1 - ImageWord(image, 12)));
    SetImageWord(image, 12, CLUSTER_ARRAY_COUNT + 1);
    ExpectRefused(image, "257 arrays");
    const u32 blocks =
        static_cast<u32>(m_Image.size()) - 4 - 4 - 4 - static_cast<u32>(g_ShapeManager.block.size());
    const u32 end = static_cast<u32>(m_Image.size());
    const struct
    {
        u32 offset, word;
        const char* line;
    } refused[] = {
        {12, 0x20000000, "do not fit"},
        {Entry(TEST_GROUP_TYPE) + 4, 1024, "undeclared type 1024"},
        {Entry(TEST_GROUP_TYPE) + 4, TEST_PART_TYPE, "undeclared type 43"},
        {Entry(TEST_GROUP_TYPE) + 4, TEST_SHAPE_TYPE, "type 40 stored twice"},
        {Entry(TEST_TEXTURE_TYPE), 0x40000000, "objects of 'TTestTexture' do not fit"},
        {Entry(TEST_GROUP_TYPE), 4, ""},
        {blocks, 999, "manager id 999 not registered"},
        {blocks + 4, 0xFFFFFFF0, "block 0 of manager 100 truncated"},
        {16, 2, "manager id 0 not registered"},
        {end - 4, CLUSTER_USER_ID_COUNT + 1, "user-id table does not match its size"},
    };
    for (const auto& c : refused)
    {
        SCOPED_TRACE(c.line);
        image = m_Image;
        SetImageWord(image, c.offset, c.word);
        ExpectRefused(image, c.line);
    }
    // A full table is the last accepted.
    std::vector<std::pair<u32, u32>> full;
    for (u32 id = 1; id <= CLUSTER_USER_ID_COUNT; ++id)
        full.push_back({id, TClusterHandle(id % 4, TEST_SHAPE_TYPE).GetWord()});
    image = m_Image;
    SetUserIds(image, full);
    ASSERT_EQ(Load(image), 0);
    EXPECT_EQ(g_pCluster->GetUserIds().GetCount(), CLUSTER_USER_ID_COUNT);
    ASSERT_EQ(Load(m_Image), 0);
    m_Journal.clear();
    image = m_Image;
    SetUserIds(image, {{5, TClusterHandle(0, TEST_SHAPE_TYPE).GetWord()},
                       {5, TClusterHandle(1, TEST_SHAPE_TYPE).GetWord()}});
    ExpectRefused(image, "user id 1 out of order");

    // References outside their arrays, or inside an object rather than at its start (a typed
    // reference, one into a pointer array and one of any type name a whole object), clear the
    // cluster; the byte past the start of the last whole object is outside.
    const u32 groups = Array(TEST_GROUP_TYPE), link = Array(TEST_LINK_TYPE) + offsetof(TTestLink, pTarget);
    const u32 parent = offsetof(TTestGroup, pParent);
    const struct
    {
        u32 offset, word;
        const char* line;
    } cleared[] = {
        {groups + 16 + parent, 3 * sizeof(TTestGroup),
         "TTestGroup[1].pParent(1:[0]): reference 0x00000030 lies outside its array"},
        {groups + parent, 2 * sizeof(TTestGroup) + 1,
         "TTestGroup[0].pParent(1:[0]): reference 0x00000021 lies outside its array"},
        {Array(TEST_SHAPE_TYPE) + offsetof(TTestShape, aGroup) + 4, 0x7FFFFFF0, "lies outside its array"},
        {groups + parent, sizeof(TTestGroup) + 4,
         "TTestGroup[0].pParent(1:[0]): reference 0x00000014 lies inside an object of its array"},
        {groups + 16 + parent, 1,
         "TTestGroup[1].pParent(1:[0]): reference 0x00000001 lies inside an object of its array"},
        {groups + offsetof(TTestGroup, pFirst), sizeof(TTestShape) + 2,
         "TTestGroup[0].pFirst(0:[0]): reference 0x00000032 lies inside an object of its array"},
        {link, u32{TEST_GROUP_TYPE} << 24 | (sizeof(TTestGroup) + 4) / 4,
         "TTestLink[0].pTarget(0:[0]): reference 0x29000005 lies inside an object of its array"},
        {link, u32{TEST_SHAPE_TYPE} << 24 | 1,
         "TTestLink[0].pTarget(0:[0]): reference 0x28000001 lies inside an object of its array"},
        // Any-type references: an unregistered type, and a word past the array's last object.
        {link, 50u << 24, "TTestLink[0].pTarget(0:[0]): reference 0x32000000 lies outside its array"},
        {link, (40u << 24) | (3 * 48 / 4 + 1), "lies outside its array"},
    };
    for (const auto& c : cleared)
    {
        SCOPED_TRACE(c.line);
        image = m_Image;
        SetImageWord(image, c.offset, c.word);
        ExpectCleared(image, c.line);
    }
}
