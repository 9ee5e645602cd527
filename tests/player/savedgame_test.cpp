// Saved games on disk: the file written and loaded back, the free-space floor, whole files
// only, the listing with its older names and checks, and the pending saved game.
#include "core/compression/compressedfile.h"
#include "playerfixture.h"

#include <csignal>
#include <random>
#include <sys/resource.h>
#include <tuple>

namespace
{
// 2009-06-15 12:30:01.234 and a little more: the local time of the saves.
u64 s_nNow = 0;
u64 TestClock()
{
    return s_nNow;
}

u64 FileTime(u16 year, u8 month, u8 day, u8 hour, u8 minute, u8 second, u16 milliseconds)
{
    TDateTime time = {year, month, 0, day, hour, minute, second, milliseconds};
    return time.ToFileTime();
}

i64 s_nFreeBytes = 0;
i64 TestFreeBytes(const char16_t*)
{
    return s_nFreeBytes;
}

class SavedGameTest : public PlayerTest
{
protected:
    void SetUp() override
    {
        PlayerTest::SetUp();
        s_nNow = FileTime(2009, 6, 15, 12, 30, 1, 234) + 5678;
        Manager().SetClock(TestClock);
        s_nFreeBytes = SAVED_GAME_FREE_BYTES;
        SetDiskFreeQuery(TestFreeBytes);
        m_State.m_aRecord.resize(3000);
        for (size_t i = 0; i < m_State.m_aRecord.size(); ++i)
            m_State.m_aRecord[i] = static_cast<u8>(i * 7 + i / 13);
        m_Summary.m_nMoney = 123456;
        m_Summary.m_aLevel[2][5] = 3;
        ASSERT_EQ(Start(), 0u);
        ASSERT_EQ(AddProfile(u"Anna"), 0u);
    }

    TPlayerProfile& Profile() const { return *Manager().GetProfile(0); }
    TGameSavedGame* Record(i32 index) const
    {
        return static_cast<TGameSavedGame*>(Profile().GetSavedGame(index));
    }

    static std::string Id(u64 fileTime) { return std::to_string(fileTime); }

    // The state image the running game writes now.
    static std::vector<u8> StateImage()
    {
        TMemoryStream stream;
        EXPECT_EQ(g_pStateManager->_Save(stream), STATE_DONE);
        return std::vector<u8>(stream.GetData(), stream.GetData() + stream.GetSize());
    }

    // A saved game of the profile, written by hand.
    std::string SavedGameFile(i64 owner, i32 money, u32 completion, const std::string& tail = "") const
    {
        return TBytes().Header().I64(owner).U32(static_cast<u32>(money)).U32(completion).U32(0).U32(0).Get() +
               tail;
    }
};
} // namespace

TEST_F(SavedGameTest, WritesTheFileByteForByteAndLoadsTheGameBack)
{
    const size_t linesBefore = Log().size();
    TPlayerSavedGame* record = Profile().SaveGame(0, SAVE_GAME_INSERT, -1);
    ASSERT_NE(record, nullptr);
    // The id: the local time in whole milliseconds, 18 digits.
    const u64 id = FileTime(2009, 6, 15, 12, 30, 1, 234);
    EXPECT_EQ((std::vector<i64>{record->GetId(), static_cast<i64>(Id(id).size()), Record(0)->GetMoney(),
                                Record(0)->GetCompletion()}),
              (std::vector<i64>{static_cast<i64>(id), 18, 123456, 1}));
    EXPECT_EQ(Entries("anna"), (std::vector<std::string>{Id(id) + ".save", "anna.profile"}));
    EXPECT_EQ(record->GetOwner(), &Profile());

    const std::string file = Read("anna/" + Id(id) + ".save");
    ASSERT_GT(file.size(), 34u);
    const std::vector<u8> image = StateImage();
    EXPECT_EQ(file.substr(0, 24), TBytes().Header().I64(Profile().GetUid()).U32(123456).U32(1).Get());
    u32 sizes[2];
    std::memcpy(sizes, file.data() + 24, 8);
    EXPECT_EQ(sizes[0], image.size());
    EXPECT_EQ(sizes[1], file.size() - 32);
    // One zlib stream at level 9 to the end of the file, inflating to the image.
    EXPECT_EQ(file.substr(32, 2), "\x78\xDA");
    std::vector<u8> inflated(image.size() + 16);
    u32 inflatedSize = static_cast<u32>(inflated.size());
    EXPECT_EQ(InflateBuffer(file.data() + 32, sizes[1], inflated.data(), &inflatedSize), 1);
    inflated.resize(inflatedSize);
    EXPECT_EQ(inflated, image);
    EXPECT_EQ(Log().substr(linesBefore).find("error"), std::string::npos) << Log().substr(linesBefore);

    // Loaded back.
    const std::vector<u8> saved = m_State.m_aRecord;
    std::fill(m_State.m_aRecord.begin(), m_State.m_aRecord.end(), 0);
    EXPECT_EQ(Profile().LoadGame(record, 5, 0), 0u);
    EXPECT_EQ(m_State.m_aRecord, saved);
    EXPECT_EQ(Manager().GetPendingSavedGame(), record);
    EXPECT_EQ(std::u16string(Profile().GetCurrentFile()), u"");

    // A record loads from its file, whatever the listing read: a fresh listing loads the same.
    Profile().RefreshSavedGames();
    EXPECT_EQ(Manager().GetPendingSavedGame(), nullptr);
    ASSERT_EQ(Profile().GetSavedGameCount(), 1);
    std::fill(m_State.m_aRecord.begin(), m_State.m_aRecord.end(), 1);
    EXPECT_EQ(Profile().LoadGame(Record(0), 0, 0), 0u);
    EXPECT_EQ(m_State.m_aRecord, saved);
}

// The profile's folder, or the whole player root, gone while the game runs: the save writes the
// profile (and the selection) back, so the next start finds it with its saved game.
TEST_F(SavedGameTest, ASaveWhoseProfileFolderWentMissingIsFoundAtTheNextStart)
{
    const i64 uid = Profile().GetUid();
    const std::string line =
        "TPlayerProfile::SaveGame(): warning: Player profile file " + m_Root + "/anna/anna.profile is missing";
    size_t saves = 0;
    for (const char* gone : {"/anna", ""})
    {
        std::filesystem::remove_all(m_Root + gone);
        ASSERT_NE(Profile().SaveGame(0, SAVE_GAME_INSERT, -1), nullptr) << gone;
        EXPECT_EQ(Count(line), ++saves) << Log();
        Manager().FinalizeManager();
        ASSERT_EQ(Start(), 0u);
        ASSERT_EQ(Manager().GetProfileCount(), 1) << gone;
        EXPECT_EQ(Manager().GetSelectedIndex(), 0) << gone;
        EXPECT_EQ(Profile().GetUid(), uid) << gone;
        EXPECT_EQ(std::u16string(Profile().GetName()), u"Anna") << gone;
        EXPECT_EQ(Profile().GetSavedGameCount(), 1) << gone;
        EXPECT_FALSE(Logged("Invalid selected profile uid")) << gone;
        s_nNow += 10000;
    }
}

// A save the game or the disk cannot complete: nothing reaches its name, the previous save
// stays and the failure is told.
TEST_F(SavedGameTest, OnlyWholeFilesReachTheirName)
{
    ASSERT_NE(Profile().SaveGame(0, SAVE_GAME_INSERT, -1), nullptr);
    const std::string first = Id(FileTime(2009, 6, 15, 12, 30, 1, 234)) + ".save";
    const std::string kept = Read("anna/" + first);
    const std::string profile = m_Root + "/anna/anna.profile";
    // (the failure, the file-size limit (0: none), the line told; none when the limit holds the
    // log's file too)
    const std::tuple<const char*, rlim_t, std::string> cases[] = {
        {"the state cannot be written", 0, "TPlayerProfile::SaveGame(): Failed."},
        {"the disk takes part of the writes", 8192, "TPlayerProfile::SaveGame(): Failed."},
        {"the file cannot be made", 0, "error: Unable to create saved game file '" + m_Root + "/anna/"},
        {"the profile written again loses its buffered bytes at its close", 20, ""},
        {"one byte less free than a save needs", 0, ""}};
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        const auto& [what, size, line] = cases[i];
        SCOPED_TRACE(what);
        s_nNow += 10000;
        const std::string name = "anna/" + Id(s_nNow - s_nNow % 10000) + ".save";
        m_State.m_bFailSave = i == 0;
        // Bytes that do not pack, more than the disk takes.
        m_State.m_aRecord.resize(i == 1 ? 200000 : m_State.m_aRecord.size());
        if (i == 1)
            std::generate(m_State.m_aRecord.begin(), m_State.m_aRecord.end(), std::mt19937());
        if (i == 2)
            std::filesystem::create_directories(m_Root + "/" + name + ".tmp/x");
        if (i == 3)
            std::filesystem::remove(profile);
        s_nFreeBytes = SAVED_GAME_FREE_BYTES - (i == 4 ? 1 : 0);
        const size_t told = line.empty() ? 0 : Count(line);
        rlimit limit;
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit small = {size ? size : limit.rlim_cur, limit.rlim_max};
        void (*previous)(int) = signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        TPlayerSavedGame* saved = Profile().SaveGame(0, SAVE_GAME_INSERT, -1);
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, previous);
        EXPECT_EQ(saved, nullptr);
        EXPECT_TRUE(line.empty() || Count(line) == told + 1) << Log();
        EXPECT_FALSE(Exists(name));
        EXPECT_EQ(Read("anna/" + first), kept);
        EXPECT_EQ(Profile().GetSavedGameCount(), 1);
    }
    EXPECT_FALSE(Exists("anna/anna.profile")) << "no cut profile in its place";
}

TEST_F(SavedGameTest, PlacesNewRecordsInTheList)
{
    const i64 firstId = Profile().SaveGame(0, SAVE_GAME_INSERT, -1)->GetId();
    // Within the same millisecond: the same name, one file, one record.
    s_nNow += 9000 - 5678;
    TPlayerSavedGame* again = Profile().SaveGame(0, SAVE_GAME_INSERT, -1);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->GetId(), firstId);
    ASSERT_EQ(Profile().GetSavedGameCount(), 1);
    EXPECT_EQ(Record(0), again);
    // Replacing the record saved in the same millisecond keeps the new file of its name.
    TPlayerSavedGame* replaced = Profile().SaveGame(0, SAVE_GAME_INSERT, 0);
    ASSERT_EQ(Profile().GetSavedGameCount(), 1);
    EXPECT_EQ(Record(0), replaced);
    EXPECT_TRUE(Exists("anna/" + Id(static_cast<u64>(firstId)) + ".save"));
    again = replaced;
    s_nNow += 10000;
    TPlayerSavedGame* second = Profile().SaveGame(0, SAVE_GAME_INSERT, -1);
    s_nNow += 10000;
    TPlayerSavedGame* third = Profile().SaveGame(0, SAVE_GAME_INSERT, -1);
    ASSERT_EQ(Profile().GetSavedGameCount(), 3);
    EXPECT_EQ(Record(0), third);
    EXPECT_EQ(Record(2), again);
    EXPECT_EQ(Profile().GetSavedGame(3), nullptr);
    EXPECT_EQ(Profile().GetSavedGame(-1), nullptr);

    // A replace index takes that record's place and deletes its file.
    const std::string secondFile = Id(static_cast<u64>(second->GetId())) + ".save";
    s_nNow += 10000;
    TPlayerSavedGame* replacing = Profile().SaveGame(0, SAVE_GAME_INSERT, 1);
    EXPECT_EQ(Record(1), replacing);
    EXPECT_FALSE(Exists("anna/" + secondFile));
    // Mode 1 takes the first record's place and leaves its file.
    const std::string thirdFile = Id(static_cast<u64>(third->GetId())) + ".save";
    s_nNow += 10000;
    TPlayerSavedGame* firstPlace = Profile().SaveGame(0, SAVE_GAME_FIRST, -1);
    EXPECT_EQ(Record(0), firstPlace);
    EXPECT_EQ(Profile().GetSavedGameCount(), 3);
    EXPECT_TRUE(Exists("anna/" + thirdFile));
    EXPECT_EQ(Entries("anna").size(), 5u);
}

TEST_F(SavedGameTest, DeleteGameAndThePendingRecord)
{
    TPlayerSavedGame* record = Profile().SaveGame(0, SAVE_GAME_INSERT, -1);
    ASSERT_EQ(Profile().LoadGame(record, 0, 0), 0u);
    EXPECT_EQ(Manager().GetPendingSavedGame(), record);
    EXPECT_EQ(Profile().DeleteGame(1), 3u);
    EXPECT_TRUE(Logged("TPlayerProfile::DeleteGame(): error: Saved game index 1 out of range."));
    // The record at the index goes, the others stay.
    s_nNow += 10000;
    TPlayerSavedGame* newer = Profile().SaveGame(0, SAVE_GAME_INSERT, -1);
    EXPECT_EQ(Profile().DeleteGame(1), 0u);
    ASSERT_EQ(Profile().GetSavedGameCount(), 1);
    EXPECT_EQ(Record(0), newer);
    EXPECT_EQ(Manager().GetPendingSavedGame(), nullptr);
    EXPECT_EQ(Profile().DeleteGame(0), 0u);
    EXPECT_EQ(Manager().GetPendingSavedGame(), nullptr);
    EXPECT_EQ(Entries("anna"), (std::vector<std::string>{"anna.profile"}));

    // A file that cannot be deleted: 1, the record stays.
    s_nNow += 10000;
    record = Profile().SaveGame(0, SAVE_GAME_INSERT, -1);
    const std::string name = Id(static_cast<u64>(record->GetId())) + ".save";
    std::filesystem::remove(m_Root + "/anna/" + name);
    std::filesystem::create_directories(m_Root + "/anna/" + name);
    EXPECT_EQ(Profile().DeleteGame(0), 1u);
    EXPECT_TRUE(Logged("error: Error deleting saved game '" + m_Root + "/anna/" + name + "'."));
    EXPECT_EQ(Profile().GetSavedGameCount(), 1);
    // A profile deleted with its records forgets the pending one.
    s_nNow += 10000;
    record = Profile().SaveGame(0, SAVE_GAME_INSERT, -1);
    ASSERT_EQ(Profile().LoadGame(record, 0, 0), 0u);
    EXPECT_EQ(Manager().GetPendingSavedGame(), record);
    std::filesystem::remove_all(m_Root + "/anna/" + name);
    ASSERT_EQ(Manager().DeleteProfile(0), 0u);
    EXPECT_EQ(Manager().GetPendingSavedGame(), nullptr);
}

TEST_F(SavedGameTest, DamagedFilesAreRefusedAndTheGameKept)
{
    TPlayerSavedGame* record = Profile().SaveGame(0, SAVE_GAME_INSERT, -1);
    const std::string name = "anna/" + Id(static_cast<u64>(record->GetId())) + ".save";
    const std::string good = Read(name);
    const std::vector<u8> running(m_State.m_aRecord.size(), 9);
    // Each refusal has an error line of its own.
    auto refused = [&](const std::string& bytes, const char* why) {
        Write(name, bytes);
        m_State.m_aRecord = running;
        const size_t before = Count("error: ");
        EXPECT_EQ(Profile().LoadGame(record, 0, 0), 1u) << why;
        EXPECT_EQ(m_State.m_aRecord, running) << why;
        EXPECT_GT(Count("error: "), before) << why << Log();
    };
    u32 size = 0;
    std::memcpy(&size, good.data() + 24, 4);
    auto patched = [&](u32 value) {
        std::string bytes = good;
        std::memcpy(bytes.data() + 24, &value, 4);
        return bytes;
    };
    // More than the stream can inflate to is refused before inflating; as much reaches its end first.
    const u32 most = static_cast<u32>(good.size() - 32) * 1032;
    std::string flipped = good, checksum = good;
    for (size_t i = 40; i < 60; ++i)
        flipped[i] = static_cast<char>(~flipped[i]);
    checksum.back() = static_cast<char>(checksum.back() ^ 1);
    // (the file, why it is refused: a line the log holds, or what is wrong)
    const std::tuple<std::string, std::string, bool> cases[] = {
        {patched(size - 1), "is damaged: it does not inflate to its " + std::to_string(size - 1) + " bytes.", true},
        {patched(size + 1), "ends before its size", false},
        {patched(SAVED_GAME_MAX_IMAGE + 1), "claims 268435457 bytes, more than a saved game holds.", true},
        {patched(0xFFFFFFFF), "claims everything", false},
        {patched(most + 1), "claims " + std::to_string(most + 1) + " bytes", true},
        {patched(most), "is damaged: it does not inflate to its " + std::to_string(most) + " bytes.", true},
        {good.substr(0, good.size() - 10), "cut short", false},
        {flipped, "damaged stream", false},
        {good.substr(0, 30), "no sizes", false}, {good.substr(0, 12), "no owner", false},
        {checksum, "the stream's checksum", false},
        {TBytes().Header(2).Get() + good.substr(8), "another patch level", false}};
    for (const auto& [bytes, why, logged] : cases)
    {
        refused(bytes, why.c_str());
        EXPECT_TRUE(!logged || Logged(why)) << Log();
    }
    EXPECT_TRUE(Logged("TPlayerProfile::LoadGame(): done with errors"));
    // The file whole again loads.
    Write(name, good);
    EXPECT_EQ(Profile().LoadGame(record, 0, 0), 0u);
    EXPECT_NE(m_State.m_aRecord, running);
}

TEST_F(SavedGameTest, ListingChecksNamesTimesAndOwners)
{
    const i64 uid = Profile().GetUid();
    const u64 newest = FileTime(2012, 1, 2, 3, 4, 5, 6);
    const u64 middle = FileTime(2010, 7, 8, 9, 10, 11, 12);
    const u64 oldest = FileTime(2001, 12, 31, 23, 59, 59, 999);
    Write("anna/" + Id(middle) + ".save",
          SavedGameFile(uid, 20, 2, "damaged stream: not read by the listing"));
    Write("anna/" + Id(oldest) + ".save", SavedGameFile(uid, 10, 1));
    Write("anna/" + Id(newest) + ".save", SavedGameFile(uid, 30, 3));
    // 17 digits: not listed; a time before 2000 or no number: skipped with a line.
    Write("anna/12889501230001000.save", SavedGameFile(uid, 1, 1));
    const u64 early = FileTime(1999, 12, 31, 0, 0, 0, 0);
    Write("anna/" + Id(early) + ".save", SavedGameFile(uid, 1, 1));
    Write("anna/abcdefghijklmnopqr.save", SavedGameFile(uid, 1, 1));
    // Another profile's saved game, and one of another patch level.
    ASSERT_EQ(AddProfile(u"Bert"), 0u);
    const i64 bert = Manager().GetProfile(1)->GetUid();
    const u64 foreign = FileTime(2011, 1, 1, 0, 0, 0, 0);
    Write("anna/" + Id(foreign) + ".save", SavedGameFile(bert, 1, 1));
    Write("anna/" + Id(FileTime(2011, 2, 1, 0, 0, 0, 0)) + ".save", TBytes().Header(2).I64(uid).U32(1).U32(1).Get());
    // A folder of a saved game's name, and a file that ends inside its summary.
    const u64 folder = FileTime(2011, 3, 1, 0, 0, 0, 0);
    std::filesystem::create_directories(m_Root + "/anna/" + Id(folder) + ".save");
    Write("anna/" + Id(FileTime(2011, 4, 1, 0, 0, 0, 0)) + ".save", SavedGameFile(uid, 1, 1).substr(0, 23));

    Profile().RefreshSavedGames();
    ASSERT_EQ(Profile().GetSavedGameCount(), 3);
    EXPECT_EQ((std::vector<i64>{Record(0)->GetId(), Record(1)->GetId(), Record(2)->GetId(), Record(1)->GetMoney(),
                                Record(1)->GetCompletion()}),
              (std::vector<i64>{static_cast<i64>(newest), static_cast<i64>(middle), static_cast<i64>(oldest), 20, 2}));
    EXPECT_TRUE(
        Logged("TPlayerProfile::RefreshSavedGames(): error: Can't get a valid timestamp from saved game '" +
               Id(early) + ".save'."))
        << Log();
    EXPECT_TRUE(Logged("Can't get a valid timestamp from saved game 'abcdefghijklmnopqr.save'."));
    EXPECT_TRUE(Logged("TPlayerProfile::RefreshSavedGames(): error: Invalid player profile uid (" +
                       std::to_string(bert) + ", expected " + std::to_string(uid) + ") while pre-loading."));
    EXPECT_TRUE(Logged("TPlayerProfile::LoadGame(): error: Unable to load saved game file '" + m_Root + "/anna/" +
                       Id(folder) + ".save'."));
    // Nothing was removed.
    EXPECT_EQ(Entries("anna").size(), 11u);

    // A saved game whose owner no profile has is listed under the first profile.
    Write("anna/" + Id(foreign) + ".save", SavedGameFile(4711, 1, 1));
    Profile().RefreshSavedGames();
    EXPECT_EQ(Profile().GetSavedGameCount(), 4);
    Write("bert/" + Id(foreign) + ".save", SavedGameFile(4711, 1, 1));
    Manager().GetProfile(1)->RefreshSavedGames();
    EXPECT_EQ(Manager().GetProfile(1)->GetSavedGameCount(), 0);
    // One stored without an owner (uid 0 stands for none) belongs to the profile whose folder holds it.
    Write("bert/" + Id(foreign) + ".save", SavedGameFile(0, 1, 1));
    Manager().GetProfile(1)->RefreshSavedGames();
    ASSERT_EQ(Manager().GetProfile(1)->GetSavedGameCount(), 1);
    EXPECT_EQ(Manager().GetProfile(1)->GetSavedGame(0)->GetOwner(), Manager().GetProfile(1));
    // Gone from its folder, it is gone from the next listing.
    std::filesystem::remove(m_Root + "/bert/" + Id(foreign) + ".save");
    Manager().GetProfile(1)->RefreshSavedGames();
    EXPECT_EQ(Manager().GetProfile(1)->GetSavedGameCount(), 0);
}

TEST_F(SavedGameTest, OlderNamesAreMigrated)
{
    const i64 uid = Profile().GetUid();
    // Year, month, day, one digit not used, hour, minute, second, milliseconds.
    Write("anna/200906151123001234.save", SavedGameFile(uid, 5, 0));
    Write("anna/200902301123001234.save", SavedGameFile(uid, 6, 0));
    Profile().RefreshSavedGames();
    const u64 id = FileTime(2009, 6, 15, 12, 30, 1, 234);
    ASSERT_EQ(Profile().GetSavedGameCount(), 1);
    EXPECT_EQ(Record(0)->GetId(), static_cast<i64>(id));
    EXPECT_EQ(Record(0)->GetMoney(), 5);
    // The file has its new name; a name holding no date stays as it is.
    EXPECT_EQ(Entries("anna"),
              (std::vector<std::string>{Id(id) + ".save", "200902301123001234.save", "anna.profile"}));
    // An existing file of the new name is replaced.
    Write("anna/200906151123001234.save", SavedGameFile(uid, 7, 0));
    Profile().RefreshSavedGames();
    ASSERT_EQ(Profile().GetSavedGameCount(), 1);
    EXPECT_EQ(Record(0)->GetMoney(), 7);
}

TEST_F(SavedGameTest, ALoadWaitingForItsLevelRunsAfterTheClusterLoadAndADamagedOneSwitchesNothing)
{
    // Saved while another level was loaded; that level's repository is a file here.
    g_pResourceManager->m_CurrentRepository = TName("data/other.data", true);
    m_Folder.WriteFile("data/other.data", "repository");
    TPlayerSavedGame* record = Profile().SaveGame(0, SAVE_GAME_INSERT, -1);
    ASSERT_NE(record, nullptr);
    g_pResourceManager->m_CurrentRepository = TName("data/airport.data", true);
    const std::vector<u8> saved = m_State.m_aRecord;
    std::fill(m_State.m_aRecord.begin(), m_State.m_aRecord.end(), 0);
    const std::string name = "anna/" + Id(static_cast<u64>(record->GetId())) + ".save";
    const std::string good = Read(name);
    std::string checksum = good;
    checksum.back() = static_cast<char>(checksum.back() ^ 1);
    Write(name, checksum);
    EXPECT_EQ(Profile().LoadGame(record, 0, 0), 1u);
    EXPECT_STREQ(g_pResourceManager->m_PendingRepository.GetText(), "");
    EXPECT_EQ(m_State.m_nLoads, 0);
    Write(name, good);

    // The load asks for the level and waits.
    EXPECT_EQ(Profile().LoadGame(record, 0, 0), 0u);
    EXPECT_EQ(m_State.m_nLoads, 0);
    EXPECT_STREQ(g_pResourceManager->m_PendingRepository.GetText(), "data/other.data");
    EXPECT_EQ(Manager().GetPendingSavedGame(), record);

    // A cluster load that is not this saved game's forgets another pending record.
    g_pResourceManager->m_CurrentRepository = TName("data/other.data", true);
    g_pResourceManager->m_PendingRepository = "";
    s_nNow += 10000;
    TPlayerSavedGame* other = Profile().SaveGame(0, SAVE_GAME_INSERT, -1);
    Manager().SetPendingSavedGame(other);
    Manager().OnClusterLoad();
    EXPECT_EQ(m_State.m_nLoads, 0);
    EXPECT_EQ(Manager().GetPendingSavedGame(), nullptr);

    // The level's cluster has loaded: the saved game loads.
    Manager().SetPendingSavedGame(record);
    Manager().OnClusterLoad();
    EXPECT_EQ(m_State.m_nLoads, 1);
    EXPECT_EQ(m_State.m_aRecord, saved);
    EXPECT_EQ(Manager().GetPendingSavedGame(), nullptr);
    // Without a selected profile nothing loads.
    Manager().SetPendingSavedGame(record);
    ASSERT_EQ(Manager().SelectProfile(-1), 0u);
    Manager().OnClusterLoad();
    EXPECT_EQ(m_State.m_nLoads, 1);
    EXPECT_EQ(Manager().GetPendingSavedGame(), nullptr);
}
