// The players window's Profiles tab: browsing, creating, renaming, selecting and deleting the
// profiles of a player folder on disk.
#include "menufixture.h"

#include "core/system/platform.h"
#include "player/playercontainer.h"
#include "ui/uiedit.h"
#include "ui/uimenu.h"
#include "ui/uislider.h"

#include <tuple>

namespace
{
class ProfilesTabTest : public MenuTest
{
protected:
    // The menu up, the players window on its Profiles tab.
    void OpenProfiles()
    {
        Menu().OnPlayers(nullptr);
        MenuFrames(5);
        Menu().SelectTab(Menu().GetSubWindow()->FindItem(TName("TabButtonProfiles")));
        MenuFrames(10);
    }
    static TUISlider& Slider() { return *Menu().GetProfileSlider(); }
    // 0 Back, 1 Rename, 2 Select, 3 New, 4 Delete.
    static TUIItem* Footer(i32 index) { return Menu().GetProfilesFooter()->GetChildren()[static_cast<size_t>(index)]; }
    static std::u16string Caption() { return Slider().m_Caption.GetWideText(); }
    static std::string Count(const char* label)
    {
        return Menu().GetProfilesFooter()->GetParent()->FindItem(TName(label))->m_Caption.GetText();
    }
    static TName TopWindow() { return Menu().GetTopWindow() ? Menu().GetTopWindow()->GetName() : TName(); }
    // Adds a profile of the name (which it selects).
    static void AddProfile(const char16_t* name)
    {
        TPlayerProfile* profile = CreateGameProfile();
        profile->SetName(name);
        ASSERT_EQ(Profiles().AddProfile(profile), 0u);
    }
    // The rename edit accepts the text as Enter would.
    static void Type(const char16_t* text)
    {
        TUIEdit* edit = Menu().GetProfileNameEdit();
        ASSERT_TRUE(edit->IsEditing());
        edit->SetText(text);
        edit->EndEdit(false, true);
    }
};
} // namespace

TEST_F(ProfilesTabTest, TheSliderStepsThroughTheProfilesAndTheFooterFollowsTheShownOne)
{
    Start();
    ASSERT_EQ(Profiles().GetProfileCount(), 1);
    OpenProfiles();
    // One profile: nothing to delete, and it is the selected one.
    EXPECT_TRUE(Footer(4)->IsInactive());
    EXPECT_TRUE(Footer(2)->IsInactive());
    EXPECT_EQ(Caption(), std::u16string(Profiles().GetProfile(0)->GetName()));
    EXPECT_EQ(Count("GamesPlayedLabel"), "0");
    EXPECT_EQ(Count("GamesSavedLabel"), "0");

    AddProfile(u"Beta");
    AddProfile(u"Gamma");
    static_cast<TMorvanePlayerProfile*>(Profiles().GetProfile(1))->SetGamesPlayed(7);
    Menu().CloseSubWindow();
    OpenProfiles();
    ASSERT_EQ(Slider().GetLabelCount(), 3u);
    EXPECT_STREQ(Slider().GetLabel(0), "1/3");
    EXPECT_STREQ(Slider().GetLabel(1), "2/3");
    EXPECT_STREQ(Slider().GetLabel(2), "3/3");
    EXPECT_EQ(Menu().GetShownProfileIndex(), 2) << "the selected profile shows first";
    EXPECT_EQ(Caption(), u"Gamma");
    EXPECT_TRUE(Footer(2)->IsInactive());
    EXPECT_FALSE(Footer(4)->IsInactive());

    // Stepping back shows Beta; Select makes it the selected one and hides itself.
    Press(Slider().GetUpButton());
    EXPECT_EQ(Menu().GetShownProfileIndex(), 1);
    EXPECT_EQ(Caption(), u"Beta");
    EXPECT_EQ(Count("GamesPlayedLabel"), "7");
    EXPECT_FALSE(Footer(2)->IsInactive());
    EXPECT_FALSE(Footer(4)->IsInactive());
    Press(Footer(2));
    EXPECT_EQ(Profiles().GetSelectedIndex(), 1);
    EXPECT_TRUE(Footer(2)->IsInactive());
    EXPECT_EQ(Menu().GetWindowCount(), 0);

    // Delete acts on the shown profile after its question; Reconsider keeps it.
    Press(Footer(4));
    EXPECT_EQ(TopWindow(), TName("ProfilesDeleteConfirm"));
    Press(Menu().GetTopWindow()->FindItem(TName("Button1")));
    EXPECT_EQ(Profiles().GetProfileCount(), 3);
    Press(Footer(4));
    Press(Menu().GetTopWindow()->FindItem(TName("Button0")));
    ASSERT_EQ(Profiles().GetProfileCount(), 2);
    EXPECT_EQ(Profiles().FindProfileByName(u"Beta"), -1);
    EXPECT_EQ(Slider().GetLabelCount(), 2u);
    EXPECT_STREQ(Slider().GetLabel(1), "2/2");
}

TEST_F(ProfilesTabTest, NewProfilesAreNamedAfterTheUserWithACounterAndRenamedAtOnce)
{
    Start();
    const std::u16string user(GetWindowsUserName());
    ASSERT_EQ(Profiles().FindProfileByName(user.c_str()), 0) << "the first start's profile";
    OpenProfiles();
    Press(Footer(3));
    ASSERT_EQ(Profiles().GetProfileCount(), 2);
    EXPECT_EQ(std::u16string(Profiles().GetSelectedProfile()->GetName()), user + u"01");
    // The edit is up over the slider with the new name.
    TUIEdit* edit = Menu().GetProfileNameEdit();
    EXPECT_TRUE(edit->IsEditing());
    EXPECT_FALSE(edit->IsInactive());
    EXPECT_EQ(std::u16string(edit->GetText()), user + u"01");
    EXPECT_EQ(edit->m_nMaxLength, 18);
    Type(u"Delta");
    EXPECT_EQ(std::u16string(Profiles().GetSelectedProfile()->GetName()), u"Delta");
    EXPECT_EQ(Caption(), u"Delta");
    EXPECT_TRUE(edit->IsInactive());

    Press(Footer(3));
    Type(user.c_str());
    EXPECT_EQ(TopWindow(), TName("ProfilesRenameFailedDuplicate")) << "the user's own profile has it";
    EXPECT_EQ(Profiles().FindProfileByName((user + u"01").c_str()), 2) << "the counter starts over at 01";
    EXPECT_EQ(Caption(), user + u"01") << "the stored name shows again";
    Menu().PopWindow();

    // A name no folder may have is the disk's failure, the stored name kept.
    Press(Footer(1));
    Type(u"a/b");
    EXPECT_EQ(TopWindow(), TName("ProfilesRenameFailedDisk"));
    EXPECT_EQ(Caption(), user + u"01");
    Menu().PopWindow();
    Press(Footer(1));
    Type(u"Delta");
    EXPECT_EQ(TopWindow(), TName("ProfilesRenameFailedDuplicate"));
    EXPECT_EQ(Profiles().GetProfileCount(), 3);
}

TEST_F(ProfilesTabTest, AUniqueNameCutsTheUserNameSoThatTheCounterFitsAndStopsAfter99)
{
    Start();
    char16_t name[PLAYER_NAME_LENGTH + 1];
    // Forty characters: the first 31 while free.
    const std::u16string longName(40, u'x');
    ASSERT_TRUE(TGameMenuManager::MakeUniqueProfileName(Profiles(), longName.c_str(), name));
    EXPECT_EQ(std::u16string(name), std::u16string(31, u'x'));
    AddProfile(name);
    ASSERT_TRUE(TGameMenuManager::MakeUniqueProfileName(Profiles(), longName.c_str(), name));
    EXPECT_EQ(std::u16string(name), std::u16string(29, u'x') + u"01");
    // A short name keeps all of itself; names compare without case.
    AddProfile(u"P");
    ASSERT_TRUE(TGameMenuManager::MakeUniqueProfileName(Profiles(), u"p", name));
    EXPECT_EQ(std::u16string(name), u"p01");
    for (int counter = 1; counter <= 98; ++counter)
    {
        const std::u16string taken = u"p" + std::u16string(1, u'0' + counter / 10) + std::u16string(1, u'0' + counter % 10);
        AddProfile(taken.c_str());
    }
    ASSERT_TRUE(TGameMenuManager::MakeUniqueProfileName(Profiles(), u"p", name));
    EXPECT_EQ(std::u16string(name), u"p99") << "the last counter";
    AddProfile(u"p99");
    EXPECT_FALSE(TGameMenuManager::MakeUniqueProfileName(Profiles(), u"p", name));
}

// The corner labels stay clear of both tabs' footers at each screen's shape, "Online" only shows
// with a session, the footers' open entries stand side by side on the screen without the gaps of
// the closed ones (all five narrowed on a 4:3 screen), and the Profiles tab matches its golden images.
TEST_F(ProfilesTabTest, TheFootersFitEachScreenAndTheTabMatchesItsGoldenImages)
{
    Start();
    OpenProfiles();
    const auto overlaps = [](const TUIRect& a, const TUIRect& b) {
        return a.fLeft < b.fRight && b.fLeft < a.fRight && a.fTop < b.fBottom && b.fTop < a.fBottom;
    };
    TUIItem* layer = Menu().GetMainMenuLayer();
    TUIItem* profileLabel = layer->FindItem(TName("PlayerProfileLabel"));
    TUIItem* onlineLabel = layer->FindItem(TName("WebPageLabel"));
    ASSERT_TRUE(profileLabel && onlineLabel);
    EXPECT_TRUE(onlineLabel->IsInactive()) << "no session";
    TUIItem* loadGameFooter = Menu().GetSubWindow()->FindItem(TName("TabLoadGame"))->FindItem(TName("FooterMenu"));
    for (const auto& [name, width, height] :
         {std::tuple{"profiles_1024x768", 1024, 768}, std::tuple{"profiles_1280x800", 1280, 800},
          std::tuple{"profiles_1920x1200", 1920, 1200}, std::tuple{"profiles_five_1024x768", 1024, 768}})
    {
        SCOPED_TRACE(name);
        g_device_size.Store(static_cast<f32>(width), static_cast<f32>(height), 0.0f, 1.0f);
        g_pUIManager->OnDeviceChange();
        // A second profile stepped to on this screen, not selected: all five entries.
        if (std::string(name) == "profiles_five_1024x768")
        {
            AddProfile(u"Second");
            OpenProfiles();
            Press(Slider().GetUpButton());
        }
        MenuFrames(2);
        const TUIRect screen = layer->GetAbsoluteRect();
        for (TUIItem* footer : {static_cast<TUIItem*>(Menu().GetProfilesFooter()), loadGameFooter})
        {
            const TUIItem* previous = nullptr;
            for (TUIItem* entry : footer->GetChildren())
            {
                if (entry->m_nFlags & UI_CLOSED)
                    continue;
                const TUIRect box = entry->GetAbsoluteRect();
                // The hidden tab's footer keeps its last layout.
                if (footer == Menu().GetProfilesFooter())
                    EXPECT_TRUE(box.fLeft > screen.fLeft - 0.01f && box.fRight < screen.fRight + 0.01f)
                        << entry->m_Name.GetText() << " " << box.fLeft << " " << box.fRight;
                if (previous)
                {
                    const f32 gap = box.fLeft - previous->GetAbsoluteRect().fRight;
                    EXPECT_TRUE(gap >= 0.0f && gap <= static_cast<TUIMenu*>(footer)->m_fColumnGap + 0.5f)
                        << entry->m_Name.GetText() << " " << gap;
                }
                previous = entry;
                for (TUIItem* label : {profileLabel, onlineLabel})
                    EXPECT_FALSE(overlaps(label->GetAbsoluteRect(), box))
                        << label->m_Name.GetText() << " " << entry->m_Name.GetText();
            }
        }
        EXPECT_EQ(RenderGolden(name, width, height), "");
    }
}
