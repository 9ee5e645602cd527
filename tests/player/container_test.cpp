// The player containers byte for byte: the header, profiles of both forms, the settings and the
// game's records (the leaderboard's form has no reader yet).
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
    EXPECT_EQ(Save(loaded), wide);

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
    // Completion: the sum of AI levels x 100 / 264, truncated (one level short of the whole: 99).
    for (const auto& [level, completion] : {std::pair{0u, 0u}, {1u, 0u}, {3u, 1u}, {3u * 88 - 1, 99u}, {264u, 100u}})
    {
        for (u32 i = 0; i < GAME_GATE_COUNT * GAME_SERVICE_KIND_COUNT; ++i)
            m_Summary.m_aLevel[i / GAME_SERVICE_KIND_COUNT][i % GAME_SERVICE_KIND_COUNT] =
                std::min(3u, level - std::min(level, 3 * i));
        EXPECT_EQ(TGameSavedGame::ComputeCompletion(m_Summary), completion) << level;
    }
}
