#include "engine/localization/localization.h"

#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"
#include "languageimage.h"
#include "scratchfolder.h"

#include <cstring>
#include <filesystem>

namespace
{
std::u16string Text(const char* name, bool expand = false)
{
    char16_t buffer[256];
    return TLocalizationManager::Instance().GetText(buffer, 256, TName(name, true), expand);
}

class LocalizationTest : public ScratchFolderTest
{
protected:
    void SetUp() override
    {
        ScratchFolderTest::SetUp();
        // Languages stay for the life of the program: each test starts with none, unlocked.
        Localization().SetData(LOCALIZATION_BLOCK_NAMES, nullptr, 0);
        Localization().SetData(LOCALIZATION_BLOCK_TEXT, nullptr, 0);
        Localization().SetLocked(0);
        WriteFile(
            "data/english.language",
            LanguageImage(1001, "English", "eng",
                          {{"greeting", u"Hello $(player)"}, {"quit", u"Quit"}, {"only_english", u"Tea"}}));
        WriteFile(
            "data/deutsch.language",
            LanguageImage(1000, "Deutsch", "", {{"greeting", u"Hallo $(player)"}, {"quit", u"Beenden"}}));
    }

    static TLocalizationManager& Localization() { return TLocalizationManager::Instance(); }
    static u32 Select(const char* language) { return Localization().SetLanguage(TName(language, true)); }
    const char* Current() const { return Localization().GetCurrentLanguageName().GetText(); }
};
} // namespace

TEST_F(LocalizationTest, TextsFallBackToTheNamesOwnTextShowIdsOrExpandOnRequest)
{
    EXPECT_EQ(Text("quit"), u"quit"); // no language yet
    Select("english");
    EXPECT_EQ(Text("quit"), u"Quit");
    EXPECT_EQ(Text("untranslated"), u"untranslated");
    Select("deutsch");
    EXPECT_EQ(Text("quit"), u"Beenden");
    EXPECT_EQ(Text("only_english"), u"only_english");

    char16_t buffer[4];
    TName unregistered;
    unregistered.SetId(0x12345678);
    EXPECT_EQ(std::u16string(Localization().GetText(buffer, 4, unregistered, false)), u"");
    // Cut at the caller's capacity.
    EXPECT_EQ(std::u16string(Localization().GetText(buffer, 4, TName("quit"), false)), u"Bee");
    // The show-id mode answers the identifiers; references expand on request.
    Select("english");
    TVariable* showId = TCommandManager::Instance().FindVariable(MakeCommandName("localization_showid", false));
    ASSERT_NE(showId, nullptr);
    showId->SetInt(1);
    EXPECT_EQ(Text("quit"), u"quit");
    showId->SetInt(0);
    EXPECT_EQ(Text("quit"), u"Quit");
    TCommandManager::Instance().SetEnvironment(TName("player", true), TName("Ada", true));
    EXPECT_EQ(Text("greeting", true), u"Hello Ada");
    EXPECT_EQ(Text("greeting", false), u"Hello $(player)");
    EXPECT_EQ(std::u16string(Localization().GetTextTemp(TName("greeting"), true)), u"Hello Ada");
}

TEST_F(LocalizationTest, ADamagedFileLeavesTheLanguageAsItWas)
{
    Select("english");
    std::string image = LanguageImage(1001, "Broken", "brk", {{"quit", u"x"}});
    image[8 + 72] = 99; // more entries than the file holds
    WriteFile("data/broken.language", image);
    WriteFile("data/future.language", LanguageImage(1002, "Future", "fut", {}));
    WriteFile("data/garbage.language", "garbage");

    EXPECT_EQ(Select("broken"), 1u);
    EXPECT_EQ(Select("future"), 1u);
    EXPECT_EQ(Select("garbage"), 1u);
    EXPECT_STREQ(Current(), "English");
    EXPECT_EQ(Localization().GetLanguageCount(), 1);
    EXPECT_EQ(Localization().LoadLanguageFile("future"), LANGUAGE_BAD_VERSION);
    EXPECT_TRUE(Logged("TLanguageFile::Parse(): error: 'data/broken.language'"));

    // The largest file read (its texts all NULs), and one byte more.
    std::string huge = LanguageImage(1001, "Huge", "hug", {{"quit", u""}});
    const u32 block = LANGUAGE_FILE_MAX_SIZE - static_cast<u32>(huge.size()) + 2;
    std::memcpy(huge.data() + 8 + 76, &block, 4);
    WriteFile("data/huge.language", huge);
    std::filesystem::resize_file(m_Path + "/data/huge.language", LANGUAGE_FILE_MAX_SIZE + 1);
    EXPECT_EQ(Localization().LoadLanguageFile("huge"), LANGUAGE_DAMAGED);
    EXPECT_TRUE(Logged("'data/huge.language': unreadable or too large"));
    std::filesystem::resize_file(m_Path + "/data/huge.language", LANGUAGE_FILE_MAX_SIZE);
    EXPECT_EQ(Select("huge"), 0u);
    EXPECT_STREQ(Current(), "Huge");
}

TEST_F(LocalizationTest, NoMoreThanSixteenLanguages)
{
    for (int i = 0; i < 17; ++i)
        WriteFile("data/lang" + std::to_string(i) + ".language",
                  LanguageImage(1001, "Lang" + std::to_string(i), "l" + std::to_string(i), {}));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(Select(("lang" + std::to_string(i)).c_str()), 0u) << i;
    EXPECT_EQ(Select("lang16"), 1u);
    EXPECT_EQ(Localization().LoadLanguageFile("lang16"), LANGUAGE_BAD_MAGIC);
    EXPECT_STREQ(Current(), "Lang15");
}

TEST_F(LocalizationTest, Commands)
{
    WriteFile("data/englisch.language", LanguageImage(1001, "Englisch", "ens", {}));
    TCommandManager& commands = TCommandManager::Instance();
    commands.ExecuteText("language english;language englisch;language deutsch");
    EXPECT_STREQ(Current(), "Deutsch");

    m_Printed.lines.clear();
    commands.ExecuteText("language.list Engl");
    EXPECT_EQ(m_Printed.lines, (std::vector<std::string>{"   English (eng)", "   Englisch (ens)"}));
    m_Printed.lines.clear();
    commands.ExecuteText("language.list engl");
    EXPECT_TRUE(m_Printed.lines.empty());

    commands.ExecuteText("language klingon");
    ASSERT_EQ(m_Printed.lines.size(), 1u);
    EXPECT_NE(m_Printed.lines[0].find("'klingon': undeclared language"), std::string::npos);

    TCompletionList candidates, descriptions;
    commands.Complete("language ", candidates, descriptions);
    EXPECT_EQ(candidates.GetCount(), 6); // each language by its name and by its file

    // A second word locks the language: later commands are ignored.
    commands.ExecuteText("language english lock;language deutsch");
    EXPECT_STREQ(Current(), "English");
    m_Printed.lines.clear();
    commands.ExecuteText("language.list");
    EXPECT_TRUE(m_Printed.lines.empty());
}

TEST_F(LocalizationTest, ClusterDataBlocks)
{
    TLocalizationManager& manager = Localization();
    const u32 names[2] = {TName("French", true).GetId(), TName("Italian", true).GetId()};
    const u32 codes[2] = {TName("fra", true).GetId(), TName("ita", true).GetId()};
    const char16_t text[] = u"Quitter\0Esci\0Rien";
    // Unsorted entries, and one that points past the shared block.
    const TLanguageEntry french[3] = {{TName("quit", true).GetId(), 0},
                                      {TName("nothing", true).GetId(), 99},
                                      {TName("a", true).GetId(), 13}};
    const TLanguageEntry italian[1] = {{TName("quit").GetId(), 8}};
    manager.SetData(0, names, sizeof names);
    manager.SetData(1, codes, sizeof codes);
    manager.SetData(2, text, sizeof text);
    manager.SetData(3, french, sizeof french);
    manager.SetData(4, italian, sizeof italian);
    EXPECT_EQ(manager.GetCurrentLanguage(), 0);

    EXPECT_EQ(Text("quit"), u"Quitter");
    EXPECT_EQ(Text("a"), u"Rien");
    EXPECT_EQ(Text("nothing"), u"nothing");
    EXPECT_EQ(Select("ITA"), 0u);
    EXPECT_EQ(Text("quit"), u"Esci");

    // The shared text goes with the unloaded image.
    manager.OnClusterUnload();
    EXPECT_EQ(Text("quit"), u"quit");

    // More than sixteen names are cut; an empty block 0 leaves no language.
    u32 many[20] = {};
    manager.SetData(0, many, sizeof many);
    EXPECT_EQ(manager.GetLanguageCount(), 16);
    manager.SetData(0, nullptr, 0);
    EXPECT_EQ(manager.GetLanguageCount(), 0);
    EXPECT_EQ(manager.GetCurrentLanguage(), -1);
}

TEST_F(LocalizationTest, TheProjectsLanguageFilesLoad)
{
    for (const char* language : {"english", "deutsch"})
    {
        std::ifstream file(std::string(VESTAMOR_BUILD_DATA) + "/" + language + ".language", std::ios::binary);
        ASSERT_TRUE(file) << language;
        std::stringstream bytes;
        bytes << file.rdbuf();
        WriteFile(std::string("data/") + language + ".language", bytes.str());
    }
    EXPECT_EQ(Select("english"), 0u);
    EXPECT_EQ(Text("menu_quit"), u"Quit");
    EXPECT_EQ(Select("deutsch"), 0u);
    EXPECT_EQ(Text("menu_quit"), u"Beenden");
    EXPECT_EQ(Text("menu_back"), u"Zur\u00fcck");
}
