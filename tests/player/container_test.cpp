// The player containers byte for byte: the header, profiles of both forms, the settings, the
// leaderboard (nothing reads it yet: its form and refusals only) and the game's records.
#include "player/leaderboard.h"
#include "playerfixture.h"

namespace
{
class ContainerTest : public PlayerTest
{
protected:
    void SetUp() override
    {
        PlayerTest::SetUp();
        ASSERT_EQ(Start(), 0u);
    }

    // Loads the bytes into the container through a memory stream.
    static u32 Load(TPlayerContainer& container, const std::string& bytes)
    {
        std::string copy = bytes;
        TMemoryStream stream;
        stream.Open(TName("memory", true), STREAM_READ);
        stream.Attach(copy.data(), static_cast<i32>(copy.size()));
        return TPlayerContainer::_Load(&container, stream);
    }

    static std::string Save(TPlayerContainer& container, u32 expected = 0)
    {
        TMemoryStream stream;
        EXPECT_EQ(TPlayerContainer::_Save(&container, stream), expected);
        return std::string(reinterpret_cast<const char*>(stream.GetData()), stream.GetSize());
    }
};

// A stream that takes only the first limit bytes written.
class TShortStream : public TMemoryStream
{
public:
    explicit TShortStream(i32 limit) : m_nLimit(limit) {}
    i32 Write(const void* data, i32 size) override
    {
        const i32 room = m_nLimit - GetPosition();
        return TMemoryStream::Write(data, size < room ? size : (room > 0 ? room : 0));
    }
    i32 m_nLimit;
};

class TTestEntry : public TLeaderboardEntry
{
public:
    u32 OnLoad(u32, TStream& stream) override { return ReadPlayerField(stream, m_nExtra) ? 0 : 1; }
    u32 OnSave(TStream& stream) override { return WritePlayerField(stream, m_nExtra) ? 0 : 1; }
    u16 m_nExtra = 0;
};

TLeaderboardEntry* CreateTestEntry()
{
    return MemoryNew<TTestEntry>();
}
} // namespace

TEST_F(ContainerTest, HeaderCodesAndPatchLevels)
{
    TPlayerSettings settings;
    // Under 4 bytes: 1 without reading; a short header: 1.
    EXPECT_EQ(Load(settings, "000"), 1u);
    EXPECT_EQ(Load(settings, "0001\x03"), 1u);
    EXPECT_FALSE(Logged("Invalid magic"));
    // Anything but "0001": 3, naming the magic read and the one expected.
    EXPECT_EQ(Load(settings, TBytes().Text("0002").U32(3).I64(5).Get()), 3u);
    EXPECT_TRUE(
        Logged("TPlayerContainer::_Load(): error: Invalid magic: container is in a format (842018864) that "
               "can not be upgraded to the current version (825241648, patch 3)."))
        << Log();
    // Another patch level is logged and read all the same.
    EXPECT_EQ(Load(settings, TBytes().Header(2).I64(77).Get()), 0u);
    EXPECT_EQ(settings.GetSelectedUid(), 77);
    EXPECT_TRUE(Logged("Container has old patch level 2, expected 3. Will attempt to upgrade."));
    // The header written: "0001" and the manager's patch level.
    settings.SetSelectedUid(0x0102030405060708);
    EXPECT_EQ(Save(settings), TBytes().Header(3).I64(0x0102030405060708).Get());
    EXPECT_EQ(Load(settings, TBytes().Header().Get()), 1u);
    TShortStream shortStream(6);
    EXPECT_EQ(TPlayerContainer::_Save(&settings, shortStream), 1u);
}

TEST_F(ContainerTest, ProfileBodiesOfBothForms)
{
    TMorvanePlayerProfile profile;
    profile.SetUid(0x1122334455667788);
    profile.SetName(u"Zo\u00eb");
    profile.SetGamesPlayed(9);
    const std::string wide = Save(profile);
    EXPECT_EQ(wide, TBytes().Header().U8(0xFF).U8(1).I64(0x1122334455667788).Wide(u"Zo\u00eb").U32(9).Get());

    TMorvanePlayerProfile loaded;
    ASSERT_EQ(Load(loaded, wide), 0u);
    EXPECT_EQ(loaded.GetUid(), 0x1122334455667788);
    EXPECT_EQ(std::u16string(loaded.GetName()), u"Zo\u00eb");
    EXPECT_EQ(loaded.GetGamesPlayed(), 9u);

    // The older form: no marker, 8-bit names widened one to one; 0xFF 0x00 starts it too.
    const std::string older = TBytes().Header().I64(42).U32(4).Text("J\xe9ri").U32(1).Get();
    TMorvanePlayerProfile old;
    ASSERT_EQ(Load(old, older), 0u);
    EXPECT_EQ(old.GetUid(), 42);
    EXPECT_EQ(std::u16string(old.GetName()), u"J\u00e9ri");
    // 0xFF 0x00 followed by the uid's other 6 bytes.
    const std::string marked =
        TBytes().Header().U8(0xFF).U8(0).Raw("\1\2\3\4\5\6", 6).U32(1).Text("x").U32(0).Get();
    TMorvanePlayerProfile zeroMarker;
    ASSERT_EQ(Load(zeroMarker, marked), 0u);
    EXPECT_EQ(zeroMarker.GetUid(), 0x06050403020100FF);
    EXPECT_EQ(std::u16string(zeroMarker.GetName()), u"x");

    // An empty name is n = 0 with no name bytes.
    TMorvanePlayerProfile empty;
    empty.SetUid(1);
    EXPECT_EQ(Save(empty), TBytes().Header().U8(0xFF).U8(1).I64(1).U32(0).U32(0).Get());
    // A file that ends after the engine's part lacks the counter.
    TMorvanePlayerProfile cut;
    EXPECT_NE(Load(cut, TBytes().Header().U8(0xFF).U8(1).I64(1).Wide(u"a").Get()), 0u);
}

TEST_F(ContainerTest, NameLengthLimits)
{
    const std::u16string longest(31, u'n');
    TMorvanePlayerProfile profile;
    EXPECT_EQ(Load(profile, ProfileFile(10, longest)), 0u);
    EXPECT_EQ(std::u16string(profile.GetName()), longest);
    EXPECT_EQ(Load(profile, ProfileFile(11, longest + u"n")), 1u);
    EXPECT_TRUE(Logged("TPlayerProfile::OnLoadInternal(): error: Invalid Name length.")) << Log();

    // The older form allows 127 characters, which no name holds: 31 is the most.
    const auto older = [](u32 length) {
        return TBytes().Header().I64(12).U32(length).Text(std::string(length, 'o')).U32(0).Get();
    };
    TMorvanePlayerProfile old;
    for (const u32 length : {31u, 32u, 127u, 128u})
        EXPECT_EQ(Load(old, older(length)), length == 31 ? 0u : 1u) << length;
    EXPECT_EQ(std::u16string(old.GetName()), std::u16string(31, u'o'));

    // Names given by the game are cut to what a name holds.
    TMorvanePlayerProfile named(std::u16string(40, u'u').c_str());
    EXPECT_EQ(std::u16string(named.GetName()), std::u16string(31, u'u'));
    // Short reads of every field.
    const std::string whole = ProfileFile(13, u"short", 5);
    for (size_t size = 9; size < whole.size(); ++size)
        EXPECT_EQ(Load(old, whole.substr(0, size)), 1u) << size;
}

TEST_F(ContainerTest, ProfileUidsAreUnique)
{
    ASSERT_EQ(AddProfile(u"first"), 0u);
    TPlayerProfile* first = Manager().GetProfile(0);
    const i64 uid = first->GetUid();
    TMorvanePlayerProfile other;
    EXPECT_EQ(Load(other, ProfileFile(uid, u"second")), 1u);
    EXPECT_TRUE(Logged("TPlayerProfile::OnLoadInternal(): error: Profile 'memory' has same uid (" +
                       std::to_string(uid) + ") as profile 'first'."))
        << Log();
    // The profile that has the uid may load it again.
    EXPECT_EQ(Load(*first, ProfileFile(uid, u"first", 3)), 0u);
    EXPECT_EQ(static_cast<TMorvanePlayerProfile*>(first)->GetGamesPlayed(), 3u);
}

TEST_F(ContainerTest, GameSavedGameSummary)
{
    // Completion: the sum of AI levels x 100 / 264, truncated.
    EXPECT_EQ(TGameSavedGame::ComputeCompletion(m_Summary), 0u);
    m_Summary.m_aLevel[0][0] = 1;
    EXPECT_EQ(TGameSavedGame::ComputeCompletion(m_Summary), 0u);
    m_Summary.m_aLevel[7][10] = 2;
    EXPECT_EQ(TGameSavedGame::ComputeCompletion(m_Summary), 1u);
    for (auto& gate : m_Summary.m_aLevel)
        for (u32& level : gate)
            level = 3;
    EXPECT_EQ(TGameSavedGame::ComputeCompletion(m_Summary), 100u);
    m_Summary.m_aLevel[3][4] = 2;
    EXPECT_EQ(TGameSavedGame::ComputeCompletion(m_Summary), 99u);

    // Preloading reads money and completion at patch level 3 only.
    TGameSavedGame record;
    TMemoryStream stream;
    const std::string summary = TBytes().U32(static_cast<u32>(-1250)).U32(37).Get();
    stream.Write(summary.data(), static_cast<i32>(summary.size()));
    stream.Seek(0, STREAM_SEEK_SET);
    EXPECT_EQ(record.OnPreload(2, stream), 1u);
    EXPECT_EQ(record.OnPreload(3, stream), 0u);
    EXPECT_EQ(record.GetMoney(), -1250);
    EXPECT_EQ(record.GetCompletion(), 37u);
    EXPECT_NE(record.OnLoad(3, stream), 0u);
}

TEST_F(ContainerTest, LeaderboardLists)
{
    TLeaderboard board;
    board.Configure(2, 2, CreateTestEntry);
    auto entry = [](const std::u16string& name, i64 value, u16 extra) {
        return TBytes().Wide(name).I64(value).Raw(&extra, 2).Get();
    };
    // Three lists stored, two configured: the third is ignored.
    const std::string file = TBytes().Header().U8(0xFF).U8(1).U32(3).U32(2).Get() + entry(u"ann", 500, 1) +
                             entry(u"bo", 300, 2) + TBytes().U32(0).U32(1).Get() + entry(u"cy", 1, 3);
    ASSERT_EQ(Load(board, file), 0u);
    ASSERT_EQ(board.GetListCount(), 2u);
    ASSERT_EQ(board.GetList(0).GetCount(), 2);
    EXPECT_EQ(std::u16string(board.GetList(0)[1]->m_Name.GetText()), u"bo");
    EXPECT_EQ(board.GetList(0)[0]->m_nValue, 500);
    EXPECT_EQ(static_cast<TTestEntry*>(board.GetList(0)[1])->m_nExtra, 2);
    EXPECT_EQ(board.GetList(1).GetCount(), 0);
    // Written back: the configured lists only.
    const std::string saved = Save(board);
    EXPECT_EQ(saved, file.substr(0, 10) + TBytes().U32(2).Get() + file.substr(14, 4 + 20 + 18 + 4));

    // Content the configuration refuses (three entries, a name too long): 1; the file ending
    // early: 2, or 1 inside an entry.
    const std::string one = TBytes().Header().U8(0xFF).U8(1).U32(1).Get();
    for (const auto& [bytes, code] : {std::pair{one + TBytes().U32(3).Get() + entry(u"a", 1, 1) + entry(u"b", 1, 1) +
                                                    entry(u"c", 1, 1), 1u},
                                      {one + TBytes().U32(1).Get() + entry(std::u16string(32, u'l'), 1, 1), 1u},
                                      {one.substr(0, 13), 2u}, {one + TBytes().U8(1).Get(), 2u},
                                      {one + TBytes().U32(1).Get() + entry(u"a", 1, 1).substr(0, 9), 1u}})
        EXPECT_EQ(Load(board, bytes), code) << bytes.size();
    // The program's leaderboard is emptied when the manager finalizes.
    g_Leaderboard.Configure(1, 4, CreateTestEntry);
    ASSERT_EQ(Load(g_Leaderboard, file), 0u);
    Manager().FinalizeManager();
    EXPECT_EQ(g_Leaderboard.GetListCount(), 0u);
}
