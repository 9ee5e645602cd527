// The profile manager on disk: loading, the selection and the settings file, adding,
// deleting and renaming profiles, and the names that may reach the file system.
#include "playerfixture.h"
#include "player/playerpath.h"

namespace
{
class ProfileManagerTest : public PlayerTest
{
protected:
    std::u16string Name(i32 index) const { return Manager().GetProfile(index)->GetName(); }
    i64 SelectedUidOnDisk() const
    {
        const std::string settings = Read("game.settings");
        i64 uid = -1;
        if (settings.size() == 16)
            std::memcpy(&uid, settings.data() + 8, 8);
        return uid;
    }
};
} // namespace

TEST_F(ProfileManagerTest, LoadsProfileFoldersAndTheirSelection)
{
    Write("anna/anna.profile", ProfileFile(100, u"Anna", 4));
    Write("bert/bert.profile", ProfileFile(200, u"bert"));
    Write("empty/readme.txt", "no profile here");
    Write("stray.profile", ProfileFile(300, u"stray"));
    Write("game.settings", SettingsFile(200));
    ASSERT_EQ(Start(), 0u);
    ASSERT_EQ(Manager().GetProfileCount(), 2);
    EXPECT_EQ(Manager().FindProfileByName(u"ANNA") >= 0, true);
    EXPECT_EQ(Manager().GetSelectedProfile()->GetUid(), 200);
    EXPECT_EQ(Manager().FindProfileByName(u"nobody"), -1);
    EXPECT_EQ(Manager().FindProfileByUid(100), Manager().FindProfileByName(u"anna"));
    EXPECT_TRUE(Logged("TPlayerProfileManager::_LoadProfiles(): error: Couldn't read player profile file " +
                       m_Root + "/empty/empty.profile."))
        << Log();
    // The selection is written back.
    EXPECT_EQ(SelectedUidOnDisk(), 200);
    // An unknown selected uid selects the first profile.
    Manager().FinalizeManager();
    Write("game.settings", SettingsFile(999));
    ASSERT_EQ(Start(), 0u);
    EXPECT_EQ(Manager().GetSelectedIndex(), 0);
    EXPECT_TRUE(Logged("error: Invalid selected profile uid 999 in settings."));
    EXPECT_EQ(SelectedUidOnDisk(), Manager().GetProfile(0)->GetUid());
}

// Uid 0 stands for no selection in "game.settings": a profile stored with it takes a uid of its
// own, written back, so that its selection survives the next start.
TEST_F(ProfileManagerTest, AProfileStoredWithUidZeroTakesItsOwnAndStaysSelected)
{
    Write("zero/zero.profile", ProfileFile(0, u"zero", 3));
    Write("other/other.profile", ProfileFile(100, u"other"));
    Write("game.settings", SettingsFile(100));
    ASSERT_EQ(Start(), 0u);
    const i32 zero = Manager().FindProfileByName(u"zero");
    ASSERT_GE(zero, 0);
    const i64 uid = Manager().GetProfile(zero)->GetUid();
    EXPECT_NE(uid, 0);
    EXPECT_TRUE(Logged("TPlayerProfileManager::_LoadProfiles(): warning: Player profile file " + m_Root +
                       "/zero/zero.profile holds uid 0, which stands for no profile: given uid " +
                       std::to_string(uid) + "."))
        << Log();
    EXPECT_EQ(Read("zero/zero.profile"), ProfileFile(uid, u"zero", 3));
    ASSERT_EQ(Manager().SelectProfile(zero), 0u);
    EXPECT_EQ(SelectedUidOnDisk(), uid);
    Manager().FinalizeManager();
    ASSERT_EQ(Start(), 0u);
    ASSERT_NE(Manager().GetSelectedProfile(), nullptr);
    EXPECT_EQ(Name(Manager().GetSelectedIndex()), u"zero");
}

TEST_F(ProfileManagerTest, SelectCodes)
{
    ASSERT_EQ(Start(), 0u);
    ASSERT_EQ(AddProfile(u"anna"), 0u);
    ASSERT_EQ(AddProfile(u"bert"), 0u);
    // The same index: 0, nothing written.
    std::filesystem::remove(m_Root + "/game.settings");
    EXPECT_EQ(Manager().SelectProfile(1), 0u);
    EXPECT_FALSE(Exists("game.settings"));
    // One past the end: 1 with the range line.
    EXPECT_EQ(Manager().SelectProfile(2), 1u);
    EXPECT_TRUE(Logged("TPlayerProfileManager::SelectProfile(): error: Index 2 out of range [-1, 0-2]."));
    EXPECT_EQ(Manager().SelectProfile(0), 0u);
    EXPECT_EQ(SelectedUidOnDisk(), Manager().GetProfile(0)->GetUid());
    EXPECT_TRUE(Logged("TPlayerProfileManager::SelectProfile(): Deselected player profile 'bert'"));
    EXPECT_EQ(Manager().SelectProfile(-5), 0u);
    EXPECT_EQ(Manager().GetSelectedIndex(), -1);
    EXPECT_EQ(SelectedUidOnDisk(), 0);
    EXPECT_TRUE(Logged("TPlayerProfileManager::SelectProfile(): Selected player profile '<none>'"));

    // Settings that cannot be written keep the selection as it was.
    std::filesystem::remove(m_Root + "/game.settings");
    std::filesystem::create_directories(m_Root + "/game.settings.tmp");
    EXPECT_EQ(Manager().SelectProfile(1), 1u);
    EXPECT_EQ(Manager().GetSelectedIndex(), -1);
    EXPECT_TRUE(Logged("error: Can't save settings to " + m_Root + "/game.settings."));
}

TEST_F(ProfileManagerTest, AddSavesThenSelects)
{
    ASSERT_EQ(Start(), 0u);
    ASSERT_EQ(AddProfile(u"Zo\u00eb Smith"), 0u);
    TMorvanePlayerProfile* profile = static_cast<TMorvanePlayerProfile*>(Manager().GetProfile(0));
    // Folder and file in lower case, the name as given.
    EXPECT_EQ(Entries(""), (std::vector<std::string>{"game.settings", "zo\xc3\xab smith"}));
    EXPECT_EQ(Read("zo\xc3\xab smith/zo\xc3\xab smith.profile"),
              TBytes().Header().U8(0xFF).U8(1).I64(profile->GetUid()).Wide(u"Zo\u00eb Smith").U32(0).Get());
    EXPECT_EQ(SelectedUidOnDisk(), profile->GetUid());
    // The uid is the current UTC time as a FILETIME.
    EXPECT_NEAR(static_cast<double>(profile->GetUid()), static_cast<double>(GetSystemFileTime()), 600e7);

    // A profile that cannot be saved is not added.
    std::filesystem::create_directories(m_Root + "/bert/bert.profile.tmp");
    EXPECT_EQ(AddProfile(u"Bert"), 1u);
    EXPECT_EQ(Manager().GetProfileCount(), 1);
    EXPECT_TRUE(
        Logged("TPlayerProfileManager::_SaveProfile(): error: Couldn't save player profile Bert. Can't open "
               "profile file " +
               m_Root + "/bert/bert.profile"));
}

TEST_F(ProfileManagerTest, NamesThatCannotNameAFolderAreRefused)
{
    ASSERT_EQ(Start(), 0u);
    ASSERT_EQ(AddProfile(u"keep"), 0u);
    for (const char16_t* name : {u"", u".", u"..", u"a/b", u"a\\b", u"tab\there", u"x.", u"x ", u"\u0085"})
    {
        EXPECT_EQ(AddProfile(name), 1u);
        EXPECT_EQ(Manager().RenameProfile(0, name), 1u);
    }
    // Nor does a path take a name that leaves its folder, whatever checked it before.
    for (const char16_t* name : {u"", u".", u"..", u"a/b", u"a\\b"})
        EXPECT_FALSE(TPlayerPath().Add(name).IsValid());
    EXPECT_TRUE(TPlayerPath().Add(u"...").IsValid());
    // Profiles cut longer names to 31 characters; a rename is refused.
    EXPECT_EQ(Manager().RenameProfile(0, u"abcdefghijklmnopqrstuvwxyz012345"), 1u);
    EXPECT_TRUE(Logged("error: The name 'a/b' can't name a player profile.")) << Log();
    EXPECT_TRUE(Logged(
        "TPlayerProfileManager::RenameProfile(): error: Can't rename player profile 'keep' to '..'. No "
        "player profile may have that name."));
    // The longest name and inner dots and blanks are fine; a name taken in any case is not.
    EXPECT_EQ(AddProfile(u"abcdefghijklmnopqrstuvwxyz01234"), 0u);
    EXPECT_EQ(AddProfile(u"Mr. T  o"), 0u);
    EXPECT_EQ(AddProfile(u"KEEP"), 1u);
    EXPECT_TRUE(Logged("error: A player profile exists with same name 'KEEP'."));
    EXPECT_EQ(Entries(""), (std::vector<std::string>{"abcdefghijklmnopqrstuvwxyz01234", "game.settings",
                                                     "keep", "mr. t  o"}));
    // Nothing was made beside the root.
    EXPECT_EQ(Entries(".."), (std::vector<std::string>{"Save"}));
    EXPECT_EQ(Name(0), u"keep");
}

// Each skipped file, and damaged settings, get a line saying why.
TEST_F(ProfileManagerTest, StoredNamesThatCannotNameAFolderAndCutFilesAreSkipped)
{
    Write("evil/evil.profile", ProfileFile(7, u".."));
    Write("blank/blank.profile", ProfileFile(8, u""));
    const std::string longName = TBytes().Header().I64(9).U32(127).Text(std::string(127, 'L')).U32(0).Get();
    Write("long/long.profile", longName);
    Write("fine/fine.profile", ProfileFile(10, u"fine"));
    // The saved games live under the folder's name: a stored name other than it takes the folder's.
    Write("root/root.profile", ProfileFile(5, u"boot"));
    Write("nul/nul.profile", ProfileFile(12, std::u16string(u"nul\0b", 5)));
    const std::string whole = ProfileFile(11, u"cut");
    const std::vector<std::pair<size_t, std::string>> cuts = {
        {0, "ends inside its header."}, {7, "ends inside its header."},  {8, "ends before its uid."},
        {17, "ends before its uid."},   {18, "ends inside its name."},   {27, "ends inside its name."},
        {28, "ends inside the game's part."}, {whole.size() - 1, "ends inside the game's part."}};
    for (const auto& [size, why] : cuts)
        Write("cut" + std::to_string(size) + "/cut" + std::to_string(size) + ".profile", whole.substr(0, size));
    Write("game.settings", SettingsFile(10).substr(0, 15));
    ASSERT_EQ(Start(), 0u);
    for (const auto& [size, why] : cuts)
        EXPECT_TRUE(Logged("'" + m_Root + "/cut" + std::to_string(size) + "/cut" + std::to_string(size) +
                           ".profile' " + why))
            << size << Log();
    EXPECT_TRUE(Logged("error: '" + m_Root + "/game.settings' ends before the selected uid.")) << Log();
    ASSERT_EQ(Manager().GetProfileCount(), 2);
    EXPECT_EQ(Name(Manager().FindProfileByUid(10)), u"fine");
    EXPECT_EQ(Name(Manager().FindProfileByUid(5)), u"root");
    EXPECT_TRUE(Logged("TPlayerProfileManager::_LoadProfiles(): warning: Player profile file " + m_Root +
                       "/root/root.profile holds the name 'boot': the profile takes its folder's name."));
    EXPECT_TRUE(Logged("TPlayerProfileManager::_LoadProfiles(): error: Player profile file " + m_Root +
                       "/evil/evil.profile holds the name '..', which no profile may have."))
        << Log();
    EXPECT_TRUE(Logged("Invalid Name length."));
    EXPECT_TRUE(Logged("'" + m_Root + "/nul/nul.profile' holds a NUL inside its name.")) << Log();
    // Their files stay, also when a new profile takes the name of one.
    EXPECT_EQ(AddProfile(u"Long"), 1u);
    EXPECT_TRUE(Logged("TPlayerProfileManager::AddProfile(): error: The unreadable player profile file " +
                       m_Root + "/long/long.profile is kept: no profile named 'Long' is added."))
        << Log();
    EXPECT_EQ(Read("long/long.profile"), longName);
    EXPECT_TRUE(Exists("evil/evil.profile"));
    EXPECT_TRUE(Exists("blank/blank.profile"));
}

TEST_F(ProfileManagerTest, DeleteCodesAndTheSelection)
{
    ASSERT_EQ(Start(), 0u);
    ASSERT_EQ(AddProfile(u"anna"), 0u);
    ASSERT_EQ(AddProfile(u"bert"), 0u);
    ASSERT_EQ(AddProfile(u"cleo"), 0u);
    Write("bert/128895012300010000.save", "game");
    EXPECT_EQ(Manager().DeleteProfile(3), 3u);
    EXPECT_EQ(Manager().DeleteProfile(-1), 3u);
    EXPECT_TRUE(Logged("TPlayerProfileManager::_CheckIndex(): error: Player profile index 3 out of range."));

    // Deleting the selected profile selects the first that remains.
    ASSERT_EQ(Manager().SelectProfile(1), 0u);
    EXPECT_EQ(Manager().DeleteProfile(1), 0u);
    EXPECT_FALSE(Exists("bert"));
    EXPECT_EQ(Manager().GetSelectedIndex(), 0);
    EXPECT_EQ(Name(0), u"anna");
    EXPECT_EQ(SelectedUidOnDisk(), Manager().GetProfile(0)->GetUid());
    // Another profile: the selection stays.
    EXPECT_EQ(Manager().DeleteProfile(1), 0u);
    EXPECT_EQ(Manager().GetSelectedIndex(), 0);

    // A folder that cannot be deleted: 2, the profile stays, the selection is none.
    std::filesystem::rename(m_Root + "/anna", m_Root + "/elsewhere");
    std::filesystem::create_symlink(m_Root + "/elsewhere", m_Root + "/anna");
    EXPECT_EQ(Manager().DeleteProfile(0), 2u);
    EXPECT_TRUE(Logged("error: Can't delete player profile file " + m_Root + "/anna."));
    EXPECT_EQ(Manager().GetProfileCount(), 1);
    EXPECT_EQ(Manager().GetSelectedIndex(), -1);
    EXPECT_TRUE(Exists("elsewhere/anna.profile"));

    // A folder that is gone counts as deleted; the last profile leaves no selection.
    std::filesystem::remove(m_Root + "/anna");
    ASSERT_EQ(Manager().SelectProfile(0), 0u);
    EXPECT_EQ(Manager().DeleteProfile(0), 0u);
    EXPECT_EQ(Manager().GetProfileCount(), 0);
    EXPECT_EQ(SelectedUidOnDisk(), 0);
    // The root and everything beside the profiles stay.
    EXPECT_EQ(Entries(""), (std::vector<std::string>{"elsewhere", "game.settings"}));
}

TEST_F(ProfileManagerTest, RenameMovesTheFileThenTheFolder)
{
    ASSERT_EQ(Start(), 0u);
    ASSERT_EQ(AddProfile(u"anna"), 0u);
    ASSERT_EQ(AddProfile(u"bert"), 0u);
    Write("anna/128895012300010000.save", "game");
    // Its own name in another case: 0, nothing changes; another profile's in any case: 1.
    EXPECT_EQ(Manager().RenameProfile(0, u"ANNA"), 0u);
    EXPECT_EQ(Name(0), u"anna");
    EXPECT_EQ(Manager().RenameProfile(0, u"Bert"), 1u);
    EXPECT_TRUE(
        Logged("TPlayerProfileManager::RenameProfile(): error: Can't rename player profile 'anna' to 'Bert'. "
               "A player profile exists with same name."));
    EXPECT_EQ(Manager().RenameProfile(2, u"x"), 3u);

    EXPECT_EQ(Manager().RenameProfile(0, u"Annabel"), 0u);
    EXPECT_EQ(Name(0), u"Annabel");
    EXPECT_EQ(Entries("annabel"), (std::vector<std::string>{"128895012300010000.save", "annabel.profile"}));
    EXPECT_FALSE(Exists("anna"));
    EXPECT_EQ(Read("annabel/annabel.profile").substr(18, 4 + 14), TBytes().Wide(u"Annabel").Get());

    // The destination exists: 2.
    std::filesystem::create_directories(m_Root + "/cleo");
    EXPECT_EQ(Manager().RenameProfile(1, u"Cleo"), 2u);
    EXPECT_TRUE(Logged("Can't rename player profile 'bert' to 'Cleo'. Destination folder '" + m_Root +
                       "/cleo' exists."));
    EXPECT_EQ(Name(1), u"bert");

    // The profile file cannot be moved: 2, nothing moved.
    std::filesystem::create_directories(m_Root + "/bert/dora.profile/inside");
    EXPECT_EQ(Manager().RenameProfile(1, u"Dora"), 2u);
    EXPECT_TRUE(Logged("Can't rename to target profile file '" + m_Root + "/bert/dora.profile'."));
    EXPECT_TRUE(Exists("bert/bert.profile"));
    std::filesystem::remove_all(m_Root + "/bert/dora.profile");

    // The folder cannot be moved (here it is a link, which is never moved): the file is moved
    // back.
    std::filesystem::rename(m_Root + "/bert", m_Root + "/bert.real");
    std::filesystem::create_directory_symlink(m_Root + "/bert.real", m_Root + "/bert");
    EXPECT_EQ(Manager().RenameProfile(1, u"Dora"), 2u);
    EXPECT_TRUE(Logged("Can't rename player profile 'bert' to 'Dora'. Can't move profile folder from '" +
                       m_Root + "/bert' to '" + m_Root + "/dora'."));
    EXPECT_TRUE(Logged("TPlayerProfileManager::RenameProfile(): Restoring old profile."));
    EXPECT_EQ(Name(1), u"bert");
    EXPECT_EQ(Entries("bert.real"), (std::vector<std::string>{"bert.profile"}));
}

TEST_F(ProfileManagerTest, FoldersAreFoundWithoutRegardToCase)
{
    // A profile copied from a file system that ignores case.
    Write("Carl/Carl.profile", ProfileFile(300, u"Carl", 1));
    Write("Carl/128895012300010000.save", "x");
    ASSERT_EQ(Start(), 0u);
    ASSERT_EQ(Manager().GetProfileCount(), 1);
    TPlayerProfile* profile = Manager().GetProfile(0);
    EXPECT_EQ(std::u16string(profile->GetName()), u"Carl");
    // Saved into the folder and file it has.
    ASSERT_EQ(profile->Save(), 0u);
    EXPECT_EQ(Entries(""), (std::vector<std::string>{"Carl", "game.settings"}));
    EXPECT_EQ(Entries("Carl"), (std::vector<std::string>{"128895012300010000.save", "Carl.profile"}));
    // A new profile of another case of the name finds the folder too.
    EXPECT_EQ(AddProfile(u"CARL"), 1u);
    EXPECT_EQ(Manager().RenameProfile(0, u"Dirk"), 0u);
    EXPECT_EQ(Entries(""), (std::vector<std::string>{"dirk", "game.settings"}));
    EXPECT_EQ(Entries("dirk"), (std::vector<std::string>{"128895012300010000.save", "dirk.profile"}));
}
